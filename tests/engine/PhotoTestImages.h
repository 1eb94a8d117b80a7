#pragma once

// PNG, WebP and HEIC originals made on the spot with the formats' own libraries (libpng,
// libwebp and its muxer, libheif with x265), so that the decoders under test never check
// themselves.

#include <libheif/heif.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/Image.h"

namespace lumivex::testing {

// Four bytes a pixel: R, G, B, A.
struct RgbaImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    RgbaImage(int w, int h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4, 255) {}
    std::uint8_t* at(int x, int y) {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
};

inline RgbaImage Opaque(const image::RgbImage& rgb) {
    RgbaImage out(rgb.width, rgb.height);
    for (std::size_t i = 0; i < rgb.pixels.size() / 3; ++i) {
        for (std::size_t k = 0; k < 3; ++k)
            out.pixels[i * 4 + k] = rgb.pixels[i * 3 + k];
    }
    return out;
}

inline void Paint(RgbaImage& img, int x0, int y0, int w, int h, image::Rgb c,
                  std::uint8_t alpha = 255) {
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            std::uint8_t* p = img.at(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = alpha;
        }
    }
}

// What a photo may carry besides its pixels. `exif` as MakeExif gives it ("Exif\0\0" first).
struct PhotoExtras {
    std::string icc;
    std::string exif;
    int orientation = 1;  // HEIC only: written as its own rotation and mirror transforms
    bool alpha = false;
};

enum class PngLayout { Rgb, Rgba, Grey, GreyAlpha, Palette, Rgb16 };

// Every pixel of `img` must be grey for the grey layouts and one of at most 256 colours for the
// palette, whose transparency comes from the alpha values.
inline std::string MakePng(const RgbaImage& img, PngLayout layout, const PhotoExtras& extras = {},
                           bool interlace = false) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))
                ->append(reinterpret_cast<const char*>(data), n);
        },
        nullptr);
    const int type = layout == PngLayout::Rgb || layout == PngLayout::Rgb16 ? PNG_COLOR_TYPE_RGB
                     : layout == PngLayout::Rgba                            ? PNG_COLOR_TYPE_RGBA
                     : layout == PngLayout::Grey                            ? PNG_COLOR_TYPE_GRAY
                     : layout == PngLayout::GreyAlpha ? PNG_COLOR_TYPE_GRAY_ALPHA
                                                      : PNG_COLOR_TYPE_PALETTE;
    const int depth = layout == PngLayout::Rgb16 ? 16 : 8;
    png_set_IHDR(png, info, static_cast<png_uint_32>(img.width),
                 static_cast<png_uint_32>(img.height), depth, type,
                 interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<std::uint32_t> colours;  // RGBA packed, for the palette
    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(img.height));
    for (int y = 0; y < img.height; ++y) {
        std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < img.width; ++x) {
            const std::uint8_t* p =
                img.pixels.data() + (static_cast<std::size_t>(y) * img.width + x) * 4;
            switch (layout) {
                case PngLayout::Rgb:
                    row.insert(row.end(), p, p + 3);
                    break;
                case PngLayout::Rgba:
                    row.insert(row.end(), p, p + 4);
                    break;
                case PngLayout::Grey:
                    row.push_back(p[0]);
                    break;
                case PngLayout::GreyAlpha:
                    row.insert(row.end(), {p[0], p[3]});
                    break;
                case PngLayout::Rgb16:  // the low byte differs from the high one
                    for (int k = 0; k < 3; ++k)
                        row.insert(row.end(), {p[k], static_cast<std::uint8_t>(p[k] ^ 0x5A)});
                    break;
                case PngLayout::Palette: {
                    const std::uint32_t c = static_cast<std::uint32_t>(p[0]) << 24 |
                                            static_cast<std::uint32_t>(p[1]) << 16 |
                                            static_cast<std::uint32_t>(p[2]) << 8 | p[3];
                    std::size_t i = 0;
                    while (i < colours.size() && colours[i] != c)
                        ++i;
                    if (i == colours.size())
                        colours.push_back(c);
                    row.push_back(static_cast<std::uint8_t>(i));
                    break;
                }
            }
        }
    }
    if (layout == PngLayout::Palette) {
        if (colours.size() > 256)
            throw std::invalid_argument("too many colours for a palette");
        std::vector<png_color> palette;
        std::vector<png_byte> alphas;
        for (std::uint32_t c : colours) {
            palette.push_back(png_color{static_cast<png_byte>(c >> 24),
                                        static_cast<png_byte>(c >> 16 & 0xFF),
                                        static_cast<png_byte>(c >> 8 & 0xFF)});
            alphas.push_back(static_cast<png_byte>(c & 0xFF));
        }
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    }
    if (!extras.icc.empty()) {
        png_set_iCCP(png, info, "profile", PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(extras.icc.data()),
                     static_cast<png_uint_32>(extras.icc.size()));
    }
    std::string exif = extras.exif.size() > 6 ? extras.exif.substr(6) : "";  // no "Exif\0\0"
    if (!exif.empty()) {
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()),
                       reinterpret_cast<png_bytep>(exif.data()));
    }
    png_write_info(png, info);
    png_set_interlace_handling(png);
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Rewrites the size a PNG declares, with the header's checksum made good again.
inline std::string WithPngSize(std::string png, std::uint32_t width, std::uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        png[16 + static_cast<std::size_t>(i)] = static_cast<char>(width >> (24 - 8 * i) & 0xFF);
        png[20 + static_cast<std::size_t>(i)] = static_cast<char>(height >> (24 - 8 * i) & 0xFF);
    }
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    for (int i = 0; i < 4; ++i)
        png[29 + static_cast<std::size_t>(i)] = static_cast<char>(crc >> (24 - 8 * i) & 0xFF);
    return png;
}

