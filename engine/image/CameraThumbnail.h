#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/Image.h"

namespace lumivex::image {

// The JPEG bytes of the thumbnail in an EXIF block (an APP1 payload starting "Exif\0\0"), as
// cameras and phones store one; empty when there is none or the block is damaged.
std::string ExifThumbnail(const std::uint8_t* block, std::size_t size);

// The thumbnail of a JPEG's EXIF block, decoded and in the stored orientation, showing the whole
// picture of `stored` shape: black bands that a camera adds to fit its thumbnail's own shape are
// cut away. Empty when there is none, it cannot be decoded, or its shape does not match.
RgbImage CameraThumbnail(const Source& source, Size stored, const DecodeLimits& limits);

// Whether `thumbnail` (as above) shows what `rows` shows: the decoded picture's rows from
// `firstRow` of a picture `height` rows high, every column. A photo edited after the camera made
// its thumbnail may carry one that shows something else.
bool ThumbnailShows(const RgbImage& thumbnail, const RgbImage& rows, int firstRow, int height);

}  // namespace lumivex::image
