#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Sha256.h"

// What an upload knows without a server: the manifest it keeps beside the files it sent, the
// order published files go up in, and the plan of what to send and what to remove.
namespace lumivex::upload {

inline constexpr std::string_view kManifestName = ".lumivex-manifest";

// One file an upload put on the server. A pending entry (no hash) is one that was being replaced
// when the manifest was written: the server may hold either copy, so it is never trusted.
struct ManifestEntry {
    std::string name;
    std::string sha256;  // lower-case hex; empty when pending
    std::uint64_t size = 0;
    bool pending() const { return sha256.empty(); }
    friend bool operator==(const ManifestEntry&, const ManifestEntry&) = default;
};

// The manifest's text; entries whose name could not be read back are left out.
std::string FormatManifest(const std::vector<ManifestEntry>& entries);
// Nothing when the text is not a whole manifest of this version: a damaged manifest is not
// trusted in any part, so nothing is removed on its word.
std::optional<std::vector<ManifestEntry>> ParseManifest(std::string_view text);

using lumivex::Sha256Hex;

// The names a publish gave its files, which decide the order they go up in.
struct PublishedNames {
    std::string page;          // base + ".html"
    std::string configScript;  // id + "cfg.js"
    std::string styleSheet;    // id + ".css"
    std::string projectFile;   // base + ".lvx"
    std::string report;        // base + "_PublishReport.txt"
};

// `names` in the order they are renamed into place, so that no file names one that is not there
// yet: images (and anything unknown) first, then the style sheet and runtime, the project file
// and report, the configuration script, and the page last. Names of one kind keep their order.
std::vector<std::string> UploadOrder(std::vector<std::string> names, const PublishedNames& kinds);

// A file of the staged publish.
struct LocalFile {
    std::string name;
    std::string sha256;
    std::uint64_t size = 0;
};

// A regular file in the server's folder.
struct RemoteFile {
    std::string name;
    std::uint64_t size = 0;
};

struct UploadPlan {
    std::vector<std::string> send;       // in upload order
    std::vector<std::string> remove;     // files of an earlier upload the publish no longer has
    std::vector<std::string> leftovers;  // temporary files of an interrupted upload
    std::size_t unchanged = 0;
    // Written before the renames: the files being replaced are pending.
    std::vector<ManifestEntry> pendingManifest;
    // Written at the end, when every file is in place and every removal done.
    std::vector<ManifestEntry> finalManifest;
    bool changesServer() const { return !send.empty() || !remove.empty(); }
};

// A manifest entry is trusted only while the server's file has the size it records. A file is
// sent unless a trusted entry has its hash; only files the manifest lists are ever removed.
UploadPlan PlanUpload(const std::vector<LocalFile>& local,
                      const std::optional<std::vector<ManifestEntry>>& manifest,
                      const std::vector<RemoteFile>& remote);

// The hidden name a file goes up under before it is renamed into place, ".NAME.lumivex-tmp-"
// followed by six letters or digits from `random`.
std::string TemporaryName(std::string_view name, std::string_view random);
bool IsTemporaryName(std::string_view name);

}  // namespace lumivex::upload
