#pragma once

#include <array>
#include <string>
#include <vector>

namespace lumivex {

using TStringArray = std::vector<std::string>;

// The slideshow-wide settings. Every value is text; the field order is the order of the
// project file and of AppletDataToStrings.
struct TAppletData {
    std::string CtrlId;
    std::string Reserved1;
    std::string SlideInfoOpacity;
    std::string RotateDelay;
    std::string DurImageTransition;
    std::string StepImageTransition;
    std::string DurSlideInfo;
    std::string StepSlideInfo;
    std::string DelayShowSlideInfo;
    std::string DelayHideSlideInfo;
    std::string SlideShowWidth;
    std::string SlideShowHeight;
    std::string SlideShowZIndex;
    std::string SlideShowBackgroundColor;
    std::string SlideShowLoadingBgColor;
    std::string SlideShowLoadingBgImage;
    std::string Reserved16;
    std::string SlideInfoHeightAuto;
    std::string SlideInfoHeight;
    std::string SlideInfoBgColor;
    std::string SlideInfoTextIndent;
    std::string SlideInfoTitleFontFamily;
    std::string SlideInfoTitleFontSize;
    std::string SlideInfoTitleFontWeight;
    std::string SlideInfoTitleFontStyle;
    std::string SlideInfoTitleTextDecoration;
    std::string SlideInfoTitleColor;
    std::string SlideInfoTitlePaddingLeft;
    std::string SlideInfoDescFontFamily;
    std::string SlideInfoDescFontSize;
    std::string SlideInfoDescFontWeight;
    std::string SlideInfoDescFontStyle;
    std::string SlideInfoDescTextDecoration;
    std::string SlideInfoDescColor;
    std::string SlideInfoDescPaddingTop;
    std::string SlideInfoDescPaddingRight;
    std::string SlideInfoDescPaddingBottom;
    std::string SlideInfoDescPaddingLeft;
    std::string ImageLeadingPathEnabled;
    std::string ImageLeadingPath;
    std::string RootDirLocal;
    std::string RootDirRemote;
    std::string RootDirLocalChecked;

    static constexpr int kFieldCount = 43;
    static const std::array<std::string TAppletData::*, kFieldCount> kFields;
    static const std::array<const char*, kFieldCount> kFieldNames;

    friend bool operator==(const TAppletData&, const TAppletData&) = default;
};

// One slide item.
struct TItemData {
    std::string Title;
    std::string LinkUrl;
    std::string LinkTarget;
    std::string ToolTip;
    std::string Description;
    std::string Level;
    std::string Reserved6;
    std::string Reserved7;
    std::string ParentIndex;
    std::string SlideImageFile;
    std::string OriginalImagePath;
    std::string ImageWidth;
    std::string ImageHeight;

    static constexpr int kFieldCount = 13;
    static const std::array<std::string TItemData::*, kFieldCount> kFields;
    static const std::array<const char*, kFieldCount> kFieldNames;

    friend bool operator==(const TItemData&, const TItemData&) = default;
};

using TItemArray = std::vector<TItemData>;

// One file that the generated page links to.
struct TLinkedFileInfo {
    std::string FileName;
    std::string FileKind;
    bool IsGenerated = false;

    friend bool operator==(const TLinkedFileInfo&, const TLinkedFileInfo&) = default;
};

using TLinkedFileInfoArray = std::vector<TLinkedFileInfo>;

// The settings of a new project, field by field.
TAppletData DefaultAppletData();
TLinkedFileInfoArray InitialLinkedFiles();

inline constexpr const char* kFieldSeparator = "#$@";
inline constexpr int kRuntimeEntry = 0;
inline constexpr int kConfigScriptEntry = 1;
inline constexpr int kStyleSheetEntry = 2;

}  // namespace lumivex
