// Settings as they reach the configuration script and the style sheet: each only in the form
// its field allows, so that a value typed or pasted into a project file can neither run script
// in the page nor add style rules. Values the panel writes come out exactly as stored.
#include <array>

#include "CodeGeneration.h"
#include "EngineErrors.h"
#include "Text.h"
#include "WYSIWYG_Utility.h"

namespace lumivex {

namespace {

struct Checked {
    std::string TAppletData::*field;
    const char* name;   // the field's name in the project file's order
    const char* label;  // the control's caption on the property pages
};

const Checked kNumbers[] = {
    {&TAppletData::SlideInfoOpacity, "SlideInfoOpacity", "Opacity"},
    {&TAppletData::RotateDelay, "RotateDelay", "Image Rotation Delay"},
    {&TAppletData::DurImageTransition, "DurImageTransition", "Image Transition Duration"},
    {&TAppletData::StepImageTransition, "StepImageTransition", "Image Transition Steps"},
    {&TAppletData::DurSlideInfo, "DurSlideInfo", "Sliding Duration"},
    {&TAppletData::StepSlideInfo, "StepSlideInfo", "Sliding Steps"},
    {&TAppletData::DelayShowSlideInfo, "DelayShowSlideInfo", "Delay Show"},
    {&TAppletData::DelayHideSlideInfo, "DelayHideSlideInfo", "Delay Hide"},
    {&TAppletData::SlideShowWidth, "SlideShowWidth", "Width"},
    {&TAppletData::SlideShowHeight, "SlideShowHeight", "Height"},
    {&TAppletData::SlideShowZIndex, "SlideShowZIndex", "Z-Index"},
    {&TAppletData::SlideInfoHeight, "SlideInfoHeight", "Height"},
    {&TAppletData::SlideInfoTextIndent, "SlideInfoTextIndent", "Text Indent"},
    {&TAppletData::SlideInfoTitleFontSize, "SlideInfoTitleFontSize", "Size"},
    {&TAppletData::SlideInfoTitlePaddingLeft, "SlideInfoTitlePaddingLeft", "Padding-Left"},
    {&TAppletData::SlideInfoDescFontSize, "SlideInfoDescFontSize", "Size"},
    {&TAppletData::SlideInfoDescPaddingTop, "SlideInfoDescPaddingTop", "Top"},
    {&TAppletData::SlideInfoDescPaddingRight, "SlideInfoDescPaddingRight", "Right"},
    {&TAppletData::SlideInfoDescPaddingBottom, "SlideInfoDescPaddingBottom", "Bottom"},
    {&TAppletData::SlideInfoDescPaddingLeft, "SlideInfoDescPaddingLeft", "Padding-Left"},
};

const Checked kColours[] = {
    {&TAppletData::SlideShowBackgroundColor, "SlideShowBackgroundColor", "Color"},
    {&TAppletData::SlideShowLoadingBgColor, "SlideShowLoadingBgColor", "Background Color"},
    {&TAppletData::SlideInfoBgColor, "SlideInfoBgColor", "Background Color"},
    {&TAppletData::SlideInfoTitleColor, "SlideInfoTitleColor", "Color"},
    {&TAppletData::SlideInfoDescColor, "SlideInfoDescColor", "Color"},
};

[[noreturn]] void refuse(const Checked& c, const std::string& value, const char* form) {
    // The value is shown shortened and as plain characters, whatever it holds.
    std::string shown;
    for (char ch : value.substr(0, 60))
        shown += static_cast<unsigned char>(ch) < 0x20 ? ' ' : ch;
    if (value.size() > 60)
        shown += "...";
    throw SettingError(c.name, std::string("The setting \"") + c.label + "\" (" + c.name +
                                   ") holds \"" + shown + "\", which is not " + form +
                                   ". Nothing was written.");
}

bool isHexColour(std::string_view text) {
    if (text.size() != 6)
        return false;
    for (char c : text) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!hex)
            return false;
    }
    return true;
}

