// Hostile PNG originals: decoded row by row or refused, never a crash; what decodes is fitted,
// turned upright and written as a slide.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EngineErrors.h"
#include "image/Image.h"
#include "image/Orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    image::DecodeLimits limits;
    limits.maxPixels = 1'000'000;
    try {
        const image::StoredRows png =
            image::OpenPngRows(image::Source{"fuzz.png", &bytes}, image::Rgb{1, 2, 3}, limits,
                               [](int w, int h) { return image::FitIntoBox(w, h, 40, 30); });
        const image::Size upright =
            image::UprightSize(png.rows->width(), png.rows->height(), png.orientation);
        const image::Size fit = image::FitIntoBox(upright.width, upright.height, 40, 30);
        const image::Size asStored = image::UprightSize(fit.width, fit.height, png.orientation);
        image::EncodeJpeg(image::TurnUpright(
            image::Resample(*png.rows, asStored.width, asStored.height), png.orientation));
    } catch (const EngineError&) {
    }
    return 0;
}
