#pragma once

#include <atomic>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "image/FocalPoint.h"
#include "image/Image.h"

namespace lumivex::image {

// One slide image, scaled into the slideshow box and encoded as ExtensionOf(kind) says.
struct SlidePicture {
    PictureKind kind = PictureKind::Jpeg;
    Size size;
    std::string encoded;
    // Where the picture's focal point lies in the slide; only when the framing asked for it.
    std::optional<FocalPoint> focus;
};

// How a picture becomes a slide. Fitted (the default), it is shrunk or enlarged whole into the
// box; filled, it covers the box and is cropped to exactly the box's size around its focal point:
// `focus` when given, otherwise the one FindFocalPoint finds. `wantFocus` asks for the slide's
// focal point even for a fitted slide (a zoom moves towards it).
struct Framing {
    bool fill = false;
    std::optional<FocalPoint> focus;
    bool wantFocus = false;
    bool plain() const { return !fill && !wantFocus; }
    friend bool operator==(const Framing&, const Framing&) = default;
};

// The decoder that a file's extension selects (".jpg", ".jpeg", ".gif", ".bmp", ".png", ".webp",
// ".heic", ".heif", ".avif", any letter case); raises ImageError "unsupported picture format" for
// any other.
PictureKind KindForPath(const std::string& path);

// The slide background as a picture colour: "RRGGBB"; "Transparent" or anything unreadable is
// black.
Rgb BackgroundColour(const std::string& value);

// Decodes the original at `path`, fits it into the box, resamples and encodes it. Raises
// ImageError (or FileError) for the file, InvalidProjectError for a box without area.
SlidePicture MakeSlidePicture(const std::string& path, int boxWidth, int boxHeight, Rgb background,
                              const DecodeLimits& limits = {}, const Framing& framing = {});

// The widths a modern slide is published at besides its own, as multiples of it in tenths
// (0.5x, 0.8x, 1.5x, 2x), smallest first. The smaller ones are always made, the larger ones only
// where the original has the pixels for them. Eight tenths of a 960 px box is what a 412 px phone
// at 1.75 device pixels (721 px) or a 375 px one at 2 (750 px) takes; three quarters would fall a
// pixel short, and browsers take the smallest width that covers the screen.
inline constexpr int kOtherWidths[] = {5, 8, 15, 20};

// One of those widths: a JPEG and, where one was smaller at the JPEG's fidelity, an AVIF.
struct SlideWidth {
    int tenths = 0;
    Size size;
    std::string jpeg;
    std::string avif;
};

// A slide of the modern web output: the slide as MakeSlidePicture makes it (for photos, scaled
// from one decode at the largest width the original has the pixels for), its AVIF copy, and the
// other widths made. An empty AVIF was not made: no AVIF was smaller at the JPEG's fidelity.
// GIF and bitmap slides have only the slide.
struct ModernSlide {
    SlidePicture picture;
    std::string avif;
    std::vector<SlideWidth> widths;  // in the order of kOtherWidths
};
// Work behind the editor passes `stop`: once it is set, the next width is not begun and
// SlideStopped is raised.
struct SlideStopped : std::exception {
    const char* what() const noexcept override { return "stopped"; }
};
ModernSlide MakeModernSlide(const std::string& path, int boxWidth, int boxHeight, Rgb background,
                            const DecodeLimits& limits = {}, const Framing& framing = {},
                            const std::atomic<bool>* stop = nullptr);

// The focal point FindFocalPoint finds in the photo at `path`, from a small decoded copy: what a
// filled slide of it is cropped around when its item sets none. Raises as MakeSlidePicture.
FocalPoint PhotoFocalPoint(const std::string& path, const DecodeLimits& limits = {});

}  // namespace lumivex::image
