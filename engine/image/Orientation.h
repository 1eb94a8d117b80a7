#pragma once

#include <cstddef>
#include <cstdint>

#include "image/Image.h"

namespace lumivex::image {

// How a picture is stored relative to upright, as EXIF numbers it: 1 as stored, 2 mirrored
// left-right, 3 turned half round, 4 mirrored top-bottom, 5 mirrored along the main diagonal,
// 6 to be turned a quarter clockwise, 7 mirrored along the other diagonal, 8 to be turned a
// quarter anticlockwise.
inline constexpr int kAsStored = 1;

// The orientation tag of the first image directory of an EXIF block (an APP1 payload starting
// "Exif\0\0"), read with libexif. 1 when there is no such tag, or the block is damaged, or the
// value is not one of 1 to 8: a damaged block never stops a picture that decodes.
int ExifOrientation(const std::uint8_t* block, std::size_t size);

// Orientations 5 to 8 swap width and height.
inline bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}
inline Size UprightSize(int storedWidth, int storedHeight, int orientation) {
    return SwapsSides(orientation) ? Size{storedHeight, storedWidth}
                                   : Size{storedWidth, storedHeight};
}

// The picture turned upright; `picture` as stored with the given orientation.
RgbImage TurnUpright(RgbImage picture, int orientation);

}  // namespace lumivex::image
