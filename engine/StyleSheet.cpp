#include <algorithm>
#include <initializer_list>

#include "CodeGeneration.h"
#include "EngineErrors.h"
#include "Text.h"
#include "WYSIWYG_Utility.h"

namespace lumivex {

namespace {

void rule(std::string& out, const std::string& selector,
          std::initializer_list<std::string> declarations) {
    out += selector;
    out += "\n{\n";
    for (const std::string& d : declarations) {
        out += d;
        out += '\n';
    }
    out += "}\n\n";
}

// A length of the designed box as a share of the box's width as it is shown: `px` of a box
// `boxWidth` wide, in hundredths of that width with `unit` ("8.3334cqw"), rounded up so that at
// the designed width it is never below the designed pixels, and written the same in any locale.
std::string BoxShare(long long px, long long boxWidth, const char* unit) {
    const long long w = std::max(1LL, boxWidth);
    const long long tenThousandths = (px * 1'000'000 + w - 1) / w;
    std::string fraction = IntToStr(tenThousandths % 10'000);
    fraction.insert(0, 4 - fraction.size(), '0');
    return IntToStr(tenThousandths / 10'000) + "." + fraction + unit;
}

long long Number(const std::string& text) {
    try {
        return std::max(0, StrToInt(text));
    } catch (const ConversionError&) {
        return 0;
    }
}

// The units a scaling caption is written in: shares of the box's width where the browser
// knows container queries; else its paddings in percent (of the caption's width, which is the
// box's) and its fonts and height in shares of the viewport, which a box on a phone fills.
struct CaptionUnits {
    const char* condition;
    const char* padding;
    const char* font;
};
constexpr CaptionUnits kContainerUnits{"(width: 1cqw)", "cqw", "cqw"};
constexpr CaptionUnits kOlderUnits{"not (width: 1cqw)", "%", "vw"};

// The caption of the modern output shrinks with its box: paddings and indent in proportion,
// fonts too but never below a legible 12px, the height in proportion or, if more, up to 40 % of
// the box. At the designed width every value is the designed one.
void ScalingCaption(std::string& out, const TAppletData& d, const std::string& cls,
                    const CaptionUnits& units) {
    const long long w = Number(d.SlideShowWidth);
    auto scaledIn = [&](const std::string& px, const char* unit) {
        return "min(" + CssPixels(IntToStr(Number(px))) + ", " + BoxShare(Number(px), w, unit) +
               ")";
    };
    auto scaled = [&](const std::string& px) { return scaledIn(px, units.padding); };
    auto font = [&](const std::string& px) {
        const long long f = Number(px);
        return "clamp(" + IntToStr(std::min(12LL, f)) + "px, " + BoxShare(f, w, units.font) + ", " +
               IntToStr(f) + "px)";
    };
    const std::string info = cls + " ." + d.CtrlId + "_SlideInfo";
    out += std::string("@supports ") + units.condition + " {\n";
    if (d.SlideInfoHeightAuto == "1") {
        rule(out, info,
             {"max-height: 40%;", "overflow: hidden;",
              "text-indent: " + scaled(d.SlideInfoTextIndent) + ";"});
    } else {
        const std::string h = scaledIn(d.SlideInfoHeight, units.font);
        rule(out, info,
             {"height: auto;", "min-height: " + h + ";", "max-height: max(40%, " + h + ");",
              "overflow: hidden;", "text-indent: " + scaled(d.SlideInfoTextIndent) + ";"});
    }
    rule(out, info + " ." + d.CtrlId + "_SlideInfoTitle",
         {"font-size: " + font(d.SlideInfoTitleFontSize) + ";",
          "padding-left: " + scaled(d.SlideInfoTitlePaddingLeft) + ";"});
    rule(out, info + " ." + d.CtrlId + "_SlideInfoDesc",
         {"font-size: " + font(d.SlideInfoDescFontSize) + ";",
          "padding: " + scaled(d.SlideInfoDescPaddingTop) + " " +
              scaled(d.SlideInfoDescPaddingRight) + " " + scaled(d.SlideInfoDescPaddingBottom) +
              " " + scaled(d.SlideInfoDescPaddingLeft) + ";"});
    out += "}\n\n";
}

}  // namespace

std::string StyleSheetText(const TAppletData& d, bool modern) {
    const std::string& id = d.CtrlId;
    const std::string cls = "." + id;
    std::string out;
    if (modern) {
        // Shrinks with its container and keeps its proportions, and is there before the
        // runtime: nothing moves when the slides arrive.
        rule(out, "#" + id + "_div",
             {"width: " + CssPixels(d.SlideShowWidth) + ";", "height: auto;", "max-width: 100%;",
              "aspect-ratio: " + IntToStr(StrToInt(d.SlideShowWidth)) + " / " +
                  IntToStr(StrToInt(d.SlideShowHeight)) + ";",
              "z-index: " + d.SlideShowZIndex + ";", "container-type: inline-size;"});
        rule(out, cls,
             {"position: relative;", "display: block;", "overflow: hidden;",
              "background-color: " + CssColor(d.SlideShowBackgroundColor) + ";"});
        // The first slide as the page shows it before the runtime has run, as the runtime
        // shows it: centred, never enlarged.
        rule(out, cls + " > picture",
             {"position: absolute;", "left: 0;", "top: 0;", "width: 100%;", "height: 100%;",
              "display: flex;", "align-items: center;", "justify-content: center;"});
        rule(out, cls + " > picture img",
             {"width: auto;", "height: auto;", "max-width: 100%;", "max-height: 100%;"});
    } else {
        rule(out, "#" + id + "_div",
             {"width: " + CssPixels(d.SlideShowWidth) + ";",
              "height: " + CssPixels(d.SlideShowHeight) + ";",
              "z-index: " + d.SlideShowZIndex + ";"});
        rule(out, cls, {"position: relative;", "display: none;", "overflow: hidden;"});
    }
    rule(out, cls + " img", {"border: 0;", "margin: 0;"});
    rule(out, cls + " a", {"text-decoration: none;", "font-size: 100%;"});
    rule(out, cls + " ." + id + "_SlideImgCntr",
         {"width: 100%;", "height: 100%;", "background-repeat: no-repeat;",
          "background-position: center center;",
          "background-color: " + CssColor(d.SlideShowBackgroundColor) + ";"});
    rule(out, cls + " ." + id + "_Loading",
         {"position: absolute;", "left: 0;", "top: 0;", "width: 100%;", "height: 100%;",
          "background-repeat: no-repeat;", "background-position: center center;",
          "background-color: " + CssColor(d.SlideShowLoadingBgColor) + ";",
          "background-image: " + CssImageUrlValue(d.SlideShowLoadingBgImage) + ";"});
    const std::string captionZ = IntToStr(static_cast<long long>(StrToInt(d.SlideShowZIndex)) + 15);
    rule(out, cls + " ." + id + "_SlideInfo",
         {"position: absolute;", "z-index: " + captionZ + ";", "width: 100%;",
          d.SlideInfoHeightAuto == "1" ? std::string("height: auto;")
                                       : "height: " + CssPixels(d.SlideInfoHeight) + ";",
          "margin: 0px;", "left: 0;", "bottom: 0;",
          "background-color: " + CssColor(d.SlideInfoBgColor) + ";",
          "text-indent: " + CssPixels(d.SlideInfoTextIndent) + ";"});
    rule(out, cls + " ." + id + "_SlideInfo ." + id + "_SlideInfoTitle",
         {"font-family: " + CssFontFamilyList(d.SlideInfoTitleFontFamily) + ";",
          "font-size: " + CssPixels(d.SlideInfoTitleFontSize) + ";",
          "font-weight: " + CssFontWeight(d.SlideInfoTitleFontWeight) + ";",
          "font-style: " + CssFontStyle(d.SlideInfoTitleFontStyle) + ";",
          "text-decoration: " + CssTextDecoration(d.SlideInfoTitleTextDecoration) + ";",
          "color: " + CssColor(d.SlideInfoTitleColor) + ";",
          "padding-left: " + CssPixels(d.SlideInfoTitlePaddingLeft) + ";", "margin: 0px;"});
    rule(out, cls + " ." + id + "_SlideInfo ." + id + "_SlideInfoDesc",
         {"font-family: " + CssFontFamilyList(d.SlideInfoDescFontFamily) + ";",
          "font-size: " + CssPixels(d.SlideInfoDescFontSize) + ";",
          "font-weight: " + CssFontWeight(d.SlideInfoDescFontWeight) + ";",
          "font-style: " + CssFontStyle(d.SlideInfoDescFontStyle) + ";",
          "text-decoration: " + CssTextDecoration(d.SlideInfoDescTextDecoration) + ";",
          "color: " + CssColor(d.SlideInfoDescColor) + ";",
          "padding-top: " + CssPixels(d.SlideInfoDescPaddingTop) + ";",
          "padding-right: " + CssPixels(d.SlideInfoDescPaddingRight) + ";",
          "padding-bottom: " + CssPixels(d.SlideInfoDescPaddingBottom) + ";",
          "padding-left: " + CssPixels(d.SlideInfoDescPaddingLeft) + ";", "margin: 0px;"});
    if (modern) {
        ScalingCaption(out, d, cls, kContainerUnits);
        ScalingCaption(out, d, cls, kOlderUnits);
    }
    return out;
}

}  // namespace lumivex
