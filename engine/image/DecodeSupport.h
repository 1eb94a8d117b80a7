#pragma once

// What every decoder does the same way: take the picture's bytes, and check a declared size
// before any pixel memory is taken.

#include <cstdint>
#include <memory>
#include <string>

#include "image/Image.h"

namespace lumivex::image {

// The bytes of a Source: those in memory, or its whole file (a regular file only).
class SourceBytes {
public:
    explicit SourceBytes(const Source& source);
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;
    const std::string& get() const { return bytes_ != nullptr ? *bytes_ : file_; }
    const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(get().data()); }
    std::size_t size() const { return get().size(); }

private:
    const std::string* bytes_;
    std::string file_;
};

// How a decoder holds the picture whose size it checks.
enum class Holding {
    Whole,   // every pixel at once
    Rows,    // a few rows at a time
    Scaled,  // a few rows at a time, and possibly scaled down as it is decoded
};

// Raises ImageError naming the file for a picture without pixels, with a side beyond the
// limit, with more pixels than its holding allows, or held whole and far larger than its file
// of `fileBytes` could describe.
void CheckDeclaredSize(const std::string& path, std::int64_t width, std::int64_t height,
                       Holding holding, std::uint64_t fileBytes, const DecodeLimits& limits);

// The reason given for a picture beyond the limits.
std::string TooLarge(std::int64_t width, std::int64_t height, bool scaledDown = false);

// A `width` x `height` screen of the background colour with `frame` on it at (left, top),
// clipped to the screen: only the frame is held, and the rows around it are background rows.
std::unique_ptr<RowSource> FrameOnScreen(int width, int height, Rgb background, int left, int top,
                                         RgbImage frame);
// The rows of a picture held whole.
std::unique_ptr<RowSource> RowsOf(RgbImage picture);

// Each kind's header read, its declared size checked as its decoder checks it, and the upright
// size returned; nothing of the picture is decoded. Errors as the decoders raise them.
Size ProbeJpeg(const Source& source, const DecodeLimits& limits);
Size ProbeGif(const Source& source, const DecodeLimits& limits);
Size ProbeBmp(const Source& source, const DecodeLimits& limits);
Size ProbePng(const Source& source, const DecodeLimits& limits);
Size ProbeWebp(const Source& source, const DecodeLimits& limits);
Size ProbeHeif(const Source& source, const DecodeLimits& limits);
// The thumbnail bytes of a JPEG's EXIF block (ExifThumbnail); its header is read, nothing else.
std::string JpegExifThumbnail(const Source& source, const DecodeLimits& limits);

}  // namespace lumivex::image
