#pragma once

#include <string>

#include "image/Image.h"

namespace lumivex::image {

struct PictureInfo {
    PictureKind kind = PictureKind::Jpeg;
    Size size;  // upright, as the slide is made from it
};

// What a picture is, from its header alone: the kind its extension selects and its upright
// size, checked against the limits as its decoder checks them, without taking pixel memory.
// Raises ImageError naming the file for an unsupported, damaged, unreadable or oversized
// picture, and FileError when the file cannot be read (or is no regular file). What only the
// pixel data shows is left to the decoder: data cut short, and the work of a JPEG's scans.
PictureInfo ProbePicture(const std::string& path, const DecodeLimits& limits = {});

}  // namespace lumivex::image
