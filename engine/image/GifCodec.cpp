// GIF through giflib. Only the first frame is read: a slide is one still picture, and the
// frames after it would only cost time and memory.

#include <fcntl.h>
#include <unistd.h>

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "EngineErrors.h"
#include "image/Image.h"

namespace lumivex::image {

namespace {

struct Reader {
    const std::string* bytes = nullptr;
    std::size_t offset = 0;
    int fd = -1;
    int readErrno = 0;
    ~Reader() {
        if (fd >= 0)
            ::close(fd);
    }
};

int readInput(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    if (length <= 0)
        return 0;
    if (reader->bytes != nullptr) {
        const std::size_t left = reader->bytes->size() - reader->offset;
        const std::size_t n = std::min(left, static_cast<std::size_t>(length));
        std::memcpy(buffer, reader->bytes->data() + reader->offset, n);
        reader->offset += n;
        return static_cast<int>(n);
    }
    int total = 0;
    while (total < length) {
        const ssize_t n = ::read(reader->fd, buffer + total, static_cast<size_t>(length - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reader->readErrno = errno;
            break;
        }
        if (n == 0)
            break;
        total += static_cast<int>(n);
    }
    return total;
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};

std::string describe(int code) {
    const char* text = GifErrorString(code);
    return text != nullptr ? text : "damaged GIF data";
}

}  // namespace

namespace {

// The first frame's pixels, laid over the background where transparent, clipped to the screen;
// the screen around it is the background colour and is never held.
class GifRows final : public RowSource {
public:
    GifRows(int width, int height, Rgb background, int left, int top, RgbImage frame)
        : width_(width),
          height_(height),
          left_(left),
          top_(top),
          frame_(std::move(frame)),
          line_(static_cast<std::size_t>(width) * 3) {
        backgroundRow_.resize(static_cast<std::size_t>(width) * 3);
        for (std::size_t i = 0; i < backgroundRow_.size(); i += 3) {
            backgroundRow_[i] = background.r;
            backgroundRow_[i + 1] = background.g;
            backgroundRow_[i + 2] = background.b;
        }
    }
    int width() const override { return width_; }
    int height() const override { return height_; }
    bool isBackgroundRow(int y) const override {
        return frame_.width == 0 || y < top_ || y >= top_ + frame_.height;
    }
    const std::uint8_t* row(int y) override {
        if (isBackgroundRow(y))
            return backgroundRow_.data();
        std::memcpy(line_.data(), backgroundRow_.data(), line_.size());
        std::memcpy(line_.data() + static_cast<std::size_t>(left_) * 3, frame_.row(y - top_),
                    static_cast<std::size_t>(frame_.width) * 3);
        return line_.data();
    }

private:
    int width_, height_, left_, top_;
    RgbImage frame_;
    std::vector<std::uint8_t> backgroundRow_;
    std::vector<std::uint8_t> line_;
};

}  // namespace

std::unique_ptr<RowSource> OpenGifRows(const Source& source, Rgb background,
                                       const DecodeLimits& limits, const TargetForSize& target) {
    Reader reader;
    reader.bytes = source.bytes;
    if (source.bytes == nullptr) {
        reader.fd = ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (reader.fd < 0)
            throw FileError(source.path, errno, "open");
    }
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readInput, &error));
    auto fail = [&](int code) {
        if (reader.readErrno != 0)
            throw FileError(source.path, reader.readErrno, "read");
        throw ImageError(source.path, describe(code));
    };
    if (!gif)
        fail(error);

