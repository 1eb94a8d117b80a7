// Feeds arbitrary bytes to the menu structure import. Besides not crashing, it checks that tree
// and list stay in step, that a refused file keeps the open project, that the progress display
// is reset, and that an export of what was imported imports back to the same structure.
#include <cstdint>
#include <string>
#include <string_view>

#include "ReaderFuzzSupport.h"

using namespace lumivex;
using namespace lumivex::fuzz;

namespace {

const std::string kInput = ScratchPath("in.gms");
const std::string kExported = ScratchPath("exported.gms");

struct Cleanup {
    ~Cleanup() {
        ::unlink(kInput.c_str());
        ::unlink(kExported.c_str());
    }
} cleanup;

bool SameStructure(const TItemData& a, const TItemData& b) {
    return a.Level == b.Level && a.Title == b.Title && a.LinkUrl == b.LinkUrl &&
           a.LinkTarget == b.LinkTarget && a.Description == b.Description;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WritePlain(kInput, std::string_view(reinterpret_cast<const char*>(data), size));

    OpenProject open;
    open.agent.ImportMenuStructure(kInput, open.tree);
    open.checkAfterRead();

    open.agent.ExportMenuStructure(kExported);
    MemoryItemTree tree2;
    StateProgress progress;
    CountingMessages messages;
    TzqxAppletAgent again(tree2, progress, messages, "/nonexistent/");
    again.ImportMenuStructure(kExported, tree2);
    Check(again.AppletData == DefaultAppletData(), "import resets the settings");
    Check(again.Items.size() == open.agent.Items.size(), "every item comes back");
    for (size_t i = 0; i < open.agent.Items.size(); ++i) {
        Check(SameStructure(again.Items[i], open.agent.Items[i]), "structure comes back");
    }
    CheckInStep(again, tree2);
    return 0;
}
