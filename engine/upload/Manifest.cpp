#include "Manifest.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <stdexcept>

#include "FileIO.h"
#include "RuntimeContract.h"

namespace lumivex::upload {

namespace {

constexpr std::string_view kHeader = "# lumivex upload manifest 1";
constexpr std::string_view kTemporaryMark = ".lumivex-tmp-";
constexpr std::size_t kRandomLength = 6;

// A name the manifest may hold: one that stays in the folder, fits on a line, and is not hidden:
// the upload's own bookkeeping (the manifest, the lock, temporary files) is, and nothing hidden
// is ever sent, so a manifest never has an upload remove one.
bool IsListableName(std::string_view name) {
    return IsPlainFileName(name) && name.find_first_of("\r\n") == std::string_view::npos &&
           !name.starts_with('.');
}

bool IsHexDigest(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool IsAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string FormatManifest(const std::vector<ManifestEntry>& entries) {
    std::string text(kHeader);
    text += '\n';
    for (const ManifestEntry& e : entries) {
        if (!IsListableName(e.name))
            continue;
        if (e.pending())
            text += "- - ";
        else
            text += e.sha256 + ' ' + std::to_string(e.size) + ' ';
        text += e.name;
        text += '\n';
    }
    return text;
}

std::optional<std::vector<ManifestEntry>> ParseManifest(std::string_view text) {
    if (!text.starts_with(kHeader) || text.size() == kHeader.size() ||
        text[kHeader.size()] != '\n' || !text.ends_with('\n'))
        return std::nullopt;
    text.remove_prefix(kHeader.size() + 1);
    std::vector<ManifestEntry> entries;
    std::set<std::string, std::less<>> seen;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t first = line.find(' ');
        const std::size_t second =
            first == std::string_view::npos ? first : line.find(' ', first + 1);
        if (second == std::string_view::npos)
            return std::nullopt;
        const std::string_view hash = line.substr(0, first);
        const std::string_view size = line.substr(first + 1, second - first - 1);
        ManifestEntry entry;
        entry.name = std::string(line.substr(second + 1));
        if (!IsListableName(entry.name) || !seen.insert(entry.name).second)
            return std::nullopt;
        if (hash == "-" && size == "-") {
            entries.push_back(std::move(entry));
            continue;
        }
        const auto [at, error] =
            std::from_chars(size.data(), size.data() + size.size(), entry.size);
        if (!IsHexDigest(hash) || error != std::errc() || at != size.data() + size.size())
            return std::nullopt;
        entry.sha256 = std::string(hash);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> UploadOrder(std::vector<std::string> names, const PublishedNames& kinds) {
    const auto rank = [&](const std::string& name) {
        if (name == kinds.page)
            return 4;
        if (name == kinds.configScript)
            return 3;
        if (name == kinds.projectFile || name == kinds.report)
            return 2;
        if (name == kinds.styleSheet || name == runtime::kRuntimeFileName ||
            name == "lumivex.min.js")
            return 1;
        return 0;
    };
    std::stable_sort(names.begin(), names.end(),
                     [&](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
    return names;
}

UploadPlan PlanUpload(const std::vector<LocalFile>& local,
                      const std::optional<std::vector<ManifestEntry>>& manifest,
                      const std::vector<RemoteFile>& remote) {
    std::map<std::string, std::uint64_t, std::less<>> onServer;
    UploadPlan plan;
    for (const RemoteFile& f : remote) {
        onServer.emplace(f.name, f.size);
        if (IsTemporaryName(f.name))
            plan.leftovers.push_back(f.name);
    }
    std::map<std::string, const ManifestEntry*, std::less<>> listed;
    if (manifest) {
        for (const ManifestEntry& e : *manifest)
            listed.emplace(e.name, &e);
    }
    std::set<std::string, std::less<>> published;
    for (const LocalFile& f : local) {
        published.insert(f.name);
        const auto entry = listed.find(f.name);
        const auto there = onServer.find(f.name);
        const bool trusted = entry != listed.end() && !entry->second->pending() &&
                             there != onServer.end() && there->second == entry->second->size;
        const ManifestEntry now{f.name, f.sha256, f.size};
        plan.finalManifest.push_back(now);
        if (trusted && entry->second->sha256 == f.sha256 && entry->second->size == f.size) {
            ++plan.unchanged;
            plan.pendingManifest.push_back(now);
        } else {
            plan.send.push_back(f.name);
            plan.pendingManifest.push_back({f.name, {}, 0});
        }
    }
    if (manifest) {
        for (const ManifestEntry& e : *manifest) {
            if (published.contains(e.name) || !onServer.contains(e.name))
                continue;
            plan.remove.push_back(e.name);
            plan.pendingManifest.push_back(e);
        }
    }
    return plan;
}

std::string TemporaryName(std::string_view name, std::string_view random) {
    return "." + std::string(name) + std::string(kTemporaryMark) +
           std::string(random.substr(0, kRandomLength));
}

bool IsTemporaryName(std::string_view name) {
    const std::size_t tail = kTemporaryMark.size() + kRandomLength;
    if (name.size() <= tail + 1 || name[0] != '.')
        return false;
    const std::string_view mark = name.substr(name.size() - tail, kTemporaryMark.size());
    const std::string_view random = name.substr(name.size() - kRandomLength);
    return mark == kTemporaryMark && std::all_of(random.begin(), random.end(), IsAlphanumeric);
}

}  // namespace lumivex::upload
