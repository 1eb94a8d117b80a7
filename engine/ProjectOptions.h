#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace lumivex {

// Options that the project file's settings line has no field for. They live in their own block
// of the .lvx, which readers that do not know it skip; names this version does not know are
// kept as they were read.
class ProjectOptions {
public:
    static constexpr std::string_view kBlockStart = "<Lumivex_Options>";
    static constexpr std::string_view kBlockEnd = "</Lumivex_Options>";

    // Names of the options this version uses.
    static constexpr std::string_view kWebOutput = "WebOutput";  // "Classic" (default) or "Modern"
    static constexpr std::string_view kUploadServer = "UploadServer";
    static constexpr std::string_view kUploadFolder = "UploadFolder";
    static constexpr std::string_view kUploadUser = "UploadUser";
    // The look of the slideshow. A value this version does not know reads as the default.
    static constexpr std::string_view kSlideFit = "SlideFit";  // "Fit" (default) or "Fill"
    static constexpr std::string_view kTransition =
        "Transition";  // "Fade" (default), "Slide", "Zoom"
    static constexpr std::string_view kNavigation = "Navigation";  // "None" (default), "Arrows",
                                                                   // "ArrowsAndDots"

    // The value of `name`, or `fallback` when the project does not set it.
    std::string value(std::string_view name, std::string_view fallback = {}) const;
    bool has(std::string_view name) const;
    // Sets or adds `name`. An empty value removes it. Line breaks become blanks and a name
    // holding "=" or a line break is refused (std::invalid_argument), since the file could not
    // give either back.
    void set(std::string_view name, std::string_view value);
    void clear() {
        entries_.clear();
        index_.clear();
    }
    bool empty() const { return entries_.empty(); }
    const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }

    bool modernWebOutput() const { return value(kWebOutput) == "Modern"; }
    bool fillSlides() const { return value(kSlideFit) == "Fill"; }
    // "Fade", "Slide" or "Zoom".
    std::string transition() const;
    // "None", "Arrows" or "ArrowsAndDots".
    std::string navigation() const;
    // Whether any option of the slideshow's look differs from its default: a project without
    // them publishes exactly as before.
    bool styledLook() const {
        return fillSlides() || transition() != "Fade" || navigation() != "None";
    }

    // One "Name=Value" line of the block; lines without "=" or with an empty name are skipped.
    void readLine(std::string_view line);
    // The block with its tags, each line ending CR LF; "" when no option is set, so that a
    // project without options is written exactly as before.
    std::string blockText() const;

    bool operator==(const ProjectOptions& other) const { return entries_ == other.entries_; }

private:
    const std::string* find(std::string_view name) const;
    void reindex();

    std::vector<std::pair<std::string, std::string>> entries_;
    // Each name's position in entries_, so that reading a block stays linear in its length.
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace lumivex
