#include "AppletAgent.h"

namespace lumivex {

TzqxAppletAgent::TzqxAppletAgent(ItemTree& tree, Progress& progress, MessageSink& messages,
                                 std::string programFolder)
    : LinkedFiles(InitialLinkedFiles()),
      ProgramFolder(std::move(programFolder)),
      tree_(tree),
      progress_(progress),
      messages_(messages) {}

void TzqxAppletAgent::SetDefaults() {
    AppletData = DefaultAppletData();
    Options.clear();
    SlideExtraFiles.clear();
    Items.clear();
}

TAppletData TzqxAppletAgent::GetAppletData() const {
    return AppletData;
}

void TzqxAppletAgent::SetAppletData(const TAppletData& data) {
    AppletData = data;
}

TItemData TzqxAppletAgent::GetItem(int index) const {
    return Items.at(static_cast<size_t>(index));
}

void TzqxAppletAgent::SetItem(const TItemData& item, int index) {
    Items.at(static_cast<size_t>(index)) = item;
}

TItemData TzqxAppletAgent::NewItemDefaults() {
    TItemData item;
    item.Title = "Item";
    item.LinkUrl = "javascript:void(0)";
    item.LinkTarget = "_self";
    item.ToolTip = "ToolTip Here";
    item.Description = "Description Here";
    item.ImageWidth = "160";
    item.ImageHeight = "120";
    return item;
}

TStringArray TzqxAppletAgent::AppletDataToStrings(const TAppletData& data) {
    TStringArray out;
    out.reserve(TAppletData::kFieldCount);
    for (auto field : TAppletData::kFields)
        out.push_back(data.*field);
    return out;
}

TAppletData TzqxAppletAgent::StringsToAppletData(const TStringArray& strings) {
    TAppletData data;
    for (size_t k = 0; k < TAppletData::kFields.size() && k < strings.size(); ++k) {
        data.*TAppletData::kFields[k] = strings[k];
    }
    return data;
}

TStringArray TzqxAppletAgent::ItemToStrings(const TItemData& item) {
    TStringArray out;
    out.reserve(TItemData::kFieldCount);
    for (auto field : TItemData::kFields)
        out.push_back(item.*field);
    return out;
}

TItemData TzqxAppletAgent::StringsToItem(const TStringArray& strings) {
    TItemData item;
    for (size_t k = 0; k < TItemData::kFields.size() && k < strings.size(); ++k) {
        item.*TItemData::kFields[k] = strings[k];
    }
    return item;
}

}  // namespace lumivex
