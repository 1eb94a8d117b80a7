#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "AgentFixture.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "LineReader.h"

namespace lumivex {
namespace {

using testing::AgentHarness;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// The settings line of a new project, written out by hand field by field.
const std::string kDefaultSettingsLine =
    "Lumivex1#$@#$@65#$@3000#$@1000#$@50#$@1000#$@50#$@1000#$@1000#$@"   // 0-9
    "400#$@300#$@1000#$@000000#$@000000#$@#$@1005#$@0#$@80#$@000000#$@"  // 10-19
    "15#$@Verdana,Ms Sans Serif,Georgia,Helvetica,Arial#$@9#$@1#$@0#$@0#$@FFFF00#$@0#$@"
    "Verdana,Ms Sans Serif,Georgia,Helvetica,Arial#$@9#$@0#$@0#$@0#$@FFFFFF#$@"  // 28-33
    "5#$@0#$@0#$@0#$@0#$@#$@#$@#$@0#$@";                                         // 34-42

const std::string kHeader =
    "<Warning_Info>\r\n"
    "Note: This file was created and maintained by Lumivex 1.0.\r\n"
    "Do not modify it or script project may not be opened again!\r\n"
    "</Warning_Info>\r\n"
    "<Product_Name>\r\n"
    "Lumivex\r\n"
    "</Product_Name>\r\n"
    "<Product_Version>\r\n"
    "1.0\r\n"
    "</Product_Version>\r\n";

const std::string kInsertedItemLine =
    "Item#$@javascript:void(0)#$@_self#$@ToolTip Here#$@Description Here#$@0#$@#$@#$@-1#$@#$@#$@"
    "160#$@120#$@";

// A project file laid out as the format prescribes, with CR LF line ends.
std::string ProjectText(const std::string& settingsLine, const std::vector<std::string>& items) {
    std::string text = kHeader + "<Applet_Parameters>\r\n" + settingsLine +
                       "\r\n</Applet_Parameters>\r\n<Item_Parameters>\r\n";
    for (const auto& line : items)
        text += line + "\r\n";
    return text + "</Item_Parameters>\r\n";
}

// An item line with the given title and level and the remaining fields of an inserted item.
std::string ItemLine(const std::string& title, const std::string& level) {
    return title + "#$@javascript:void(0)#$@_self#$@ToolTip Here#$@Description Here#$@" + level +
           "#$@#$@#$@-1#$@#$@#$@160#$@120#$@";
}

TItemData Item(const std::string& title, const std::string& level) {
    TItemData item = TzqxAppletAgent::NewItemDefaults();
    item.Title = title;
    item.Level = level;
    item.ParentIndex = "-1";
    return item;
}

std::vector<std::string> Captions(const ItemTree& tree) {
    std::vector<std::string> out;
    for (ItemTree::Node n : tree.itemNodes())
        out.push_back(tree.caption(n));
    return out;
}

std::vector<int> Depths(const ItemTree& tree) {
    std::vector<int> out;
    for (ItemTree::Node n : tree.itemNodes())
        out.push_back(tree.depth(n));
    return out;
}

std::vector<std::string> Titles(const TzqxAppletAgent& agent) {
    std::vector<std::string> out;
    for (const auto& item : agent.Items)
        out.push_back(item.Title);
    return out;
}

// Tree and list in step: one node per item, captioned with its title.
void ExpectInStep(const AgentHarness& h) {
    EXPECT_EQ(Captions(h.tree), Titles(h.agent));
}

const std::vector<std::string> kResetEvents = {"pos 0", "hint ", "busy 0"};

std::vector<std::string> LastEvents(const testing::RecordingProgress& p, size_t n) {
    return {p.events.end() - static_cast<long>(std::min(n, p.events.size())), p.events.end()};
}

struct FaultHookGuard {
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

class ProjectFile : public ::testing::Test {
protected:
    // Loads `text` as the open commands do: the tree cleared to a fresh root first.
    ProjectRead Load(AgentHarness& h, const std::string& text) {
        WriteFile(path, text);
        h.tree.clear();
        return h.agent.LoadFromFile(path, h.tree);
    }

