#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "AgentFixture.h"
#include "EngineErrors.h"
#include "FileIO.h"

namespace lumivex {
namespace {

using testing::AgentHarness;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

const std::string kHeader =
    "<Generator_Name>\r\nLumivex\r\n</Generator_Name>\r\n"
    "<Generator_Version>\r\n1.0\r\n</Generator_Version>\r\n"
    "<Product_Name>\r\nGeneral Menu Structure Description Format\r\n</Product_Name>\r\n"
    "<Product_Version>\r\n1.0\r\n</Product_Version>\r\n";

std::string StructureText(const std::vector<std::string>& lines,
                          const std::string& header = kHeader) {
    std::string text = header + "<Structure_Description>\r\n";
    for (const auto& line : lines)
        text += line + "\r\n";
    return text + "</Structure_Description>\r\n";
}

std::vector<int> Depths(const ItemTree& tree) {
    std::vector<int> out;
    for (ItemTree::Node n : tree.itemNodes())
        out.push_back(tree.depth(n));
    return out;
}

std::vector<std::string> Captions(const ItemTree& tree) {
    std::vector<std::string> out;
    for (ItemTree::Node n : tree.itemNodes())
        out.push_back(tree.caption(n));
    return out;
}

std::vector<std::string> Titles(const TzqxAppletAgent& agent) {
    std::vector<std::string> out;
    for (const auto& item : agent.Items)
        out.push_back(item.Title);
    return out;
}

const std::vector<std::string> kResetEvents = {"pos 0", "hint ", "busy 0"};

// Builds A (A1, A2) and B (B1) with the tree panel's insert, then gives every item its own texts.
void BuildTwoLevels(AgentHarness& h) {
    const ItemTree::Node root = h.tree.root();
    const ItemTree::Node a = h.agent.InsertChildItem(root);
    h.agent.InsertChildItem(a);
    h.agent.InsertChildItem(a);
    const ItemTree::Node b = h.agent.InsertChildItem(root);
    h.agent.InsertChildItem(b);
    const std::vector<std::string> names = {"A", "A1", "A2", "B", "B1"};
    for (size_t i = 0; i < names.size(); ++i) {
        TItemData& item = h.agent.Items[i];
        item.Title = names[i];
        item.LinkUrl = "http://example.com/" + names[i] + ".html";
        item.LinkTarget = i % 2 ? "_blank" : "_self";
        item.Description = "About " + names[i];
        item.ToolTip = "Tip " + names[i];
        item.OriginalImagePath = "/pictures/" + names[i] + ".jpg";
        item.SlideImageFile = "slider" + std::to_string(i) + ".jpg";
        item.ImageWidth = "400";
        item.ParentIndex = "0";
        h.tree.setCaption(h.tree.nodeAt(static_cast<int>(i) + 1), names[i]);
    }
}

struct FaultHookGuard {
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

class MenuStructure : public ::testing::Test {
protected:
    // Imports as the import command does: the tree cleared to a fresh root first.
    void Import(AgentHarness& h, const std::string& text) {
        WriteFile(path, text);
        h.tree.clear();
        h.agent.ImportMenuStructure(path, h.tree);
    }

