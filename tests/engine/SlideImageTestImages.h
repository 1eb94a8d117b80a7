#pragma once

// Pictures made on the spot for the slide image tests, written with the libraries directly so
// that the code under test does not check itself.

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>
#include <libexif/exif-data.h>

#include "EngineErrors.h"
#include "image/Image.h"

namespace lumivex::testing {

// Smooth colour fields with a little deterministic noise, like a photograph.
inline image::RgbImage PhotoLike(int w, int h, unsigned seed = 1) {
    image::RgbImage img(w, h);
    std::uint32_t state = seed * 2654435761u + 12345;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = static_cast<int>(state >> 28) - 8;
            const double fx = static_cast<double>(x) / w, fy = static_cast<double>(y) / h;
            const int r = static_cast<int>(128 + 100 * std::sin(6.1 * fx + 2 * fy)) + noise;
            const int g = static_cast<int>(128 + 100 * std::cos(4.3 * fy - 3 * fx)) + noise;
            const int b = static_cast<int>(128 + 90 * std::sin(5.0 * (fx + fy) + 1.0)) + noise;
            std::uint8_t* p = img.row(y) + x * 3;
            p[0] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
        }
    }
    return img;
}

inline image::RgbImage Filled(int w, int h, image::Rgb c) {
    image::RgbImage img(w, h);
    for (std::size_t i = 0; i < img.pixels.size(); i += 3) {
        img.pixels[i] = c.r, img.pixels[i + 1] = c.g, img.pixels[i + 2] = c.b;
    }
    return img;
}

inline image::Rgb PixelAt(const image::RgbImage& img, int x, int y) {
    const std::uint8_t* p = img.row(y) + x * 3;
    return image::Rgb{p[0], p[1], p[2]};
}

struct JpegOptions {
    int quality = 92;
    bool progressive = false;
    bool grayscale = false;
    int lumaSampling = 0;  // as H * 10 + V (21: 4:2:2); 0 for the library's 4:2:0
};

// `scans`, when given, is the scan script.
inline std::string MakeJpeg(const image::RgbImage& img, JpegOptions options = {},
                            const std::vector<jpeg_scan_info>& scans = {}) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(img.width);
    cinfo.image_height = static_cast<JDIMENSION>(img.height);
    cinfo.input_components = options.grayscale ? 1 : 3;
    cinfo.in_color_space = options.grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.lumaSampling != 0 && !options.grayscale) {
        cinfo.comp_info[0].h_samp_factor = options.lumaSampling / 10;
        cinfo.comp_info[0].v_samp_factor = options.lumaSampling % 10;
    }
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    if (!scans.empty()) {
        cinfo.scan_info = scans.data();
        cinfo.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(img.width));
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* src = img.row(static_cast<int>(cinfo.next_scanline));
        JSAMPROW row = const_cast<JSAMPROW>(src);
        if (options.grayscale) {
            for (int x = 0; x < img.width; ++x)
                grey[static_cast<std::size_t>(x)] = src[x * 3 + 1];
            row = grey.data();
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

// Rewrites the declared size in a JPEG's frame header.
inline std::string WithJpegSize(std::string jpeg, int width, int height) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        const auto m = static_cast<std::uint8_t>(jpeg[i + 1]);
        if (static_cast<std::uint8_t>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
            jpeg[i + 5] = static_cast<char>(height >> 8),
                     jpeg[i + 6] = static_cast<char>(height & 0xFF);
            jpeg[i + 7] = static_cast<char>(width >> 8),
                     jpeg[i + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
    }
    throw std::runtime_error("no frame header");
}

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indexes;
    int transparent = -1;
    bool interlace = false;
};

inline int writeToString(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

// A GIF with the given screen, global colour table (padded to a power of two) and frames.
inline std::string MakeGif(int screenWidth, int screenHeight, std::vector<image::Rgb> colours,
                           const std::vector<GifFrame>& frames) {
    int size = 2;
    while (size < static_cast<int>(colours.size()))
        size *= 2;
    colours.resize(static_cast<std::size_t>(size));
    ColorMapObject* map = GifMakeMapObject(size, nullptr);
    for (int i = 0; i < size; ++i) {
        map->Colors[i] = GifColorType{colours[static_cast<std::size_t>(i)].r,
                                      colours[static_cast<std::size_t>(i)].g,
                                      colours[static_cast<std::size_t>(i)].b};
    }
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToString, &error);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map);
    for (const GifFrame& f : frames) {
        if (f.transparent >= 0) {
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = f.transparent;
            GifByteType ext[4];
            const size_t n = EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext);
        }
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr);
        std::vector<int> order;
        if (f.interlace) {
            for (int start : {0, 4, 2, 1}) {
                const int step = start == 0 ? 8 : start == 4 ? 8 : start == 2 ? 4 : 2;
                for (int r = start; r < f.height; r += step)
                    order.push_back(r);
            }
        } else {
            for (int r = 0; r < f.height; ++r)
                order.push_back(r);
        }
        for (int r : order) {
            EGifPutLine(
                gif,
                const_cast<GifPixelType*>(f.indexes.data() + static_cast<std::size_t>(r) * f.width),
                f.width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

inline void Put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
inline void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, v >> 16);
}

