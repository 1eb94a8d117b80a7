#pragma once

#include <span>
#include <string>
#include <string_view>

#include "Progress.h"

namespace lumivex {

// Reads the lines of a project or menu structure file held in memory. A line ends at CR LF, at
// LF alone or at a lone CR (one LF after a CR is dropped), and a byte 0x1A ends the file, as
// files from older editors were cut there. Lines are views into the text given.
class LineReader {
public:
    explicit LineReader(std::string_view text);

    bool atEnd() const { return pos_ >= text_.size(); }
    // The next line without its line end; false, with `line` untouched, at the end of the file.
    bool next(std::string_view& line);
    // Reads on from the current `line` (testing it first) until a line equals `tag`, the whole
    // line, case and blanks included; false at the end of the file.
    bool skipTo(std::string_view& line, std::string_view tag);
    // How many lines come before the next one that equals `tag` (or before the end), without
    // reading them; lets a reader size its list once.
    std::size_t linesBefore(std::string_view tag) const;

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Fields 1 to fields.size() of a data line, exactly as ExtractField gives them one by one, in a
// single pass, so that a long line is not rescanned for every field. The views point into `line`.
void SplitFields(std::string_view line, std::string_view separator,
                 std::span<std::string_view> fields);

// Appends a line and its CR LF.
inline void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

// Appends `value` and the separator: every field of a data line is followed by it, the last one
// included.
inline void AppendField(std::string& out, std::string_view value, std::string_view separator) {
    out.append(value);
    out.append(separator);
}

}  // namespace lumivex
