// Hostile WebP originals, still or animated: decoded (scaled where they allow it) or refused,
// never a crash.
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
    limits.maxPixels = 1'000'000;
    limits.maxDeclaredJpegPixels = 16'000'000;
    try {
        const image::DecodedPicture d = image::DecodeWebp(
            image::Source{"fuzz.webp", &bytes}, image::Rgb{1, 2, 3},
            [](int w, int h) { return image::FitIntoBox(w, h, 40, 30); }, limits);
        const image::Size s = image::FitIntoBox(d.declaredWidth, d.declaredHeight, 40, 30);
        image::Resample(d.pixels, s.width, s.height);
    } catch (const EngineError&) {
    }
    return 0;
}