    TempFolder dir;
    std::string path = dir.file("tree.gms");
};

TEST_F(MenuStructure, ExportWritesTheLayoutByteForByte) {
    AgentHarness h;
    h.agent.ExportMenuStructure(path);
    EXPECT_EQ(ReadFile(path), kHeader + "<Structure_Description>\r\n</Structure_Description>\r\n");

    h.agent.InsertChildItem(h.tree.root());
    h.agent.ExportMenuStructure(path);
    EXPECT_EQ(ReadFile(path),
              StructureText({"0#$@Item#$@javascript:void(0)#$@_self#$@Description Here#$@"}));

    AgentHarness two;
    BuildTwoLevels(two);
    for (auto& item : two.agent.Items)
        item.Level = "7";  // stale: the tree decides
    two.agent.ExportMenuStructure(path);
    EXPECT_EQ(ReadFile(path), StructureText({
                                  "0#$@A#$@http://example.com/A.html#$@_self#$@About A#$@",
                                  "1#$@A1#$@http://example.com/A1.html#$@_blank#$@About A1#$@",
                                  "1#$@A2#$@http://example.com/A2.html#$@_self#$@About A2#$@",
                                  "0#$@B#$@http://example.com/B.html#$@_blank#$@About B#$@",
                                  "1#$@B1#$@http://example.com/B1.html#$@_self#$@About B1#$@",
                              }));
    std::vector<std::string> levels;
    for (const auto& item : two.agent.Items)
        levels.push_back(item.Level);
    EXPECT_EQ(levels, (std::vector<std::string>{"0", "1", "1", "0", "1"}));
    EXPECT_EQ(two.agent.Items[0].ToolTip, "Tip A");  // nothing else of the model changes

    std::vector<std::string> expected = {"max 80", "hint Saving Data ... ...", "busy 1", "step 10",
                                         "step 5"};
    expected.insert(expected.end(), kResetEvents.begin(), kResetEvents.end());
    EXPECT_EQ(two.progress.events, expected);
}

TEST_F(MenuStructure, ExportThenImportGivesBackTheStructureOnly) {
    AgentHarness h;
    BuildTwoLevels(h);
    const TItemArray exported = h.agent.Items;
    h.agent.AppletData.CtrlId = "Changed";
    h.agent.AppletData.SlideShowBackgroundColor = "Transparent";
    h.agent.ExportMenuStructure(path);
    h.progress.events.clear();

    h.tree.clear();
    h.agent.ImportMenuStructure(path, h.tree);
    EXPECT_EQ(h.agent.AppletData, DefaultAppletData());
    ASSERT_EQ(h.agent.Items.size(), exported.size());
    for (size_t i = 0; i < exported.size(); ++i) {
        SCOPED_TRACE(exported[i].Title);
        TItemData expected = TzqxAppletAgent::NewItemDefaults();
        expected.Level = exported[i].Level;
        expected.Title = exported[i].Title;
        expected.LinkUrl = exported[i].LinkUrl;
        expected.LinkTarget = exported[i].LinkTarget;
        expected.Description = exported[i].Description;
        EXPECT_EQ(h.agent.Items[i], expected);
    }
    EXPECT_EQ(h.agent.Items[1].ToolTip, "ToolTip Here");
    EXPECT_EQ(Depths(h.tree), (std::vector<int>{1, 2, 2, 1, 2}));
    EXPECT_EQ(Captions(h.tree), Titles(h.agent));
    EXPECT_EQ(h.progress.events, (std::vector<std::string>{"hint Loading Data ... ...", "busy 1",
                                                           "pos 0", "hint ", "busy 0"}));
    EXPECT_TRUE(h.messages.errors.empty());
}

TEST_F(MenuStructure, ImportsFilesOfOtherProgramsAndDeeperLevels) {
    const std::string header =
        "<Generator_Name>\nSome Other Menu Tool\n</Generator_Name>\n<Generator_Version>\n3.2\n"
        "</Generator_Version>\ncomment\n<Product_Name>\nGeneral Menu Structure Description Format\n"
        "</Product_Name>\n<Product_Version>\n2.0\n</Product_Version>\n\n";
    std::string text = header +
                       "<Structure_Description>\n0#$@Top#$@a.html#$@_top#$@Top text#$@\n"
                       "1#$@Mid#$@b.html#$@_self#$@#$@\n2#$@Deep#$@c.html#$@\n"
                       "3#$@Deeper#$@#$@#$@#$@\n1#$@Back#$@d.html#$@_blank#$@x#$@y#$@\n"
                       "</Structure_Description>\n";
    AgentHarness h;
    Import(h, text);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"Top", "Mid", "Deep", "Deeper", "Back"}));
    EXPECT_EQ(Depths(h.tree), (std::vector<int>{1, 2, 3, 4, 2}));
    // Missing fields of a line come back empty, not as defaults.
    EXPECT_EQ(h.agent.Items[2].LinkUrl, "c.html");
    EXPECT_EQ(h.agent.Items[2].LinkTarget, "");
    EXPECT_EQ(h.agent.Items[2].Description, "");
    EXPECT_EQ(h.agent.Items[4].Description, "x");
    EXPECT_EQ(h.agent.Items[4].ImageHeight, "120");
    EXPECT_TRUE(h.messages.errors.empty());
}

