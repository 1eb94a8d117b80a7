#include "image/SlideImageCache.h"

#include "FileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

namespace lumivex::image {

namespace {

constexpr const char* kMagic = "LVXSLIDE2\n";
constexpr const char* kSuffix = ".slide";
constexpr std::size_t kNameLength = 16 + 6;  // 16 hex digits and ".slide"
// A temporary file this old belongs to a writer that died; live writes take milliseconds.
constexpr std::time_t kStaleTemporarySeconds = 3600;

std::uint64_t fnv1a(const char* data, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 0x100000001b3ULL;
    }
    return h;
}
std::uint64_t fnv1a(const std::string& text) {
    return fnv1a(text.data(), text.size());
}

// The kind as keys name it: the slide's extension for the kinds written as they came, which
// keeps their older entries, and the original's for those written as JPEG.
const char* kindName(PictureKind kind) {
    switch (kind) {
        case PictureKind::Png:
            return ".png";
        case PictureKind::Webp:
            return ".webp";
        case PictureKind::Heic:
            return ".heic";
        case PictureKind::Avif:
            return ".avif";
        default:
            return ExtensionOf(kind);
    }
}

bool readAll(int fd, std::string& out, std::size_t size) {
    out.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const long r = ReadInto(fd, out.data() + done, size - done);
        if (r <= 0)
            return false;
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t r = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool isEntryName(const char* name) {
    const std::size_t n = std::strlen(name);
    if (n != kNameLength || std::strcmp(name + 16, kSuffix) != 0)
        return false;
    return std::all_of(name, name + 16,
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool isTemporaryName(const char* name) {
    return name[0] == '.' && std::strlen(name) > kNameLength + 1 &&
           std::strncmp(name + 1 + 16, kSuffix, 6) == 0 && name[1 + kNameLength] == '.';
}

std::uint64_t freeSpaceUnder(std::filesystem::path folder) {
    while (!folder.empty()) {
        struct statvfs fs {};
        if (::statvfs(folder.c_str(), &fs) == 0)
            return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
        if (folder == folder.parent_path())
            break;
        folder = folder.parent_path();
    }
    return 0;
}

std::uint64_t entryBytesIn(const std::string& folder) {
    std::uint64_t total = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    while (const dirent* e = ::readdir(dir)) {
        struct stat st {};
        if (isEntryName(e->d_name) &&
            ::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    ::closedir(dir);
    return total;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

SlideImageCache::SlideImageCache(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty())
        return;
    if (folder_.back() != '/')
        folder_ += '/';
    if (const char* text = std::getenv(kLimitVariable); text != nullptr && *text != '\0') {
        char* end = nullptr;
        errno = 0;
        const unsigned long long value = std::strtoull(text, &end, 10);
        if (errno == 0 && *end == '\0' && text[0] != '-') {
            limit_ = value;
            return;
        }
    }
    limit_ = std::max(kLeastDefaultLimit, freeSpaceUnder(folder_) / 50);
}

std::string SlideImageCache::KeyFor(const std::string& path, int boxWidth, int boxHeight,
                                    PictureKind kind, Rgb background,
                                    std::string_view output) const {
    if (folder_.empty())
        return {};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    char text[512];
    // The background colour shows only under transparent pixels, which JPEG and bitmap
    // originals do not have.
    const bool transparent = kind != PictureKind::Jpeg && kind != PictureKind::Bmp;
    const unsigned colour =
        transparent ? (static_cast<unsigned>(background.r) << 16 | background.g << 8 | background.b)
                    : 0u;
    const std::string kindText =
        output.empty() ? std::string(kindName(kind)) : kindName(kind) + ("+" + std::string(output));
    std::snprintf(text, sizeof text, "%s|%lld|%lld.%09ld|%lld.%09ld|%llu:%llu|%dx%d|%.64s|%06X|",
                  kEncoderVersion, static_cast<long long>(st.st_size),
                  static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                  static_cast<long long>(st.st_ctim.tv_sec), st.st_ctim.tv_nsec,
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino), boxWidth, boxHeight, kindText.c_str(),
                  colour);
    return text + path;
}

std::string SlideImageCache::EntryName(const std::string& key) const {
    char name[32];
    std::snprintf(name, sizeof name, "%016llx%s", static_cast<unsigned long long>(fnv1a(key)),
                  kSuffix);
    return name;
}

void SlideImageCache::markUsed(const std::string& name, bool stored) const {
    std::lock_guard lock(mutex_);
    used_.insert(name);
    grew_ = grew_ || stored;
}

bool SlideImageCache::Has(const std::string& key) const {
    struct stat st {};
    return !key.empty() && ::lstat((folder_ + EntryName(key)).c_str(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

std::optional<SlidePicture> SlideImageCache::Find(const std::string& key) const {
    if (key.empty())
        return std::nullopt;
    const std::string name = EntryName(key);
    FileDescriptor fd(::open((folder_ + name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (fd.get() < 0)
        return std::nullopt;
    // Shared while reading: Trim never removes an entry that someone holds. An entry that Trim
    // holds is about to go, so it counts as missing.
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
        return std::nullopt;
    std::string entry;
    if (!readAll(fd.get(), entry, static_cast<std::size_t>(st.st_size)))
        return std::nullopt;
    // magic, key, "kind width height length checksum", then the encoded bytes
    const std::string magic = kMagic;
    if (entry.compare(0, magic.size(), magic) != 0)
        return std::nullopt;
    std::size_t pos = magic.size();
    const std::size_t keyEnd = entry.find('\n', pos);
    if (keyEnd == std::string::npos || keyEnd - pos != key.size() ||
        entry.compare(pos, keyEnd - pos, key) != 0) {
        return std::nullopt;
    }
    pos = keyEnd + 1;
    const std::size_t headEnd = entry.find('\n', pos);
    if (headEnd == std::string::npos)
        return std::nullopt;
    int kind = -1, width = 0, height = 0;
    unsigned long long length = 0, checksum = 0;
    if (std::sscanf(entry.substr(pos, headEnd - pos).c_str(), "%d %d %d %llu %llx", &kind, &width,
                    &height, &length, &checksum) != 5 ||
        kind < 0 || kind > static_cast<int>(PictureKind::Avif) || width <= 0 || height <= 0 ||
        length != entry.size() - headEnd - 1 ||
        checksum != fnv1a(entry.data() + headEnd + 1, length)) {
        return std::nullopt;
    }
    // Recently used: the modification time orders the entries for Trim.
    ::futimens(fd.get(), nullptr);
    markUsed(name, false);
    SlidePicture picture;
    picture.kind = static_cast<PictureKind>(kind);
    picture.size = Size{width, height};
    picture.encoded = entry.substr(headEnd + 1);
    return picture;
}

void SlideImageCache::Store(const std::string& key, const SlidePicture& picture) const {
    if (key.empty() || key.find('\n') != std::string::npos)
        return;
    std::string entry = kMagic;
    entry += key;
    entry += '\n';
    char head[128];
    std::snprintf(head, sizeof head, "%d %d %d %llu %016llx\n", static_cast<int>(picture.kind),
                  picture.size.width, picture.size.height,
                  static_cast<unsigned long long>(picture.encoded.size()),
                  static_cast<unsigned long long>(fnv1a(picture.encoded)));
    entry += head;
    entry += picture.encoded;
    if (entry.size() > limit_)
        return;  // it would only push everything else out
    {
        // Within the room of the file system, too: a build on a small disk must not fill it
        // with entries it protects until it ends.
        std::lock_guard lock(mutex_);
        if (!cachedBytes_)
            cachedBytes_ = entryBytesIn(folder_);
        const std::uint64_t free = freeSpaceUnder(folder_);
        const std::uint64_t room = BoundBySpace(UINT64_MAX, free, *cachedBytes_);
        if (*cachedBytes_ + entry.size() > room)
            return;
        *cachedBytes_ += entry.size();
    }
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    // Written under a temporary name and renamed: readers see a whole entry or none. There is
    // no flush to disk; an entry cut short by a crash fails its checksum and is written again.
    const std::string name = EntryName(key);
    std::string temp = folder_ + "." + name + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return;  // a full disk or a read-only cache only costs the next build its time
    if (!writeAll(fd.get(), entry) || ::rename(temp.c_str(), (folder_ + name).c_str()) != 0) {
        ::unlink(temp.c_str());
        return;
    }
    markUsed(name, true);
}

std::uint64_t SlideImageCache::BoundBySpace(std::uint64_t configured, std::uint64_t freeBytes,
                                            std::uint64_t cachedBytes) {
    return std::min(configured, (freeBytes + cachedBytes) / 4);
}

void SlideImageCache::Trim() const {
    {
        std::lock_guard lock(mutex_);
        if (folder_.empty() || !grew_)
            return;
        grew_ = false;
    }
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr)
        return;
    struct Entry {
        timespec used;
        std::uint64_t size;
        std::string name;
    };
    std::vector<Entry> entries;
    std::uint64_t total = 0;
    const std::time_t now = std::time(nullptr);
    const int dirFd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const bool entry = isEntryName(e->d_name);
        if (!entry && !isTemporaryName(e->d_name))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (!entry) {
            if (now - st.st_mtim.tv_sec > kStaleTemporarySeconds)
                ::unlinkat(dirFd, e->d_name, 0);
            continue;
        }
        const auto size = static_cast<std::uint64_t>(st.st_size);
        total += size;
        entries.push_back(Entry{st.st_mtim, size, e->d_name});
    }
    const std::uint64_t limit = BoundBySpace(limit_, freeSpaceUnder(folder_), total);
    if (total > limit) {
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            if (a.used.tv_sec != b.used.tv_sec)
                return a.used.tv_sec < b.used.tv_sec;
            if (a.used.tv_nsec != b.used.tv_nsec)
                return a.used.tv_nsec < b.used.tv_nsec;
            return a.name < b.name;
        });
        std::lock_guard lock(mutex_);
        for (const Entry& e : entries) {
            if (total <= limit)
                break;
            if (used_.count(e.name) != 0)
                continue;
            FileDescriptor fd(::openat(dirFd, e.name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
            if (fd.get() < 0)
                continue;
            // Someone reading it holds a shared lock; skip it rather than wait.
            if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
                continue;
            // Still the file that was listed, and not used since (a rename may have replaced
            // it, a Find may have touched it).
            struct stat held {};
            struct stat named {};
            if (::fstat(fd.get(), &held) != 0 ||
                ::fstatat(dirFd, e.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
                held.st_ino != named.st_ino || held.st_dev != named.st_dev ||
                !sameTime(held.st_mtim, e.used)) {
                continue;
            }
            if (::unlinkat(dirFd, e.name.c_str(), 0) == 0)
                total -= e.size;
        }
    }
    ::closedir(dir);
}

}  // namespace lumivex::image
