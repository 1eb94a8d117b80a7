#include "Text.h"

#include <cstdint>

#include "EngineErrors.h"

namespace lumivex {

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

int StrToInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        throw ConversionError(std::string(text));
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = base == 16 ? hexDigit(text[i])
                               : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            throw ConversionError(std::string(text));
        value = value * base + digit;
        // Hexadecimal text may spell the full 32-bit pattern, as colour values do.
        const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL : 0x80000000LL;
        if (value > limit)
            throw ConversionError(std::string(text));
    }
    if (base == 10 && !negative && value > 0x7FFFFFFFLL)
        throw ConversionError(std::string(text));
    if (base == 16)
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<int>(negative ? -value : value);
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from,
                                 std::string_view to) {
    if (from.empty())
        return std::string(text);
    const std::string haystack = LowerCase(text);
    const std::string needle = LowerCase(from);
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (true) {
        const size_t hit = haystack.find(needle, pos);
        if (hit == std::string::npos)
            break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + needle.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::string FileNamePart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

}  // namespace lumivex