TEST_F(MenuStructure, RefusedOrCutShortImportsKeepModelAndTreeInStep) {
    const std::string good =
        StructureText({"0#$@N1#$@#$@#$@#$@", "1#$@N2#$@#$@#$@#$@", "0#$@N3#$@#$@#$@#$@"});
    auto refused = [&](const std::string& name) {
        std::string t = good;
        const std::string format = "General Menu Structure Description Format";
        t.replace(t.find(format), format.size(), name);
        return t;
    };
    auto upTo = [&](const std::string& marker) { return good.substr(0, good.find(marker)); };
    struct Case {
        std::string name;
        std::string text;
        bool message;
        bool previous;  // the open project is kept
        std::vector<std::string> titles;
    };
    for (const auto& c : std::vector<Case>{
             {"format name in lower case",
              refused("general menu structure description format"),
              true,
              true,
              {}},
             {"format name with a blank",
              refused("General Menu Structure Description Format "),
              true,
              true,
              {}},
             {"a project file", refused("Lumivex"), true, true, {}},
             {"empty file", "", false, true, {}},
             {"before the format name", upTo("General"), false, true, {}},
             {"before the structure", upTo("<Structure_Description>"), false, true, {}},
             {"inside the structure", upTo("0#$@N3"), false, false, {"N1", "N2"}},
         }) {
        SCOPED_TRACE(c.name);
        AgentHarness h;
        h.agent.AppletData.CtrlId = "Previous";
        h.agent.Items = {TzqxAppletAgent::NewItemDefaults(), TzqxAppletAgent::NewItemDefaults()};
        h.agent.Items[0].Level = "0";
        h.agent.Items[0].Title = "P1";
        h.agent.Items[1].Level = "1";
        h.agent.Items[1].Title = "P1a";
        const TItemArray previousItems = h.agent.Items;
        Import(h, c.text);
        if (c.message) {
            EXPECT_EQ(h.messages.errors,
                      (std::vector<std::string>{
                          "This file wasn't saved by specified format, open failed!"}));
        } else {
            EXPECT_TRUE(h.messages.errors.empty());
        }
        if (c.previous) {
            EXPECT_EQ(h.agent.AppletData.CtrlId, "Previous");
            EXPECT_EQ(h.agent.Items, previousItems);
        } else {
            EXPECT_EQ(h.agent.AppletData, DefaultAppletData());
            EXPECT_EQ(Titles(h.agent), c.titles);
        }
        EXPECT_EQ(Captions(h.tree), Titles(h.agent));
        EXPECT_FALSE(h.progress.busy);
        EXPECT_EQ(h.progress.hint, "");
    }
}

TEST_F(MenuStructure, FailedFilesRaiseAndAnInterruptedExportKeepsTheOldFile) {
    AgentHarness h;
    h.tree.clear();
    try {
        h.agent.ImportMenuStructure(dir.file("missing.gms"), h.tree);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find(dir.file("missing.gms")), std::string::npos);
    }
    EXPECT_EQ(h.progress.events, kResetEvents);

    BuildTwoLevels(h);
    h.agent.ExportMenuStructure(path);
    const std::string previous = ReadFile(path);
    h.agent.Items[0].Description = std::string(3 << 20, 'd');
    FaultHookGuard guard;
    SetWriteFaultHook([](std::size_t written) { return written > 0 ? ENOSPC : 0; });
    try {
        h.agent.ExportMenuStructure(path);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos)
            << e.what();
    }
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(ReadFile(path), previous);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(h.progress.busy);

    std::filesystem::create_directory(dir.path() / "taken.gms");
    EXPECT_THROW(h.agent.ExportMenuStructure(dir.file("taken.gms")), FileError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "taken.gms"));
}

TEST(MenuStructureFileName, AppendsTheExtensionUnlessItIsThereInAnyCase) {
    for (const auto& [chosen, written] : std::vector<std::pair<std::string, std::string>>{
             {"tree.GMS", "tree.GMS"},
             {"tree.gms", "tree.gms"},
             {"/home/me/My Menu.Gms", "/home/me/My Menu.Gms"},
             {"tree", "tree.gms"},
             {"tree.gms.txt", "tree.gms.txt.gms"},
             {"treegms", "treegms.gms"},
             {"gms", "gms.gms"},
             {".gms", ".gms"},
             {"", ".gms"},
         }) {
        EXPECT_EQ(TzqxAppletAgent::MenuStructureFileName(chosen), written) << chosen;
    }
}

}  // namespace
}  // namespace lumivex
