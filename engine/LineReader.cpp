#include "LineReader.h"

namespace lumivex {

LineReader::LineReader(std::string_view text) : text_(text.substr(0, text.find('\x1A'))) {}

bool LineReader::next(std::string_view& line) {
    if (atEnd())
        return false;
    std::size_t end = pos_;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n')
        ++end;
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r')
        ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n')
        ++pos_;
    return true;
}

bool LineReader::skipTo(std::string_view& line, std::string_view tag) {
    while (line != tag) {
        if (!next(line))
            return false;
    }
    return true;
}

std::size_t LineReader::linesBefore(std::string_view tag) const {
    LineReader ahead = *this;
    std::size_t count = 0;
    for (std::string_view line; ahead.next(line) && line != tag;)
        ++count;
    return count;
}

void SplitFields(std::string_view line, std::string_view separator,
                 std::span<std::string_view> fields) {
    std::size_t pos = 0;
    bool more = !separator.empty();
    for (auto& field : fields) {
        const std::size_t hit = more ? line.find(separator, pos) : std::string_view::npos;
        // Without a separator the rest of the line is not a field, and neither is anything after.
        if (hit == std::string_view::npos) {
            field = {};
            more = false;
            continue;
        }
        field = line.substr(pos, hit - pos);
        pos = hit + separator.size();
    }
}

}  // namespace lumivex
