#include "FileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "EngineErrors.h"
#include "Text.h"

namespace lumivex {

namespace {

std::mutex& hookMutex() {
    static std::mutex m;
    return m;
}

WriteFaultHook& hook() {
    static WriteFaultHook h;
    return h;
}

int injectedFault(std::size_t written) {
    std::lock_guard lock(hookMutex());
    return hook() ? hook()(written) : 0;
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

void SetWriteFaultHook(WriteFaultHook h) {
    std::lock_guard lock(hookMutex());
    hook() = std::move(h);
}

namespace {

constexpr std::string_view kTemporaryMark = ".lumivex-tmp-";

// The temporary files being written now, for RemoveTemporaryFilesInUse, which also stops new
// ones from being made: the process is about to end.
struct InUse {
    std::mutex mutex;
    std::set<std::string> files;
    bool stopped = false;
};

InUse& inUse() {
    static InUse state;
    return state;
}

void markInUse(const std::string& temp, bool used) {
    std::lock_guard lock(inUse().mutex);
    if (used)
        inUse().files.insert(temp);
    else
        inUse().files.erase(temp);
}

// mkstemp and the record of its file in one step, so that no temporary escapes a clean-up.
int makeTemporary(std::string& temp) {
    std::lock_guard lock(inUse().mutex);
    if (inUse().stopped) {
        errno = EINTR;
        return -1;
    }
    const int fd = ::mkstemp(temp.data());
    if (fd >= 0)
        inUse().files.insert(temp);
    return fd;
}

// "." + name + ".lumivex-tmp-" + pid + "-" + six random characters, beside `path`.
std::string temporaryPattern(const std::string& path) {
    return FolderPart(path) + "." + FileNamePart(path) + std::string(kTemporaryMark) +
           std::to_string(::getpid()) + "-XXXXXX";
}

// The owner's process id of a temporary name of ours, or -1.
long temporaryOwner(std::string_view name) {
    if (name.empty() || name.front() != '.')
        return -1;
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos)
        return -1;
    std::string_view rest = name.substr(mark + kTemporaryMark.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || rest.size() - dash - 1 != 6)
        return -1;
    long pid = 0;
    for (char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9' || pid > 100'000'000)
            return -1;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Writes `bytes` into a new temporary file beside `path` and flushes it; returns its name. On
// failure nothing is left behind and FileError names `path`.
std::string writeTemporary(const std::string& path, std::string_view bytes) {
    // A folder in the way would otherwise be reported only at the rename, as a confusing error.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        throw FileError(path, EISDIR, "create");
    }
    std::string temp = temporaryPattern(path);
    FileDescriptor fd(makeTemporary(temp));
    if (fd.get() < 0)
        throw FileError(path, errno, "create");
    auto fail = [&](int error, const char* action) {
        if (fd.get() >= 0)
            ::close(fd.release());
        ::unlink(temp.c_str());
        markInUse(temp, false);
        throw FileError(path, error, action);
    };
    // Keep the permissions an existing file had; a new one gets the usual 0666 & ~umask.
    mode_t mode = 0;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd.get(), mode) != 0)
        fail(errno, "create");

    std::size_t written = 0;
    constexpr std::size_t kChunk = 1 << 20;
    while (written < bytes.size()) {
        if (const int error = injectedFault(written))
            fail(error, "write");
        const std::size_t n = std::min(kChunk, bytes.size() - written);
        const ssize_t r = ::write(fd.get(), bytes.data() + written, n);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, "write");
        }
        written += static_cast<std::size_t>(r);
    }
    if (const int error = injectedFault(written))
        fail(error, "write");
    if (::fsync(fd.get()) != 0)
        fail(errno, "write");
    if (::close(fd.release()) != 0)
        fail(errno, "write");
    return temp;
}

void renameIntoPlace(const std::string& temp, const std::string& path) {
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        markInUse(temp, false);
        throw FileError(path, error, "create");
    }
    markInUse(temp, false);
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    renameIntoPlace(writeTemporary(path, bytes), path);
}

StagedFiles::StagedFiles(std::string folder) : folder_(std::move(folder)) {}

StagedFiles::~StagedFiles() {
    for (const Staged& s : staged_) {
        ::unlink(s.temp.c_str());
        markInUse(s.temp, false);
    }
}

