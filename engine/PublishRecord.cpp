#include "PublishRecord.h"

#include <openssl/evp.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unordered_set>

#include "EngineErrors.h"
#include "FileIO.h"
#include "LineReader.h"
#include "Text.h"

namespace lumivex {

namespace {

constexpr std::string_view kHeader = "Lumivex publish record 1";
// Larger files are not the slideshow's own; they are never hashed, recorded or removed.
constexpr std::size_t kMaxRecordedFileBytes = 512u << 20;

std::string canonicalFolder(const std::string& folder) {
    std::error_code ec;
    const std::filesystem::path p =
        std::filesystem::canonical(folder.empty() ? std::string(".") : folder, ec);
    return ec ? std::string() : p.string() + "/";
}

// The hash of a regular file (never a link, a folder or a pipe); empty when there is none.
std::string hashOfFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    try {
        return Sha256Hex(ReadWholeFile(path, kMaxRecordedFileBytes));
    } catch (const EngineError&) {
        return {};
    }
}

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

std::string DefaultPublishRecordsFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return std::string(state) + "/lumivex/publish-records/";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.local/state/lumivex/publish-records/";
    return {};
}

PublishRecord::PublishRecord(std::string recordsFolder, const std::string& folder, std::string base)
    : folder_(folder), base_(std::move(base)) {
    const std::string canonical = canonicalFolder(folder);
    if (recordsFolder.empty() || canonical.empty())
        return;
    folder_ = canonical;
    path_ = recordsFolder + Sha256Hex(folder_ + '\n' + base_).substr(0, 32) + ".record";
}

std::vector<PublishRecord::Entry> PublishRecord::Read() const {
    std::vector<Entry> entries;
    if (path_.empty() || !FileExists(path_))
        return entries;
    std::string text;
    try {
        text = ReadWholeFile(path_, 16u << 20);
    } catch (const EngineError&) {
        return entries;
    }
    LineReader in(text);
    std::string_view line;
    // A record of another folder or project (a hash collision, a hand-made file) is none.
    if (!in.next(line) || line != kHeader || !in.next(line) || line != folder_ || !in.next(line) ||
        line != base_)
        return entries;
    while (in.next(line)) {
        const std::size_t blank = line.find(' ');
        if (blank != 64 || !IsPlainFileName(line.substr(blank + 1)))
            continue;
        entries.push_back({std::string(line.substr(blank + 1)), std::string(line.substr(0, 64))});
    }
    return entries;
}

void PublishRecord::Replace(const std::vector<std::string>& written) const {
    if (path_.empty())
        return;
    const std::unordered_set<std::string> now(written.begin(), written.end());
    for (const Entry& e : Read()) {
        if (now.count(e.name) == 0 && hashOfFile(folder_ + e.name) == e.sha256)
            DeleteFileQuietly(folder_ + e.name);
    }
    std::string text;
    text.append(kHeader).append("\n").append(folder_).append("\n").append(base_).append("\n");
    std::unordered_set<std::string> listed;
    for (const std::string& name : written) {
        if (!IsPlainFileName(name) || name.find_first_of("\r\n") != std::string::npos ||
            !listed.insert(name).second)
            continue;
        if (const std::string hash = hashOfFile(folder_ + name); !hash.empty())
            text.append(hash).append(" ").append(name).append("\n");
    }
    try {
        std::error_code ec;
        std::filesystem::create_directories(FolderPart(path_), ec);
        WriteFileAtomically(path_, text);
    } catch (const EngineError&) {
        // Without a record the next publish removes nothing, which loses nothing.
    }
}

}  // namespace lumivex
