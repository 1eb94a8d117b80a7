#pragma once

#include <string>
#include <string_view>

namespace lumivex {

// Removes leading and trailing blanks and control characters (bytes up to 0x20).
std::string Trim(std::string_view text);

// Whole-number text as the property panel writes it. Accepts leading blanks, a sign and
// "$" or "0x" hexadecimal; anything else, or a value outside 32 bits, raises ConversionError.
int StrToInt(std::string_view text);

std::string IntToStr(long long value);

// ASCII letters only; other bytes are kept as they are.
std::string LowerCase(std::string_view text);
bool SameTextIgnoreCase(std::string_view a, std::string_view b);

// Replaces every occurrence of `from` in `text` by `to`, matching ASCII letters without regard
// to case, left to right, without re-scanning replaced text.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);

// Text for display as UTF-8: valid UTF-8 sequences are kept, every other byte is read as
// Windows-1252, the encoding of legacy project files.
std::string LegacyTextToUtf8(std::string_view text);

// The part of a path after its last "/".
std::string FileNamePart(std::string_view path);
// The part of a path up to and including its last "/" (empty when there is none).
std::string FolderPart(std::string_view path);

}  // namespace lumivex
