// Saves and loads large projects and times them against the I/O floor of the same file: in this
// process, writing the same bytes with flush and rename (what a save must at least do) and
// reading them back; as outside peers, `cp` plus `sync` and `cat` of the file (these include
// starting the programs). Usage:
//   bench_project_file items [count]   a project of `count` items (10000)
//   bench_project_file scaling         10000 and 100000 items: the time per item should not grow
//   bench_project_file longline        one item whose description is 10 MB
//   bench_project_file idle            nothing, for the baseline of the peak memory
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "AppletAgent.h"
#include "FileIO.h"

using namespace lumivex;

namespace {

constexpr int kRounds = 5;

// The best of a few rounds: the machine is shared, and the best round is the least disturbed.
double BestMs(const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    return *std::min_element(times.begin(), times.end());
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

struct Timing {
    double save, load, write, read, copy, cat;
    std::uintmax_t bytes;
};

// Items as a user makes them: short texts, a path to a picture, two levels.
void FillItems(TzqxAppletAgent& agent, int count) {
    agent.SetDefaults();
    for (int i = 0; i < count; ++i) {
        TItemData item = TzqxAppletAgent::NewItemDefaults();
        const std::string n = std::to_string(i);
        item.Title = "Slide " + n;
        item.LinkUrl = "http://www.example.com/gallery/page" + n + ".html";
        item.ToolTip = "Open page " + n;
        item.Description = "A photograph from the summer collection, number " + n;
        item.Level = i % 4 == 0 ? "0" : "1";
        item.ParentIndex = "-1";
        item.SlideImageFile = "slider" + n + ".jpg";
        item.OriginalImagePath = "/home/designer/Pictures/summer/IMG_" + n + ".JPG";
        agent.Items.push_back(item);
    }
}

Timing Measure(TzqxAppletAgent& source, const std::string& folder) {
    const std::string path = folder + "project.lvx";
    const std::string copy = folder + "copy.lvx";
    Timing t{};
    t.save = BestMs([&] { source.SaveToFile(path); });
    t.bytes = std::filesystem::file_size(path);

    MemoryItemTree tree;
    NullProgress progress;
    NullMessageSink messages;
    TzqxAppletAgent target(tree, progress, messages, folder);
    t.load = BestMs([&] {
        tree.clear();
        target.LoadFromFile(path, tree);
    });
    if (target.Items != source.Items || target.AppletData != source.AppletData) {
        std::fprintf(stderr, "the project did not read back\n");
        std::exit(1);
    }
    const std::string bytes = ReadWholeFile(path);
    t.write = BestMs([&] { WriteFileAtomically(copy, bytes); });
    t.read = BestMs([&] {
        if (ReadWholeFile(path).size() != bytes.size())
            std::exit(1);
    });
    t.copy = BestMs([&] { Shell("cp '" + path + "' '" + copy + "' && sync '" + copy + "'"); });
    t.cat = BestMs([&] { Shell("cat '" + path + "' > /dev/null"); });
    return t;
}

void Report(const char* what, const Timing& t) {
    std::printf("%s: file %.2f MB\n", what, static_cast<double>(t.bytes) / 1e6);
    std::printf(
        "  save %8.2f ms | write+flush %8.2f ms, ratio %5.2f | cp+sync %8.2f ms, ratio %5.2f\n",
        t.save, t.write, t.save / t.write, t.copy, t.save / t.copy);
    std::printf(
        "  load %8.2f ms | read        %8.2f ms, ratio %5.2f | cat     %8.2f ms, ratio %5.2f\n",
        t.load, t.read, t.load / t.read, t.cat, t.load / t.cat);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "items";
    if (mode == "idle")
        return 0;

    std::string folder = (std::filesystem::temp_directory_path() / "lumivex-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        return 1;
    folder += "/";

    MemoryItemTree tree;
    NullProgress progress;
    NullMessageSink messages;
    TzqxAppletAgent agent(tree, progress, messages, folder);

    if (mode == "items") {
        const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
        FillItems(agent, count);
        Report((std::to_string(count) + " items").c_str(), Measure(agent, folder));
    } else if (mode == "scaling") {
        FillItems(agent, 10000);
        const Timing base = Measure(agent, folder);
        FillItems(agent, 100000);
        const Timing large = Measure(agent, folder);
        Report("100000 items", large);
        std::printf(
            "  time per item, 100000 against 10000 items: save %.2f  load %.2f"
            "  (1.00 = linear, 10 = quadratic)\n",
            large.save / base.save / 10, large.load / base.load / 10);
    } else if (mode == "longline") {
        FillItems(agent, 3);
        agent.Items[1].Description = std::string(10 << 20, 'x');
        Report("one 10 MB item line", Measure(agent, folder));
    } else {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    std::filesystem::remove_all(folder);
    return 0;
}