    int transparent = NO_TRANSPARENT_COLOR;
    while (true) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            fail(gif->Error);
        if (type == TERMINATE_RECORD_TYPE)
            throw ImageError(source.path, "the file holds no picture");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                fail(gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
                GraphicsControlBlock gcb{};
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
                    transparent = gcb.TransparentColor;
                }
            }
            while (block != nullptr) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    fail(gif->Error);
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            fail(gif->Error);
        break;
    }

    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0)
        throw ImageError(source.path, "the picture has no pixels");
    // Some writers leave the logical screen at 0 x 0; the frame then sets the size.
    int width = gif->SWidth;
    int height = gif->SHeight;
    if (width <= 0 || height <= 0) {
        width = frame.Left + frame.Width;
        height = frame.Top + frame.Height;
    }
    if (static_cast<std::int64_t>(width) * height > limits.maxPixels) {
        throw ImageError(source.path, "the picture is too large (" + std::to_string(width) + " x " +
                                          std::to_string(height) + " pixels)");
    }
    const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (map == nullptr || map->Colors == nullptr) {
        throw ImageError(source.path, "the picture has no colour table");
    }
    if (target)
        target(width, height);

    // Only the part of the frame on the screen is kept.
    const int shownWidth = std::clamp(width - frame.Left, 0, frame.Width);
    const int shownHeight = std::clamp(height - frame.Top, 0, frame.Height);
    RgbImage shown(shownHeight > 0 ? shownWidth : 0, shownWidth > 0 ? shownHeight : 0);
    for (std::size_t i = 0; i < shown.pixels.size(); i += 3) {
        shown.pixels[i] = background.r;
        shown.pixels[i + 1] = background.g;
        shown.pixels[i + 2] = background.b;
    }

    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    auto paint = [&](int frameRow) {
        if (frameRow >= shown.height)
            return;
        std::uint8_t* dst = shown.row(frameRow);
        for (int x = 0; x < shown.width; ++x) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == transparent || index >= map->ColorCount)
                continue;
            const GifColorType& c = map->Colors[index];
            dst[x * 3] = c.Red;
            dst[x * 3 + 1] = c.Green;
            dst[x * 3 + 2] = c.Blue;
        }
    };
    if (frame.Interlace) {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = kStart[pass]; row < frame.Height; row += kStep[pass]) {
                if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
                    fail(gif->Error);
                paint(row);
            }
        }
    } else {
        // Rows below the screen are never shown, so decoding stops at its bottom edge.
        for (int row = 0; row < shown.height; ++row) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
                fail(gif->Error);
            paint(row);
        }
    }
    return std::make_unique<GifRows>(width, height, background, frame.Left, frame.Top,
                                     std::move(shown));
}

DecodedPicture DecodeGif(const Source& source, Rgb background, const DecodeLimits& limits) {
    const std::unique_ptr<RowSource> rows = OpenGifRows(source, background, limits);
    DecodedPicture out;
    out.declaredWidth = rows->width();
    out.declaredHeight = rows->height();
    out.pixels = ReadAllRows(*rows);
    return out;
}

namespace {

int writeOutput(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

}  // namespace

std::string EncodeGif(const IndexedImage& picture) {
    if (picture.width <= 0 || picture.height <= 0 || picture.width > 65535 ||
        picture.height > 65535 || picture.palette.empty() || picture.palette.size() > 256) {
        throw ImageError("slide image", "cannot be written as GIF at this size");
    }
    // A full 8-bit colour table whatever the number of colours in use.
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    if (map == nullptr)
        throw ImageError("slide image", "out of memory");
    for (std::size_t i = 0; i < picture.palette.size(); ++i) {
        map->Colors[i] =
            GifColorType{picture.palette[i].r, picture.palette[i].g, picture.palette[i].b};
    }
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeOutput, &error);
    if (gif == nullptr) {
        GifFreeMapObject(map);
        throw ImageError("slide image", describe(error));
    }
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < picture.height; ++y) {
        auto* row = const_cast<GifPixelType*>(picture.indexes.data() +
                                              static_cast<std::size_t>(y) * picture.width);
        ok = EGifPutLine(gif, row, picture.width) == GIF_OK;
    }
    const int code = ok ? 0 : gif->Error;
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) == GIF_ERROR && ok) {
        throw ImageError("slide image", describe(error));
    }
    if (!ok)
        throw ImageError("slide image", describe(code));
    return out;
}

std::string EncodeGif(const RgbImage& picture) {
    return EncodeGif(Quantize(picture, 256));
}

}  // namespace lumivex::image
