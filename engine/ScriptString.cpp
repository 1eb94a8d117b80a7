#include <cstdint>
#include <cstdio>

#include "CodeGeneration.h"
#include "Text.h"

namespace lumivex {

namespace {

// Windows-1252 for 0x80..0x9F; the five unassigned bytes keep their C1 code points, as browsers do.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUnit(std::string& out, std::uint32_t unit) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(unit));
    out += buffer;
}

void appendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        appendUnit(out, 0xD800 + (cp >> 10));
        appendUnit(out, 0xDC00 + (cp & 0x3FF));
    } else {
        appendUnit(out, cp);
    }
}

// Length of a valid UTF-8 sequence at text[i] and its code point, or 0 when it is not one.
size_t decodeUtf8(std::string_view text, size_t i, std::uint32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    size_t length = 0;
    std::uint32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string LegacyTextToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = 0;
        const size_t length = c >= 0x80 ? decodeUtf8(text, i, cp) : 0;
        if (length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            appendUtf8(out, c < 0x80 ? c : c < 0xA0 ? kCp1252High[c - 0x80] : c);
            ++i;
        }
    }
    return out;
}

std::string EscapeScriptString(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            std::uint32_t cp = 0;
            const size_t length = decodeUtf8(text, i, cp);
            if (length > 0) {
                appendCodePoint(out, cp);
                i += length;
            } else {
                appendCodePoint(out, c < 0xA0 ? kCp1252High[c - 0x80] : c);
                ++i;
            }
            continue;
        }
        switch (c) {
            case '\'':
                out += "\\'";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '/':
                // "</" would end an inline script block if the code were pasted into a page.
                out += (i > 0 && text[i - 1] == '<') ? "\\/" : "/";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    appendUnit(out, c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    return out;
}

}  // namespace lumivex
