#include "ProjectOptions.h"

#include <algorithm>
#include <stdexcept>

namespace lumivex {

namespace {

bool holdsLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

const std::string* ProjectOptions::find(std::string_view name) const {
    const auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

void ProjectOptions::reindex() {
    index_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        index_.emplace(entries_[i].first, i);
}

std::string ProjectOptions::value(std::string_view name, std::string_view fallback) const {
    const std::string* v = find(name);
    return v != nullptr ? *v : std::string(fallback);
}

bool ProjectOptions::has(std::string_view name) const {
    return find(name) != nullptr;
}

void ProjectOptions::set(std::string_view name, std::string_view value) {
    if (name.empty() || name.find('=') != std::string_view::npos || holdsLineBreak(name))
        throw std::invalid_argument("not a project option name: " + std::string(name));
    std::string v(value);
    std::replace_if(
        v.begin(), v.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const auto it = index_.find(std::string(name));
    if (v.empty()) {
        if (it != index_.end()) {
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(it->second));
            reindex();
        }
    } else if (it != index_.end()) {
        entries_[it->second].second = std::move(v);
    } else {
        index_.emplace(std::string(name), entries_.size());
        entries_.emplace_back(std::string(name), std::move(v));
    }
}

std::string ProjectOptions::transition() const {
    const std::string v = value(kTransition);
    return v == "Slide" || v == "Zoom" ? v : "Fade";
}

std::string ProjectOptions::navigation() const {
    const std::string v = value(kNavigation);
    return v == "Arrows" || v == "ArrowsAndDots" ? v : "None";
}

void ProjectOptions::readLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return;
    // The first of repeated names holds, as a reader of the block would expect.
    if (!index_.emplace(std::string(line.substr(0, eq)), entries_.size()).second)
        return;
    entries_.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
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
