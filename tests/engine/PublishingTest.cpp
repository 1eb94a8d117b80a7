#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "AgentFixture.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "SmallFileSystem.h"

namespace lumivex {
namespace {

using testing::AgentHarness;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::set<std::string> FilesIn(const std::filesystem::path& folder) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

// A project with two slides whose images are already in the preview folder (as after an Open)
// and a loading image, with the runtime in the program folder.
struct Project : AgentHarness {
    Project() {
        WriteFile(programFolder.file("lumivex.js"), "/* runtime */");
        for (int i = 0; i < 2; ++i) {
            agent.InsertChildItem(tree.root());
            agent.Items[static_cast<size_t>(i)].SlideImageFile =
                "slider" + std::to_string(i) + ".jpg";
        }
        agent.AppletData.SlideShowLoadingBgImage = "wait.gif";
        for (const char* name : {"slider0.jpg", "slider1.jpg", "wait.gif"}) {
            const std::string source = programFolder.file(std::string("src-") + name);
            WriteFile(source, name);
            agent.CopyToPreview(source);
            std::filesystem::rename(agent.PreviewFolder() + "src-" + name,
                                    agent.PreviewFolder() + name);
        }
    }
    TempFolder site;
};

TEST(PublishBaseName, RemovesEveryOccurrenceOfTheExtension) {
    EXPECT_EQ(TzqxAppletAgent::PublishBaseName("Show.lvx"), "Show");
    EXPECT_EQ(TzqxAppletAgent::PublishBaseName("Show"), "Show");
    EXPECT_EQ(TzqxAppletAgent::PublishBaseName("old.lvx.new.lvx"), "old.new");
    EXPECT_EQ(TzqxAppletAgent::PublishBaseName("Show.LVX"), "Show");
    EXPECT_EQ(TzqxAppletAgent::PublishBaseName("a.Lvx.b.lVx"), "a.b");
    EXPECT_EQ(TzqxAppletAgent::PublishBaseName("my.show.txt"), "my.show");
}

TEST(SaveAndPublish, LeavesTheWholeSiteInTheFolder) {
    Project h;
    EXPECT_TRUE(h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree));
    const std::set<std::string> expected = {
        "Show.html",   "Show.lvx",       "Show_PublishReport.txt",
        "lumivex.js",  "Lumivex1cfg.js", "Lumivex1.css",
        "slider0.jpg", "slider1.jpg",    "wait.gif"};
    EXPECT_EQ(FilesIn(h.site.path()), expected);
    EXPECT_EQ(ReadFile(h.site.file("slider1.jpg")), "slider1.jpg");
    // The generated files leave the program folder; the runtime stays.
    EXPECT_FALSE(FileExists(h.programFolder.file("Lumivex1.css")));
    EXPECT_FALSE(FileExists(h.programFolder.file("Lumivex1cfg.js")));
    EXPECT_TRUE(FileExists(h.programFolder.file("lumivex.js")));
    // The saved project carries the refreshed levels and parents.
    EXPECT_NE(ReadFile(h.site.file("Show.lvx")).find("#$@0#$@#$@#$@-1#$@slider0.jpg#$@"),
              std::string::npos);
    // Progress ends reset.
    EXPECT_EQ(h.progress.hint, "");
    EXPECT_FALSE(h.progress.busy);
    EXPECT_EQ(h.progress.position, 0);
}

TEST(SaveAndPublish, NamesWithoutOrWithRepeatedExtensions) {
    Project h;
    h.agent.SaveAndPublish(h.site.slash(), "Show", h.tree);
    EXPECT_TRUE(FileExists(h.site.file("Show.lvx")));
    EXPECT_TRUE(FileExists(h.site.file("Show.html")));
    EXPECT_TRUE(FileExists(h.site.file("Show_PublishReport.txt")));
    h.agent.SaveAndPublish(h.site.slash(), "old.lvx.new.lvx", h.tree);
    EXPECT_TRUE(FileExists(h.site.file("old.new.lvx")));
    EXPECT_TRUE(FileExists(h.site.file("old.new.html")));
    EXPECT_TRUE(FileExists(h.site.file("old.new_PublishReport.txt")));
}

TEST(SaveAndPublish, SavingTwiceReplacesEveryFile) {
    Project h;
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    const std::string firstPage = ReadFile(h.site.file("Show.html"));
    h.agent.Items[0].Title = "Renamed";
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    EXPECT_EQ(ReadFile(h.site.file("Show.html")), firstPage);
    EXPECT_NE(ReadFile(h.site.file("Lumivex1cfg.js")).find("'Renamed'"), std::string::npos);
    EXPECT_NE(ReadFile(h.site.file("Show.lvx")).find("Renamed#$@"), std::string::npos);
}

TEST(SaveAndPublish, SavingIntoTheProgramFolderKeepsThePublishedScripts) {
    Project h;
    h.agent.SaveAndPublish(h.programFolder.slash(), "Show.lvx", h.tree);
    EXPECT_TRUE(FileExists(h.programFolder.file("Lumivex1.css")));
    EXPECT_TRUE(FileExists(h.programFolder.file("Lumivex1cfg.js")));
}

TEST(SaveAndPublish, MissingRuntimeAndResourcesAreLeftOutSilently) {
    Project h;
    std::filesystem::remove(h.programFolder.file("lumivex.js"));
    std::filesystem::remove(h.agent.PreviewFolder() + "wait.gif");
    h.agent.AppletData.SlideShowLoadingBgImage = "../../outside.gif";
    EXPECT_TRUE(h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree));
    EXPECT_FALSE(FileExists(h.site.file("lumivex.js")));
    EXPECT_FALSE(FileExists(h.site.file("wait.gif")));
    EXPECT_NE(ReadFile(h.site.file("Show_PublishReport.txt")).find("  lumivex.js\r\n"),
              std::string::npos);
}

