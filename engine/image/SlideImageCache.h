#pragma once

#include <optional>
#include <string>

#include "image/SlidePicture.h"

namespace lumivex::image {

// Encoded slide images kept between builds, so that a build after a text edit re-encodes
// nothing. An entry is found only for the same original file (path, size, modification and
// change time, inode), the same box, kind, background and encoder version, and holds exactly the
// bytes the encoder wrote. Every failure is silent: a broken or missing entry just means the
// picture is encoded again.
class SlideImageCache {
public:
    explicit SlideImageCache(std::string folder);  // "" turns the cache off

    // The key of an original as it is on disk now; empty when the cache is off or the file
    // cannot be examined.
    std::string KeyFor(const std::string& path, int boxWidth, int boxHeight, PictureKind kind,
                       Rgb background) const;
    std::optional<SlidePicture> Find(const std::string& key) const;
    void Store(const std::string& key, const SlidePicture& picture) const;

private:
    std::string EntryPath(const std::string& key) const;
    std::string folder_;
};

}  // namespace lumivex::image
