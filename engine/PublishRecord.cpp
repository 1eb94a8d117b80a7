#include "PublishRecord.h"

#include <sys/stat.h>
#include "Sha256.h"

#include <cstdlib>
#include <filesystem>
#include <map>
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

bool storable(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

using Groups = std::map<std::string, std::vector<PublishRecord::Entry>>;

// Every project's entries in the record of one folder: "P base", then "F sha256 name" lines.
Groups readGroups(const std::string& path, const std::string& folder) {
    Groups groups;
    if (path.empty() || !FileExists(path))
        return groups;
    std::string text;
    try {
        text = ReadWholeFile(path, 64u << 20);
    } catch (const EngineError&) {
        return groups;
    }
    LineReader in(text);
    std::string_view line;
    // A record of another folder (a hand-made file) is none.
    if (!in.next(line) || line != kHeader || !in.next(line) || line != folder)
        return groups;
    std::vector<PublishRecord::Entry>* group = nullptr;
    while (in.next(line)) {
        if (line.starts_with("P ")) {
            group = &groups[std::string(line.substr(2))];
        } else if (group != nullptr && line.starts_with("F ") && line.size() > 67 &&
                   line[66] == ' ' && IsPlainFileName(line.substr(67))) {
            group->push_back({std::string(line.substr(67)), std::string(line.substr(2, 64))});
        }
    }
    return groups;
}

}  // namespace

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
    if (recordsFolder.empty() || canonical.empty() || !storable(canonical) || !storable(base_))
        return;
    folder_ = canonical;
    path_ = recordsFolder + Sha256Hex(folder_).substr(0, 32) + ".record";
}

std::vector<PublishRecord::Entry> PublishRecord::Read() const {
    Groups groups = readGroups(path_, folder_);
    const auto it = groups.find(base_);
    return it == groups.end() ? std::vector<Entry>() : std::move(it->second);
}

void PublishRecord::Replace(const std::vector<std::string>& written) const {
    if (path_.empty())
        return;
    Groups groups = readGroups(path_, folder_);
    std::unordered_set<std::string> kept(written.begin(), written.end());
    for (const auto& [base, entries] : groups) {
        if (base == base_)
            continue;
        for (const Entry& e : entries)
            kept.insert(e.name);  // another project in this folder still has it
    }
    for (const Entry& e : groups[base_]) {
        if (kept.count(e.name) == 0 && hashOfFile(folder_ + e.name) == e.sha256)
            DeleteFileQuietly(folder_ + e.name);
    }
    std::vector<Entry>& mine = groups[base_];
    mine.clear();
    std::unordered_set<std::string> listed;
    for (const std::string& name : written) {
        if (!IsPlainFileName(name) || !storable(name) || !listed.insert(name).second)
            continue;
        if (std::string hash = hashOfFile(folder_ + name); !hash.empty())
            mine.push_back({name, std::move(hash)});
    }
    std::string text;
    text.append(kHeader).append("\n").append(folder_).append("\n");
    for (const auto& [base, entries] : groups) {
        text.append("P ").append(base).append("\n");
        for (const Entry& e : entries)
            text.append("F ").append(e.sha256).append(" ").append(e.name).append("\n");
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