// A Windows bitmap with a 40-byte header; `rows` are the stored rows (bottom-up unless the
// height is negative), each already padded.
inline std::string MakeBmp(int width, int height, int bits, const std::vector<image::Rgb>& palette,
                           const std::string& rows, std::uint32_t compression = 0,
                           const std::vector<std::uint32_t>& masks = {}) {
    const std::size_t paletteBytes = palette.size() * 4;
    const std::size_t maskBytes = masks.size() * 4;
    const std::size_t offset = 54 + maskBytes + paletteBytes;
    std::string s(offset, '\0');
    s[0] = 'B', s[1] = 'M';
    Put32(s, 2, static_cast<std::uint32_t>(offset + rows.size()));
    Put32(s, 10, static_cast<std::uint32_t>(offset));
    Put32(s, 14, 40);
    Put32(s, 18, static_cast<std::uint32_t>(width));
    Put32(s, 22, static_cast<std::uint32_t>(height));
    Put16(s, 26, 1);
    Put16(s, 28, static_cast<unsigned>(bits));
    Put32(s, 30, compression);
    Put32(s, 46, static_cast<std::uint32_t>(palette.size()));
    for (std::size_t i = 0; i < masks.size(); ++i)
        Put32(s, 54 + i * 4, masks[i]);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        s[54 + maskBytes + i * 4] = static_cast<char>(palette[i].b);
        s[54 + maskBytes + i * 4 + 1] = static_cast<char>(palette[i].g);
        s[54 + maskBytes + i * 4 + 2] = static_cast<char>(palette[i].r);
    }
    return s + rows;
}

// A JPEG with an EXIF block (APP1) and an ICC profile (one APP2 chunk) right after SOI.
inline std::string WithMetadata(const std::string& jpeg, const std::string& exif,
                                const std::string& icc = "") {
    auto segment = [](int marker, const std::string& payload) {
        const std::size_t n = payload.size() + 2;
        return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(n >> 8),
                           static_cast<char>(n & 0xFF)} +
               payload;
    };
    std::string out = jpeg.substr(0, 2);
    if (!exif.empty())
        out += segment(0xE1, exif);
    if (!icc.empty())
        out += segment(0xE2, std::string("ICC_PROFILE\0\x01\x01", 14) + icc);
    return out + jpeg.substr(2);
}

// The block libexif writes for `data`, which it then lets go.
inline std::string SavedExif(ExifData* data) {
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &bytes, &size);
    std::string out(reinterpret_cast<char*>(bytes), size);
    std::free(bytes);
    exif_data_unref(data);
    return out;
}

// An EXIF block made with libexif: "Exif\0\0", then a TIFF structure whose first directory
// holds the orientation and a resolution.
inline std::string MakeExif(int orientation, ExifByteOrder order = EXIF_BYTE_ORDER_INTEL) {
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, order);
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    for (ExifTag tag : {EXIF_TAG_ORIENTATION, EXIF_TAG_X_RESOLUTION}) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, tag);
        if (tag == EXIF_TAG_ORIENTATION)
            exif_set_short(entry->data, order, static_cast<ExifShort>(orientation));
        exif_entry_unref(entry);
    }
    return SavedExif(data);
}

// An EXIF block whose second directory holds `thumbnail`, a JPEG, as cameras store theirs.
inline std::string MakeExifWithThumbnail(const std::string& thumbnail) {
    ExifData* data = exif_data_new();
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    data->data = static_cast<unsigned char*>(std::malloc(thumbnail.size()));
    std::memcpy(data->data, thumbnail.data(), thumbnail.size());
    data->size = static_cast<unsigned int>(thumbnail.size());
    return SavedExif(data);
}

// ICC profiles made with Little CMS: Display P3 (P3 primaries, D65, the sRGB curve, as phones
// embed it), sRGB, Lab.
inline std::string SaveProfile(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string out(size, '\0');
    cmsSaveProfileToMem(profile, out.data(), &size);
    cmsCloseProfile(profile);
    return out;
}
inline std::string DisplayP3Profile() {
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    const std::string out = SaveProfile(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return out;
}

// Little CMS's own transform of one colour into sRGB.
inline image::Rgb LittleCmsToSrgb(const std::string& profile, image::Rgb colour) {
    cmsHPROFILE from =
        cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_RGB_8, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    const std::uint8_t in[3] = {colour.r, colour.g, colour.b};
    std::uint8_t out[3] = {};
    cmsDoTransform(t, in, out, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(from);
    return image::Rgb{out[0], out[1], out[2]};
}

inline int ColourDistance(image::Rgb a, image::Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

inline double Psnr(const image::RgbImage& a, const image::RgbImage& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = static_cast<double>(a.pixels[i]) - b.pixels[i];
        sum += d * d;
    }
    const double mse = sum / static_cast<double>(a.pixels.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The text of the ImageError that `f` raises, or "(no ImageError)".
inline std::string ImageErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ImageError& e) {
        return e.what();
    }
    return "(no ImageError)";
}

}  // namespace lumivex::testing
