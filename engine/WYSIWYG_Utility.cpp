#include "WYSIWYG_Utility.h"

#include <cstdio>

#include "Text.h"

namespace lumivex {

namespace {

// Appends rather than using "x" + string, whose inlined insert trips a false -Wrestrict in
// GCC 12's optimiser.
std::string Prefixed(char prefix, std::string_view text) {
    std::string result(1, prefix);
    result.append(text);
    return result;
}

}  // namespace

bool IsTransparentText(std::string_view colorText) {
    return SameTextIgnoreCase(colorText, "transparent");
}

std::string ColorToHexText(RgbColor color) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", color.red, color.green, color.blue);
    return buffer;
}

RgbColor HexTextToColor(std::string_view text) {
    if (IsTransparentText(text))
        return RgbColor{};
    // Read as one hexadecimal number: a shorter text spells the low components (FF is blue).
    const auto value = static_cast<std::uint32_t>(StrToInt(Prefixed('$', text.substr(0, 6))));
    return RgbColor{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                    static_cast<std::uint8_t>(value)};
}

std::string CssFontWeight(std::string_view switchText) {
    return switchText == "1" ? "bold" : "normal";
}

std::string CssFontStyle(std::string_view switchText) {
    return switchText == "1" ? "italic" : "normal";
}

std::string CssTextDecoration(std::string_view switchText) {
    return switchText == "1" ? "underline" : "none";
}

std::string CssColor(std::string_view colorText) {
    if (IsTransparentText(colorText))
        return std::string(colorText);
    return Prefixed('#', colorText);
}

std::string CssPixels(std::string_view sizeText) {
    return std::string(sizeText) + "px";
}

std::string CssImageUrl(std::string_view imageText) {
    if (Trim(imageText).empty())
        return "none";
    return "url(./" + std::string(imageText) + ")";
}

}  // namespace lumivex
