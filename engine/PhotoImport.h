#pragma once

// Photos that become new slide items: the photos of a folder, the title and capture time each
// one's metadata gives, their order, and the items made of them.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppletData.h"

namespace lumivex {

// Whether a file name ends with the extension of a photo kind the slides take, in any letter
// case: .jpg .jpeg .gif .bmp .png .webp .heic .heif .avif.
bool HasPhotoExtension(std::string_view name);

// The photos of `folder`, not of its subfolders, in natural file-name order: regular files (or
// links to one) with a photo extension whose name does not start with ".". Raises FileError
// when the folder cannot be read.
std::vector<std::string> PhotosInFolder(const std::string& folder);

// When a photo was taken, by the camera's clock (which knows no time zone).
using CaptureTime = std::chrono::local_time<std::chrono::nanoseconds>;

struct PhotoFacts {
    std::string path;   // as given
    std::string title;  // UTF-8, one line, fit to be a project file field
    std::optional<CaptureTime> captured;
    std::string problem;  // why the metadata could not be read; empty when it was
    // Why no slide can be made of it, from its header (naming the file); empty when one can.
    // Apart from `problem`: some kinds hold no metadata the reader knows.
    std::string unreadable;
    std::string description;  // as the title; "" when it would only repeat the title

    friend bool operator==(const PhotoFacts&, const PhotoFacts&) = default;
};

// Longer titles are cut: a slide's title line, not an article (a whole IPTC caption fits).
inline constexpr std::size_t kMaxPhotoTitleBytes = 2000;

// UTF-8 text made fit to be a title: every run of control characters (line breaks, 0x1A, tabs)
// becomes one blank, the field separator "#$@" loses its "$", blanks at either end go, and a text
// longer than kMaxPhotoTitleBytes is cut there on a character boundary.
std::string PhotoTitleText(std::string_view utf8);

// Each photo's facts, in the order of `paths`. Title: the XMP dc:title, else the IPTC object
// name, else the IPTC headline. Description: the EXIF ImageDescription, else the XMP
// dc:description, else the IPTC caption. IPTC texts are read in their declared character set
// (UTF-8, else Latin-1); texts that are empty or a camera's placeholder are passed over. A photo
// with a description but no title takes the description as its title (and no description);
// one with neither, the file name without its extension. Capture time: EXIF DateTimeOriginal with
// SubSecTimeOriginal. Only the metadata is read, on up to one thread per usable core. A file that
// cannot be read (missing, not a regular file, damaged, of no known kind) gives the file-name
// title, no time and its problem; nothing is raised. Each header is probed as its decoder checks
// it, giving `unreadable`.
std::vector<PhotoFacts> ReadPhotoFacts(const std::vector<std::string>& paths);

// The order in which the photos become slides: by capture time when every photo has one,
// otherwise by file name; file names in natural order ("img2" before "img10", numbers by value,
// letters without regard to case), and the whole path last, so that the order is total.
std::vector<PhotoFacts> OrderPhotos(std::vector<PhotoFacts> facts);

// One new item per photo, in the given order: the defaults of a new item with the photo's title
// (also its tooltip), no link, no description and its absolute, normalised path as the original
// image. Levels are the caller's. Raises
// EngineError, making no item, when a path holds what a project file cannot (a line break, 0x1A
// or "#$@").
TItemArray PhotoItems(const std::vector<PhotoFacts>& ordered);

}  // namespace lumivex
