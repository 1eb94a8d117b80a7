#pragma once

#include <string>

// The names that generated files hand to the slideshow runtime lumivex.js. The runtime, the
// style sheet, the configuration script and the page must agree on every one of them.
namespace lumivex::runtime {

inline constexpr const char* kRuntimeFileName = "lumivex.js";
// The same runtime minified, published under kRuntimeFileName by the modern web output.
inline constexpr const char* kMinifiedRuntimeFileName = "lumivex.min.js";
// Constructor called with new: (id, items, opacity, rotateDelay, transitionDuration,
// transitionSteps, slideDuration, slideSteps, delayShow, delayHide[, look]). `look`, given only
// when the project sets the slideshow's look, is an object: transition ('Fade', 'Slide' or
// 'Zoom'), navigation ('None', 'Arrows' or 'ArrowsAndDots') and, for a zoom, focus: each slide's
// focal point as a CSS position ('72.5% 40.0%'), '' for the centre.
inline constexpr const char* kConstructor = "bUar";
// Receives the start function and calls it once the document is ready.
inline constexpr const char* kReady = "bdas";
// Each row of the items array holds these six strings, in this order.
inline constexpr int kItemRowLength = 6;  // image, link, target, title, description, tooltip
// Modern web output adds five entries to every row, and the runtime builds a <picture> for rows
// that have them:
//   6  width    the slide's own image's width in pixels (a number; 0 when the item has no image)
//   7  height   its height
//   8  the <img>'s srcset, every width written, smallest first:
//      "slider0@0.5x.jpg 480w, slider0@0.8x.jpg 768w, slider0.jpg 960w, ..., slider0@2x.jpg 1920w"
//   9  the AVIF <source>'s srcset, each width's AVIF or, where none was smaller, its JPEG;
//      "" when the slide has no AVIF at all
//   10 sizes    the width the image takes on the page, for both srcsets
inline constexpr int kModernItemRowLength = 11;

// The extra files of a slide "slider0.jpg" in the modern web output: the slide at another
// multiple of its size, given in tenths ("slider0@0.5x.jpg", "slider0@0.8x.jpg",
// "slider0@1.5x.jpg", "slider0@2x.jpg").
inline std::string WidthName(const std::string& slide, int tenths) {
    const std::string tag = "@" + std::to_string(tenths / 10) +
                            (tenths % 10 ? "." + std::to_string(tenths % 10) : std::string()) + "x";
    const std::size_t dot = slide.rfind('.');
    return dot == std::string::npos ? slide + tag : slide.substr(0, dot) + tag + slide.substr(dot);
}
inline std::string AvifName(const std::string& slide) {
    const std::size_t dot = slide.rfind('.');
    return (dot == std::string::npos ? slide : slide.substr(0, dot)) + ".avif";
}

inline std::string PlaceholderId(const std::string& id) {
    return id + "_div";
}
inline std::string ContainerClass(const std::string& id) {
    return id;
}
inline std::string ImageAreaClass(const std::string& id) {
    return id + "_SlideImgCntr";
}
inline std::string LoadingClass(const std::string& id) {
    return id + "_Loading";
}
inline std::string CaptionClass(const std::string& id) {
    return id + "_SlideInfo";
}
inline std::string CaptionTitleClass(const std::string& id) {
    return id + "_SlideInfoTitle";
}
inline std::string CaptionDescClass(const std::string& id) {
    return id + "_SlideInfoDesc";
}

inline std::string ItemsArrayName(const std::string& id) {
    return id + "PropsArray";
}
inline std::string StartFunctionName(const std::string& id) {
    return "start" + id;
}
inline std::string StyleSheetFileName(const std::string& id) {
    return id + ".css";
}
inline std::string ConfigScriptFileName(const std::string& id) {
    return id + "cfg.js";
}

}  // namespace lumivex::runtime