    TempFolder dir;
    std::string path = dir.file("project.lvx");
};

// A project that is open before a load, so tests can see what a load keeps of it.
void OpenPrevious(AgentHarness& h) {
    h.agent.AppletData.CtrlId = "Previous";
    h.agent.AppletData.SlideShowWidth = "640";
    h.agent.Items = {Item("P1", "0"), Item("P1a", "1"), Item("P2", "0")};
    h.tree.clear();
    h.agent.RebuildTree(h.tree);
}

TEST_F(ProjectFile, SavesTheLayoutByteForByte) {
    AgentHarness h;
    h.agent.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), ProjectText(kDefaultSettingsLine, {}));

    // Two items as Insert puts them under the root, after the build has filled ParentIndex.
    h.agent.InsertChildItem(h.tree.root());
    h.agent.InsertChildItem(h.tree.root());
    for (auto& item : h.agent.Items)
        item.ParentIndex = "-1";
    const TItemArray before = h.agent.Items;
    h.agent.SaveToFile(path);
    EXPECT_EQ(ReadFile(path),
              ProjectText(kDefaultSettingsLine, {kInsertedItemLine, kInsertedItemLine}));
    EXPECT_EQ(h.agent.Items, before);
}

TEST_F(ProjectFile, SaveStepsTheProgressAsTheLinesAreBuilt) {
    AgentHarness h;
    h.agent.Items = {Item("a", "0"), Item("b", "1")};
    h.agent.SaveToFile(path);
    std::vector<std::string> expected = {"max 41", "hint Saving Data ... ...", "busy 1", "step 10",
                                         "step 5"};
    expected.insert(expected.end(), 26, "step 1");
    expected.insert(expected.end(), kResetEvents.begin(), kResetEvents.end());
    EXPECT_EQ(h.progress.events, expected);
    EXPECT_EQ(h.progress.peak, 41);  // reaches its maximum before the reset
}

TEST_F(ProjectFile, RoundTripKeepsEveryFieldAsItIs) {
    AgentHarness source;
    TAppletData& data = source.agent.AppletData;
    data.SlideShowBackgroundColor = "Transparent";
    data.SlideInfoBgColor = "transparent";
    data.Reserved1 = "kept";
    data.SlideInfoTitleFontFamily = "";
    data.ImageLeadingPath = "  blanks at both ends  ";
    data.RootDirRemote = "http://example.com/caf\xE9/\xFF";
    TItemData first = Item("First", "0");
    first.Reserved6 = "r6";
    first.Reserved7 = "r7";
    first.OriginalImagePath = "/home/user/Pictures/a b.jpg";
    first.SlideImageFile = "slider0.jpg";
    first.Description = "";
    TItemData empty;  // every field empty but the level
    empty.Level = "1";
    source.agent.Items = {first, empty, Item("Third", "0")};
    source.agent.SaveToFile(path);
    const std::string saved = ReadFile(path);

    AgentHarness target;
    OpenPrevious(target);
    for (auto field : TAppletData::kFields)
        target.agent.AppletData.*field = "old";
    Load(target, saved);
    EXPECT_EQ(target.agent.AppletData, source.agent.AppletData);
    EXPECT_EQ(target.agent.Items, source.agent.Items);
    EXPECT_EQ(Captions(target.tree), (std::vector<std::string>{"First", "", "Third"}));
    EXPECT_TRUE(target.messages.errors.empty());

    const std::string again = dir.file("again.lvx");
    target.agent.SaveToFile(again);
    EXPECT_EQ(ReadFile(again), saved);
}

TEST_F(ProjectFile, DefaultsAndAnEmptyItemListReadBack) {
    AgentHarness target;
    OpenPrevious(target);
    Load(target, ProjectText(kDefaultSettingsLine, {}));
    EXPECT_EQ(target.agent.AppletData, DefaultAppletData());
    EXPECT_EQ(target.agent.AppletData.Reserved1, "");
    EXPECT_EQ(target.agent.AppletData.Reserved16, "1005");
    EXPECT_TRUE(target.agent.Items.empty());
    EXPECT_EQ(target.tree.count(), 1);
    EXPECT_EQ(target.progress.events,
              (std::vector<std::string>{"hint Loading Data ... ...", "busy 1", "pos 0", "hint ",
                                        "busy 0"}));
}

TEST_F(ProjectFile, LooseFramingAroundTheTagsReadsTheSame) {
    const std::string settings = "Framed#$@" + kDefaultSettingsLine.substr(11);
    const std::vector<std::string> items = {ItemLine("A", "0"), ItemLine("B", "1")};
    const std::string canonical = ProjectText(settings, items);
    auto withLineEnds = [&](const std::string& end) {
        std::string text;
        for (char c : canonical) {
            if (c == '\r')
                continue;
            text += c == '\n' ? end : std::string(1, c);
        }
        return text;
    };
    const std::string body = canonical.substr(kHeader.size());
    const std::string productAndVersion =
        "<Product_Name>\r\nLumivex\r\n</Product_Name>\r\n<Product_Version>\r\n1.0\r\n"
        "</Product_Version>\r\n";
    const std::vector<std::pair<std::string, std::string>> variants = {
        {"canonical", canonical},
        {"sibling product",
         [&] {
             std::string t = canonical;
             t.replace(t.find("\r\nLumivex\r\n"), 11, "\r\nCorvinel\r\n");
             return t;
         }()},
        {"other warning and lines before the tags",
         "junk\r\n<warning_info>\r\nEdited by hand. Careful!\r\n\r\n" + productAndVersion + body},
        {"no warning at all", productAndVersion + body},
        {"another version, extra lines between sections",
         "<Product_Name>\r\nLumivex\r\n</Product_Name>\r\nextra\r\n<Product_Version>\r\n7.3 "
         "beta\r\n"
         "x\r\ny\r\n<Applet_Parameters>\r\n" +
             settings + "\r\n</Applet_Parameters>\r\nnote\r\n\r\n<Item_Parameters>\r\n" + items[0] +
             "\r\n" + items[1] + "\r\n</Item_Parameters>\r\ntrailing junk\r\n"},
        {"LF alone", withLineEnds("\n")},
        {"lone CR", withLineEnds("\r")},
        {"mixed line ends",
         [&] {
             std::string t = withLineEnds("\n");
             t.replace(t.find("\n"), 1, "\r\n");
             t.replace(t.rfind("\n</Item"), 1, "\r");
             return t;
         }()},
        {"no line end after the last tag", canonical.substr(0, canonical.size() - 2)},
        {"0x1A after the last tag", canonical + "\x1A<Item_Parameters>\r\nnot read#$@\r\n"},
    };
    for (const auto& [name, text] : variants) {
        SCOPED_TRACE(name);
        AgentHarness h;
        OpenPrevious(h);
        Load(h, text);
        EXPECT_EQ(h.agent.AppletData.CtrlId, "Framed");
        EXPECT_EQ(h.agent.AppletData.Reserved16, "1005");
        EXPECT_EQ(h.agent.AppletData.RootDirLocalChecked, "0");
        ASSERT_EQ(Titles(h.agent), (std::vector<std::string>{"A", "B"}));
        EXPECT_EQ(h.agent.Items[1].ImageHeight, "120");
        EXPECT_EQ(Depths(h.tree), (std::vector<int>{1, 2}));
        EXPECT_TRUE(h.messages.errors.empty());
    }
}

TEST_F(ProjectFile, TagsMatchWholeLinesWithCaseAndBlanks) {
    const std::string good = ProjectText(kDefaultSettingsLine, {ItemLine("A", "0")});
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"<Product_Name>", "<product_name>"},
             {"<Product_Name>", "<Product_Name> "},
             {"<Product_Version>", " <Product_Version>"},
             {"<Applet_Parameters>", "<Applet_Parameters>x"}}) {
        SCOPED_TRACE(to);
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        AgentHarness h;
        OpenPrevious(h);
        const TAppletData before = h.agent.AppletData;
        const TItemArray items = h.agent.Items;
        Load(h, text);  // the tag is never found: reading runs to the end of the file
        EXPECT_EQ(h.agent.AppletData, before);
        EXPECT_EQ(h.agent.Items, items);
        ExpectInStep(h);
        EXPECT_TRUE(h.messages.errors.empty());
    }

    // A closing tag with a trailing blank is an item line like any other.
    std::string text = good;
    text.replace(text.find("</Item_Parameters>"), 18, "</Item_Parameters> ");
    AgentHarness h;
    Load(h, text);
    ASSERT_EQ(h.agent.Items.size(), 2u);
    TItemData blank;
    blank.Level = "0";  // no level at all is read as a top-level item
    EXPECT_EQ(h.agent.Items[1], blank);
    ExpectInStep(h);
}

