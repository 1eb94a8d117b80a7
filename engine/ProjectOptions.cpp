#include "ProjectOptions.h"

#include <algorithm>
#include <stdexcept>

namespace lumivex {

namespace {

bool holdsLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string ProjectOptions::value(std::string_view name, std::string_view fallback) const {
    for (const auto& [n, v] : entries_) {
        if (n == name)
            return v;
    }
    return std::string(fallback);
}

bool ProjectOptions::has(std::string_view name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const auto& entry) { return entry.first == name; });
}

void ProjectOptions::set(std::string_view name, std::string_view value) {
    if (name.empty() || name.find('=') != std::string_view::npos || holdsLineBreak(name))
        throw std::invalid_argument("not a project option name: " + std::string(name));
    std::string v(value);
    std::replace_if(
        v.begin(), v.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const auto& entry) { return entry.first == name; });
    if (v.empty()) {
        if (it != entries_.end())
            entries_.erase(it);
    } else if (it != entries_.end()) {
        it->second = std::move(v);
    } else {
        entries_.emplace_back(std::string(name), std::move(v));
    }
}

void ProjectOptions::readLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return;
    const std::string_view name = line.substr(0, eq);
    if (has(name))  // the first of repeated names holds, as a reader of the block would expect
        return;
    entries_.emplace_back(std::string(name), std::string(line.substr(eq + 1)));
}

std::string ProjectOptions::blockText() const {
    if (entries_.empty())
        return {};
    std::string out;
    out.append(kBlockStart).append("\r\n");
    for (const auto& [n, v] : entries_)
        out.append(n).append("=").append(v).append("\r\n");
    out.append(kBlockEnd).append("\r\n");
    return out;
}

}  // namespace lumivex
