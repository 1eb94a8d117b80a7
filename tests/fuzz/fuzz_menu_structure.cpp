// Feeds arbitrary bytes to the menu structure import. Besides not crashing, it checks that tree
// and list stay in step, that a refused file keeps the open project, that the progress display
// is reset, and that an export of what was imported imports back to the same structure.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "AppletAgent.h"
#include "FileIO.h"
#include "Text.h"

using namespace lumivex;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

std::string ScratchPath(const char* name) {
    const std::string folder = FolderExists("/dev/shm") ? "/dev/shm/" : "/tmp/";
    return folder + "lumivex-fuzz-" + std::to_string(::getpid()) + "-" + name;
}

const std::string kInput = ScratchPath("in.gms");
const std::string kExported = ScratchPath("exported.gms");

struct Cleanup {
    ~Cleanup() {
        ::unlink(kInput.c_str());
        ::unlink(kExported.c_str());
    }
} cleanup;

class StateProgress final : public Progress {
public:
    void setMaximum(int) override {}
    void step(int amount) override { position += amount; }
    void setPosition(int p) override { position = p; }
    void setHint(const std::string& text) override { hint = text; }
    void setBusy(bool on) override { busy = on; }
    int position = 0;
    std::string hint;
    bool busy = false;
};

class CountingMessages final : public MessageSink {
public:
    void showError(const std::string&) override { ++count; }
    int count = 0;
};

void CheckInStep(const TzqxAppletAgent& agent, const ItemTree& tree) {
    const auto nodes = tree.itemNodes();
    Check(nodes.size() == agent.Items.size(), "one node per item");
    for (size_t i = 0; i < nodes.size(); ++i) {
        Check(tree.caption(nodes[i]) == agent.Items[i].Title, "caption is the title");
        Check(IntToStr(tree.depth(nodes[i]) - 1) == agent.Items[i].Level, "level matches depth");
    }
}

bool SameStructure(const TItemData& a, const TItemData& b) {
    return a.Level == b.Level && a.Title == b.Title && a.LinkUrl == b.LinkUrl &&
           a.LinkTarget == b.LinkTarget && a.Description == b.Description;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(kInput.c_str(), "wb");
    Check(f != nullptr, "scratch file opens");
    Check(std::fwrite(data, 1, size, f) == size, "scratch file written");
    std::fclose(f);

    MemoryItemTree tree;
    StateProgress progress;
    CountingMessages messages;
    TzqxAppletAgent agent(tree, progress, messages, "/nonexistent/");
    agent.SetDefaults();
    agent.AppletData.CtrlId = "Previous";
    agent.InsertChildItem(agent.InsertChildItem(tree.root()));
    const TAppletData previousData = agent.AppletData;
    const TItemArray previousItems = agent.Items;

    tree.clear();
    agent.ImportMenuStructure(kInput, tree);
    CheckInStep(agent, tree);
    Check(!progress.busy && progress.hint.empty() && progress.position == 0, "progress reset");
    Check(messages.count <= 1, "at most one refusal");
    if (messages.count == 1) {
        Check(agent.AppletData == previousData && agent.Items == previousItems, "refusal keeps");
    }

    agent.ExportMenuStructure(kExported);
    MemoryItemTree tree2;
    TzqxAppletAgent again(tree2, progress, messages, "/nonexistent/");
    again.ImportMenuStructure(kExported, tree2);
    Check(again.AppletData == DefaultAppletData(), "import resets the settings");
    Check(again.Items.size() == agent.Items.size(), "every item comes back");
    for (size_t i = 0; i < agent.Items.size(); ++i) {
        Check(SameStructure(again.Items[i], agent.Items[i]), "structure comes back");
    }
    CheckInStep(again, tree2);
    return 0;
}