struct FaultHookGuard {
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

std::map<std::string, std::string> Contents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out[e.path().filename().string()] = ReadFile(e.path().string());
    return out;
}

struct FailedBuild {
    const char* name;
    std::function<void(Project&)> spoil;
    std::vector<std::string> named;  // what the error must name
};

class AFailedBuild : public ::testing::TestWithParam<FailedBuild> {};

TEST_P(AFailedBuild, SavesTheProjectAndLeavesTheLastPublish) {
    Project h;
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    auto before = Contents(h.site.path());
    h.agent.Items[0].Title = "Changed";
    GetParam().spoil(h);
    try {
        h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
        FAIL() << "published";
    } catch (const NotPublishedError& e) {
        EXPECT_EQ(e.projectFile(), h.site.file("Show.lvx"));
        for (const std::string& name : GetParam().named)
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
    const std::string project = ReadFile(h.site.file("Show.lvx"));
    EXPECT_NE(project.find("Changed#$@"), std::string::npos);
    EXPECT_NE(project.find("slider0.jpg#$@"), std::string::npos);  // as the folder has it
    before.erase("Show.lvx");
    auto after = Contents(h.site.path());
    after.erase("Show.lvx");
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    SaveAndPublish, AFailedBuild,
    ::testing::Values(FailedBuild{"photos_that_cannot_be_read",
                                  [](Project& h) {
                                      for (int i = 0; i < 2; ++i) {
                                          const std::string path = h.programFolder.file(
                                              "bad" + std::to_string(i) + ".jpg");
                                          WriteFile(path, "not a picture");
                                          h.agent.Items[static_cast<size_t>(i)].OriginalImagePath =
                                              path;
                                      }
                                  },
                                  {"2 photos", "bad0.jpg", "bad1.jpg"}},
                      FailedBuild{"photo_gone_without_its_slide",
                                  [](Project& h) {
                                      h.agent.Items[1].OriginalImagePath = "/gone/away.jpg";
                                      std::filesystem::remove(h.agent.PreviewFolder() +
                                                              "slider1.jpg");
                                  },
                                  {"/gone/away.jpg"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveAndPublish, SettingsThatCannotBeWrittenWriteNoProjectFile) {
    Project h;
    h.agent.AppletData.SlideShowWidth = "wide";
    EXPECT_THROW(h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree), SettingError);
    EXPECT_FALSE(FileExists(h.site.file("Show.lvx")));
}

TEST(SaveAndPublish, APhotoThatIsGoneKeepsItsPublishedSlide) {
    Project h;
    h.agent.Items[0].OriginalImagePath = "/gone/away.jpg";
    EXPECT_TRUE(h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree));
    EXPECT_EQ(ReadFile(h.site.file("slider0.jpg")), "slider0.jpg");
}

TEST(SaveAndPublish, RemovesWhatTheLastPublishWroteAndThisOneDoesNot) {
    Project h;
    TempFolder records;
    h.agent.PublishRecordsFolder = records.slash();
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    h.agent.SaveAndPublish(h.site.slash(), "Other.lvx", h.tree);  // another project beside it
    WriteFile(h.site.file("mine.txt"), "the designer's");
    WriteFile(h.site.file("wait.gif"), "the designer's own now");
    h.agent.AppletData.CtrlId = "Renamed";
    h.agent.AppletData.SlideShowLoadingBgImage = "";
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    const auto files = FilesIn(h.site.path());
    // Only this project's old files go, none another project there still has, and only while
    // they are as it wrote them.
    EXPECT_EQ(files, (std::set<std::string>{"Other.html", "Other.lvx", "Other_PublishReport.txt",
                                            "Lumivex1.css", "Lumivex1cfg.js", "Renamed.css",
                                            "Renamedcfg.js", "Show.html", "Show.lvx",
                                            "Show_PublishReport.txt", "lumivex.js", "mine.txt",
                                            "slider0.jpg", "slider1.jpg", "wait.gif"}));
    h.agent.SaveAndPublish(h.site.slash(), "Other.lvx", h.tree);
    EXPECT_FALSE(FileExists(h.site.file("Lumivex1.css")));
    EXPECT_FALSE(FileExists(h.site.file("Lumivex1cfg.js")));
    EXPECT_TRUE(FileExists(h.site.file("wait.gif")));
}

TEST(SaveAndPublish, AFileThatCannotBeWrittenLeavesTheLastPublishAsItWas) {
    Project h;
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    const auto before = Contents(h.site.path());
    h.agent.Items[0].Title = "Changed";
    // The disk fills up at the k-th file of the publish, for every k.
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        int started = 0;
        FaultHookGuard guard;
        SetWriteFaultHook(
            [&](std::size_t written) { return written == 0 && ++started == k ? ENOSPC : 0; });
        try {
            h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos);
            EXPECT_NE(std::string(e.what()).find(h.site.slash()), std::string::npos) << e.what();
            EXPECT_EQ(Contents(h.site.path()), before);
            EXPECT_FALSE(h.progress.busy);
            continue;
        }
        EXPECT_EQ(k, 10);  // every file of the publish failed once
        EXPECT_NE(ReadFile(h.site.file("Show.lvx")).find("Changed#$@"), std::string::npos);
        break;
    }
}