void StagedFiles::Write(const std::string& name, std::string_view bytes) {
    const std::string target = folder_ + name;
    staged_.push_back({writeTemporary(target, bytes), target});
    names_.push_back(name);
}

std::vector<std::string> StagedFiles::Names() const {
    return names_;
}

bool StagedFiles::CopyIfPresent(const std::string& name, const std::string& from) {
    if (!FileExists(from))
        return false;
    Write(name, ReadWholeFile(from));
    return true;
}

void StagedFiles::Commit() {
    std::size_t done = 0;
    try {
        for (; done < staged_.size(); ++done)
            renameIntoPlace(staged_[done].temp, staged_[done].target);
    } catch (...) {
        // The one that failed is gone already; the rest go with the object.
        staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(done) + 1);
        throw;
    }
    staged_.clear();
}

bool ProcessIsAlive(long pid) {
    if (pid <= 0)
        return false;
    // EPERM: alive, but another user's.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const long owner = temporaryOwner(entry->d_name);
        if (owner > 0 && owner != ::getpid() && !ProcessIsAlive(owner))
            stale.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : stale) {
        struct stat st {};
        const std::string path = folder + name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
}

void RemoveTemporaryFilesInUse() {
    std::lock_guard lock(inUse().mutex);
    inUse().stopped = true;
    for (const std::string& temp : inUse().files)
        ::unlink(temp.c_str());
}

FileDescriptor OpenRegularFile(const std::string& path, std::uint64_t* size) {
    // Not blocking at the open: a pipe without a writer is refused below instead of waiting.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        throw FileError(path, errno, "open");
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw FileError(path, errno, "read");
    if (S_ISDIR(st.st_mode))
        throw FileError(path, EISDIR, "open");
    if (!S_ISREG(st.st_mode))
        throw FileError(path, "open", "It is not a regular file but a device, a pipe or a socket.");
    if (size != nullptr)
        *size = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    return fd;
}

long ReadInto(int fd, void* buffer, std::size_t size) {
    while (true) {
        const ssize_t r = ::read(fd, buffer, size);
        if (r >= 0)
            return static_cast<long>(r);
        if (errno != EINTR)
            return -errno;
    }
}

std::string ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    std::uint64_t fileSize = 0;
    const FileDescriptor fd = OpenRegularFile(path, &fileSize);
    const auto declared = static_cast<std::size_t>(fileSize);
    if (declared > maxBytes)
        throw FileError(path, EFBIG, "read");
    // Read straight into the result; a file that grows meanwhile is read to its end, or to the
    // limit (files of /proc declare no size at all).
    std::string out;
    std::size_t size = 0;
    out.resize(declared > 0 ? declared + 1 : 4096);
    while (true) {
        if (size == out.size()) {
            if (size > maxBytes)
                throw FileError(path, EFBIG, "read");
            out.resize(out.size() * 2);
        }
        const long r = ReadInto(fd.get(), out.data() + size, out.size() - size);
        if (r < 0)
            throw FileError(path, static_cast<int>(-r), "read");
        if (r == 0)
            break;
        size += static_cast<std::size_t>(r);
    }
    if (size > maxBytes)
        throw FileError(path, EFBIG, "read");
    out.resize(size);
    return out;
}

std::string ReadFileStart(const std::string& path, std::size_t maxBytes, std::uint64_t* size) {
    const FileDescriptor fd = OpenRegularFile(path, size);
    std::string out(maxBytes, '\0');
    std::size_t got = 0;
    while (got < out.size()) {
        const long r = ReadInto(fd.get(), out.data() + got, out.size() - got);
        if (r < 0)
            throw FileError(path, static_cast<int>(-r), "read");
        if (r == 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    out.resize(got);
    return out;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CopyFileQuietly(const std::string& from, const std::string& to) {
    try {
        if (!FileExists(from))
            return false;
        WriteFileAtomically(to, ReadWholeFile(from));
        return true;
    } catch (const FileError&) {
        return false;
    }
}

bool CopyFileIfPresent(const std::string& from, const std::string& to) {
    if (!FileExists(from))
        return false;
    WriteFileAtomically(to, ReadWholeFile(from));
    return true;
}

bool DeleteFileQuietly(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool CreateFolderQuietly(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool RemoveEmptyFolderQuietly(const std::string& path) {
    return ::rmdir(path.c_str()) == 0;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (c == '/' || c == '\0' || c == '\\')
            return false;
    }
    return true;
}

}  // namespace lumivex
