#include <gtest/gtest.h>

#include <filesystem>

#include "AgentFixture.h"
#include "CodeGeneration.h"
#include "EngineErrors.h"
#include "FileIO.h"

namespace lumivex {
namespace {

using testing::AgentHarness;
using testing::ReadFile;
using testing::TempFolder;

struct Built : AgentHarness {
    Built() {
        agent.InsertChildItem(tree.root());
        const auto b = agent.InsertChildItem(tree.root());
        agent.InsertChildItem(b);
    }
    std::string program(const std::string& name) const { return programFolder.file(name); }
    TempFolder out;
};

TEST(GenerateCode, WritesTheThreeFilesAndRenamesTheLinkedFiles) {
    Built h;
    const std::string page = h.out.file("page.html");
    h.agent.GenerateCode(page);

    EXPECT_EQ(h.agent.LinkedFiles[1].FileName, "Lumivex1cfg.js");
    EXPECT_EQ(h.agent.LinkedFiles[2].FileName, "Lumivex1.css");
    EXPECT_EQ(ReadFile(h.program("Lumivex1.css")), StyleSheetText(h.agent.AppletData));
    EXPECT_EQ(ReadFile(h.program("Lumivex1cfg.js")),
              ConfigScriptText(h.agent.AppletData, h.agent.Items));
    EXPECT_EQ(ReadFile(page), PageText("Lumivex1", h.agent.LinkedFiles));
    EXPECT_NE(ReadFile(page).find("src=\"./Lumivex1cfg.js\""), std::string::npos);
    // Levels and parents come from the tree.
    EXPECT_EQ(h.agent.Items[2].Level, "1");
    EXPECT_EQ(h.agent.Items[2].ParentIndex, "1");
    EXPECT_EQ(h.agent.Items[1].ParentIndex, "-1");
    // The hint and the cursor are on while it works and reset at the end.
    ASSERT_GE(h.progress.events.size(), 4u);
    EXPECT_EQ(h.progress.events[0], "hint Making HTML Codes ... ...");
    EXPECT_EQ(h.progress.events[1], "busy 1");
    EXPECT_EQ(h.progress.events[h.progress.events.size() - 2], "hint ");
    EXPECT_EQ(h.progress.events.back(), "busy 0");
}

TEST(GenerateCode, BuildingTwiceGivesTheSameBytes) {
    Built h;
    h.agent.GenerateCode(h.out.file("a.html"));
    const std::string css = ReadFile(h.program("Lumivex1.css"));
    const std::string js = ReadFile(h.program("Lumivex1cfg.js"));
    h.agent.GenerateCode(h.out.file("b.html"));
    EXPECT_EQ(ReadFile(h.program("Lumivex1.css")), css);
    EXPECT_EQ(ReadFile(h.program("Lumivex1cfg.js")), js);
    EXPECT_EQ(ReadFile(h.out.file("a.html")), ReadFile(h.out.file("b.html")));
}

TEST(GenerateCode, NoItemsStillGivesAllThreeFiles) {
    AgentHarness h;
    TempFolder out;
    h.agent.GenerateCode(out.file("p.html"));
    EXPECT_TRUE(FileExists(h.programFolder.file("Lumivex1.css")));
    EXPECT_NE(ReadFile(h.programFolder.file("Lumivex1cfg.js"))
                  .find("var Lumivex1PropsArray = [\r\n];\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadFile(out.file("p.html")), PageText("Lumivex1", h.agent.LinkedFiles));
}

// Values that a hand-edited or hostile project file brings: each is refused, naming its field,
// before anything is renamed or written.
struct HostileSetting {
    std::string TAppletData::*field;
    const char* name;
    const char* value;
};

class RefusedSetting : public ::testing::TestWithParam<HostileSetting> {};

TEST_P(RefusedSetting, StopsTheBuildBeforeAnythingIsWritten) {
    const HostileSetting& c = GetParam();
    Built h;
    h.agent.AppletData.*c.field = c.value;
    try {
        h.agent.GenerateCode(h.out.file("p.html"));
        FAIL() << "accepted " << c.value;
    } catch (const SettingError& e) {
        EXPECT_EQ(e.field(), c.name);
        EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos) << e.what();
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.programFolder.path()), {}), 0);
    EXPECT_FALSE(FileExists(h.out.file("p.html")));
    EXPECT_EQ(h.agent.LinkedFiles[2].FileName, "css_file_name_here.css");
    EXPECT_FALSE(h.progress.busy);
    EXPECT_EQ(h.progress.hint, "");
}

INSTANTIATE_TEST_SUITE_P(
    GenerateCode, RefusedSetting,
    ::testing::Values(
        HostileSetting{&TAppletData::SlideInfoOpacity, "SlideInfoOpacity", "(window.x=1,65)"},
        HostileSetting{&TAppletData::RotateDelay, "RotateDelay", "3000,0,0,0,0,0,0);alert(1);//"},
        HostileSetting{&TAppletData::DelayHideSlideInfo, "DelayHideSlideInfo", ""},
        HostileSetting{&TAppletData::SlideShowZIndex, "SlideShowZIndex", "top"},
        HostileSetting{&TAppletData::SlideShowWidth, "SlideShowWidth", "400px;} a {"},
        HostileSetting{&TAppletData::SlideInfoDescPaddingLeft, "SlideInfoDescPaddingLeft",
                       "99999999999"},
        HostileSetting{&TAppletData::SlideInfoBgColor, "SlideInfoBgColor",
                       "000000;} body { background: red"},
        HostileSetting{&TAppletData::SlideShowLoadingBgColor, "SlideShowLoadingBgColor", "#FF0000"},
        HostileSetting{&TAppletData::SlideInfoTitleColor, "SlideInfoTitleColor", "red"}));

TEST(GenerateCode, ValuesOfTheirFieldsFormAreWrittenAsTheFieldAllows) {
    struct Case {
        std::string TAppletData::*field;
        const char* value;
        const char* expected;  // a line of the style sheet or part of the script
    };
    const Case cases[] = {
        {&TAppletData::SlideShowWidth, "0400", "width: 400px;"},
        {&TAppletData::SlideInfoOpacity, " 65", ",65,3000,"},
        {&TAppletData::SlideInfoTitleColor, "ff00ff", "color: #ff00ff;"},
        {&TAppletData::SlideShowBackgroundColor, "TRANSPARENT", "background-color: TRANSPARENT;"},
        // The caption's height is not written while it is automatic, so it need not be a number.
        {&TAppletData::SlideInfoHeight, "auto", "height: auto;"},
    };
    for (const Case& c : cases) {
        Built h;
        h.agent.AppletData.SlideInfoHeightAuto = "1";
        h.agent.AppletData.*c.field = c.value;
        h.agent.GenerateCode(h.out.file("p.html"));
        const std::string written =
            ReadFile(h.program("Lumivex1.css")) + ReadFile(h.program("Lumivex1cfg.js"));
        EXPECT_NE(written.find(c.expected), std::string::npos) << c.value;
        EXPECT_EQ(h.agent.AppletData.*c.field, c.value);  // the model keeps what it holds
    }
}

TEST(GenerateCode, AnIdThatIsNoIdentifierIsRefusedBeforeAnythingChanges) {
    for (const char* id : {"../../evil", "my show", "1st", ""}) {
        Built h;
        h.agent.AppletData.CtrlId = id;
        const TItemArray before = h.agent.Items;
        try {
            h.agent.GenerateCode(h.out.file("p.html"));
            FAIL() << "accepted " << id;
        } catch (const InvalidProjectError& e) {
            EXPECT_NE(std::string(e.what()).find("must start with a letter"), std::string::npos);
        }
        EXPECT_EQ(h.agent.Items, before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.programFolder.path()), {}), 0)
            << id;
        EXPECT_FALSE(FileExists(h.out.file("p.html")));
        EXPECT_FALSE(h.progress.busy);
    }
}

TEST(GenerateCode, RelativePagePathsLandInTheScratchFolderAndFailuresAreReported) {
    Built h;
    TempFolder scratch;
    h.agent.ScratchFolder = scratch.slash();
    h.agent.GenerateCode("~tmp0001.txt");
    EXPECT_TRUE(FileExists(scratch.file("~tmp0001.txt")));

    try {
        h.agent.GenerateCode(h.out.file("missing/p.html"));
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("missing/p.html"), std::string::npos);
    }
}

}  // namespace
}  // namespace lumivex
