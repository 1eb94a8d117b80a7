#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "AppletAgent.h"
#include "CodeGeneration.h"
#include "EngineErrors.h"
#include "RuntimeContract.h"
#include "Text.h"

namespace lumivex {

namespace {

// An item's stored picture size; one that is not a number (a hand-edited file) counts as none.
long long PixelCount(const std::string& text) {
    try {
        return std::max(0, StrToInt(text));
    } catch (const ConversionError&) {
        return 0;
    }
}

}  // namespace

SlideSources ModernSlideSources(const TAppletData& d, const TItemData& item,
                                const SlideExtras& extras) {
    SlideSources out;
    const std::string& slide = item.SlideImageFile;
    if (Trim(slide).empty())
        return out;
    const long long width = PixelCount(item.ImageWidth);
    out.width = width;
    out.height = PixelCount(item.ImageHeight);
    const long long box = StrToInt(d.SlideShowWidth);
    // Every width smallest first, the slide's own among them.
    struct Candidate {
        std::string jpeg;
        long long width;
        bool avif;
    };
    std::vector<Candidate> all;
    for (const SlideExtras::Width& w : extras.widths) {
        if (w.tenths < 10 && w.width > 0)
            all.push_back({runtime::WidthName(slide, w.tenths), w.width, w.avif});
    }
    all.push_back({slide, width, extras.avif});
    for (const SlideExtras::Width& w : extras.widths) {
        if (w.tenths > 10 && w.width > 0)
            all.push_back({runtime::WidthName(slide, w.tenths), w.width, w.avif});
    }
    const bool anyAvif =
        std::any_of(all.begin(), all.end(), [](const Candidate& c) { return c.avif; });
    for (const Candidate& c : all) {
        const std::string w = " " + IntToStr(c.width) + "w";
        const std::string sep = out.jpeg.empty() ? "" : ", ";
        out.jpeg += sep + c.jpeg + w;
        if (anyAvif)
            out.avif += sep + (c.avif ? runtime::AvifName(c.jpeg) : c.jpeg) + w;
    }
    // The box is at most its own width and at most the viewport's; a narrower slide takes its
    // share of that.
    const std::string boxWidth = "min(100vw, " + IntToStr(box) + "px)";
    out.sizes = width >= box || width <= 0
                    ? boxWidth
                    : "calc(" + boxWidth + " * " + IntToStr(width) + " / " + IntToStr(box) + ")";
    return out;
}

std::string RuntimeLook(const ProjectOptions& options, const std::vector<SlideExtras>& extras) {
    const std::string transition = options.transition();
    const std::string navigation = options.navigation();
    if (transition == "Fade" && navigation == "None")
        return {};
    std::string out = "{transition:'" + transition + "',navigation:'" + navigation + "'";
    if (transition == "Zoom") {
        out += ",focus:[";
        for (std::size_t k = 0; k < extras.size(); ++k) {
            if (k > 0)
                out += ",";
            out += "'";
            if (const auto& f = extras[k].focus) {
                // Tenths of a percent, written without the locale's decimal sign.
                auto percent = [](double v) {
                    const long tenths = std::lround(std::clamp(v, 0.0, 1.0) * 1000);
                    return IntToStr(tenths / 10) + "." + IntToStr(tenths % 10) + "%";
                };
                out += percent(f->x) + " " + percent(f->y);
            }
            out += "'";
        }
        out += "]";
    }
    return out + "}";
}

std::string ConfigScriptText(const TAppletData& d, const TItemArray& items,
                             const std::vector<SlideExtras>* extras, const std::string& look) {
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
               "'";
        if (extras != nullptr) {
            const SlideExtras none;
            const SlideSources sources =
                ModernSlideSources(d, item, i < extras->size() ? (*extras)[i] : none);
            const bool picture = !sources.jpeg.empty();
            out += "," + IntToStr(picture ? sources.width : 0) + "," +
                   IntToStr(picture ? sources.height : 0) + ",'" +
                   EscapeScriptString(sources.jpeg) + "','" + EscapeScriptString(sources.avif) +
                   "','" + EscapeScriptString(sources.sizes) + "'";
        }
        out += "]";
        if (i + 1 < items.size())
            out += ",";
        out += crlf;
    }
    out += "];" + crlf;
    out += "function " + runtime::StartFunctionName(id) + "(){\n";
    out += "var " + id + " = new " + runtime::kConstructor + "('" + id + "'," +
           runtime::ItemsArrayName(id) + "," + d.SlideInfoOpacity + "," + d.RotateDelay + "," +
           d.DurImageTransition + "," + d.StepImageTransition + "," + d.DurSlideInfo + "," +
           d.StepSlideInfo + "," + d.DelayShowSlideInfo + "," + d.DelayHideSlideInfo +
           (look.empty() ? "" : "," + look) + ");\n";
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
