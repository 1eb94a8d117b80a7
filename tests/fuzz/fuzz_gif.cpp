// Hostile GIF originals: decoded or refused, never a crash; what decodes is quantised and
// written again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EngineErrors.h"
#include "image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    image::DecodeLimits limits;
    limits.maxPixels = 1'000'000;
    try {
        const image::DecodedPicture d =
            image::DecodeGif(image::Source{"fuzz.gif", &bytes}, image::Rgb{1, 2, 3}, limits);
        const image::Size s = image::FitIntoBox(d.declaredWidth, d.declaredHeight, 40, 30);
        image::EncodeGif(image::Resample(d.pixels, s.width, s.height));
    } catch (const EngineError&) {
    }
    return 0;
}