bool isAsciiLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A CSS identifier: letters, digits, "-", "_" and any non-ASCII byte, not starting with a digit
// (nor "-" and a digit), not "--" alone.
bool isIdentifier(std::string_view word) {
    if (word.empty() || word == "-")
        return false;
    std::size_t i = 0;
    if (word[0] == '-')
        ++i;
    const auto first = static_cast<unsigned char>(word[i]);
    if (!(isAsciiLetter(first) || first == '_' || first >= 0x80 || (i == 1 && first == '-')))
        return false;
    for (unsigned char c : word) {
        if (!(isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c >= 0x80))
            return false;
    }
    return true;
}

// A family name that stands unquoted: identifiers separated by single blanks.
bool isPlainFamilyName(std::string_view name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find(' ', start);
        if (end == std::string_view::npos)
            end = name.size();
        if (!isIdentifier(name.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

// A quoted family name that needs nothing: its own quotes at both ends and, inside, no quote,
// backslash or control character.
bool isSafeQuotedName(std::string_view name) {
    if (name.size() < 2 || (name.front() != '"' && name.front() != '\'') ||
        name.back() != name.front())
        return false;
    for (unsigned char c : name.substr(1, name.size() - 2)) {
        if (c == '"' || c == '\'' || c == '\\' || c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

// Text as the content of a double-quoted CSS string.
std::string cssStringContent(std::string_view text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            // A hexadecimal escape ends at its blank; NUL reads as the replacement character.
            out += '\\';
            if (c >= 0x10)
                out += kHex[c >> 4];
            out += kHex[c & 0xF];
            out += ' ';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The family names of a list: split at commas outside quotes.
std::vector<std::string_view> familyNames(std::string_view list) {
    std::vector<std::string_view> names;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || (list[i] == ',' && quote == 0)) {
            names.push_back(list.substr(start, i - start));
            start = i + 1;
        } else if (quote == 0 && (list[i] == '"' || list[i] == '\'')) {
            quote = list[i];
        } else if (quote != 0 && list[i] == quote) {
            quote = 0;
        }
    }
    return names;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool isPlainUrlCharacter(unsigned char c) {
    // What an unquoted url() may hold, less what could end it or start an escape.
    return c > 0x20 && c != 0x7F && c != '"' && c != '\'' && c != '(' && c != ')' && c != '\\';
}

}  // namespace

SettingError::SettingError(std::string field, const std::string& message)
    : InvalidProjectError(message), field_(std::move(field)) {}

TAppletData OutputSettings(const TAppletData& data) {
    TAppletData out = data;
    for (const Checked& c : kNumbers) {
        // The caption's own height is not written while it is automatic.
        if (c.field == &TAppletData::SlideInfoHeight && data.SlideInfoHeightAuto == "1")
            continue;
        try {
            out.*c.field = IntToStr(StrToInt(data.*c.field));
        } catch (const ConversionError&) {
            refuse(c, data.*c.field, "a whole number");
        }
    }
    for (const Checked& c : kColours) {
        const std::string& value = data.*c.field;
        if (!isHexColour(value) && !IsTransparentText(value))
            refuse(c, value, "a colour of six hexadecimal digits or \"Transparent\"");
    }
    return out;
}

std::string CssFontFamilyList(std::string_view list) {
    bool plain = true;
    for (std::string_view name : familyNames(list)) {
        const std::string_view trimmed = trimBlanks(name);
        if (!isPlainFamilyName(trimmed) && !isSafeQuotedName(trimmed))
            plain = false;
    }
    // A list the panel's users write (and any empty one) stays exactly as typed.
    if (plain || trimBlanks(list).empty())
        return std::string(list);
    std::string out;
    for (std::string_view name : familyNames(list)) {
        const std::string_view trimmed = trimBlanks(name);
        if (trimmed.empty())
            continue;
        if (!out.empty())
            out += ',';
        if (isPlainFamilyName(trimmed) || isSafeQuotedName(trimmed))
            out += trimmed;
        else
            out += "\"" + cssStringContent(trimmed) + "\"";
    }
    return out;
}

std::string CssImageUrlValue(std::string_view imageText) {
    if (Trim(imageText).empty())
        return "none";
    for (unsigned char c : imageText) {
        if (!isPlainUrlCharacter(c))
            return "url(\"./" + cssStringContent(imageText) + "\")";
    }
    return CssImageUrl(imageText);
}

}  // namespace lumivex
