#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/ColorProfile.h"

namespace lumivex::image {

// The kinds of picture a slide image can be decoded from. JPEG, GIF and bitmap slides are
// written in the kind of their original; PNG, WebP, HEIC and AVIF ones (photos) as JPEG. Cache
// entries store the number, so kinds are only ever added at the end.
enum class PictureKind { Jpeg, Gif, Bmp, Png, Webp, Heic, Avif };

// The slide image's extension for a decoded kind: ".gif", ".bmp", otherwise ".jpg".
const char* ExtensionOf(PictureKind kind);

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A true-colour picture, three bytes (R, G, B) per pixel, rows top to bottom without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbImage() = default;
    RgbImage(int w, int h)
        : width(w),
          height(h),
          pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) {}
    std::uint8_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width * 3; }
    const std::uint8_t* row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * width * 3;
    }
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// What a decoder may take. Pictures that must be held whole (BMP, HEIC, AVIF, multi-scan JPEG,
// interlaced PNG and GIF frames, lossless, transparent or animated WebP) are refused above
// `maxPixels` before any pixel memory is taken; a JPEG or an opaque lossy WebP, which can be
// decoded scaled, may declare up to `maxDeclaredJpegPixels` as long as its scaled output stays
// within `maxPixels`. No side may exceed `maxSide`: decoders and the resampler hold rows of it.
// A picture held whole of more than `heldFreelyPixels` must have at least one byte of file for
// every `maxPixelsPerFileByte` pixels: a few bytes declaring a huge canvas would otherwise take
// hundreds of megabytes for nothing.
struct DecodeLimits {
    std::int64_t maxPixels = 100'000'000;
    std::int64_t maxDeclaredJpegPixels = 500'000'000;
    int maxSide = 1'000'000;
    std::int64_t heldFreelyPixels = 8'000'000;
    std::int64_t maxPixelsPerFileByte = 1024;
    int maxJpegScans = 500;
    // The blocks that the scans of a multi-scan JPEG cover, added up over its scans: each
    // costs a pass, however little data it holds. A camera's progressive photo needs a few
    // million.
    std::int64_t maxJpegScanBlocks = 100'000'000;
    // Tiles of a HEIC or AVIF grid (counted as the file's items), each decoded on its own.
    int maxHeifItems = 1024;
};

// The fitted size of a w x h picture in a boxWidth x boxHeight box: ratios and factor in 32-bit
// floating point, the quotients rounded to nearest with exact halves to even. A side that would
// round to 0 is kept at 1 pixel. Every argument must be above 0.
Size FitIntoBox(int w, int h, int boxWidth, int boxHeight);

// Where a decoder reads from: a file, or bytes in memory (the fuzzers).
struct Source {
    std::string path;  // names the picture in errors; read when `bytes` is null
    const std::string* bytes = nullptr;
};

// Called by a decoder once the picture's declared size is known; returns the size the caller
// will scale it to, so that a JPEG can be decoded at the smallest DCT scale that still covers it.
using TargetForSize = std::function<Size(int width, int height)>;

// A JPEG's pixels are upright by its EXIF orientation and in sRGB by its ICC profile; its
// declared size is the upright one, and so is the size handed to TargetForSize.
struct DecodedPicture {
    int declaredWidth = 0;  // the original's size, before any DCT scaling
    int declaredHeight = 0;
    RgbImage pixels;  // may be smaller than declared (JPEG decoded scaled)
};

// Each raises ImageError naming the file for damaged, truncated, mislabelled or oversized input,
// FileError when the file cannot be read, and never ends the process.
DecodedPicture DecodeJpeg(const Source& source, const TargetForSize& target,
                          const DecodeLimits& limits = {});

// DecodeJpeg in two steps, for a caller that scales the picture down in between: the pixels as
// stored (CMYK already made RGB), with the declared size and the target upright as above; then
// FinishJpeg converts a picture of the stored orientation (the decoded one or a scaled copy) to
// sRGB and turns it upright. Done on the slide rather than on the decoded picture, which is about
// 3.5 times larger, converting and turning cost a third of the time; the result differs only by
// the rounding of averages taken before rather than after the conversion.
struct StoredJpeg {
    DecodedPicture picture;
    int orientation = 1;
    SrgbConversion conversion;  // RGB and grey pictures with a profile
    int firstRow = 0;           // of the decoded picture, where `picture.pixels` begins
};
// The rows of the decoded picture (as stored, of `decoded` size) that a caller needs, as first
// row and count; asked once the DCT scale is chosen. Rows above are skipped, rows below never
// read: a crop that keeps part of the rows costs part of the decode.
struct RowSpan {
    int first = 0;
    int count = 0;
};
using RowsWanted = std::function<RowSpan(Size decoded, int orientation)>;
StoredJpeg DecodeJpegAsStored(const Source& source, const TargetForSize& target,
                              const DecodeLimits& limits = {}, const RowsWanted& rows = {});
