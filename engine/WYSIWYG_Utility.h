#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumivex {

// A 24-bit colour; the editor converts to and from its toolkit's colour type.
struct RgbColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

std::string ColorToHexText(RgbColor color);
// Raises ConversionError when the text is not hexadecimal.
RgbColor HexTextToColor(std::string_view text);

std::string CssFontWeight(std::string_view switchText);
std::string CssFontStyle(std::string_view switchText);
std::string CssTextDecoration(std::string_view switchText);
std::string CssColor(std::string_view colorText);
std::string CssPixels(std::string_view sizeText);
std::string CssImageUrl(std::string_view imageText);

bool IsTransparentText(std::string_view colorText);

}  // namespace lumivex
