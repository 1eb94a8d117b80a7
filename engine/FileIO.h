#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivex {

// Closes a POSIX file descriptor when it goes out of scope; -1 owns nothing.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        FileDescriptor gone(fd_);
        fd_ = other.release();
        return *this;
    }
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

// Files written into one folder under temporary names and renamed into place only when all of
// them were written, in the order they were added: a failure leaves the folder as it was, and a
// file named by another (a slide by the script, the script by the page) is always in place
// before it. Temporaries not committed are removed when the object goes.
class StagedFiles {
public:
    explicit StagedFiles(std::string folder);  // with a trailing "/"
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    void Write(const std::string& name, std::string_view bytes);
    // Stages a copy of `from`; false, staging nothing, when there is no such file. A source that
    // cannot be read raises like a failed write.
    bool CopyIfPresent(const std::string& name, const std::string& from);
    // Renames every staged file into place; raises FileError naming the file that failed.
    void Commit();
    // The names staged, in order.
    std::vector<std::string> Names() const;

private:
    struct Staged {
        std::string temp;
        std::string target;
    };
    std::string folder_;
    std::vector<Staged> staged_;
    std::vector<std::string> names_;
};

// Temporary files of this program carry their owner's process id, so that one left by a killed
// process can be told from one still being written. Removes those of `folder` whose owner is
// gone; reports nothing.
void RemoveStaleTemporaryFiles(const std::string& folder);
// Removes the temporary files this process is writing now, and makes every later attempt to
// write one fail: for a process that a signal ends.
void RemoveTemporaryFilesInUse();

// Whether `pid` names a running process (of any user).
bool ProcessIsAlive(long pid);

inline constexpr std::size_t kNoSizeLimit = static_cast<std::size_t>(-1);

// Opens a regular file for reading, without blocking on a pipe or a device; raises FileError
// when it cannot be opened or is no regular file. `size`, when given, receives its size.
FileDescriptor OpenRegularFile(const std::string& path, std::uint64_t* size = nullptr);
// read(2) retried when interrupted: the bytes read, 0 at the end, or minus the errno.
long ReadInto(int fd, void* buffer, std::size_t size);

// Reads a whole regular file; raises FileError when it cannot be opened or read, when it is no
// regular file (a folder, a device, a pipe: never read, so that nothing blocks or runs until
// memory is gone), or when it holds more than `maxBytes` (EFBIG).
std::string ReadWholeFile(const std::string& path, std::size_t maxBytes = kNoSizeLimit);

// The first `maxBytes` of a regular file (all of a shorter one), errors as ReadWholeFile's;
// `size`, when given, receives the file's whole size.
std::string ReadFileStart(const std::string& path, std::size_t maxBytes,
                          std::uint64_t* size = nullptr);

// Test seam: when set, called before each chunk is written with the number of bytes written so
// far; returning a non-zero errno makes that write fail with it (ENOSPC for a full disk, say).
using WriteFaultHook = std::function<int(std::size_t writtenSoFar)>;
void SetWriteFaultHook(WriteFaultHook hook);

bool FileExists(const std::string& path);  // a regular file (or a link to one)
bool FolderExists(const std::string& path);
// These report nothing: copies and deletions for the preview never fail loudly.
bool CopyFileQuietly(const std::string& from, const std::string& to);
// A copy whose failure matters: false when there is no file at `from`; raises FileError when it
// cannot be read or `to` cannot be written.
bool CopyFileIfPresent(const std::string& from, const std::string& to);
bool DeleteFileQuietly(const std::string& path);
bool CreateFolderQuietly(const std::string& path);  // one level
bool RemoveEmptyFolderQuietly(const std::string& path);

// A bare file name that stays inside the folder it is joined to: not empty, no "/", not "." or
// "..", no NUL. Names read from project files pass this before they are copied or deleted.
bool IsPlainFileName(std::string_view name);

}  // namespace lumivex
