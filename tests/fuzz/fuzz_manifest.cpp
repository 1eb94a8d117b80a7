// Feeds arbitrary bytes to the upload as the server's manifest, with the server's folder holding
// what it names. Besides not crashing, it checks that a manifest read back formats to itself, and
// that the plan never removes a file the manifest does not list (a foreign one), the publish's own
// files, the manifest or anything outside the folder.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "Manifest.h"
#include "ReaderFuzzSupport.h"

using namespace lumivex::upload;
using lumivex::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto manifest = ParseManifest(text);
    if (manifest) {
        const auto again = ParseManifest(FormatManifest(*manifest));
        Check(again && *again == *manifest, "a manifest read back formats to itself");
    }

    const std::vector<LocalFile> local = {{"slider0.jpg", std::string(64, 'a'), 10},
                                          {"Sample.html", std::string(64, 'b'), 20}};
    std::vector<RemoteFile> remote = {{"foreign.txt", 1}, {std::string(kManifestName), size}};
    if (manifest)
        for (const auto& entry : *manifest)
            remote.push_back({entry.name, entry.size});
    const UploadPlan plan = PlanUpload(local, manifest, remote);

    const auto listed = [&](const std::string& name) {
        return manifest && std::any_of(manifest->begin(), manifest->end(),
                                       [&](const ManifestEntry& e) { return e.name == name; });
    };
    for (const std::string& name : plan.remove) {
        Check(listed(name), "only listed files are removed");
        Check(name != kManifestName, "the manifest stays");
        Check(name != "slider0.jpg" && name != "Sample.html", "the publish's files stay");
        Check(name.find('/') == std::string::npos && name != "." && name != "..",
              "nothing outside the folder is removed");
    }
    for (const std::string& name : plan.send)
        Check(name == "slider0.jpg" || name == "Sample.html", "only the publish's files are sent");
    return 0;
}
