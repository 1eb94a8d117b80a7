// Feeds arbitrary bytes to the project file reader. Besides not crashing, it checks what the
// reader promises: tree and list in step on every way out, the open project kept when a file is
// refused, the progress display reset, and that whatever was read saves and reads back unchanged.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "LineReader.h"
#include "ReaderFuzzSupport.h"

using namespace lumivex;
using namespace lumivex::fuzz;

namespace {

const std::string kInput = ScratchPath("in.lvx");
const std::string kSaved = ScratchPath("saved.lvx");
const std::string kAgain = ScratchPath("again.lvx");

struct Cleanup {
    ~Cleanup() {
        for (const auto* path : {&kInput, &kSaved, &kAgain})
            ::unlink(path->c_str());
    }
} cleanup;

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

    WritePlain(kInput, text);
    OpenProject open;
    TzqxAppletAgent& agent = open.agent;
    agent.LoadFromFile(kInput, open.tree);
    open.checkAfterRead();

    agent.SaveToFile(kSaved);
    MemoryItemTree tree2;
    StateProgress progress;
    CountingMessages messages;
    TzqxAppletAgent again(tree2, progress, messages, "/nonexistent/");
    again.LoadFromFile(kSaved, tree2);
    Check(again.AppletData == agent.AppletData, "settings read back");
    Check(again.Items == agent.Items, "items read back");
    CheckInStep(again, tree2);
    again.SaveToFile(kAgain);
    Check(ReadPlain(kAgain) == ReadPlain(kSaved), "saved again byte for byte");
    return 0;
}
