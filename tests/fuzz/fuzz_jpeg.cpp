// Hostile JPEG originals: the decoder must refuse or decode them, never crash or run away.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EngineErrors.h"
#include "image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Limits scaled down so that one input stays within the fuzzer's time and memory budget.
    image::DecodeLimits limits;
    limits.maxPixels = 4'000'000;
    limits.maxDeclaredJpegPixels = 64'000'000;
    limits.maxJpegScans = 100;
    try {
        const image::DecodedPicture d = image::DecodeJpeg(
            image::Source{"fuzz.jpg", &bytes},
            [](int w, int h) { return image::FitIntoBox(w, h, 64, 48); }, limits);
        const image::Size s = image::FitIntoBox(d.declaredWidth, d.declaredHeight, 64, 48);
        image::Resample(d.pixels, s.width, s.height);
    } catch (const EngineError&) {
    }
    return 0;
}
