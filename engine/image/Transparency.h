#pragma once

#include <cstddef>
#include <cstdint>

#include "image/ColorProfile.h"
#include "image/Image.h"

namespace lumivex::image {

// Turns `count` pixels of R, G, B, A into R, G, B at `to`: the colours converted to sRGB first,
// then laid on `background` by their alpha, since the background is an sRGB colour. `to` may be
// `rgba` itself (the picture shrinks in place). `premultiplied`: the colours are already
// multiplied by their alpha.
void LayOnBackground(const std::uint8_t* rgba, std::uint8_t* to, std::size_t count,
                     const SrgbConversion& conversion, Rgb background, bool premultiplied = false);

}  // namespace lumivex::image
