#include <initializer_list>

#include "CodeGeneration.h"
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
              "z-index: " + d.SlideShowZIndex + ";"});
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
    return out;
}

}  // namespace lumivex
