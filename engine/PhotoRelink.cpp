#include "PhotoRelink.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "FileIO.h"
#include "Text.h"

namespace lumivex {

namespace fs = std::filesystem;

namespace {

// The parts of a stored path, with either separator (older projects were written elsewhere).
std::vector<std::string> pathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path) {
        if (c == '/' || c == '\\') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

// How many of the folders just above the file the two paths share.
std::size_t sharedFolders(const std::vector<std::string>& old, const fs::path& candidate) {
    const std::vector<std::string> now = pathParts(candidate.string());
    std::size_t shared = 0;
    while (shared + 1 < old.size() && shared + 1 < now.size() &&
           old[old.size() - 2 - shared] == now[now.size() - 2 - shared])
        ++shared;
    return shared;
}

// Files under `folder` by name: those in the folder itself first, the rest after them.
std::unordered_map<std::string, std::vector<fs::path>> filesByName(const fs::path& folder) {
    std::unordered_map<std::string, std::vector<fs::path>> byName;
    std::error_code error;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                          error);
    std::vector<std::pair<std::string, fs::path>> deeper;
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (!walk->is_regular_file(error) || walk->is_symlink(error))
            continue;
        std::string name = walk->path().filename().string();
        if (walk.depth() == 0)
            byName[name].push_back(walk->path());
        else
            deeper.emplace_back(std::move(name), walk->path());
    }
    // The walk's order is the file system's; a fixed one makes the choice among copies the same.
    std::sort(deeper.begin(), deeper.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    for (auto& [name, path] : deeper)
        byName[name].push_back(std::move(path));
    return byName;
}

}  // namespace

PhotoRelink FindMissingPhotos(const TItemArray& items, const std::string& folder) {
    PhotoRelink relink;
    std::vector<int> missing;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const std::string path = Trim(items[k].OriginalImagePath);
        if (!path.empty() && !FileExists(path))
            missing.push_back(static_cast<int>(k));
    }
    if (missing.empty() || !FolderExists(folder)) {
        relink.notFound = missing;
        return relink;
    }
    fs::path top(folder);
    if (!top.has_filename())
        top = top.parent_path();
    const auto byName = filesByName(top);
    for (const int k : missing) {
        const std::vector<std::string> old =
            pathParts(Trim(items[static_cast<std::size_t>(k)].OriginalImagePath));
        const auto candidates = byName.find(old.empty() ? std::string() : old.back());
        if (candidates == byName.end()) {
            relink.notFound.push_back(k);
            continue;
        }
        const fs::path* best = nullptr;
        std::size_t bestShared = 0;
        bool tie = false;
        for (const fs::path& candidate : candidates->second) {
            // One beside the folder's own files wins outright.
            if (candidate.parent_path() == top && best == nullptr) {
                best = &candidate;
                bestShared = old.size();
                continue;
            }
            const std::size_t shared = sharedFolders(old, candidate);
            if (best == nullptr || shared > bestShared) {
                best = &candidate;
                bestShared = shared;
                tie = false;
            } else if (shared == bestShared) {
                std::error_code error;
                tie = tie || fs::file_size(*best, error) != fs::file_size(candidate, error);
            }
        }
        if (best == nullptr || tie)
            relink.notFound.push_back(k);
        else
            relink.found.push_back({k, best->string()});
    }
    return relink;
}

}  // namespace lumivex
