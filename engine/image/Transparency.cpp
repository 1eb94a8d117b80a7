#include "image/Transparency.h"

#include <algorithm>

namespace lumivex::image {

void LayOnBackground(const std::uint8_t* rgba, std::uint8_t* to, std::size_t count,
                     const SrgbConversion& conversion, Rgb background, bool premultiplied) {
    // In runs, so that the alpha values survive the colours being packed over them in place.
    constexpr std::size_t kRun = 1024;
    std::uint8_t alpha[kRun];
    const unsigned back[3] = {background.r, background.g, background.b};
    for (std::size_t start = 0; start < count; start += kRun) {
        const std::size_t n = std::min(kRun, count - start);
        const std::uint8_t* src = rgba + start * 4;
        std::uint8_t* dst = to + start * 3;
        for (std::size_t i = 0; i < n; ++i)
            alpha[i] = src[i * 4 + 3];
        for (std::size_t i = 0; i < n; ++i) {
            unsigned c[3] = {src[i * 4], src[i * 4 + 1], src[i * 4 + 2]};
            const unsigned a = alpha[i];
            if (premultiplied && a != 0 && a != 255) {
                for (unsigned& v : c)
                    v = std::min(255u, (v * 255 + a / 2) / a);
            }
            dst[i * 3] = static_cast<std::uint8_t>(c[0]);
            dst[i * 3 + 1] = static_cast<std::uint8_t>(c[1]);
            dst[i * 3 + 2] = static_cast<std::uint8_t>(c[2]);
        }
        conversion.Convert(dst, dst, n);
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned a = alpha[i];
            if (a == 255)
                continue;
            for (int k = 0; k < 3; ++k) {
                std::uint8_t& v = dst[i * 3 + static_cast<std::size_t>(k)];
                v = static_cast<std::uint8_t>((v * a + back[k] * (255 - a) + 127) / 255);
            }
        }
    }
}

}  // namespace lumivex::image
