#include "AppletData.h"

namespace lumivex {

const std::array<std::string TAppletData::*, TAppletData::kFieldCount> TAppletData::kFields = {
    &TAppletData::CtrlId,
    &TAppletData::Reserved1,
    &TAppletData::SlideInfoOpacity,
    &TAppletData::RotateDelay,
    &TAppletData::DurImageTransition,
    &TAppletData::StepImageTransition,
    &TAppletData::DurSlideInfo,
    &TAppletData::StepSlideInfo,
    &TAppletData::DelayShowSlideInfo,
    &TAppletData::DelayHideSlideInfo,
    &TAppletData::SlideShowWidth,
    &TAppletData::SlideShowHeight,
    &TAppletData::SlideShowZIndex,
    &TAppletData::SlideShowBackgroundColor,
    &TAppletData::SlideShowLoadingBgColor,
    &TAppletData::SlideShowLoadingBgImage,
    &TAppletData::Reserved16,
    &TAppletData::SlideInfoHeightAuto,
    &TAppletData::SlideInfoHeight,
    &TAppletData::SlideInfoBgColor,
    &TAppletData::SlideInfoTextIndent,
    &TAppletData::SlideInfoTitleFontFamily,
    &TAppletData::SlideInfoTitleFontSize,
    &TAppletData::SlideInfoTitleFontWeight,
    &TAppletData::SlideInfoTitleFontStyle,
    &TAppletData::SlideInfoTitleTextDecoration,
    &TAppletData::SlideInfoTitleColor,
    &TAppletData::SlideInfoTitlePaddingLeft,
    &TAppletData::SlideInfoDescFontFamily,
    &TAppletData::SlideInfoDescFontSize,
    &TAppletData::SlideInfoDescFontWeight,
    &TAppletData::SlideInfoDescFontStyle,
    &TAppletData::SlideInfoDescTextDecoration,
    &TAppletData::SlideInfoDescColor,
    &TAppletData::SlideInfoDescPaddingTop,
    &TAppletData::SlideInfoDescPaddingRight,
    &TAppletData::SlideInfoDescPaddingBottom,
    &TAppletData::SlideInfoDescPaddingLeft,
    &TAppletData::ImageLeadingPathEnabled,
    &TAppletData::ImageLeadingPath,
    &TAppletData::RootDirLocal,
    &TAppletData::RootDirRemote,
    &TAppletData::RootDirLocalChecked,
};

const std::array<const char*, TAppletData::kFieldCount> TAppletData::kFieldNames = {
    "CtrlId",
    "Reserved1",
    "SlideInfoOpacity",
    "RotateDelay",
    "DurImageTransition",
    "StepImageTransition",
    "DurSlideInfo",
    "StepSlideInfo",
    "DelayShowSlideInfo",
    "DelayHideSlideInfo",
    "SlideShowWidth",
    "SlideShowHeight",
    "SlideShowZIndex",
    "SlideShowBackgroundColor",
    "SlideShowLoadingBgColor",
    "SlideShowLoadingBgImage",
    "Reserved16",
    "SlideInfoHeightAuto",
    "SlideInfoHeight",
    "SlideInfoBgColor",
    "SlideInfoTextIndent",
    "SlideInfoTitleFontFamily",
    "SlideInfoTitleFontSize",
    "SlideInfoTitleFontWeight",
    "SlideInfoTitleFontStyle",
    "SlideInfoTitleTextDecoration",
    "SlideInfoTitleColor",
    "SlideInfoTitlePaddingLeft",
    "SlideInfoDescFontFamily",
    "SlideInfoDescFontSize",
    "SlideInfoDescFontWeight",
    "SlideInfoDescFontStyle",
    "SlideInfoDescTextDecoration",
    "SlideInfoDescColor",
    "SlideInfoDescPaddingTop",
    "SlideInfoDescPaddingRight",
    "SlideInfoDescPaddingBottom",
    "SlideInfoDescPaddingLeft",
    "ImageLeadingPathEnabled",
    "ImageLeadingPath",
    "RootDirLocal",
    "RootDirRemote",
    "RootDirLocalChecked",
};

const std::array<std::string TItemData::*, TItemData::kFieldCount> TItemData::kFields = {
    &TItemData::Title,          &TItemData::LinkUrl,           &TItemData::LinkTarget,
    &TItemData::ToolTip,        &TItemData::Description,       &TItemData::Level,
    &TItemData::Reserved6,      &TItemData::Reserved7,         &TItemData::ParentIndex,
    &TItemData::SlideImageFile, &TItemData::OriginalImagePath, &TItemData::ImageWidth,
    &TItemData::ImageHeight,
};

const std::array<const char*, TItemData::kFieldCount> TItemData::kFieldNames = {
    "Title",       "LinkUrl",   "LinkTarget",  "ToolTip",        "Description",       "Level",
    "Reserved6",   "Reserved7", "ParentIndex", "SlideImageFile", "OriginalImagePath", "ImageWidth",
    "ImageHeight",
};

TAppletData DefaultAppletData() {
    TAppletData d;
    d.CtrlId = "Lumivex1";
    d.Reserved1 = "";
    d.SlideInfoOpacity = "65";
    d.RotateDelay = "3000";
    d.DurImageTransition = "1000";
    d.StepImageTransition = "50";
    d.DurSlideInfo = "1000";
    d.StepSlideInfo = "50";
    d.DelayShowSlideInfo = "1000";
    d.DelayHideSlideInfo = "1000";
    d.SlideShowWidth = "400";
    d.SlideShowHeight = "300";
    d.SlideShowZIndex = "1000";
    d.SlideShowBackgroundColor = "000000";
    d.SlideShowLoadingBgColor = "000000";
    d.SlideShowLoadingBgImage = "";
    d.Reserved16 = "1005";
    d.SlideInfoHeightAuto = "0";
    d.SlideInfoHeight = "80";
    d.SlideInfoBgColor = "000000";
    d.SlideInfoTextIndent = "15";
    d.SlideInfoTitleFontFamily = "Verdana,Ms Sans Serif,Georgia,Helvetica,Arial";
    d.SlideInfoTitleFontSize = "9";
    d.SlideInfoTitleFontWeight = "1";
    d.SlideInfoTitleFontStyle = "0";
    d.SlideInfoTitleTextDecoration = "0";
    d.SlideInfoTitleColor = "FFFF00";
    d.SlideInfoTitlePaddingLeft = "0";
    d.SlideInfoDescFontFamily = "Verdana,Ms Sans Serif,Georgia,Helvetica,Arial";
    d.SlideInfoDescFontSize = "9";
    d.SlideInfoDescFontWeight = "0";
    d.SlideInfoDescFontStyle = "0";
    d.SlideInfoDescTextDecoration = "0";
    d.SlideInfoDescColor = "FFFFFF";
    d.SlideInfoDescPaddingTop = "5";
    d.SlideInfoDescPaddingRight = "0";
    d.SlideInfoDescPaddingBottom = "0";
    d.SlideInfoDescPaddingLeft = "0";
    d.ImageLeadingPathEnabled = "0";
    d.ImageLeadingPath = "";
    d.RootDirLocal = "";
    d.RootDirRemote = "";
    d.RootDirLocalChecked = "0";
    return d;
}

TLinkedFileInfoArray InitialLinkedFiles() {
    return {
        {"lumivex.js", "js", false},
        {"cfg_file_name_here.js", "js", true},
        {"css_file_name_here.css", "css", true},
    };
}

}  // namespace lumivex