TEST(SaveAndPublish, ACancelledPublishChangesNothing) {
    Project h;
    h.agent.Items[1].OriginalImagePath = h.programFolder.file("gone.jpg");
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    const auto before = Contents(h.site.path());
    h.agent.Items[0].Title = "Changed";
    // Stopped at each of its questions in turn, until it is asked no more.
    for (int k = 0;; ++k) {
        SCOPED_TRACE(k);
        h.progress.stopAt = k;
        h.progress.questions = 0;
        try {
            h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
        } catch (const PublishCancelledError&) {
            EXPECT_EQ(Contents(h.site.path()), before);
            EXPECT_EQ(h.agent.Items[1].SlideImageFile, "slider1.jpg");
            EXPECT_FALSE(h.progress.busy);
            continue;
        }
        EXPECT_EQ(k, 3);  // once before each item, once before the folder changes
        EXPECT_NE(ReadFile(h.site.file("Show.lvx")).find("Changed#$@"), std::string::npos);
        break;
    }
}

TEST(SaveAndPublish, AFullDiskIsReportedWithTheFileAndNothingIsLeftHalfDone) {
    testing::SmallFileSystem disk(256);
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small file system";
    Project h;
    // A loading image larger than the disk: the page and script must not be published without it.
    testing::WriteFile(h.agent.PreviewFolder() + "wait.gif", std::string(400'000, 'w'));
    try {
        h.agent.SaveAndPublish(disk.slash(), "Show.lvx", h.tree);
        FAIL() << "a publish onto a full disk reported success";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(disk.file("wait.gif")), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos);
    }
    EXPECT_TRUE(FilesIn(disk.slash()).empty());
}

TEST(SaveAndPublish, TemporaryFilesOfAKilledPublishGoAtTheNext) {
    Project h;
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string stale = ".Show.html.lumivex-tmp-" + std::to_string(dead) + "-a1B2c3";
    const std::string running = ".Show.html.lumivex-tmp-" + std::to_string(::getppid()) + "-a1B2c3";
    for (const std::string& name : {stale, running, std::string(".other.tmp-1-abcdef")})
        WriteFile(h.site.file(name), "half");
    h.agent.SaveAndPublish(h.site.slash(), "Show.lvx", h.tree);
    EXPECT_FALSE(FileExists(h.site.file(stale)));
    EXPECT_TRUE(FileExists(h.site.file(running)));
    EXPECT_TRUE(FileExists(h.site.file(".other.tmp-1-abcdef")));
}

const std::string kSeparatorLine(77, '=');

std::string Report(const std::string& scripts, const std::string& images) {
    const std::string s = kSeparatorLine + "\r\n";
    return s +
           "This file includes a list of filename and you need to upload them to Web server\r\n"
           "to get the script to work. All these files are saved into the same directory along\r\n"
           "with the project file (*.lvx) as well as this file.\r\n\r\n" +
           s + "\r\n[Script file(s)]:\r\n" + scripts + "\r\n" +
           "[Image File(s)]: They should be copied along with script files!\r\n" + images +
           "\r\n\r\n" + s + "End of Publish Report\r\n" + s;
}

TEST(PublishReport, BeforeAnyBuildWithNoItems) {
    AgentHarness h;
    TempFolder dir;
    h.agent.WritePublishReport(dir.slash(), "PublishReport.txt");
    EXPECT_EQ(
        ReadFile(dir.file("PublishReport.txt")),
        Report("  lumivex.js\r\n  cfg_file_name_here.js\r\n  css_file_name_here.css\r\n", ""));
    const std::vector<std::string> expected = {"max 101", "hint Making Publish Report ... ...",
                                               "busy 1",  "step 1",
                                               "step 1",  "step 1",
                                               "step 50", "step 50",
                                               "pos 0",   "hint ",
                                               "busy 0"};
    EXPECT_EQ(h.progress.events, expected);
}

TEST(PublishReport, ImagesOnceEachInListOrder) {
    AgentHarness h;
    TempFolder dir;
    for (const char* image : {"slider0.jpg", "", "slider2.gif", "slider0.jpg"}) {
        h.agent.InsertChildItem(h.tree.root());
        h.agent.Items.back().SlideImageFile = image;
    }
    h.agent.AppletData.SlideShowLoadingBgImage = "slider2.gif";
    h.agent.WritePublishReport(dir.slash(), "r.txt");
    const std::string report = ReadFile(dir.file("r.txt"));
    EXPECT_NE(report.find("with script files!\r\n  slider0.jpg\r\n  slider2.gif\r\n\r\n\r\n="),
              std::string::npos)
        << report;

    // An empty folder means the scratch folder.
    TempFolder scratch;
    h.agent.ScratchFolder = scratch.slash();
    h.agent.WritePublishReport("", "PublishReport.txt");
    EXPECT_EQ(ReadFile(scratch.file("PublishReport.txt")), report);
}

}  // namespace
}  // namespace lumivex
