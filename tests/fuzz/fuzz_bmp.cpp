// Hostile Windows bitmaps: decoded or refused, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EngineErrors.h"
#include "image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    image::DecodeLimits limits;
    limits.maxPixels = 4'000'000;
    try {
        const image::DecodedPicture d = image::DecodeBmp(image::Source{"fuzz.bmp", &bytes}, limits);
        const image::Size s = image::FitIntoBox(d.declaredWidth, d.declaredHeight, 40, 30);
        image::EncodeBmp(image::Resample(d.pixels, s.width, s.height));
    } catch (const EngineError&) {
    }
    return 0;
}
