// Hostile AVIF originals: decoded or refused, never a crash or a runaway allocation; and a
// picture that decodes is probed at the size it decoded to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "EngineErrors.h"
#include "image/DecodeSupport.h"
#include "image/Image.h"

// For some damaged AV1 data, libdav1d 1.0 keeps a 40-byte block that no call through libheif
// releases; every handle of ours is freed.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdav1d.so\n";
}

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
