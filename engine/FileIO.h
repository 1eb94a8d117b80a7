#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace lumivex {

// Closes a POSIX file descriptor when it goes out of scope; -1 owns nothing.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames it over
// `path`, so a failed or interrupted write never leaves a truncated file behind. Raises
// FileError (with the system's description) and leaves any previous file untouched.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file; raises FileError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

// Test seam: when set, called before each chunk is written with the number of bytes written so
// far; returning a non-zero errno makes that write fail with it (ENOSPC for a full disk, say).
using WriteFaultHook = std::function<int(std::size_t writtenSoFar)>;
void SetWriteFaultHook(WriteFaultHook hook);

bool FileExists(const std::string& path);  // a regular file (or a link to one)
bool FolderExists(const std::string& path);
// These report nothing: copies and deletions during preview and publishing never fail loudly.
bool CopyFileQuietly(const std::string& from, const std::string& to);
bool DeleteFileQuietly(const std::string& path);
bool CreateFolderQuietly(const std::string& path);  // one level
bool RemoveEmptyFolderQuietly(const std::string& path);

// A bare file name that stays inside the folder it is joined to: not empty, no "/", not "." or
// "..", no NUL. Names read from project files pass this before they are copied or deleted.
bool IsPlainFileName(std::string_view name);

}  // namespace lumivex