TEST_F(ProjectFile, RefusesOtherProductsAndKeepsTheOpenProject) {
    for (const std::string product : {"lumivex", "LUMIVEX", "Lumivex ", " Lumivex", "Lumivex 1.0",
                                      "", "Corvinel2", "corvinel"}) {
        SCOPED_TRACE("product '" + product + "'");
        std::string text = ProjectText(kDefaultSettingsLine, {ItemLine("New", "0")});
        text.replace(text.find("\r\nLumivex\r\n"), 11, "\r\n" + product + "\r\n");
        AgentHarness h;
        OpenPrevious(h);
        const TAppletData before = h.agent.AppletData;
        const TItemArray items = h.agent.Items;
        Load(h, text);
        EXPECT_EQ(
            h.messages.errors,
            (std::vector<std::string>{"This file wasn't saved by Lumivex 1.0, open failed!"}));
        EXPECT_EQ(h.agent.AppletData, before);
        EXPECT_EQ(h.agent.Items, items);
        EXPECT_EQ(Depths(h.tree), (std::vector<int>{1, 2, 1}));
        ExpectInStep(h);
        EXPECT_EQ(h.progress.events, kResetEvents);
    }
}

TEST_F(ProjectFile, DataLinesWithMissingOrExtraFields) {
    AgentHarness h;
    // 12 separators: the thirteenth field is missing; an unterminated last field is not read.
    const std::string twelve =
        ItemLine("Twelve", "0").substr(0, ItemLine("Twelve", "0").size() - 6);
    const std::string unterminated =
        ItemLine("Open", "0").substr(0, ItemLine("Open", "0").size() - 3);
    const std::string extra = ItemLine("Extra", "0") + "more#$@ignored";
    Load(h, ProjectText("Short#$@#$@65#$@3000", {twelve, unterminated, extra, ""}));

    EXPECT_EQ(h.agent.AppletData.CtrlId, "Short");
    EXPECT_EQ(h.agent.AppletData.SlideInfoOpacity, "65");
    EXPECT_EQ(h.agent.AppletData.RotateDelay, "");
    EXPECT_EQ(h.agent.AppletData.RootDirLocalChecked, "");
    ASSERT_EQ(h.agent.Items.size(), 4u);
    EXPECT_EQ(h.agent.Items[0].ImageWidth, "160");
    EXPECT_EQ(h.agent.Items[0].ImageHeight, "");
    EXPECT_EQ(h.agent.Items[1].ImageHeight, "");
    EXPECT_EQ(h.agent.Items[2], Item("Extra", "0"));
    EXPECT_EQ(h.agent.Items[3].Title, "");
    ExpectInStep(h);
}