// A still WebP (lossy at quality 95, or lossless), with its metadata in an extended container.
inline std::string MakeWebp(const RgbaImage& img, bool lossless, const PhotoExtras& extras = {}) {
    std::uint8_t* encoded = nullptr;
    const int stride = img.width * 4;
    const std::size_t size =
        lossless
            ? WebPEncodeLosslessRGBA(img.pixels.data(), img.width, img.height, stride, &encoded)
            : WebPEncodeRGBA(img.pixels.data(), img.width, img.height, stride, 95, &encoded);
    if (size == 0)
        throw std::runtime_error("WebP encoder failed");
    std::string out(reinterpret_cast<const char*>(encoded), size);
    WebPFree(encoded);
    if (extras.icc.empty() && extras.exif.empty())
        return out;
    WebPMux* mux = WebPMuxNew();
    const WebPData image{reinterpret_cast<const std::uint8_t*>(out.data()), out.size()};
    WebPMuxSetImage(mux, &image, 1);
    for (const auto& [name, bytes] : {std::pair{"ICCP", &extras.icc}, {"EXIF", &extras.exif}}) {
        const WebPData chunk{reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()};
        if (!bytes->empty())
            WebPMuxSetChunk(mux, name, &chunk, 1);
    }
    WebPData assembled{};
    if (WebPMuxAssemble(mux, &assembled) != WEBP_MUX_OK)
        throw std::runtime_error("WebP muxer failed");
    out.assign(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return out;
}

// An animated WebP of the given frames, each shown for 100 ms.
inline std::string MakeAnimatedWebp(const std::vector<RgbaImage>& frames) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder =
        WebPAnimEncoderNew(frames.front().width, frames.front().height, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (const RgbaImage& f : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = f.width;
        picture.height = f.height;
        WebPPictureImportRGBA(&picture, f.pixels.data(), f.width * 4);
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData assembled{};
    if (!WebPAnimEncoderAssemble(encoder, &assembled))
        throw std::runtime_error("WebP animation encoder failed");
    std::string out(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
    WebPDataClear(&assembled);
    WebPAnimEncoderDelete(encoder);
    return out;
}

// A HEIC picture encoded by x265 at quality 95 (or an AVIF one by libaom), its orientation
// written as transforms.
inline std::string MakeHeic(const RgbaImage& img, const PhotoExtras& extras = {},
                            heif_compression_format format = heif_compression_HEVC) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    auto check = [](heif_error e) {
        if (e.code != heif_error_Ok)
            throw std::runtime_error(std::string("HEIC encoder: ") + e.message);
    };
    check(heif_context_get_encoder_for_format(context, format, &encoder));
    check(heif_encoder_set_lossy_quality(encoder, 95));
    heif_encoder_set_parameter(encoder, "x265:log-level", "none");
    heif_image* picture = nullptr;
    check(heif_image_create(
        img.width, img.height, heif_colorspace_RGB,
        extras.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &picture));
    check(heif_image_add_plane(picture, heif_channel_interleaved, img.width, img.height, 8));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
    const int channels = extras.alpha ? 4 : 3;
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            for (int k = 0; k < channels; ++k) {
                plane[static_cast<std::size_t>(y) * stride + x * channels + k] =
                    img.pixels[(static_cast<std::size_t>(y) * img.width + x) * 4 + k];
            }
        }
    }
    if (!extras.icc.empty())
        check(heif_image_set_raw_color_profile(picture, "prof", extras.icc.data(),
                                               extras.icc.size()));
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(extras.orientation);
    check(heif_context_encode_image(context, picture, encoder, options, nullptr));
    heif_encoding_options_free(options);
    heif_image_release(picture);
    heif_encoder_release(encoder);
    std::string out;
    heif_writer writer{};
    writer.writer_api_version = 1;
    writer.write = [](heif_context*, const void* data, size_t size, void* user) {
        static_cast<std::string*>(user)->append(static_cast<const char*>(data), size);
        return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
    };
    check(heif_context_write(context, &writer, &out));
    heif_context_free(context);
    return out;
}

}  // namespace lumivex::testing
