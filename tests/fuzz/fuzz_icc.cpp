// Hostile ICC profiles: Little CMS must refuse them or make a transform that converts, for each
// kind of picture a JPEG can hold, never crash or run away.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ReaderFuzzSupport.h"
#include "image/ColorProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    using Input = image::SrgbConversion::Input;
    // Every value of every channel at least once, in a few mixtures.
    std::vector<std::uint8_t> pixels(256 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 4);
    for (Input input : {Input::Rgb, Input::Cmyk, Input::InvertedCmyk, Input::Grey}) {
        const image::SrgbConversion conversion =
            image::SrgbConversion::ForProfile(data, size, input);
        if (!conversion.converts())
            continue;
        std::vector<std::uint8_t> in = pixels, out(256 * 3);
        const bool fourBytes = input == Input::Cmyk || input == Input::InvertedCmyk;
        if (fourBytes) {
            conversion.Convert(in.data(), out.data(), 256);
        } else {
            in.resize(256 * 3);
            conversion.Convert(in.data(), in.data(), 256);
        }
    }
    return 0;
}