TEST_F(ProjectFile, LevelsBuildTheTree) {
    struct Case {
        std::vector<std::string> levels;
        std::vector<int> depths;
    };
    for (const auto& [levels, depths] : std::vector<Case>{
             {{"0", "1", "1", "0"}, {1, 2, 2, 1}},
             {{"0", "1", "2", "3", "1", "0", "1", "2"}, {1, 2, 3, 4, 2, 1, 2, 3}},
         }) {
        std::vector<std::string> lines;
        for (size_t i = 0; i < levels.size(); ++i)
            lines.push_back(ItemLine("n" + std::to_string(i), levels[i]));
        AgentHarness h;
        Load(h, ProjectText(kDefaultSettingsLine, lines));
        EXPECT_EQ(Depths(h.tree), depths);
        ExpectInStep(h);
    }
    // 0, 1, 1, 0: the two children hang under the first top-level node.
    AgentHarness h;
    Load(h, ProjectText(kDefaultSettingsLine, {ItemLine("A", "0"), ItemLine("A1", "1"),
                                               ItemLine("A2", "1"), ItemLine("B", "0")}));
    ASSERT_EQ(h.tree.childCount(h.tree.root()), 2);
    const ItemTree::Node a = h.tree.child(h.tree.root(), 0);
    EXPECT_EQ(h.tree.caption(a), "A");
    ASSERT_EQ(h.tree.childCount(a), 2);
    EXPECT_EQ(h.tree.caption(h.tree.child(a, 1)), "A2");
}