RgbImage FinishJpeg(RgbImage asStored, const StoredJpeg& decoded);
// Transparent pixels and the screen outside the first frame are laid on `background`.
DecodedPicture DecodeGif(const Source& source, Rgb background, const DecodeLimits& limits = {});
DecodedPicture DecodeBmp(const Source& source, const DecodeLimits& limits = {});

// The rows of a picture, handed out one at a time, so that a picture need not be held whole.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Row y, three bytes a pixel; valid until the next call.
    virtual const std::uint8_t* row(int y) = 0;
    // Rows for which this holds are all alike (the screen around a GIF's frame), so resampling
    // works on one of them once.
    virtual bool isBackgroundRow(int) const { return false; }
};

// Resizes with an area-averaging filter where a side shrinks and a linear one where it grows.
RgbImage Resample(const RgbImage& source, int width, int height);
RgbImage Resample(RowSource& source, int width, int height);
// Every row of a source, as one picture.
RgbImage ReadAllRows(RowSource& source);

// A GIF's first frame on its logical screen, and a BMP, as rows. Declared sizes are checked
// against the limits, and `target` (when given) is called with the picture's size, before any
// pixel memory is taken; only the frame's own pixels are held, not the screen around it, and a
// bitmap's rows are decoded as they are asked for. Errors as the decoders below raise them.
std::unique_ptr<RowSource> OpenGifRows(const Source& source, Rgb background,
                                       const DecodeLimits& limits = {},
                                       const TargetForSize& target = nullptr);
std::unique_ptr<RowSource> OpenBmpRows(const Source& source, const DecodeLimits& limits = {});

// A picture's rows as stored, and the EXIF orientation (1 to 8) that turns them upright.
struct StoredRows {
    std::unique_ptr<RowSource> rows;
    int orientation = 1;
    Size declared;  // the original's upright size, which a picture decoded scaled is not
};

// A PNG's rows as stored, in sRGB by its ICC profile, transparent pixels laid on `background`;
// the orientation is that of an eXIf chunk before the pixel data. The declared size is checked
// against the limits, and `target` (when given) is called with the upright size, before any
// pixel memory is taken. Rows are decoded as they are asked for, in order, except those of an
// interlaced picture, which is decoded whole.
StoredRows OpenPngRows(const Source& source, Rgb background, const DecodeLimits& limits = {},
                       const TargetForSize& target = nullptr);

// A WebP's rows: a still picture decoded whole and turned upright (orientation 1), at the target
// size when that is smaller and the picture opaque; an animation's first frame on its canvas as
// stored, only the frame held. Checks and errors as DecodeWebp's.
StoredRows OpenWebpRows(const Source& source, Rgb background, const TargetForSize& target,
                        const DecodeLimits& limits = {});

// PNG, WebP, HEIC and AVIF (HEIF) pictures whole, upright (PNG and WebP by their EXIF orientation,
// HEIF by its own rotation and mirror transforms), in sRGB by their ICC profile, transparent
// pixels laid on `background`. The declared size is checked against the limits and `target`
// (when given) is called with the upright size before any pixel memory is taken. An opaque WebP
// is decoded at the target size when that is smaller; the first frame of an animation stands
// for it.
DecodedPicture DecodePng(const Source& source, Rgb background, const TargetForSize& target,
                         const DecodeLimits& limits = {});
DecodedPicture DecodeWebp(const Source& source, Rgb background, const TargetForSize& target,
                          const DecodeLimits& limits = {});
DecodedPicture DecodeHeif(const Source& source, Rgb background, const TargetForSize& target,
                          const DecodeLimits& limits = {});

// A picture of at most 256 colours: one palette index per pixel.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> indexes;
};

// Reduces to at most `maxColors` colours (exactly, when the picture has no more than that).
IndexedImage Quantize(const RgbImage& picture, int maxColors = 256);

// Baseline YCbCr JPEG at quality 90, Huffman tables optimised for the picture, no profile.
std::string EncodeJpeg(const RgbImage& picture);
// GIF with an 8-bit colour table from Quantize.
std::string EncodeGif(const RgbImage& picture);
std::string EncodeGif(const IndexedImage& picture);
// 24-bit uncompressed Windows bitmap.
std::string EncodeBmp(const RgbImage& picture);

// Changes whenever any encoder's output for the same input would change; part of cache keys.
inline constexpr const char* kEncoderVersion = "lumivex-slide-2";

}  // namespace lumivex::image
