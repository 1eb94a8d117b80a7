// A camera's own small copy of a photo, kept in the photo's EXIF block. Finding a filled slide's
// focal point on it rather than on the photo lets the decoder leave out the rows the crop cuts
// away, so that filling costs about what fitting does.

#include "image/CameraThumbnail.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "EngineErrors.h"
#include "image/DecodeSupport.h"

namespace lumivex::image {

namespace {

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// Larger than any thumbnail EXIF's 64 KB can hold at a sane quality; the decoder is never asked
// to lay out a huge declared size.
constexpr int kMaxSide = 2048;

// JPEG's ringing lifts black a little at the edge of the picture.
bool darkRow(const RgbImage& image, int y) {
    const std::uint8_t* row = image.row(y);
    return std::none_of(row, row + 3 * image.width, [](std::uint8_t v) { return v > 40; });
}

RgbImage rowsOf(const RgbImage& image, int first, int count) {
    RgbImage out(image.width, count);
    std::memcpy(out.pixels.data(), image.row(first), out.pixels.size());
    return out;
}

RgbImage transposed(const RgbImage& image) {
    RgbImage out(image.height, image.width);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            std::memcpy(out.row(x) + 3 * y, image.row(y) + 3 * x, 3);
    return out;
}

// `thumbnail` without the black bands above and below that make a picture `aspect` wide (width
// over height) fill it, however the camera rounded them; empty when it has bands of another
// height, or none where they are needed.
RgbImage withoutBands(const RgbImage& thumbnail, double aspect) {
    const double bands = thumbnail.height - thumbnail.width / aspect;
    const double slack = std::max(1.0, 0.02 * thumbnail.height);
    if (std::abs(bands) <= slack)
        return thumbnail;
    int top = 0, bottom = 0;
    while (top < thumbnail.height && darkRow(thumbnail, top))
        ++top;
    while (bottom < thumbnail.height - top && darkRow(thumbnail, thumbnail.height - 1 - bottom))
        ++bottom;
    if (top == 0 || bottom == 0 || std::abs(top + bottom - bands) > slack)
        return {};
    return rowsOf(thumbnail, top, thumbnail.height - top - bottom);
}

}  // namespace

std::string ExifThumbnail(const std::uint8_t* block, std::size_t size) {
    static constexpr unsigned char kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (block == nullptr || size < sizeof kHeader + 8 || size > 0xFFFF ||
        std::memcmp(block, kHeader, sizeof kHeader) != 0) {
        return {};
    }
    std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new());
    if (!data)
        return {};
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), block, static_cast<unsigned int>(size));
    if (data->data == nullptr || data->size < 4)
        return {};
    return std::string(reinterpret_cast<const char*>(data->data), data->size);
}

RgbImage CameraThumbnail(const Source& source, Size stored, const DecodeLimits& limits) {
    if (stored.width <= 0 || stored.height <= 0)
        return {};
    try {
        const std::string bytes = JpegExifThumbnail(source, limits);
        if (bytes.empty())
            return {};
        const Source thumbnail{source.path, &bytes};
        const Size declared = ProbeJpeg(thumbnail, limits);
        if (declared.width > kMaxSide || declared.height > kMaxSide)
            return {};
        const RgbImage pixels = DecodeJpeg(
                                    thumbnail,
                                    [](int w, int h) {
                                        return Size{w, h};
                                    },
                                    limits)
                                    .pixels;
        const double aspect = static_cast<double>(stored.width) / stored.height;
        // Bands above and below, or (turned a quarter) beside.
        if (pixels.width / static_cast<double>(pixels.height) <= aspect)
            return withoutBands(pixels, aspect);
        const RgbImage cut = withoutBands(transposed(pixels), 1 / aspect);
        return cut.width > 0 ? transposed(cut) : cut;
    } catch (const EngineError&) {
        return {};  // a damaged thumbnail leaves the photo itself to look at
    }
}

bool ThumbnailShows(const RgbImage& thumbnail, const RgbImage& rows, int firstRow, int height) {
    if (thumbnail.width <= 0 || rows.width <= 0 || height <= 0)
        return false;
    const double scale = static_cast<double>(thumbnail.height) / height;
    const int from =
        std::clamp(static_cast<int>(std::lround(firstRow * scale)), 0, thumbnail.height - 1);
    const int to = std::clamp(static_cast<int>(std::lround((firstRow + rows.height) * scale)),
                              from + 1, thumbnail.height);
    // Compared as averages over blocks of a few thumbnail pixels: its strong compression and
    // the decoder's rounding differ pixel by pixel, another scene differs block by block.
    const int width = std::max(1, thumbnail.width / 4), h = std::max(1, (to - from) / 4);
    const RgbImage ours = Resample(rows, width, h);
    const RgbImage theirs = Resample(rowsOf(thumbnail, from, to - from), width, h);
    // On the whole and block by block, so that neither a change of tone nor a subject moved is
    // missed.
    long total = 0;
    for (std::size_t i = 0; i < ours.pixels.size(); i += 3) {
        int block = 0;
        for (std::size_t c = i; c < i + 3; ++c)
            block += std::abs(int{ours.pixels[c]} - int{theirs.pixels[c]});
        if (block > 3 * 40)
            return false;
        total += block;
    }
    return total <= 12 * static_cast<long>(ours.pixels.size());
}

}  // namespace lumivex::image
