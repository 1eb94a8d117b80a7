// Windows bitmaps: the uncompressed kinds that painting programs write (1, 4 and 8 bits with a
// colour table; 16, 24 and 32 bits, with or without bit-field masks), bottom-up or top-down,
// with the OS/2 core header or any of the Windows info headers.

#include <algorithm>
#include <bit>
#include <cstring>

#include "EngineErrors.h"
#include "FileIO.h"
#include "image/DecodeSupport.h"
#include "image/Image.h"

namespace lumivex::image {

namespace {

std::uint32_t u16(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8;
}

std::uint32_t u32(const std::string& b, std::size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

// One colour channel given by a bit mask, widened to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        bits = std::popcount(m >> shift);
        if (bits > 8) {
            shift += bits - 8;  // keep the top 8 bits
            bits = 8;
        }
    }
    std::uint8_t operator()(std::uint32_t value) const {
        if (mask == 0)
            return 0;
        const std::uint32_t v = (value & mask) >> shift & ((1u << bits) - 1);
        // Spread the value over 0..255 so that full-scale stays full-scale.
        const std::uint32_t full = (1u << bits) - 1;
        return static_cast<std::uint8_t>((v * 255 + full / 2) / full);
    }
};

// Decodes a bitmap's rows as they are asked for, from the file's bytes.
class BmpRows final : public RowSource {
public:
    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::uint8_t* row(int y) override {
        const std::uint8_t* data = bytes->data() + dataOffset;
        const std::uint8_t* src =
            data + stride * static_cast<std::uint64_t>(topDown ? y : height_ - 1 - y);
        std::uint8_t* dst = line.data();
        for (int x = 0; x < width_; ++x, dst += 3) {
            if (bitCount <= 8) {
                const int perByte = 8 / static_cast<int>(bitCount);
                const int shift = 8 - static_cast<int>(bitCount) * (x % perByte + 1);
                const unsigned index = (src[x / perByte] >> shift) & ((1u << bitCount) - 1);
                // An index past the table is black, as the system's own drawing does.
                const Rgb c = index < palette.size() ? palette[index] : Rgb{};
                dst[0] = c.r, dst[1] = c.g, dst[2] = c.b;
            } else if (bitCount == 24) {
                dst[0] = src[x * 3 + 2], dst[1] = src[x * 3 + 1], dst[2] = src[x * 3];
            } else {
                const std::uint32_t v =
                    bitCount == 16 ? src[x * 2] | static_cast<std::uint32_t>(src[x * 2 + 1]) << 8
                                   : src[x * 4] | static_cast<std::uint32_t>(src[x * 4 + 1]) << 8 |
                                         static_cast<std::uint32_t>(src[x * 4 + 2]) << 16 |
                                         static_cast<std::uint32_t>(src[x * 4 + 3]) << 24;
                dst[0] = red(v), dst[1] = green(v), dst[2] = blue(v);
            }
        }
        return line.data();
    }

    std::unique_ptr<SourceBytes> bytes;
    int width_ = 0, height_ = 0;
    bool topDown = false;
    std::uint32_t bitCount = 0;
    std::uint64_t stride = 0;
    std::uint32_t dataOffset = 0;
    std::vector<Rgb> palette;
    Channel red{0}, green{0}, blue{0};
    std::vector<std::uint8_t> line;
};

// What a bitmap's headers say, checked against the size of the file.
struct BmpHeader {
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    std::uint32_t bitCount = 0;
    std::uint64_t stride = 0;
    std::uint32_t dataOffset = 0;
    std::vector<Rgb> palette;
    std::uint32_t masks[3] = {};
};

// The file and info headers, which say where the masks and the colour table are.
BmpHeader readInfoHeader(const std::string& b, const std::string& path, std::uint32_t& compression,
                         std::size_t& paletteAt, int& paletteEntrySize, std::uint32_t& colorsUsed) {
    auto bad = [&](const std::string& why) { return ImageError(path, why); };
    if (b.size() < 14 + 12 || b[0] != 'B' || b[1] != 'M')
        throw bad("not a Windows bitmap");
    BmpHeader h;
    h.dataOffset = u32(b, 10);
    const std::uint32_t headerSize = u32(b, 14);
    if (headerSize < 12 || 14 + static_cast<std::uint64_t>(headerSize) > b.size())
        throw bad("damaged bitmap header");
    paletteAt = 14 + headerSize;
    paletteEntrySize = 4;
    if (headerSize == 12) {
        h.width = u16(b, 18);
        h.height = u16(b, 20);
        h.bitCount = u16(b, 24);
        paletteEntrySize = 3;
    } else if (headerSize >= 40) {
        h.width = static_cast<std::int32_t>(u32(b, 18));
        h.height = static_cast<std::int32_t>(u32(b, 22));
        h.bitCount = u16(b, 28);
        compression = u32(b, 30);
        colorsUsed = u32(b, 46);
        if (compression == 3 || compression == 6) {
            // The masks follow a 40-byte header and sit inside the longer ones.
            if (14 + 40 + 12 > b.size())
                throw bad("damaged bitmap header");
            for (int i = 0; i < 3; ++i)
                h.masks[i] = u32(b, 54 + static_cast<std::size_t>(i) * 4);
            if (headerSize == 40)
                paletteAt += compression == 6 ? 16 : 12;
        }
    } else {
        throw bad("unsupported bitmap header");
    }
    h.topDown = h.height < 0;
    if (h.topDown)
        h.height = -h.height;
    return h;
}

// `b` holds at least the headers and the colour table; the file has `fileBytes` in all.
BmpHeader readBmpHeader(const std::string& b, std::uint64_t fileBytes, const std::string& path,
                        const DecodeLimits& limits) {
    auto bad = [&](const std::string& why) { return ImageError(path, why); };
    std::uint32_t compression = 0, colorsUsed = 0;
    std::size_t paletteAt = 0;
    int paletteEntrySize = 4;
    BmpHeader h = readInfoHeader(b, path, compression, paletteAt, paletteEntrySize, colorsUsed);
    CheckDeclaredSize(path, h.width, h.height, Holding::Rows, fileBytes, limits);
    if (compression != 0 && compression != 3 && compression != 6)
        throw bad("unsupported bitmap compression");
    if (compression != 0 && h.bitCount != 16 && h.bitCount != 32)
        throw bad("damaged bitmap header");
    switch (h.bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            throw bad("unsupported bitmap colour depth");
    }
    if (compression == 0 && h.bitCount == 16)
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    if (compression == 0 && h.bitCount == 32)
        h.masks[0] = 0x00FF0000, h.masks[1] = 0x0000FF00, h.masks[2] = 0x000000FF;
    if (h.bitCount <= 8) {
        std::uint64_t count = colorsUsed != 0 ? colorsUsed : (1u << h.bitCount);
        count = std::min<std::uint64_t>(count, 1u << h.bitCount);
        if (paletteAt + count * paletteEntrySize > b.size())
            throw bad("the colour table is cut short");
        h.palette.resize(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < h.palette.size(); ++i) {
            const std::size_t at = paletteAt + i * paletteEntrySize;
            h.palette[i] =
                Rgb{static_cast<std::uint8_t>(b[at + 2]), static_cast<std::uint8_t>(b[at + 1]),
                    static_cast<std::uint8_t>(b[at])};
        }
    }
    h.stride = ((static_cast<std::uint64_t>(h.width) * h.bitCount + 31) / 32) * 4;
    if (h.dataOffset > fileBytes ||
        h.stride * static_cast<std::uint64_t>(h.height) > fileBytes - h.dataOffset) {
        throw bad("the pixel data is cut short");
    }
    return h;
}

}  // namespace

