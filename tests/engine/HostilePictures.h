#pragma once

// Hostile pictures made small: sound headers that declare far more than the file holds, many
// scans over a large JPEG, a HEIF grid of many tiles that all share one coded tile.

#include <zlib.h>

#include <string>
#include <vector>

#include "PhotoTestImages.h"
#include "SlideImageTestImages.h"

namespace lumivex::testing {

inline void PutBE(std::string& s, std::size_t at, std::uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * (bytes - 1 - i)) & 0xFF);
}

inline std::uint32_t GetBE(const std::string& s, std::size_t at, int bytes = 4) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

// A one-pixel PNG whose header declares w x h, interlaced or not: the pixel data is missing.
inline std::string PngDeclaring(std::uint32_t w, std::uint32_t h, bool interlaced) {
    std::string png = WithPngSize(MakePng(RgbaImage(1, 1), PngLayout::Rgb), w, h);
    png[28] = interlaced ? 1 : 0;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    PutBE(png, 29, static_cast<std::uint32_t>(crc));
    return png;
}

// A GIF of a one-pixel frame whose screen and frame declare other sizes.
inline std::string GifDeclaring(unsigned screenW, unsigned screenH, unsigned frameW,
                                unsigned frameH) {
    std::string gif =
        MakeGif(1, 1, {image::Rgb{}, image::Rgb{255, 255, 255}}, {{0, 0, 1, 1, {1}, -1, false}});
    Put16(gif, 6, screenW);
    Put16(gif, 8, screenH);
    const std::size_t frame = gif.find(',', 19);  // the image descriptor
    Put16(gif, frame + 5, frameW);
    Put16(gif, frame + 7, frameH);
    return gif;
}

// A lossless WebP of one transparent pixel declaring w x h: a single colour costs no bits, so
// the file is a sound picture of that size in a few dozen bytes.
inline std::string TransparentWebpDeclaring(int w, int h) {
    RgbaImage pixel(1, 1);
    pixel.pixels = {0, 0, 0, 0};
    std::string b = MakeWebp(pixel, true);
    const std::uint32_t bits = static_cast<std::uint32_t>(w - 1) |
                               static_cast<std::uint32_t>(h - 1) << 14 |
                               (static_cast<std::uint8_t>(b[24]) & 0xF0u) << 24;
    for (int i = 0; i < 4; ++i)
        b[21 + static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i) & 0xFF);
    return b;
}

// An animation of two small frames on a canvas of w x h.
inline std::string AnimationOnCanvas(int w, int h) {
    RgbaImage a(2, 2), b(2, 2);
    Paint(b, 0, 0, 2, 2, image::Rgb{200, 10, 10});
    std::string webp = MakeAnimatedWebp({a, b});
    for (int i = 0; i < 3; ++i) {
        webp[24 + static_cast<std::size_t>(i)] = static_cast<char>((w - 1) >> (8 * i) & 0xFF);
        webp[27 + static_cast<std::size_t>(i)] = static_cast<char>((h - 1) >> (8 * i) & 0xFF);
    }
    return webp;
}

// A flat grey progressive JPEG of w x h in 1 + 8 * bands scans: the DC scan, then every AC
// coefficient from 1 to `bands` alone, its first scan and seven refinements. Flat, the AC
// scans hold a few bytes each, however large the picture.
inline std::string ManyScanJpeg(int w, int h, int bands) {
    std::vector<jpeg_scan_info> scans = {{1, {0}, 0, 0, 0, 0}};
    for (int k = 1; k <= bands; ++k) {
        scans.push_back({1, {0}, k, k, 0, 7});
        for (int al = 6; al >= 0; --al)
            scans.push_back({1, {0}, k, k, al + 1, al});
    }
    return MakeJpeg(Filled(w, h, image::Rgb{128, 128, 128}), {92, false, true}, scans);
}

inline std::string Box(const char* type, const std::string& body) {
    std::string box(8, '\0');
    PutBE(box, 0, static_cast<std::uint32_t>(body.size() + 8));
    box.replace(4, 4, type, 4);
    return box + body;
}
inline std::string FullBox(const char* type, int version, std::uint32_t flags,
                           const std::string& body) {
    std::string head(4, '\0');
    PutBE(head, 0, static_cast<std::uint32_t>(version) << 24 | flags);
    return Box(type, head + body);
}
inline std::string BE(std::uint32_t v, int bytes) {
    std::string s(static_cast<std::size_t>(bytes), '\0');
    PutBE(s, 0, v, bytes);
    return s;
}

