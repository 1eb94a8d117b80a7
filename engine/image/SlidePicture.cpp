#include "image/SlidePicture.h"

#include <cmath>

#include "EngineErrors.h"
#include "Text.h"
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

SlidePicture MakeSlidePicture(const std::string& path, int boxWidth, int boxHeight, Rgb background,
                              const DecodeLimits& limits) {
    SlidePicture out;
    out.kind = KindForPath(path);
    auto target = [&](int w, int h) {
        if (boxWidth <= 0 || boxHeight <= 0) {
            throw InvalidProjectError(
                "The slideshow width and height must be greater than 0 to scale \"" + path + "\".");
        }
        if (w <= 0 || h <= 0)
            throw ImageError(path, "the picture has no pixels");
        const Size size = FitIntoBox(w, h, boxWidth, boxHeight);
        if (static_cast<std::int64_t>(size.width) * size.height > limits.maxPixels) {
            throw InvalidProjectError("The slideshow box is too large to scale \"" + path +
                                      "\" into it.");
        }
        return size;
    };
    const Source source{path, nullptr};
    RgbImage scaled;
    if (out.kind == PictureKind::Jpeg) {
        // Scaled as stored, then converted to sRGB and turned upright (see FinishJpeg).
        StoredJpeg decoded = DecodeJpegAsStored(source, target, limits);
        out.size = target(decoded.picture.declaredWidth, decoded.picture.declaredHeight);
        const Size asStored = UprightSize(out.size.width, out.size.height, decoded.orientation);
        scaled = Resample(decoded.picture.pixels, asStored.width, asStored.height);
        decoded.picture.pixels = RgbImage();
        scaled = FinishJpeg(std::move(scaled), decoded);
    } else if (out.kind == PictureKind::Png) {
        // Row by row as stored, then turned upright: only the slide is ever held whole.
        const StoredRows png = OpenPngRows(source, background, limits, target);
        const Size upright = UprightSize(png.rows->width(), png.rows->height(), png.orientation);
        out.size = target(upright.width, upright.height);
        const Size asStored = UprightSize(out.size.width, out.size.height, png.orientation);
        scaled = TurnUpright(Resample(*png.rows, asStored.width, asStored.height), png.orientation);
    } else if (out.kind == PictureKind::Webp || out.kind == PictureKind::Heic) {
        DecodedPicture decoded = out.kind == PictureKind::Webp
                                     ? DecodeWebp(source, background, target, limits)
                                     : DecodeHeif(source, background, target, limits);
        out.size = target(decoded.declaredWidth, decoded.declaredHeight);
        scaled = Resample(decoded.pixels, out.size.width, out.size.height);
    } else {
        // Row by row: neither a GIF's screen nor a bitmap is ever held whole, and the box is
        // checked against the declared size before any pixel is decoded.
        const std::unique_ptr<RowSource> rows =
            out.kind == PictureKind::Gif ? OpenGifRows(source, background, limits, target)
                                         : OpenBmpRows(source, limits);
        out.size = target(rows->width(), rows->height());
        scaled = Resample(*rows, out.size.width, out.size.height);
    }
    switch (out.kind) {
        case PictureKind::Jpeg:
        case PictureKind::Png:
        case PictureKind::Webp:
        case PictureKind::Heic:
            out.encoded = EncodeJpeg(scaled);
            break;
        case PictureKind::Gif:
            out.encoded = EncodeGif(scaled);
            break;
        case PictureKind::Bmp:
            out.encoded = EncodeBmp(scaled);
            break;
    }
    return out;
}

}  // namespace lumivex::image
