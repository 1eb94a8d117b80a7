#include "FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

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

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    // A folder in the way would otherwise be reported only at the rename, as a confusing error.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        throw FileError(path, EISDIR, "create");
    }
    std::string temp = FolderPart(path) + "." + FileNamePart(path) + ".XXXXXX";
    FileDescriptor fd(::mkstemp(temp.data()));
    if (fd.get() < 0)
        throw FileError(path, errno, "create");
    auto fail = [&](int error, const char* action) {
        ::close(fd.release());
        ::unlink(temp.c_str());
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
    if (::close(fd.release()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throw FileError(path, error, "write");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throw FileError(path, error, "create");
    }
}

std::string ReadWholeFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw FileError(path, errno, "open");
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw FileError(path, errno, "read");
    if (S_ISDIR(st.st_mode))
        throw FileError(path, EISDIR, "open");
    // Read straight into the result; a file that grows meanwhile is read to its end.
    std::string out;
    std::size_t size = 0;
    out.resize(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096);
    while (true) {
        if (size == out.size())
            out.resize(out.size() * 2);
        const ssize_t r = ::read(fd.get(), out.data() + size, out.size() - size);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(path, errno, "read");
        }
        if (r == 0)
            break;
        size += static_cast<std::size_t>(r);
    }
    out.resize(size);
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
