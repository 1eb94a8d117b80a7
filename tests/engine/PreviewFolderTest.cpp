#include <gtest/gtest.h>

#include <filesystem>

#include "AgentFixture.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class PreviewFolder : public ::testing::Test {
protected:
    std::string preview(const std::string& name = "") const {
        return h.agent.PreviewFolder() + name;
    }
    std::string program(const std::string& name) const { return h.programFolder.file(name); }
    void addItemWithImage(const std::string& slideImage) {
        TItemData item = TzqxAppletAgent::NewItemDefaults();
        item.Level = "0";
        item.SlideImageFile = slideImage;
        h.agent.Items.push_back(item);
    }
    testing::AgentHarness h;
};

TEST_F(PreviewFolder, CopyToPreviewMakesTheFolderAndListsEveryCopyEvenAFailedOne) {
    WriteFile(program("wait.gif"), "GIF89a");
    h.agent.CopyToPreview(program("wait.gif"));
    h.agent.CopyToPreview(program("wait.gif"));
    h.agent.CopyToPreview(program("missing.png"));
    EXPECT_EQ(ReadFile(preview("wait.gif")), "GIF89a");
    EXPECT_TRUE(fs::exists(program("wait.gif")));
    EXPECT_FALSE(fs::exists(preview("missing.png")));
    EXPECT_EQ(h.agent.PreviewCopies, (TStringArray{"wait.gif", "wait.gif", "missing.png"}));
    EXPECT_TRUE(h.messages.errors.empty());
}

TEST_F(PreviewFolder, ClearingDeletesTheCopiesAndTheFolderUnlessAForeignFileKeepsIt) {
    WriteFile(program("a.jpg"), "a");
    for (int preview = 0; preview < 2; ++preview)
        h.agent.CopyToPreview(program("a.jpg"));
    h.agent.ClearPreviewFolder();
    EXPECT_FALSE(fs::exists(preview()));
    EXPECT_TRUE(h.agent.PreviewCopies.empty());
    EXPECT_TRUE(fs::exists(program("a.jpg")));

    h.agent.CopyToPreview(program("a.jpg"));
    WriteFile(preview("foreign.txt"), "not ours");
    h.agent.ClearPreviewFolder();
    EXPECT_TRUE(fs::exists(preview("foreign.txt")));
    EXPECT_FALSE(fs::exists(preview("a.jpg")));
    EXPECT_TRUE(h.agent.PreviewCopies.empty());

    // Clearing with nothing to clear, or with no program folder at all, reports nothing.
    h.agent.ClearPreviewFolder();
    TzqxAppletAgent lost(h.tree, h.progress, h.messages, "/nonexistent/folder/");
    lost.CopyToPreview("/nonexistent/a.jpg");
    lost.ClearPreviewFolder();
    EXPECT_TRUE(h.messages.errors.empty());
}

TEST_F(PreviewFolder, LinkedFilesAreCopiedAndTheGeneratedOnesMoved) {
    h.agent.LinkedFiles[1].FileName = "Lumivex1cfg.js";
    h.agent.LinkedFiles[2].FileName = "Lumivex1.css";
    WriteFile(program("lumivex.js"), "runtime");
    WriteFile(program("Lumivex1cfg.js"), "config");
    WriteFile(program("Lumivex1.css"), "style");
    h.agent.CopyLinkedFilesToPreview(h.programFolder.slash());
    EXPECT_EQ(ReadFile(preview("lumivex.js")), "runtime");
    EXPECT_EQ(ReadFile(preview("Lumivex1cfg.js")), "config");
    EXPECT_EQ(ReadFile(preview("Lumivex1.css")), "style");
    EXPECT_TRUE(fs::exists(program("lumivex.js")));
    EXPECT_FALSE(fs::exists(program("Lumivex1cfg.js")));
    EXPECT_FALSE(fs::exists(program("Lumivex1.css")));
    EXPECT_EQ(h.agent.PreviewCopies,
              (TStringArray{"lumivex.js", "Lumivex1cfg.js", "Lumivex1.css"}));

    // Missing files (before any build) are listed and skipped without a word.
    h.agent.LinkedFiles = InitialLinkedFiles();
    h.agent.CopyLinkedFilesToPreview(h.programFolder.slash());
    EXPECT_EQ(h.agent.PreviewCopies.size(), 6u);
    EXPECT_EQ(h.agent.PreviewCopies[4], "cfg_file_name_here.js");
    EXPECT_TRUE(h.messages.errors.empty());
}

