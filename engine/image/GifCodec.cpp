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

DecodedPicture DecodeGif(const Source& source, Rgb background, const DecodeLimits& limits) {
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

    DecodedPicture out;
    out.declaredWidth = width;
    out.declaredHeight = height;
    out.pixels = RgbImage(width, height);
    for (std::size_t i = 0; i < out.pixels.pixels.size(); i += 3) {
        out.pixels.pixels[i] = background.r;
        out.pixels.pixels[i + 1] = background.g;
        out.pixels.pixels[i + 2] = background.b;
    }

    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    auto paint = [&](int frameRow) {
        const int y = frame.Top + frameRow;
        if (y < 0 || y >= height)
            return;
        std::uint8_t* dst = out.pixels.row(y);
        for (int fx = 0; fx < frame.Width; ++fx) {
            const int x = frame.Left + fx;
            if (x >= width)
                break;
            const int index = line[static_cast<std::size_t>(fx)];
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
        const int rows = std::min(frame.Height, height - frame.Top);
        for (int row = 0; row < rows; ++row) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
                fail(gif->Error);
            paint(row);
        }
    }
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
