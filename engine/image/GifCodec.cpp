// GIF through giflib. Only the first frame is read: a slide is one still picture, and the
// frames after it would only cost time and memory.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "EngineErrors.h"
#include "FileIO.h"
#include "image/DecodeSupport.h"
#include "image/Image.h"

namespace lumivex::image {

namespace {

struct Reader {
    const std::string* bytes = nullptr;
    std::size_t offset = 0;
    FileDescriptor fd{-1};
    std::uint64_t fileBytes = 0;
    int readErrno = 0;
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
        const long n =
            ReadInto(reader->fd.get(), buffer + total, static_cast<std::size_t>(length - total));
        if (n < 0) {
            reader->readErrno = static_cast<int>(-n);
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

namespace {}  // namespace

namespace {

// A GIF read up to its first frame's descriptor, the screen's size checked.
struct GifInput {
    Reader reader;
    std::unique_ptr<GifFileType, GifCloser> gif;
    std::string path;
    int transparent = NO_TRANSPARENT_COLOR;
    int width = 0, height = 0;  // of the screen
    const ColorMapObject* map = nullptr;

    [[noreturn]] void fail(int code) const {
        if (reader.readErrno != 0)
            throw FileError(path, reader.readErrno, "read");
        throw ImageError(path, describe(code));
    }
};

// The extension blocks before the first frame: only a graphic control block matters to it.
void readExtension(GifInput& in) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(in.gif.get(), &code, &block) == GIF_ERROR)
        in.fail(in.gif->Error);
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
        GraphicsControlBlock gcb{};
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
            in.transparent = gcb.TransparentColor;
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(in.gif.get(), &block) == GIF_ERROR)
            in.fail(in.gif->Error);
    }
}

std::unique_ptr<GifInput> openGif(const Source& source, const DecodeLimits& limits) {
    auto in = std::make_unique<GifInput>();
    in->path = source.path;
    in->reader.bytes = source.bytes;
    if (source.bytes == nullptr)
        in->reader.fd = OpenRegularFile(source.path, &in->reader.fileBytes);
    else
        in->reader.fileBytes = source.bytes->size();
    int error = 0;
    in->gif.reset(DGifOpen(&in->reader, readInput, &error));
    if (!in->gif)
        in->fail(error);
    while (true) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(in->gif.get(), &type) == GIF_ERROR)
            in->fail(in->gif->Error);
        if (type == TERMINATE_RECORD_TYPE)
            throw ImageError(source.path, "the file holds no picture");
        if (type == EXTENSION_RECORD_TYPE)
            readExtension(*in);
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(in->gif.get()) == GIF_ERROR)
            in->fail(in->gif->Error);
        break;
    }
    const GifImageDesc& frame = in->gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0)
        throw ImageError(source.path, "the picture has no pixels");
    // Some writers leave the logical screen at 0 x 0; the frame then sets the size.
    in->width = in->gif->SWidth;
    in->height = in->gif->SHeight;
    if (in->width <= 0 || in->height <= 0) {
        in->width = frame.Left + frame.Width;
        in->height = frame.Top + frame.Height;
    }
    CheckDeclaredSize(source.path, in->width, in->height, Holding::Rows, in->reader.fileBytes,
                      limits);
    in->map = frame.ColorMap != nullptr ? frame.ColorMap : in->gif->SColorMap;
    if (in->map == nullptr || in->map->Colors == nullptr)
        throw ImageError(source.path, "the picture has no colour table");
    return in;
}

// The part of the first frame on the screen, transparent pixels in the background colour.
RgbImage readFrame(GifInput& in, Rgb background, const DecodeLimits& limits) {
    const GifImageDesc& frame = in.gif->Image;
    const int shownWidth = std::clamp(in.width - frame.Left, 0, frame.Width);
    const int shownHeight = std::clamp(in.height - frame.Top, 0, frame.Height);
    if (shownWidth > 0 && shownHeight > 0) {
        CheckDeclaredSize(in.path, shownWidth, shownHeight, Holding::Whole, in.reader.fileBytes,
                          limits);
    }
    RgbImage shown(shownHeight > 0 ? shownWidth : 0, shownWidth > 0 ? shownHeight : 0);
    for (std::size_t i = 0; i < shown.pixels.size(); i += 3) {
        shown.pixels[i] = background.r;
        shown.pixels[i + 1] = background.g;
        shown.pixels[i + 2] = background.b;
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    auto readLine = [&](int frameRow) {
        if (DGifGetLine(in.gif.get(), line.data(), frame.Width) == GIF_ERROR)
            in.fail(in.gif->Error);
        if (frameRow >= shown.height)
            return;
        std::uint8_t* dst = shown.row(frameRow);
        for (int x = 0; x < shown.width; ++x) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == in.transparent || index >= in.map->ColorCount)
                continue;
            const GifColorType& c = in.map->Colors[index];
            dst[x * 3] = c.Red;
            dst[x * 3 + 1] = c.Green;
            dst[x * 3 + 2] = c.Blue;
        }
    };
    if (frame.Interlace) {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = kStart[pass]; row < frame.Height; row += kStep[pass])
                readLine(row);
        }
    } else {
        // Rows below the screen are never shown, so decoding stops at its bottom edge.
        for (int row = 0; row < shown.height; ++row)
            readLine(row);
    }
    return shown;
}

}  // namespace

std::unique_ptr<RowSource> OpenGifRows(const Source& source, Rgb background,
                                       const DecodeLimits& limits, const TargetForSize& target) {
    const std::unique_ptr<GifInput> in = openGif(source, limits);
    if (target)
        target(in->width, in->height);
    RgbImage shown = readFrame(*in, background, limits);
    const GifImageDesc& frame = in->gif->Image;
    return FrameOnScreen(in->width, in->height, background, frame.Left, frame.Top,
                         std::move(shown));
}

Size ProbeGif(const Source& source, const DecodeLimits& limits) {
    const std::unique_ptr<GifInput> in = openGif(source, limits);
    return Size{in->width, in->height};
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
