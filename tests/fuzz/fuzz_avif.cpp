// Hostile AVIF originals: decoded or refused, never a crash or a runaway allocation; and a
// picture that decodes is probed at the size it decoded to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "EngineErrors.h"
#include "image/DecodeSupport.h"
#include "image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const image::Source source{"fuzz.avif", &bytes};
    image::DecodeLimits limits;
    limits.maxPixels = 1'000'000;
    try {
        const image::DecodedPicture d = image::DecodeHeif(
            source, image::Rgb{1, 2, 3},
            [](int w, int h) { return image::FitIntoBox(w, h, 40, 30); }, limits);
        const image::Size probed = image::ProbeHeif(source, limits);
        if (probed.width != d.pixels.width || probed.height != d.pixels.height)
            std::abort();
    } catch (const EngineError&) {
    }
    return 0;
}