std::unique_ptr<RowSource> OpenBmpRows(const Source& source, const DecodeLimits& limits) {
    auto rows = std::make_unique<BmpRows>();
    rows->bytes = std::make_unique<SourceBytes>(source);
    const BmpHeader h = readBmpHeader(rows->bytes->get(), rows->bytes->size(), source.path, limits);
    rows->width_ = static_cast<int>(h.width);
    rows->height_ = static_cast<int>(h.height);
    rows->topDown = h.topDown;
    rows->bitCount = h.bitCount;
    rows->stride = h.stride;
    rows->dataOffset = h.dataOffset;
    rows->palette = h.palette;
    rows->red = Channel(h.masks[0]);
    rows->green = Channel(h.masks[1]);
    rows->blue = Channel(h.masks[2]);
    rows->line.resize(static_cast<std::size_t>(h.width) * 3);
    return rows;
}

Size ProbeBmp(const Source& source, const DecodeLimits& limits) {
    // The headers and a colour table fit in the first few kilobytes of any sound bitmap.
    constexpr std::size_t kHead = 1 << 16;
    std::uint64_t fileBytes = 0;
    const std::string head = source.bytes != nullptr
                                 ? source.bytes->substr(0, kHead)
                                 : ReadFileStart(source.path, kHead, &fileBytes);
    if (source.bytes != nullptr)
        fileBytes = source.bytes->size();
    const BmpHeader h = readBmpHeader(head, fileBytes, source.path, limits);
    return Size{static_cast<int>(h.width), static_cast<int>(h.height)};
}

DecodedPicture DecodeBmp(const Source& source, const DecodeLimits& limits) {
    const std::unique_ptr<RowSource> rows = OpenBmpRows(source, limits);
    DecodedPicture out;
    out.declaredWidth = rows->width();
    out.declaredHeight = rows->height();
    out.pixels = ReadAllRows(*rows);
    return out;
}

std::string EncodeBmp(const RgbImage& picture) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(picture.width) * 3 + 3) & ~3u;
    const std::uint64_t imageSize = static_cast<std::uint64_t>(stride) * picture.height;
    if (picture.width <= 0 || picture.height <= 0 || imageSize + 54 > 0xFFFFFFFFu) {
        throw ImageError("slide image", "cannot be written as a bitmap at this size");
    }
    std::string out(54 + static_cast<std::size_t>(imageSize), '\0');
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = static_cast<char>(v & 0xFF);
        out[at + 1] = static_cast<char>(v >> 8 & 0xFF);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(picture.width));
    put32(22, static_cast<std::uint32_t>(picture.height));
    put16(26, 1);
    put16(28, 24);
    put32(34, static_cast<std::uint32_t>(imageSize));
    put32(38, 2835);  // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* src = picture.row(picture.height - 1 - y);
        char* dst = out.data() + 54 + static_cast<std::size_t>(stride) * y;
        for (int x = 0; x < picture.width; ++x) {
            dst[x * 3] = static_cast<char>(src[x * 3 + 2]);
            dst[x * 3 + 1] = static_cast<char>(src[x * 3 + 1]);
            dst[x * 3 + 2] = static_cast<char>(src[x * 3]);
        }
    }
    return out;
}

}  // namespace lumivex::image