TEST_F(PreviewFolder, ResourceFilesAreTheSlideImagesThenTheLoadingImage) {
    addItemWithImage("");
    addItemWithImage(" \t");
    h.agent.AppletData.SlideShowLoadingBgImage = "wait.gif";
    h.agent.CollectResourceFiles();
    EXPECT_EQ(h.agent.ResourceFiles, (TStringArray{"wait.gif"}));

    addItemWithImage(" slider2.jpg");
    addItemWithImage("wait.gif");
    h.agent.ResourceFiles = {"stale"};
    h.agent.CollectResourceFiles();
    EXPECT_EQ(h.agent.ResourceFiles, (TStringArray{" slider2.jpg", "wait.gif", "wait.gif"}));

    h.agent.AppletData.SlideShowLoadingBgImage = "\x01 ";
    h.agent.Items.clear();
    h.agent.CollectResourceFiles();
    EXPECT_TRUE(h.agent.ResourceFiles.empty());
}

TEST_F(PreviewFolder, CopyingResourceFilesShowsProgressAndBringsBackWhatIsThere) {
    testing::TempFolder project;
    WriteFile(project.file("slider0.jpg"), "jpeg");
    WriteFile(project.file("wait.gif"), "gif");
    addItemWithImage("slider0.jpg");
    addItemWithImage("slider1.gif");  // not in the folder
    h.agent.AppletData.SlideShowLoadingBgImage = "wait.gif";
    h.agent.CopyResourceFilesToPreview(project.slash());
    EXPECT_EQ(h.progress.events,
              (std::vector<std::string>{"max 100", "hint Copying Resource Files ... ...", "busy 1",
                                        "step 50", "step 50", "pos 0", "hint ", "busy 0"}));
    EXPECT_EQ(ReadFile(preview("slider0.jpg")), "jpeg");
    EXPECT_EQ(ReadFile(preview("wait.gif")), "gif");
    EXPECT_FALSE(fs::exists(preview("slider1.gif")));
    EXPECT_EQ(h.agent.PreviewCopies, (TStringArray{"slider0.jpg", "slider1.gif", "wait.gif"}));
}

TEST_F(PreviewFolder, NamesThatLeaveTheirFolderAreNeverCopiedNorDeleted) {
    testing::TempFolder outside;
    const std::string secret = outside.file("secret.txt");
    WriteFile(secret, "keep me");
    // A project folder beside `outside`: "../<outside>/secret.txt" climbs out of it.
    testing::TempFolder project;
    const std::string climb = "../" + outside.path().filename().string() + "/secret.txt";
    ASSERT_TRUE(fs::exists(project.slash() + climb));
    addItemWithImage(climb);
    h.agent.AppletData.SlideShowLoadingBgImage = "..";
    h.agent.CopyResourceFilesToPreview(project.slash());
    EXPECT_FALSE(fs::exists(preview("secret.txt")));
    EXPECT_EQ(h.agent.ResourceFiles, (TStringArray{climb, ".."}));  // still listed for the report
    EXPECT_EQ(h.agent.PreviewCopies, (TStringArray{"secret.txt", ".."}));

    // A generated linked file with such a name is neither copied nor deleted.
    h.agent.LinkedFiles[2].FileName = climb;
    h.agent.CopyLinkedFilesToPreview(project.slash());
    EXPECT_EQ(ReadFile(secret), "keep me");
    h.agent.ClearPreviewFolder();
    EXPECT_EQ(ReadFile(secret), "keep me");
    EXPECT_FALSE(fs::exists(preview()));
}

TEST_F(PreviewFolder, AfterClearingTheNextCopyMakesTheFolderAgain) {
    WriteFile(program("a.txt"), "a");
    h.agent.CopyToPreview(program("a.txt"));
    h.agent.ClearPreviewFolder();
    EXPECT_FALSE(fs::exists(preview()));
    h.agent.CopyToPreview(program("a.txt"));
    EXPECT_EQ(ReadFile(preview("a.txt")), "a");
}

}  // namespace
}  // namespace lumivex
