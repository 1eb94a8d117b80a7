#pragma once

#include <string>

// The names that generated files hand to the slideshow runtime lumivex.js. The runtime, the
// style sheet, the configuration script and the page must agree on every one of them.
namespace lumivex::runtime {

inline constexpr const char* kRuntimeFileName = "lumivex.js";
// Constructor called with new: (id, items, opacity, rotateDelay, transitionDuration,
// transitionSteps, slideDuration, slideSteps, delayShow, delayHide).
inline constexpr const char* kConstructor = "bUar";
// Receives the start function and calls it once the document is ready.
inline constexpr const char* kReady = "bdas";
// Each row of the items array holds these six strings, in this order.
inline constexpr int kItemRowLength = 6;  // image, link, target, title, description, tooltip

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