TEST_F(ProjectFile, CutShortFilesLeaveModelAndTreeInStep) {
    const std::string settings = "NewId#$@" + kDefaultSettingsLine.substr(11);
    const std::string full =
        ProjectText(settings, {ItemLine("N1", "0"), ItemLine("N2", "1"), ItemLine("N3", "0")});
    auto upTo = [&](const std::string& marker) { return full.substr(0, full.find(marker)); };
    const TItemArray previousItems = {Item("P1", "0"), Item("P1a", "1"), Item("P2", "0")};

    auto with = [&](const std::string& from, const std::string& to) {
        std::string text = full;
        return text.replace(text.find(from), from.size(), to);
    };
    using O = ProjectReadOutcome;
    const std::vector<std::string> previous = {"P1", "P1a", "P2"};
    struct Case {
        std::string name;
        std::string text;
        std::string ctrlId;
        std::vector<std::string> titles;
        ProjectReadOutcome outcome;
    };
    for (const auto& c : std::vector<Case>{
             {"empty file", "", "Previous", previous, O::NotAProject},
             {"only 0x1A", "\x1A", "Previous", previous, O::NotAProject},
             {"a text that is no project", "hello\r\nworld\r\n", "Previous", previous,
              O::NotAProject},
             {"before the product", upTo("Lumivex\r\n"), "Previous", previous, O::NotAProject},
             {"before the settings line", upTo(settings), "Previous", previous, O::NotAProject},
             {"a blank after a tag", with("<Applet_Parameters>", "<Applet_Parameters> "),
              "Previous", previous, O::NotAProject},
             {"no version tag", with("<Product_Version>", "<Version>"), "Previous", previous,
              O::NotAProject},
             {"after the settings line", upTo("</Applet_Parameters>"), "NewId", previous,
              O::Incomplete},
             {"no items tag", with("<Item_Parameters>", "<Items>"), "NewId", previous,
              O::NotAProject},
             {"after the items tag", upTo("N1#$@"), "NewId", {}, O::Incomplete},
             {"inside the items", upTo("N3#$@"), "NewId", {"N1", "N2"}, O::Incomplete},
             {"0x1A inside the items",
              upTo("N3#$@") + "\x1A" + full.substr(full.find("N3#$@")),
              "NewId",
              {"N1", "N2"},
              O::Incomplete},
             {"whole", full, "NewId", {"N1", "N2", "N3"}, O::Complete},
         }) {
        SCOPED_TRACE(c.name);
        AgentHarness h;
        OpenPrevious(h);
        const ProjectRead read = Load(h, c.text);
        EXPECT_EQ(read.outcome, c.outcome);
        EXPECT_EQ(read.problem.empty(), c.outcome == O::Complete) << read.problem;
        EXPECT_EQ(h.agent.AppletData.CtrlId, c.ctrlId);
        EXPECT_EQ(Titles(h.agent), c.titles);
        if (c.ctrlId == "Previous") {
            EXPECT_EQ(h.agent.AppletData.SlideShowWidth, "640");
            EXPECT_EQ(h.agent.Items, previousItems);
        }
        ExpectInStep(h);
        EXPECT_TRUE(h.messages.errors.empty());
        EXPECT_EQ(LastEvents(h.progress, 3), kResetEvents);
        EXPECT_FALSE(h.progress.busy);
    }
}

