#include "image/SlideImageCache.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "FileIO.h"

namespace lumivex::image {

namespace {

constexpr const char* kMagic = "LVXSLIDE1\n";

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

}  // namespace

SlideImageCache::SlideImageCache(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
}

std::string SlideImageCache::KeyFor(const std::string& path, int boxWidth, int boxHeight,
                                    PictureKind kind, Rgb background) const {
    if (folder_.empty())
        return {};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    char text[512];
    // The background colour only shows in GIF slides (under transparent pixels).
    const unsigned colour =
        kind == PictureKind::Gif
            ? (static_cast<unsigned>(background.r) << 16 | background.g << 8 | background.b)
            : 0u;
    std::snprintf(text, sizeof text, "%s|%lld|%lld.%09ld|%lld.%09ld|%llu:%llu|%dx%d|%s|%06X|",
                  kEncoderVersion, static_cast<long long>(st.st_size),
                  static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                  static_cast<long long>(st.st_ctim.tv_sec), st.st_ctim.tv_nsec,
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino), boxWidth, boxHeight,
                  ExtensionOf(kind), colour);
    return text + path;
}

std::string SlideImageCache::EntryPath(const std::string& key) const {
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.slide", static_cast<unsigned long long>(fnv1a(key)));
    return folder_ + name;
}

std::optional<SlidePicture> SlideImageCache::Find(const std::string& key) const {
    if (key.empty())
        return std::nullopt;
    std::string entry;
    try {
        entry = ReadWholeFile(EntryPath(key));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    // magic, key, "kind width height", then the encoded bytes
    const std::string magic = kMagic;
    if (entry.compare(0, magic.size(), magic) != 0)
        return std::nullopt;
    std::size_t pos = magic.size();
    const std::size_t keyEnd = entry.find('\n', pos);
    if (keyEnd == std::string::npos || entry.compare(pos, keyEnd - pos, key) != 0 ||
        keyEnd - pos != key.size()) {
        return std::nullopt;
    }
    pos = keyEnd + 1;
    const std::size_t headEnd = entry.find('\n', pos);
    if (headEnd == std::string::npos)
        return std::nullopt;
    int kind = -1, width = 0, height = 0;
    unsigned long long length = 0;
    if (std::sscanf(entry.substr(pos, headEnd - pos).c_str(), "%d %d %d %llu", &kind, &width,
                    &height, &length) != 4 ||
        kind < 0 || kind > 2 || width <= 0 || height <= 0 || length != entry.size() - headEnd - 1) {
        return std::nullopt;
    }
    SlidePicture picture;
    picture.kind = static_cast<PictureKind>(kind);
    picture.size = Size{width, height};
    picture.encoded = entry.substr(headEnd + 1);
    return picture;
}

void SlideImageCache::Store(const std::string& key, const SlidePicture& picture) const {
    if (key.empty() || key.find('\n') != std::string::npos)
        return;
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    std::string entry = kMagic;
    entry += key;
    entry += '\n';
    entry += std::to_string(static_cast<int>(picture.kind)) + " " +
             std::to_string(picture.size.width) + " " + std::to_string(picture.size.height) + " " +
             std::to_string(picture.encoded.size()) + "\n";
    entry += picture.encoded;
    try {
        WriteFileAtomically(EntryPath(key), entry);
    } catch (const std::exception&) {
        // A full disk or a read-only cache only costs the next build its time.
    }
}

}  // namespace lumivex::image
