#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "image/SlidePicture.h"

namespace lumivex::image {

// Encoded slide images kept between builds, so that a build after a text edit re-encodes
// nothing. An entry is found only for the same original file (path, size, modification and
// change time, inode), the same box, kind, background and encoder version, and holds exactly the
// bytes the encoder wrote, with a checksum. Every failure is silent: a broken, damaged or
// missing entry just means the picture is encoded again and the entry rewritten.
//
// The folder is bounded: once a build has added entries, the least recently used ones (by the
// time they were last written or found) are removed until the folder holds at most the limit.
// An entry that this cache object found or stored, one that another process is reading, and one
// still being written (under a temporary name) are never removed.
class SlideImageCache {
public:
    // The environment variable that sets the limit in bytes (tests, small disks).
    static constexpr const char* kLimitVariable = "LUMIVEX_IMAGE_CACHE_MAX_BYTES";
    static constexpr std::uint64_t kLeastDefaultLimit = 256ull * 1024 * 1024;

    // "" turns the cache off. The limit is taken from kLimitVariable when it holds a whole
    // number of bytes, otherwise it is the larger of 256 MiB and 2 % of the free space of the
    // cache's file system. Either way the cache never holds more than a quarter of the room it
    // could have (free space and its own entries), so it cannot fill a small file system.
    explicit SlideImageCache(std::string folder);

    // The bound Trim keeps: `configured`, but at most a quarter of free + cached bytes.
    static std::uint64_t BoundBySpace(std::uint64_t configured, std::uint64_t freeBytes,
                                      std::uint64_t cachedBytes);

    // The key of an original as it is on disk now; empty when the cache is off or the file
    // cannot be examined.
    // `output` names another output of the same original and box (the modern web output's).
    std::string KeyFor(const std::string& path, int boxWidth, int boxHeight, PictureKind kind,
                       Rgb background, std::string_view output = {}) const;
    // Safe to call from several threads at once, as is Store.
    std::optional<SlidePicture> Find(const std::string& key) const;
    // Whether an entry is there, without reading it (Find may still refuse it).
    bool Has(const std::string& key) const;
    void Store(const std::string& key, const SlidePicture& picture) const;
    // Removes least recently used entries past the limit; does nothing unless Store added one.
    // Call when no Find or Store of this object is under way.
    void Trim() const;

    std::uint64_t limit() const { return limit_; }

private:
    std::string EntryName(const std::string& key) const;
    void markUsed(const std::string& name, bool stored) const;

    std::string folder_;
    std::uint64_t limit_ = kLeastDefaultLimit;
    mutable std::mutex mutex_;
    mutable std::set<std::string> used_;
    mutable bool grew_ = false;
    // The bytes the folder's entries take, counted at the first Store and kept up to date, so
    // that an entry that would take more than the room allows is not written at all.
    mutable std::optional<std::uint64_t> cachedBytes_;
};

}  // namespace lumivex::image
