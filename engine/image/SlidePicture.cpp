#include "image/SlidePicture.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "EngineErrors.h"
#include "Text.h"
#include "image/AvifCodec.h"
#include "image/CameraThumbnail.h"
#include "image/Orientation.h"

namespace lumivex::image {

const char* ExtensionOf(PictureKind kind) {
    switch (kind) {
        case PictureKind::Jpeg:
            return ".jpg";
        case PictureKind::Gif:
            return ".gif";
        case PictureKind::Bmp:
            return ".bmp";
        case PictureKind::Png:
        case PictureKind::Webp:
        case PictureKind::Heic:
        case PictureKind::Avif:
            return ".jpg";
    }
    return "";
}

Size FitIntoBox(int w, int h, int boxWidth, int boxHeight) {
    const float boxRatio = static_cast<float>(boxWidth) / static_cast<float>(boxHeight);
    const float ratio = static_cast<float>(w) / static_cast<float>(h);
    const float factor = ratio < boxRatio ? static_cast<float>(h) / static_cast<float>(boxHeight)
                                          : static_cast<float>(w) / static_cast<float>(boxWidth);
    // The default rounding mode rounds exact halves to the even neighbour.
    auto fit = [&](int side) {
        const double v = std::nearbyint(static_cast<double>(side) / static_cast<double>(factor));
        return v < 1.0 ? 1 : static_cast<int>(v);
    };
    return Size{fit(w), fit(h)};
}

PictureKind KindForPath(const std::string& path) {
    const std::string name = FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : LowerCase(name.substr(dot));
    if (ext == ".jpg" || ext == ".jpeg")
        return PictureKind::Jpeg;
    if (ext == ".gif")
        return PictureKind::Gif;
    if (ext == ".bmp")
        return PictureKind::Bmp;
    if (ext == ".png")
        return PictureKind::Png;
    if (ext == ".webp")
        return PictureKind::Webp;
    if (ext == ".heic" || ext == ".heif")
        return PictureKind::Heic;
    if (ext == ".avif")
        return PictureKind::Avif;
    throw ImageError(path, "unsupported picture format");
}

Rgb BackgroundColour(const std::string& value) {
    if (value.size() != 6)
        return Rgb{};
    std::uint8_t parts[3];
    for (int i = 0; i < 3; ++i) {
        int v = 0;
        for (int j = 0; j < 2; ++j) {
            const char c = value[static_cast<std::size_t>(i * 2 + j)];
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            if (digit < 0)
                return Rgb{};
            v = v * 16 + digit;
        }
        parts[i] = static_cast<std::uint8_t>(v);
    }
    return Rgb{parts[0], parts[1], parts[2]};
}

namespace {

// The original decoded and scaled to the size `fit` gives for its upright size.
RgbImage ScaledOriginal(const std::string& path, PictureKind kind, const TargetForSize& fit,
                        Rgb background, const DecodeLimits& limits) {
    const Source source{path, nullptr};
    if (kind == PictureKind::Jpeg) {
        // Scaled as stored, then converted to sRGB and turned upright (see FinishJpeg).
        StoredJpeg decoded = DecodeJpegAsStored(source, fit, limits);
        const Size size = fit(decoded.picture.declaredWidth, decoded.picture.declaredHeight);
        const Size asStored = UprightSize(size.width, size.height, decoded.orientation);
        RgbImage scaled = Resample(decoded.picture.pixels, asStored.width, asStored.height);
        decoded.picture.pixels = RgbImage();
        return FinishJpeg(std::move(scaled), decoded);
    }
    if (kind == PictureKind::Png) {
        // Row by row as stored, then turned upright: only the slide is ever held whole.
        const StoredRows png = OpenPngRows(source, background, limits, fit);
        const Size upright = UprightSize(png.rows->width(), png.rows->height(), png.orientation);
        const Size size = fit(upright.width, upright.height);
        const Size asStored = UprightSize(size.width, size.height, png.orientation);
        return TurnUpright(Resample(*png.rows, asStored.width, asStored.height), png.orientation);
    }
    if (kind == PictureKind::Webp) {
        // An animation's canvas row by row around its first frame, when it needs no turning.
        const StoredRows webp = OpenWebpRows(source, background, fit, limits);
        const Size size = fit(webp.declared.width, webp.declared.height);
        if (webp.orientation == kAsStored)
            return Resample(*webp.rows, size.width, size.height);
        return Resample(TurnUpright(ReadAllRows(*webp.rows), webp.orientation), size.width,
                        size.height);
    }
    if (kind == PictureKind::Heic || kind == PictureKind::Avif) {
        const DecodedPicture decoded = DecodeHeif(source, background, fit, limits);
        const Size size = fit(decoded.declaredWidth, decoded.declaredHeight);
        return Resample(decoded.pixels, size.width, size.height);
    }
    // Row by row: neither a GIF's screen nor a bitmap is ever held whole, and the box is
    // checked against the declared size before any pixel is decoded.
    const std::unique_ptr<RowSource> rows = kind == PictureKind::Gif
                                                ? OpenGifRows(source, background, limits, fit)
                                                : OpenBmpRows(source, limits);
    const Size size = fit(rows->width(), rows->height());
    return Resample(*rows, size.width, size.height);
}

std::string Encode(PictureKind kind, const RgbImage& scaled) {
    switch (kind) {
        case PictureKind::Gif:
            return EncodeGif(scaled);
        case PictureKind::Bmp:
            return EncodeBmp(scaled);
        case PictureKind::Jpeg:
        case PictureKind::Png:
        case PictureKind::Webp:
        case PictureKind::Heic:
        case PictureKind::Avif:
            break;
    }
    return EncodeJpeg(scaled);
}

// The fitted (or, to fill the box, covering) size in the box, with the checks every slide needs.
Size CheckedFit(const std::string& path, int w, int h, int boxWidth, int boxHeight,
                const DecodeLimits& limits, bool fill = false) {
    if (boxWidth <= 0 || boxHeight <= 0) {
        throw InvalidProjectError(
            "The slideshow width and height must be greater than 0 to scale \"" + path + "\".");
    }
    if (w <= 0 || h <= 0)
        throw ImageError(path, "the picture has no pixels");
    const Size size =
        fill ? CoverBox(w, h, boxWidth, boxHeight) : FitIntoBox(w, h, boxWidth, boxHeight);
    if (static_cast<std::int64_t>(size.width) * size.height > limits.maxPixels)
        throw InvalidProjectError("The slideshow box is too large to scale \"" + path +
                                  "\" into it.");
    return size;
}

// A scaled picture as the framing wants it: cropped to the box around its focal point when it
// fills the box, as it is otherwise; `focus` gets the focal point in the result when asked for.
RgbImage Framed(RgbImage scaled, int boxWidth, int boxHeight, const Framing& framing,
                std::optional<FocalPoint>& focus) {
    if (framing.plain())
        return scaled;
    const FocalPoint point = framing.focus ? *framing.focus : FindFocalPoint(scaled);
    if (!framing.fill) {
        focus = point;
        return scaled;
    }
    focus = FocusInCrop(Size{scaled.width, scaled.height}, boxWidth, boxHeight, point);
    return CropAround(scaled, boxWidth, boxHeight, point);
}

// Part of a picture, its rows handed out without a copy.
class Region final : public RowSource {
public:
    Region(const RgbImage& image, int x, int y, int width, int height)
        : image_(image), x_(x), y_(y), width_(width), height_(height) {}
    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::uint8_t* row(int y) override {
        return image_.row(y_ + y) + static_cast<std::size_t>(x_) * 3;
    }

private:
    const RgbImage& image_;
    int x_, y_, width_, height_;
};

// The original scaled to the size `fit` gives and framed for the `box` (asked once decoded). To
// fill the box, a JPEG stored upright is decoded only in the rows the crop keeps when its focal
// point is known beforehand: chosen, or found on the camera's thumbnail. Otherwise the point is
// found on a small copy of the decoded picture. Either way only the part that the crop keeps is
// resampled. `thumbnails` false looks at the photo itself.
RgbImage FramedOriginal(const std::string& path, PictureKind kind, const TargetForSize& fit,
                        const std::function<Size()>& box, const Framing& framing, Rgb background,
                        const DecodeLimits& limits, std::optional<FocalPoint>& focus,
                        bool thumbnails = true) {
    if (kind != PictureKind::Jpeg || !framing.fill) {
        RgbImage scaled = ScaledOriginal(path, kind, fit, background, limits);
        return Framed(std::move(scaled), box().width, box().height, framing, focus);
    }
    // The crop's span in the decoded picture's pixels, widened to whole pixels.
    auto span = [](int start, int length, int coverSide, int side) {
        const double scale = static_cast<double>(side) / coverSide;
        const int from = std::clamp(static_cast<int>(std::floor(start * scale)), 0, side - 1);
        const int to =
            std::clamp(static_cast<int>(std::ceil((start + length) * scale)), from + 1, side);
        return std::pair{from, to - from};
    };
    Size cover;
    const TargetForSize covering = [&](int w, int h) { return cover = fit(w, h); };
    int decodedHeight = 0;
    std::optional<FocalPoint> known = framing.focus;
    RgbImage thumbnail;
    const RowsWanted rows = [&](Size decoded, int orientation) {
        decodedHeight = decoded.height;
        if (orientation != kAsStored)
            return RowSpan{0, decoded.height};
        if (!known && thumbnails) {
            thumbnail = CameraThumbnail(Source{path, nullptr}, decoded, limits);
            if (thumbnail.width > 0) {
                const Size small = FitIntoBox(thumbnail.width, thumbnail.height, 128, 128);
                known = FindFocalPoint(Resample(thumbnail, small.width, small.height));
            }
        }
        if (!known)
            return RowSpan{0, decoded.height};
        const int height = std::min(box().height, cover.height);
        const auto [first, count] =
            span(CropStart(cover.height, height, known->y), height, cover.height, decoded.height);
        return RowSpan{first, count};
    };
    StoredJpeg decoded = DecodeJpegAsStored(Source{path, nullptr}, covering, limits, rows);
    const int boxWidth = box().width, boxHeight = box().height;
    const RgbImage& pixels = decoded.picture.pixels;
    if (decoded.orientation != kAsStored) {
        const Size asStored = UprightSize(cover.width, cover.height, decoded.orientation);
        RgbImage scaled = Resample(pixels, asStored.width, asStored.height);
        return Framed(FinishJpeg(std::move(scaled), decoded), boxWidth, boxHeight, framing, focus);
    }
    if (thumbnail.width > 0 &&
        !ThumbnailShows(thumbnail, pixels, decoded.firstRow, decodedHeight)) {
        // Edited after the camera made its thumbnail: the photo itself decides.
        return FramedOriginal(path, kind, fit, box, framing, background, limits, focus, false);
    }
    FocalPoint point;
    if (known) {
        point = *known;
    } else {
        // Twice the side FindFocalPoint looks at, in sRGB as the slide will be.
        const Size small = FitIntoBox(pixels.width, pixels.height, 128, 128);
        point = FindFocalPoint(FinishJpeg(Resample(pixels, small.width, small.height), decoded));
    }
    const int width = std::min(boxWidth, cover.width), height = std::min(boxHeight, cover.height);
    focus = FocusInCrop(cover, width, height, point);
    const auto [x, w] =
        span(CropStart(cover.width, width, point.x), width, cover.width, pixels.width);
    const auto [y, h] =
        span(CropStart(cover.height, height, point.y), height, cover.height, decodedHeight);
    Region region(pixels, x, y - decoded.firstRow, w, h);
    return FinishJpeg(Resample(region, width, height), decoded);
}

}  // namespace

SlidePicture MakeSlidePicture(const std::string& path, int boxWidth, int boxHeight, Rgb background,
                              const DecodeLimits& limits, const Framing& framing) {
    SlidePicture out;
    out.kind = KindForPath(path);
    const TargetForSize fit = [&](int w, int h) {
        return CheckedFit(path, w, h, boxWidth, boxHeight, limits, framing.fill);
    };
    const RgbImage scaled = FramedOriginal(
        path, out.kind, fit,
        [&] {
            return Size{boxWidth, boxHeight};
        },
        framing, background, limits, out.focus);
    out.size = Size{scaled.width, scaled.height};
    out.encoded = Encode(out.kind, scaled);
    return out;
}

FocalPoint PhotoFocalPoint(const std::string& path, const DecodeLimits& limits) {
    // Twice the side FindFocalPoint looks at, so that its own averaging does the rest.
    constexpr int kSide = 128;
    const RgbImage small = ScaledOriginal(
        path, KindForPath(path),
        [&](int w, int h) { return CheckedFit(path, w, h, kSide, kSide, limits); }, Rgb{}, limits);
    return FindFocalPoint(small);
}

namespace {

// A box side at `tenths` tenths of its size, rounded, at least 1.
int Scaled(int side, int tenths) {
    return std::max(1, (side * tenths + 5) / 10);
}

}  // namespace

ModernSlide MakeModernSlide(const std::string& path, int boxWidth, int boxHeight, Rgb background,
                            const DecodeLimits& limits, const Framing& framing,
                            const std::atomic<bool>* stop) {
    ModernSlide out;
    out.picture.kind = KindForPath(path);
    if (out.picture.kind == PictureKind::Gif || out.picture.kind == PictureKind::Bmp) {
        // Drawings keep their own kind and size: no other widths and no AVIF.
        out.picture = MakeSlidePicture(path, boxWidth, boxHeight, background, limits, framing);
        return out;
    }
    const bool fill = framing.fill;
    // The slide's size at `tenths` tenths of the box: covering it to fill, fitted into it
    // otherwise (filled slides are cropped to the box's size below).
    auto sized = [&](int w, int h, int tenths) {
        const int bw = Scaled(boxWidth, tenths), bh = Scaled(boxHeight, tenths);
        return fill ? CoverBox(w, h, bw, bh) : FitIntoBox(w, h, bw, bh);
    };
    // Decoded once, at the largest width the original has the pixels for.
    Size single;
    int top = 10;
    const TargetForSize fit = [&](int w, int h) {
        single = CheckedFit(path, w, h, boxWidth, boxHeight, limits, fill);
        top = 10;
        for (const int tenths : {20, 15}) {
            const Size s = sized(w, h, tenths);
            if (s.width <= w && s.height <= h &&
                static_cast<std::int64_t>(s.width) * s.height <= limits.maxPixels) {
                top = tenths;
                return s;
            }
        }
        return single;
    };
    // (The box of the largest width is known once the decoder has asked `fit`.)
    const std::function<Size()> largestBox = [&] {
        return Size{Scaled(boxWidth, top), Scaled(boxHeight, top)};
    };
    const RgbImage largest = FramedOriginal(path, out.picture.kind, fit, largestBox, framing,
                                            background, limits, out.picture.focus);
    if (fill)
        single = Size{boxWidth, boxHeight};
    // Every other width in proportion to the slide, from the largest picture.
    auto widthOf = [&](int tenths) {
        if (tenths == top)
            return Size{largest.width, largest.height};
        if (fill)
            return Size{Scaled(boxWidth, tenths), Scaled(boxHeight, tenths)};
        return FitIntoBox(largest.width, largest.height, Scaled(single.width, tenths),
                          Scaled(single.height, tenths));
    };
    const RgbImage slide = top == 10 ? largest : Resample(largest, single.width, single.height);
    out.picture.size = single;
    out.picture.encoded = EncodeJpeg(slide);
    int quantizer = 0;
    out.avif = AvifBeside(slide, out.picture.encoded, &quantizer);
    // The largest first: the quantizers of the slide and of twice its size bracket the one of
    // one and a half, which then needs a single encode. A large picture, and the half size,
    // take the first AVIF that passes (a second encode only when the first falls short), which
    // keeps a modern publish near two and a half times a classic one; the slide and the phone's
    // eight tenths, the pictures a visitor waits for first, get more to find the smallest.
    int twice = 0;
    for (auto at = std::rbegin(kOtherWidths); at != std::rend(kOtherWidths); ++at) {
        const int tenths = *at;
        if (tenths > top)
            continue;
        if (stop != nullptr && *stop)
            throw SlideStopped();
        SlideWidth width;
        width.tenths = tenths;
        width.size = widthOf(tenths);
        const RgbImage picture =
            tenths == top ? largest : Resample(largest, width.size.width, width.size.height);
        width.jpeg = EncodeJpeg(picture);
        const bool takeFirst =
            tenths == 5 || std::int64_t{width.size.width} * width.size.height > 500'000;
        // Twice the size needs about two quantizer steps finer than the slide.
        int start = quantizer > 2 ? quantizer - 2 : 0;
        int tries = takeFirst ? 2 : 3;
        if (tenths == 15 && twice > 0 && quantizer > 0) {
            start = (quantizer + twice) / 2;
            tries = 1;
        } else if (tenths < 10) {
            start = quantizer;
            tries = 2;
        }
        width.avif = AvifBeside(picture, width.jpeg, &start, kAvifSpeed, tries, takeFirst);
        if (tenths == 20 && !width.avif.empty())
            twice = start;
        out.widths.insert(out.widths.begin(), std::move(width));
    }
    return out;
}

}  // namespace lumivex::image