// A HEIC grid of columns x rows tiles, every one of them the same coded picture (a flat tile of
// `tile` pixels square, as MakeHeic codes it): a few dozen bytes a tile.
inline std::string HeifGrid(int tile, int columns, int rows) {
    const std::string single = MakeHeic(RgbaImage(tile, tile));
    const std::size_t hvcC = single.find("hvcC") - 4;
    const std::string config = single.substr(hvcC, GetBE(single, hvcC));
    // The coded tile is the whole payload of the one picture's 'mdat'.
    const std::size_t mdat = single.find("mdat") - 4;
    const std::string coded = single.substr(mdat + 8, GetBE(single, mdat) - 8);
    const int tiles = columns * rows;
    std::string infe, iloc, ipma, dimg;
    auto entry = [](int id, const char* type, std::uint32_t flags) {
        return FullBox("infe", 2, flags,
                       BE(static_cast<std::uint32_t>(id), 2) + BE(0, 2) + std::string(type, 4) +
                           std::string(1, '\0'));
    };
    infe += entry(1, "grid", 0);
    for (int i = 0; i < tiles; ++i)
        infe += entry(i + 2, "hvc1", 1);  // hidden
    const std::string grid = BE(0, 1) + BE(0, 1) + BE(static_cast<std::uint32_t>(rows - 1), 1) +
                             BE(static_cast<std::uint32_t>(columns - 1), 1) +
                             BE(static_cast<std::uint32_t>(tile * columns), 2) +
                             BE(static_cast<std::uint32_t>(tile * rows), 2);
    ipma += BE(1, 2) + BE(1, 1) + BE(0x80 | 3, 1);
    for (int i = 0; i < tiles; ++i) {
        ipma += BE(static_cast<std::uint32_t>(i + 2), 2) + BE(2, 1) + BE(0x80 | 1, 1) + BE(2, 1);
        dimg += BE(static_cast<std::uint32_t>(i + 2), 2);
    }
    const std::string ispeTile =
        FullBox("ispe", 0, 0,
                BE(static_cast<std::uint32_t>(tile), 4) + BE(static_cast<std::uint32_t>(tile), 4));
    const std::string ispeGrid = FullBox("ispe", 0, 0,
                                         BE(static_cast<std::uint32_t>(tile * columns), 4) +
                                             BE(static_cast<std::uint32_t>(tile * rows), 4));
    const std::string iprp =
        Box("iprp", Box("ipco", config + ispeTile + ispeGrid) +
                        FullBox("ipma", 0, 0, BE(static_cast<std::uint32_t>(tiles + 1), 4) + ipma));
    const std::string ftyp = Box("ftyp", std::string("heic") + BE(0, 4) + "mif1heic");
    // The offsets into 'mdat' need the size of everything before it: 'iloc' has a fixed size.
    const std::size_t ilocSize = 8 + 4 + 2 + 2 + static_cast<std::size_t>(tiles + 1) * 14;
    const std::string head =
        FullBox("hdlr", 0, 0, BE(0, 4) + "pict" + std::string(12, '\0') + std::string(1, '\0')) +
        FullBox("pitm", 0, 0, BE(1, 2)) +
        FullBox("iinf", 0, 0, BE(static_cast<std::uint32_t>(tiles + 1), 2) + infe) +
        FullBox("iref", 0, 0,
                Box("dimg", BE(1, 2) + BE(static_cast<std::uint32_t>(tiles), 2) + dimg)) +
        iprp;
    const std::size_t data = ftyp.size() + 12 + head.size() + ilocSize + 8;
    auto extent = [](int id, std::size_t offset, std::size_t length) {
        return BE(static_cast<std::uint32_t>(id), 2) + BE(0, 2) + BE(1, 2) +
               BE(static_cast<std::uint32_t>(offset), 4) +
               BE(static_cast<std::uint32_t>(length), 4);
    };
    iloc = BE(0x44, 1) + BE(0, 1) + BE(static_cast<std::uint32_t>(tiles + 1), 2) +
           extent(1, data, grid.size());
    for (int i = 0; i < tiles; ++i)
        iloc += extent(i + 2, data + grid.size(), coded.size());
    const std::string meta = FullBox("meta", 0, 0, head + FullBox("iloc", 0, 0, iloc));
    return ftyp + meta + Box("mdat", grid + coded);
}

}  // namespace lumivex::testing
