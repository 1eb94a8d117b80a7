#pragma once

#include <string>
#include <string_view>

#include "AppletData.h"

// The texts of the generated files, built in memory so a build never leaves a half-written file.
namespace lumivex {

inline constexpr const char* kProductLine = "Lumivex 1.0";
inline constexpr const char* kCopyrightLine = "Copyright (C) 2026 ZQX. All rights reserved.";
inline constexpr const char* kProductAddress = "http://www.lumivex.com/";
inline constexpr const char* kSupportAddress = "http://www.lumivex.com/support/";

// The nine rules, LF line ends. Raises ConversionError when SlideShowZIndex is not a whole number.
std::string StyleSheetText(const TAppletData& data);
// The configuration script, CR LF line ends but inside the start block.
std::string ConfigScriptText(const TAppletData& data, const TItemArray& items);
// The page that links the files of `linkedFiles` in their order.
std::string PageText(const std::string& id, const TLinkedFileInfoArray& linkedFiles);

// Item text as the content of a single-quoted script string: quote, backslash, line breaks,
// U+2028/U+2029, "</" and control characters escaped, every non-ASCII character as \uXXXX
// (UTF-8 decoded; bytes that are not valid UTF-8 read as Windows-1252). ASCII text without
// these characters comes out unchanged.
std::string EscapeScriptString(std::string_view text);

// A slideshow id names files, style classes and script variables: ASCII letters, digits and
// "_", not starting with a digit.
bool IsValidSlideshowId(std::string_view id);
std::string InvalidSlideshowIdMessage(std::string_view id);

}  // namespace lumivex
