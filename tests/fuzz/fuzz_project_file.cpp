// Feeds arbitrary bytes to the project file reader. Besides not crashing, it checks what the
// reader promises: tree and list in step on every way out, the open project kept when a file is
// refused, the progress display reset, and that whatever was read saves and reads back unchanged.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "AppletAgent.h"
#include "FileIO.h"
#include "LineReader.h"
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

const std::string kInput = ScratchPath("in.lvx");
const std::string kSaved = ScratchPath("saved.lvx");
const std::string kAgain = ScratchPath("again.lvx");

struct Cleanup {
    ~Cleanup() {
        for (const auto* path : {&kInput, &kSaved, &kAgain})
            ::unlink(path->c_str());
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

void WritePlain(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    Check(f != nullptr, "scratch file opens");
    Check(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(), "scratch file written");
    std::fclose(f);
}

std::string ReadPlain(const std::string& path) {
    std::string out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    Check(f != nullptr, "scratch file reopens");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        out.append(buffer, n);
    std::fclose(f);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // The one-pass split gives what ExtractField gives, field by field.
    LineReader lines(text);
    std::string_view line;
    for (int k = 0; k < 8 && lines.next(line); ++k) {
        std::array<std::string_view, 15> fields;
        SplitFields(line, kFieldSeparator, fields);
        for (int n = 1; n <= 15; ++n) {
            Check(fields[n - 1] ==
                      TzqxAppletAgent::ExtractField(std::string(line), n, kFieldSeparator),
                  "SplitFields equals ExtractField");
        }
    }

    MemoryItemTree tree;
    StateProgress progress;
    CountingMessages messages;
    TzqxAppletAgent agent(tree, progress, messages, "/nonexistent/");
    agent.SetDefaults();
    agent.AppletData.CtrlId = "Previous";
    agent.InsertChildItem(agent.InsertChildItem(tree.root()));
    const TAppletData previousData = agent.AppletData;
    const TItemArray previousItems = agent.Items;

    WritePlain(kInput, text);
    tree.clear();
    agent.LoadFromFile(kInput, tree);
    CheckInStep(agent, tree);
    Check(!progress.busy && progress.hint.empty() && progress.position == 0, "progress reset");
    Check(messages.count <= 1, "at most one refusal");
    if (messages.count == 1) {
        Check(agent.AppletData == previousData && agent.Items == previousItems, "refusal keeps");
    }

    agent.SaveToFile(kSaved);
    MemoryItemTree tree2;
    TzqxAppletAgent again(tree2, progress, messages, "/nonexistent/");
    again.LoadFromFile(kSaved, tree2);
    Check(again.AppletData == agent.AppletData, "settings read back");
    Check(again.Items == agent.Items, "items read back");
    CheckInStep(again, tree2);
    again.SaveToFile(kAgain);
    Check(ReadPlain(kAgain) == ReadPlain(kSaved), "saved again byte for byte");
    return 0;
}
