#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "AppletAgent.h"
#include "AppletData.h"

// The texts of the generated files, built in memory so a build never leaves a half-written file.
namespace lumivex {

inline constexpr const char* kProductLine = "Lumivex 1.0";
inline constexpr const char* kCopyrightLine = "Copyright (C) 2026 ZQX. All rights reserved.";
inline constexpr const char* kProductAddress = "http://www.lumivex.com/";
inline constexpr const char* kSupportAddress = "http://www.lumivex.com/support/";

// The nine rules, LF line ends. Raises ConversionError when SlideShowZIndex is not a whole number.
// The modern web output draws a fluid box in the slideshow's colour before any script runs, and
// the first slide that the page holds in it.
std::string StyleSheetText(const TAppletData& data, bool modern = false);
// The configuration script, CR LF line ends but inside the start block. With `extras` (the
// modern web output, one entry per item) every row also describes the slide's sizes and srcsets.
// `look` (RuntimeLook's) is handed to the runtime as its last argument when not empty.
std::string ConfigScriptText(const TAppletData& data, const TItemArray& items,
                             const std::vector<SlideExtras>* extras = nullptr,
                             const std::string& look = {});
// The options of the slideshow's look as the runtime takes them, a script object:
// {transition:'Slide',navigation:'ArrowsAndDots',focus:['50% 40%','']} (each slide's focal point
// for a zoom; "" where it has none); "" when every option is at its default.
std::string RuntimeLook(const ProjectOptions& options, const std::vector<SlideExtras>& extras);
// The page that links the files of `linkedFiles` in their order.
std::string PageText(const std::string& id, const TLinkedFileInfoArray& linkedFiles);
// The modern web output's HTML5 page; its snippet preloads the first slide when it has a picture.
std::string ModernPageText(const std::string& id, const TLinkedFileInfoArray& linkedFiles,
                           const TAppletData& data, const TItemArray& items,
                           const std::vector<SlideExtras>& extras);

// The srcsets and sizes of one modern slide, as the configuration script and the page's preload
// give them to the browser.
struct SlideSources {
    std::string jpeg;  // "slider0.jpg 960w, slider0@2x.jpg 1920w"
    std::string avif;  // each density's AVIF, or its JPEG; "" without any AVIF
    std::string sizes;
    long long width = 0;  // the slide's size as the item stores it; 0 when not a number
    long long height = 0;
};
SlideSources ModernSlideSources(const TAppletData& data, const TItemData& item,
                                const SlideExtras& extras);

// Item text as the content of a single-quoted script string: quote, backslash, line breaks,
// U+2028/U+2029, "</" and control characters escaped, every non-ASCII character as \uXXXX
// (UTF-8 decoded; bytes that are not valid UTF-8 read as Windows-1252). ASCII text without
// these characters comes out unchanged.
std::string EscapeScriptString(std::string_view text);

// The settings as the script and the style sheet take them: whole numbers in decimal, colours
// checked (font lists and the loading image are made safe as they are written). Raises
// SettingError, naming the field, for a value that cannot be written in its field's form. Values
// the panel writes come back unchanged.
TAppletData OutputSettings(const TAppletData& data);
// A font family list for CSS: kept as it is when every name is a plain name (identifiers and
// blanks) or safely quoted; otherwise each name that is not is quoted and escaped.
std::string CssFontFamilyList(std::string_view list);
// The loading image as a CSS value: "none", url(./name) for a name without blanks, quotes,
// parentheses or backslashes, otherwise url("./name") quoted and escaped.
std::string CssImageUrlValue(std::string_view imageText);

// A slideshow id names files, style classes and script variables: ASCII letters, digits and
// "_", not starting with a digit.
bool IsValidSlideshowId(std::string_view id);
std::string InvalidSlideshowIdMessage(std::string_view id);

}  // namespace lumivex
