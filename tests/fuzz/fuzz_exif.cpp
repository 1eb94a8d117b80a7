// Hostile EXIF blocks: the orientation reader (libexif underneath) must answer 1 to 8, never
// crash or run away; the thumbnail in the block is read without either; and a photo carrying the
// block must still decode.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EngineErrors.h"
#include "ReaderFuzzSupport.h"
#include "image/CameraThumbnail.h"
#include "image/Image.h"
#include "image/Orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    // The reader sees an APP1 payload; most inputs should get past the "Exif\0\0" check.
    std::string block(reinterpret_cast<const char*>(data), size);
    if (block.compare(0, 6, std::string("Exif\0\0", 6)) != 0)
        block.insert(0, std::string("Exif\0\0", 6));
    const int orientation =
        image::ExifOrientation(reinterpret_cast<const std::uint8_t*>(block.data()), block.size());
    fuzz::Check(orientation >= 1 && orientation <= 8, "orientation from 1 to 8");

    // The same block inside a small JPEG (SOI, APP1, then a 16 x 8 picture): it decodes, upright
    // by whatever the block says.
    if (block.size() > 0xFFFF - 2)
        return 0;
    static const std::string picture = image::EncodeJpeg(image::RgbImage(16, 8));
    const std::size_t length = block.size() + 2;
    std::string jpeg = picture.substr(0, 2);
    jpeg += '\xFF';
    jpeg += '\xE1';
    jpeg += static_cast<char>(length >> 8);
    jpeg += static_cast<char>(length & 0xFF);
    jpeg += block;
    jpeg += picture.substr(2);
    const image::RgbImage thumbnail =
        image::CameraThumbnail(image::Source{"fuzz.jpg", &jpeg}, image::Size{16, 8}, {});
    fuzz::Check(thumbnail.pixels.size() == std::size_t{3} * thumbnail.width * thumbnail.height,
                "a thumbnail is whole or empty");
    try {
        const image::DecodedPicture d =
            image::DecodeJpeg(image::Source{"fuzz.jpg", &jpeg},
                              [](int w, int h) { return image::FitIntoBox(w, h, 64, 48); });
        const bool swapped = orientation >= 5;
        fuzz::Check(d.declaredWidth == (swapped ? 8 : 16) && d.declaredHeight == (swapped ? 16 : 8),
                    "upright size follows the orientation");
        fuzz::Check(d.pixels.width == d.declaredWidth && d.pixels.height == d.declaredHeight,
                    "pixels upright");
    } catch (const EngineError&) {
        fuzz::Check(false, "a photo with a damaged EXIF block still decodes");
    }
    return 0;
}
