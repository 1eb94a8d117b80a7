// EXIF orientation: read with libexif, applied to the decoded (already DCT-scaled) picture, so
// that the box fit, the slide's size and its pixels are those of the upright photo.

#include "image/Orientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>

namespace lumivex::image {

namespace {

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

int ExifOrientation(const std::uint8_t* block, std::size_t size) {
    static constexpr unsigned char kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    // libexif would otherwise go looking for a JPEG marker inside the bytes.
    if (block == nullptr || size < sizeof kHeader + 8 ||
        std::memcmp(block, kHeader, sizeof kHeader) != 0 || size > 0xFFFF) {
        return kAsStored;
    }
    std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new());
    if (!data)
        return kAsStored;
    // Read what is there: libexif would otherwise add missing entries and rewrite odd ones.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), block, static_cast<unsigned int>(size));
    ExifContent* first = data->ifd[EXIF_IFD_0];
    if (first == nullptr)
        return kAsStored;
    const ExifEntry* entry = exif_content_get_entry(first, EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->data == nullptr || entry->size < 2) {
        return kAsStored;
    }
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return value >= 1 && value <= 8 ? value : kAsStored;
}

RgbImage TurnUpright(RgbImage picture, int orientation) {
    if (orientation < 2 || orientation > 8 || picture.width <= 0 || picture.height <= 0)
        return picture;
    const std::ptrdiff_t w = picture.width, h = picture.height;
    const Size upright = UprightSize(picture.width, picture.height, orientation);
    RgbImage out(upright.width, upright.height);
    // Upright pixel (x', y') comes from stored pixel number first(y') + x' * step.
    std::ptrdiff_t step = 1;
    auto first = [&](std::ptrdiff_t y) -> std::ptrdiff_t {
        switch (orientation) {
            case 2:
                return y * w + w - 1;
            case 3:
                return (h - 1 - y) * w + w - 1;
            case 4:
                return (h - 1 - y) * w;
            case 5:
                return y;
            case 6:
                return (h - 1) * w + y;
            case 7:
                return (h - 1) * w + w - 1 - y;
            default:  // 8
                return w - 1 - y;
        }
    };
    switch (orientation) {
        case 2:
        case 3:
            step = -1;
            break;
        case 4:
            step = 1;
            break;
        case 5:
        case 8:
            step = w;
            break;
        default:  // 6, 7
            step = -w;
            break;
    }
    const std::uint8_t* const src = picture.pixels.data();
    for (std::ptrdiff_t y = 0; y < upright.height; ++y) {
        std::uint8_t* dst = out.row(static_cast<int>(y));
        const std::uint8_t* p = src + first(y) * 3;
        for (std::ptrdiff_t x = 0; x < upright.width; ++x, p += step * 3, dst += 3) {
            dst[0] = p[0];
            dst[1] = p[1];
            dst[2] = p[2];
        }
    }
    return out;
}

}  // namespace lumivex::image
