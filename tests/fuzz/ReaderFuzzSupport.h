#pragma once

// What the reader fuzzers share: a hard check, scratch files, progress and message recorders
// that keep only the state, and the in-step check of tree and list.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "AppletAgent.h"
#include "FileIO.h"
#include "Text.h"

namespace lumivex::fuzz {

inline void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// A file of this process in memory-backed storage where there is some.
inline std::string ScratchPath(const char* name) {
    const std::string folder = FolderExists("/dev/shm") ? "/dev/shm/" : "/tmp/";
    return folder + "lumivex-fuzz-" + std::to_string(::getpid()) + "-" + name;
}

inline void WritePlain(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    Check(f != nullptr, "scratch file opens");
    Check(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(), "scratch file written");
    std::fclose(f);
}

class StateProgress final : public Progress {
public:
    void setMaximum(int) override {}
    void step(int amount) override { position += amount; }
    void setPosition(int p) override { position = p; }
    void setHint(const std::string& text) override { hint = text; }
    void setBusy(bool on) override { busy = on; }
    bool isReset() const { return !busy && hint.empty() && position == 0; }
    int position = 0;
    std::string hint;
    bool busy = false;
};

class CountingMessages final : public MessageSink {
public:
    void showError(const std::string&) override { ++count; }
    int count = 0;
};

inline void CheckInStep(const TzqxAppletAgent& agent, const ItemTree& tree) {
    const auto nodes = tree.itemNodes();
    Check(nodes.size() == agent.Items.size(), "one node per item");
    for (size_t i = 0; i < nodes.size(); ++i) {
        Check(tree.caption(nodes[i]) == agent.Items[i].Title, "caption is the title");
        Check(IntToStr(tree.depth(nodes[i]) - 1) == agent.Items[i].Level, "level matches depth");
    }
}

// An engine holding a small open project, to see what a read keeps of it.
struct OpenProject {
    OpenProject() : agent(tree, progress, messages, "/nonexistent/") {
        agent.SetDefaults();
        agent.AppletData.CtrlId = "Previous";
        agent.InsertChildItem(agent.InsertChildItem(tree.root()));
        previousData = agent.AppletData;
        previousItems = agent.Items;
        tree.clear();  // as the open commands hand the tree over
    }
    // After a read: in step, progress reset, and a refused file changed nothing.
    void checkAfterRead() const {
        CheckInStep(agent, tree);
        Check(progress.isReset(), "progress reset");
        Check(messages.count <= 1, "at most one refusal");
        if (messages.count == 1) {
            Check(agent.AppletData == previousData && agent.Items == previousItems,
                  "refusal keeps");
        }
    }

    MemoryItemTree tree;
    StateProgress progress;
    CountingMessages messages;
    TzqxAppletAgent agent;
    TAppletData previousData;
    TItemArray previousItems;
};

}  // namespace lumivex::fuzz
