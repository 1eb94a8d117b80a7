#pragma once

#include <string>

#include "image/Image.h"

namespace lumivex::image {

// One slide image, scaled into the slideshow box and encoded as ExtensionOf(kind) says.
struct SlidePicture {
    PictureKind kind = PictureKind::Jpeg;
    Size size;
    std::string encoded;
};

// The decoder that a file's extension selects (".jpg", ".jpeg", ".gif", ".bmp", ".png", ".webp",
// ".heic", ".heif", any letter case); raises ImageError "unsupported picture format" for any
// other.
PictureKind KindForPath(const std::string& path);

// The slide background as a picture colour: "RRGGBB"; "Transparent" or anything unreadable is
// black.
Rgb BackgroundColour(const std::string& value);

// Decodes the original at `path`, fits it into the box, resamples and encodes it. Raises
// ImageError (or FileError) for the file, InvalidProjectError for a box without area.
SlidePicture MakeSlidePicture(const std::string& path, int boxWidth, int boxHeight, Rgb background,
                              const DecodeLimits& limits = {});

}  // namespace lumivex::image
