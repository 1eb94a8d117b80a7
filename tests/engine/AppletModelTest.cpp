#include <gtest/gtest.h>

#include "AgentFixture.h"

namespace lumivex {
namespace {

using testing::AgentHarness;

TEST(AppletModel, FreshEngineHasEmptySettingsAndTheThreeLinkedFiles) {
    MemoryItemTree tree;
    NullProgress progress;
    NullMessageSink messages;
    TzqxAppletAgent agent(tree, progress, messages, "/nowhere/");
    EXPECT_EQ(agent.AppletData, TAppletData{});
    EXPECT_TRUE(agent.Items.empty());
    EXPECT_TRUE(agent.PreviewCopies.empty());
    EXPECT_TRUE(agent.ResourceFiles.empty());
    EXPECT_EQ(agent.Separator, "#$@");
    const TLinkedFileInfoArray expected = {{"lumivex.js", "js", false},
                                           {"cfg_file_name_here.js", "js", true},
                                           {"css_file_name_here.css", "css", true}};
    EXPECT_EQ(agent.LinkedFiles, expected);
}

TEST(AppletModel, DefaultsMatchTheTableInFieldOrder) {
    AgentHarness h;
    const TStringArray expected = {"Lumivex1",
                                   "",
                                   "65",
                                   "3000",
                                   "1000",
                                   "50",
                                   "1000",
                                   "50",
                                   "1000",
                                   "1000",
                                   "400",
                                   "300",
                                   "1000",
                                   "000000",
                                   "000000",
                                   "",
                                   "1005",
                                   "0",
                                   "80",
                                   "000000",
                                   "15",
                                   "Verdana,Ms Sans Serif,Georgia,Helvetica,Arial",
                                   "9",
                                   "1",
                                   "0",
                                   "0",
                                   "FFFF00",
                                   "0",
                                   "Verdana,Ms Sans Serif,Georgia,Helvetica,Arial",
                                   "9",
                                   "0",
                                   "0",
                                   "0",
                                   "FFFFFF",
                                   "5",
                                   "0",
                                   "0",
                                   "0",
                                   "0",
                                   "",
                                   "",
                                   "",
                                   "0"};
    EXPECT_EQ(TzqxAppletAgent::AppletDataToStrings(h.agent.AppletData), expected);
    // Spot-check that the order of the table is the order of the named fields.
    EXPECT_EQ(h.agent.AppletData.SlideShowZIndex, "1000");
    EXPECT_EQ(h.agent.AppletData.Reserved16, "1005");
    EXPECT_EQ(h.agent.AppletData.SlideInfoTitleColor, "FFFF00");
    EXPECT_EQ(h.agent.AppletData.RootDirLocalChecked, "0");
    EXPECT_EQ(TAppletData::kFieldNames[37], std::string("SlideInfoDescPaddingLeft"));
}

TEST(AppletModel, SetDefaultsDropsEveryValueAndItemButKeepsTheFileLists) {
    AgentHarness h;
    TAppletData data = h.agent.GetAppletData();
    for (auto field : TAppletData::kFields)
        data.*field = "changed";
    h.agent.SetAppletData(data);
    h.agent.Items.push_back(TzqxAppletAgent::NewItemDefaults());
    h.agent.LinkedFiles[1].FileName = "Show1cfg.js";
    h.agent.PreviewCopies = {"a.gif"};
    h.agent.ResourceFiles = {"b.gif"};

    h.agent.SetDefaults();

    EXPECT_EQ(h.agent.AppletData, DefaultAppletData());
    EXPECT_TRUE(h.agent.Items.empty());
    EXPECT_EQ(h.agent.LinkedFiles[1].FileName, "Show1cfg.js");
    EXPECT_EQ(h.agent.PreviewCopies, TStringArray{"a.gif"});
    EXPECT_EQ(h.agent.ResourceFiles, TStringArray{"b.gif"});
}

TEST(AppletModel, RecordsAreHandedOutAndTakenInAsCopies) {
    AgentHarness h;
    TAppletData copy = h.agent.GetAppletData();
    copy.CtrlId = "Other";
    EXPECT_EQ(h.agent.AppletData.CtrlId, "Lumivex1");
    h.agent.SetAppletData(copy);
    copy.CtrlId = "Later";
    EXPECT_EQ(h.agent.AppletData.CtrlId, "Other");

    TItemData item = TzqxAppletAgent::NewItemDefaults();
    item.Level = "0";
    h.agent.InsertItem(0, item);
    TItemData out = h.agent.GetItem(0);
    out.Title = "Changed";
    EXPECT_EQ(h.agent.GetItem(0).Title, "Item");
}

TEST(AppletModel, PanelWriteBackKeepsTheFieldsItDoesNotEdit) {
    AgentHarness h;
    TItemData item = TzqxAppletAgent::NewItemDefaults();
    item.Level = "1";
    item.ParentIndex = "0";
    item.SlideImageFile = "slider1.jpg";
    item.ImageWidth = "400";
    item.ImageHeight = "300";
    h.agent.InsertItem(0, item);

    TItemData edited = h.agent.GetItem(0);
    edited.Title = "T";
    edited.LinkUrl = "http://example.com/";
    edited.LinkTarget = "_blank";
    edited.ToolTip = "tip";
    edited.Description = "desc";
    edited.OriginalImagePath = "/pics/a.jpg";
    h.agent.SetItem(edited, 0);

    const TItemData stored = h.agent.GetItem(0);
    EXPECT_EQ(stored.Level, "1");
    EXPECT_EQ(stored.ParentIndex, "0");
    EXPECT_EQ(stored.SlideImageFile, "slider1.jpg");
    EXPECT_EQ(stored.ImageWidth, "400");
    EXPECT_EQ(stored.ImageHeight, "300");
    EXPECT_EQ(stored.Title, "T");
    EXPECT_EQ(stored.OriginalImagePath, "/pics/a.jpg");
}

TEST(AppletModel, NewItemDefaults) {
    const TItemData item = TzqxAppletAgent::NewItemDefaults();
    const TStringArray expected = {"Item",
                                   "javascript:void(0)",
                                   "_self",
                                   "ToolTip Here",
                                   "Description Here",
                                   "",
                                   "",
                                   "",
                                   "",
                                   "",
                                   "",
                                   "160",
                                   "120"};
    EXPECT_EQ(TzqxAppletAgent::ItemToStrings(item), expected);
}

TEST(AppletModel, StringConversionsRoundTripEveryFieldPositionally) {
    TAppletData data = DefaultAppletData();
    data.SlideShowBackgroundColor = "Transparent";
    data.SlideInfoBgColor = "transparent";
    data.ImageLeadingPath = "";
    TStringArray strings = TzqxAppletAgent::AppletDataToStrings(data);
    ASSERT_EQ(strings.size(), 43u);
    EXPECT_EQ(TzqxAppletAgent::StringsToAppletData(strings), data);

    // Each field has its own slot: a distinct value per position comes back in place.
    for (int k = 0; k < TAppletData::kFieldCount; ++k)
        strings[k] = "v" + std::to_string(k);
    const TAppletData numbered = TzqxAppletAgent::StringsToAppletData(strings);
    EXPECT_EQ(numbered.CtrlId, "v0");
    EXPECT_EQ(numbered.SlideShowLoadingBgImage, "v15");
    EXPECT_EQ(numbered.RootDirLocalChecked, "v42");
    EXPECT_EQ(TzqxAppletAgent::AppletDataToStrings(numbered), strings);

    TStringArray itemStrings;
    for (int k = 0; k < TItemData::kFieldCount; ++k)
        itemStrings.push_back(k == 3 ? "" : "f" + std::to_string(k));
    const TItemData item = TzqxAppletAgent::StringsToItem(itemStrings);
    EXPECT_EQ(item.Title, "f0");
    EXPECT_EQ(item.ToolTip, "");
    EXPECT_EQ(item.ParentIndex, "f8");
    EXPECT_EQ(item.ImageHeight, "f12");
    EXPECT_EQ(TzqxAppletAgent::ItemToStrings(item), itemStrings);
}

}  // namespace
}  // namespace lumivex
