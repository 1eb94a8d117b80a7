#include <unordered_map>

#include "AppletAgent.h"
#include "CodeGeneration.h"
#include "RuntimeContract.h"
#include "Text.h"

namespace lumivex {

std::string ConfigScriptText(const TAppletData& d, const TItemArray& items) {
    const std::string& id = d.CtrlId;
    const std::string crlf = "\r\n";
    std::string out;
    out += "/*" + crlf;
    out += std::string(kProductLine) + crlf;
    out += std::string(kCopyrightLine) + crlf;
    out += std::string(kProductAddress) + crlf;
    out += std::string(kSupportAddress) + crlf;
    out += "*/" + crlf;
    out += "var " + runtime::ItemsArrayName(id) + " = [" + crlf;
    for (size_t i = 0; i < items.size(); ++i) {
        const TItemData& item = items[i];
        out += "['" + EscapeScriptString(item.SlideImageFile) + "','" +
               EscapeScriptString(item.LinkUrl) + "','" + EscapeScriptString(item.LinkTarget) +
               "','" + EscapeScriptString(item.Title) + "','" +
               EscapeScriptString(item.Description) + "','" + EscapeScriptString(item.ToolTip) +
               "']";
        if (i + 1 < items.size())
            out += ",";
        out += crlf;
    }
    out += "];" + crlf;
    out += "function " + runtime::StartFunctionName(id) + "(){\n";
    out += "var " + id + " = new " + runtime::kConstructor + "('" + id + "'," +
           runtime::ItemsArrayName(id) + "," + d.SlideInfoOpacity + "," + d.RotateDelay + "," +
           d.DurImageTransition + "," + d.StepImageTransition + "," + d.DurSlideInfo + "," +
           d.StepSlideInfo + "," + d.DelayShowSlideInfo + "," + d.DelayHideSlideInfo + ");\n";
    out += "}\n";
    out += std::string(runtime::kReady) + "(" + runtime::StartFunctionName(id) + ");" + crlf;
    return out;
}

void TzqxAppletAgent::PrepareItemsForOutput() {
    const std::vector<ItemTree::Node> nodes = tree_.itemNodes();
    std::unordered_map<ItemTree::Node, int> itemIndex;
    itemIndex.reserve(nodes.size());
    for (size_t k = 0; k < nodes.size(); ++k)
        itemIndex.emplace(nodes[k], static_cast<int>(k));

    const bool rewriteLinks =
        !Trim(AppletData.RootDirLocal).empty() && !Trim(AppletData.RootDirRemote).empty();
    const bool toLocal = AppletData.RootDirLocalChecked == "1";
    const std::string& from = toLocal ? AppletData.RootDirRemote : AppletData.RootDirLocal;
    const std::string& to = toLocal ? AppletData.RootDirLocal : AppletData.RootDirRemote;

    for (size_t k = 0; k < nodes.size() && k < Items.size(); ++k) {
        TItemData& item = Items[k];
        const ItemTree::Node parent = tree_.parent(nodes[k]);
        item.Level = IntToStr(tree_.depth(nodes[k]) - 1);
        item.ParentIndex = parent == tree_.root() ? "-1" : IntToStr(itemIndex.at(parent));
        if (rewriteLinks)
            item.LinkUrl = ReplaceAllIgnoreCase(item.LinkUrl, from, to);
    }
}

}  // namespace lumivex