TEST_F(ProjectFile, FilesThatCannotBeReadRaiseWithTheSystemsText) {
    std::filesystem::create_directory(dir.path() / "folder.lvx");
    ASSERT_EQ(::mkfifo(dir.file("pipe.lvx").c_str(), 0600), 0);
    // Sparse: larger than any project, without taking the room.
    WriteFile(dir.file("huge.lvx"), "");
    std::filesystem::resize_file(dir.file("huge.lvx"), kMaxProjectFileBytes + 1);
    WriteFile(dir.file("flood.lvx"),
              ProjectText(kDefaultSettingsLine, {}) + std::string(kMaxProjectItems + 100, '\r'));
    for (const auto& [name, reason] : std::vector<std::pair<std::string, std::string>>{
             {"missing.lvx", "No such file or directory"},
             {"folder.lvx", "Is a directory"},
             {"pipe.lvx", "not a regular file"},
             {"/dev/zero", "not a regular file"},
             {"huge.lvx", "larger than 64 MiB"},
             {"flood.lvx", "at most 200000 items"}}) {
        AgentHarness h;
        OpenPrevious(h);
        h.tree.clear();
        try {
            h.agent.LoadFromFile(name[0] == '/' ? name : dir.file(name), h.tree);
            ADD_FAILURE() << "no error for " << name;
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
        EXPECT_EQ(h.agent.AppletData.CtrlId, "Previous");
        ExpectInStep(h);
        EXPECT_EQ(h.progress.events, kResetEvents);
    }
}

TEST_F(ProjectFile, AnInterruptedSaveLeavesThePreviousFile) {
    AgentHarness h;
    h.agent.Items = {Item("Saved", "0")};
    h.agent.SaveToFile(path);
    const std::string previous = ReadFile(path);

    // A disk that fills up halfway through a project of several megabytes.
    h.agent.Items[0].Description = std::string(3 << 20, 'd');
    h.progress.events.clear();
    FaultHookGuard guard;
    SetWriteFaultHook([](std::size_t written) { return written > 0 ? ENOSPC : 0; });
    try {
        h.agent.SaveToFile(path);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(ReadFile(path), previous);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(LastEvents(h.progress, 3), kResetEvents);
    EXPECT_FALSE(h.progress.busy);

    // A folder where the file should go stays as it was.
    std::filesystem::create_directory(dir.path() / "taken.lvx");
    WriteFile(dir.file("taken.lvx/inside.txt"), "x");
    EXPECT_THROW(h.agent.SaveToFile(dir.file("taken.lvx")), FileError);
    EXPECT_EQ(ReadFile(dir.file("taken.lvx/inside.txt")), "x");
    EXPECT_THROW(h.agent.SaveToFile(dir.file("no/such/folder.lvx")), FileError);
    EXPECT_FALSE(h.progress.busy);
}

TEST_F(ProjectFile, LongLinesAndManyItemsRoundTrip) {
    AgentHarness source;
    for (int i = 0; i < 10000; ++i)
        source.agent.Items.push_back(Item("i" + std::to_string(i), i % 3 ? "1" : "0"));
    source.agent.Items[5000].Description = std::string(10 << 20, 'x');
    source.agent.AppletData.RootDirLocal = std::string(1 << 20, 'r');
    source.agent.SaveToFile(path);

    AgentHarness target;
    target.tree.clear();
    target.agent.LoadFromFile(path, target.tree);
    EXPECT_EQ(target.agent.AppletData, source.agent.AppletData);
    EXPECT_TRUE(target.agent.Items == source.agent.Items);
    EXPECT_EQ(target.tree.count(), 10001);
}

TEST(ExtractField, TakesTheNthSeparatorTerminatedField) {
    const std::string sep = "#$@";
    struct Case {
        std::string line;
        std::vector<std::string> fields;  // for n = 1, 2, ...
    };
    for (const auto& [line, fields] : std::vector<Case>{
             {"a#$@b#$@c#$@", {"a", "b", "c", ""}},
             {"a#$@b", {"a", "", ""}},               // an unterminated last field is not read
             {"#$@#$@x#$@tail", {"", "", "x", ""}},  // nor is text after the last separator
             {"a#$#$@b#$@", {"a#$", "b", ""}},       // the first full separator ends a field
             {"#$@@#$@", {"", "@", ""}},
             {"a##$@$@", {"a#", ""}},
             {"", {"", ""}},
         }) {
        for (size_t n = 0; n < fields.size(); ++n) {
            EXPECT_EQ(TzqxAppletAgent::ExtractField(line, static_cast<int>(n + 1), sep), fields[n])
                << line << " n=" << n + 1;
        }
    }
    EXPECT_EQ(TzqxAppletAgent::ExtractField("a#$@", 0, sep), "");
    EXPECT_EQ(TzqxAppletAgent::ExtractField("a;b;", 2, ";"), "b");
}

TEST(ExtractField, SplittingOnceGivesTheSameFields) {
    // Lines over a small alphabet hit every overlap of the separator with itself and the text.
    std::string line;
    unsigned state = 12345;
    for (int round = 0; round < 3000; ++round) {
        state = state * 1103515245u + 12345u;
        line.resize(state % 24);
        for (char& c : line) {
            state = state * 1103515245u + 12345u;
            c = "#$@a"[(state >> 16) % 4];
        }
        std::array<std::string_view, 9> split;
        SplitFields(line, "#$@", split);
        for (int n = 1; n <= 9; ++n) {
            ASSERT_EQ(std::string(split[n - 1]), TzqxAppletAgent::ExtractField(line, n, "#$@"))
                << line << " n=" << n;
        }
    }
}

TEST(LineReader, EndsLinesAtCrLfLfOrCrAndTheFileAt0x1A) {
    auto lines = [](std::string_view text) {
        LineReader in(text);
        std::vector<std::string> out;
        std::string_view line;
        while (in.next(line))
            out.emplace_back(line);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(lines(""), V{});
    EXPECT_EQ(lines("a"), V{"a"});
    EXPECT_EQ(lines("a\r\n"), V{"a"});
    EXPECT_EQ(lines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(lines("a\r\r\nb\n\n"), (V{"a", "", "b", ""}));
    EXPECT_EQ(lines("\n\r"), (V{"", ""}));
    EXPECT_EQ(lines("a\r\nb\x1A\r\nc"), (V{"a", "b"}));
    EXPECT_EQ(lines("\x1A"
                    "a"),
              V{});
    EXPECT_EQ(lines(std::string_view("a\0b\n", 4)), V{std::string("a\0b", 3)});
}

}  // namespace
}  // namespace lumivex
