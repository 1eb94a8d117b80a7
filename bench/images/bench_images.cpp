// Measuring tool for the slide image pipeline; run.sh drives it beside ImageMagick, libvips
// and djpeg. Modes:
//   scale IN OUT W H [--atomic]   one original through the pipeline, as its own process
//   time RUNS CMD ARGS...         runs a command RUNS times: min and median wall time (ms)
//   gifquality IN W H DIR         scales IN as a slide, writes DIR/scaled.ppm and our GIFs,
//                                 prints the PSNR of each against the scaled picture
//   psnr PPM GIF                  PSNR of a GIF (decoded with giflib) against a PPM
//   rebuild W H CACHE IN...       in-process builds of a project holding the originals:
//                                 cold, cold with cache, warm; checks the bytes are identical
//   camera IN OUT ORIENTATION [p3]  IN as a camera or phone writes it: an EXIF block with the
//                                 orientation (and make, model, thumbnail) first, optionally a
//                                 Display P3 profile; the compressed picture is kept as it is
//   project OUT.lvx W H IN...     a project whose items show the originals in a W x H box
//   srgb OUT.icc                  an sRGB profile (for ImageMagick's -profile)
//   compare IN W H OURS PEER...   bytes and PSNR of slide images against one reference: IN
//                                 decoded whole, upright, in sRGB, area-averaged to the slide's
//                                 size; also the bytes today's encoder (standard Huffman tables)
//                                 writes for our pixels, and their PSNR before encoding

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>
#include <libexif/exif-data.h>

#include "AppletAgent.h"
#include "FileIO.h"
#include "image/Image.h"
#include "image/Orientation.h"
#include "image/SlidePicture.h"

using namespace lumivex;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void writePlain(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

int scale(int argc, char** argv) {
    if (argc < 6)
        return 2;
    const image::SlidePicture p =
        image::MakeSlidePicture(argv[2], std::atoi(argv[4]), std::atoi(argv[5]), image::Rgb{});
    if (argc > 6 && std::string(argv[6]) == "--atomic") {
        WriteFileAtomically(argv[3], p.encoded);
    } else {
        writePlain(argv[3], p.encoded);
    }
    return 0;
}

int timeCommand(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const int runs = std::atoi(argv[2]);
    std::vector<double> times;
    long peakKb = 0;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 1);
            ::execvp(argv[3], argv + 3);
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        times.push_back(msSince(start));
        peakKb = std::max(peakKb, usage.ru_maxrss);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::cerr << "command failed: " << argv[3] << "\n";
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("%.2f %.2f %ld\n", times.front(), times[times.size() / 2], peakKb);
    return 0;
}

image::RgbImage readPpm(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    std::istringstream in(bytes);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    image::RgbImage img(w, h);
    const auto offset = static_cast<std::size_t>(in.tellg());
    std::memcpy(img.pixels.data(), bytes.data() + offset, img.pixels.size());
    return img;
}

void writePpm(const std::string& path, const image::RgbImage& img) {
    std::string bytes =
        "P6\n" + std::to_string(img.width) + " " + std::to_string(img.height) + "\n255\n";
    bytes.append(reinterpret_cast<const char*>(img.pixels.data()), img.pixels.size());
    writePlain(path, bytes);
}

double psnr(const image::RgbImage& a, const image::RgbImage& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = static_cast<double>(a.pixels[i]) - b.pixels[i];
        sum += d * d;
    }
    const double mse = sum / static_cast<double>(a.pixels.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

image::RgbImage decodeGifFile(const std::string& path) {
    return image::DecodeGif(image::Source{path, nullptr}, image::Rgb{}).pixels;
}

// Floyd-Steinberg error diffusion over our palette, for the dithering decision only.
image::RgbImage ditherWith(const image::RgbImage& src, const std::vector<image::Rgb>& palette) {
    image::RgbImage out(src.width, src.height);
    std::vector<float> err(static_cast<std::size_t>(src.width + 2) * 3 * 2, 0.0f);
    for (int y = 0; y < src.height; ++y) {
        float* cur = err.data() + static_cast<std::size_t>(y % 2) * (src.width + 2) * 3;
        float* next = err.data() + static_cast<std::size_t>((y + 1) % 2) * (src.width + 2) * 3;
        std::fill(next, next + (src.width + 2) * 3, 0.0f);
        for (int x = 0; x < src.width; ++x) {
            float want[3];
            for (int c = 0; c < 3; ++c) {
                want[c] = std::clamp(src.row(y)[x * 3 + c] + cur[(x + 1) * 3 + c], 0.0f, 255.0f);
            }
            int best = 0;
            float bestD = 1e30f;
            for (std::size_t k = 0; k < palette.size(); ++k) {
                const float dr = want[0] - palette[k].r, dg = want[1] - palette[k].g,
                            db = want[2] - palette[k].b;
                const float d = dr * dr + dg * dg + db * db;
                if (d < bestD)
                    bestD = d, best = static_cast<int>(k);
            }
            const std::uint8_t got[3] = {palette[static_cast<std::size_t>(best)].r,
                                         palette[static_cast<std::size_t>(best)].g,
                                         palette[static_cast<std::size_t>(best)].b};
            for (int c = 0; c < 3; ++c) {
                out.row(y)[x * 3 + c] = got[c];
                const float e = want[c] - got[c];
                cur[(x + 2) * 3 + c] += e * 7 / 16;
                next[x * 3 + c] += e * 3 / 16;
                next[(x + 1) * 3 + c] += e * 5 / 16;
                next[(x + 2) * 3 + c] += e * 1 / 16;
            }
        }
    }
    return out;
}

int gifQuality(int argc, char** argv) {
    if (argc < 6)
        return 2;
    const std::string in = argv[2];
    const int W = std::atoi(argv[3]), H = std::atoi(argv[4]);
    const std::string dir = argv[5];
    image::Size size;
    const image::DecodedPicture d =
        image::DecodeJpeg(image::Source{in, nullptr}, [&](int w, int h) {
            size = image::FitIntoBox(w, h, W, H);
            return size;
        });
    const image::RgbImage scaled = image::Resample(d.pixels, size.width, size.height);
    writePpm(dir + "/scaled.ppm", scaled);
    const auto start = Clock::now();
    const image::IndexedImage indexed = image::Quantize(scaled);
    const double quantiseMs = msSince(start);
    const std::string ours = image::EncodeGif(indexed);
    writePlain(dir + "/ours.gif", ours);
    const image::RgbImage back = decodeGifFile(dir + "/ours.gif");
    const image::RgbImage dithered = ditherWith(scaled, indexed.palette);
    std::printf("%dx%d %.3f %.3f %.1f\n", size.width, size.height, psnr(scaled, back),
                psnr(scaled, dithered), quantiseMs);
    return 0;
}

int psnrOf(int argc, char** argv) {
    if (argc < 4)
        return 2;
    std::printf("%.3f\n", psnr(readPpm(argv[2]), decodeGifFile(argv[3])));
    return 0;
}

std::vector<std::string> slideFiles(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.push_back(ReadWholeFile(e.path().string()));
    std::sort(out.begin(), out.end());
    return out;
}

int rebuild(int argc, char** argv) {
    if (argc < 6)
        return 2;
    const std::string box[2] = {argv[2], argv[3]};
    const std::string cache = argv[4];
    char pattern[] = "/tmp/lumivex-bench-XXXXXX";
    const std::string program = std::string(::mkdtemp(pattern)) + "/";
    MemoryItemTree tree;
    NullProgress progress;
    NullMessageSink messages;
    TzqxAppletAgent agent(tree, progress, messages, program);
    agent.SetDefaults();
    agent.AppletData.SlideShowWidth = box[0];
    agent.AppletData.SlideShowHeight = box[1];
    for (int i = 5; i < argc; ++i) {
        tree.addChild(tree.root(), "Item");
        TItemData item = TzqxAppletAgent::NewItemDefaults();
        item.Level = "0";
        item.OriginalImagePath = argv[i];
        agent.Items.push_back(item);
    }
    const double n = argc - 5;
    auto build = [&](const std::string& cacheFolder) {
        agent.ImageCacheFolder = cacheFolder;
        const auto start = Clock::now();
        agent.PrepareSlideImages();
        return msSince(start) / n;
    };
    // One at a time, in this process, for the worker threads' gain.
    auto start = Clock::now();
    for (int i = 5; i < argc; ++i)
        image::MakeSlidePicture(argv[i], std::stoi(box[0]), std::stoi(box[1]), image::Rgb{});
    const double sequential = msSince(start) / n;
    const double cold = build("");
    const std::vector<std::string> plain = slideFiles(agent.PreviewFolder());
    std::filesystem::remove_all(cache);
    const double filling = build(cache);
    const double warm = build(cache);
    const bool same = slideFiles(agent.PreviewFolder()) == plain;
    agent.ClearPreviewFolder();
    std::filesystem::remove_all(program);
    std::printf("%.2f %.2f %.2f %.2f %s\n", sequential, cold, filling, warm,
                same ? "identical" : "DIFFERENT");
    return same ? 0 : 1;
}

// ---- camera-like originals ----

std::string exifBlock(int orientation, const std::string& thumbnail) {
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    auto add = [&](ExifIfd ifd, ExifTag tag) {
        ExifEntry* e = exif_entry_new();
        exif_content_add_entry(data->ifd[ifd], e);
        exif_entry_initialize(e, tag);
        exif_entry_unref(e);
        return e;
    };
    auto addText = [&](ExifTag tag, const char* text) {
        ExifEntry* e = exif_entry_new();
        exif_content_add_entry(data->ifd[EXIF_IFD_0], e);
        const std::size_t n = std::strlen(text) + 1;
        e->tag = tag;
        e->format = EXIF_FORMAT_ASCII;
        e->components = n;
        e->size = static_cast<unsigned>(n);
        e->data = static_cast<unsigned char*>(std::malloc(n));
        std::memcpy(e->data, text, n);
        exif_entry_unref(e);
    };
    exif_set_short(add(EXIF_IFD_0, EXIF_TAG_ORIENTATION)->data, EXIF_BYTE_ORDER_INTEL,
                   static_cast<ExifShort>(orientation));
    addText(EXIF_TAG_MAKE, "Lumivex Bench");
    addText(EXIF_TAG_MODEL, "Camera 24MP");
    add(EXIF_IFD_0, EXIF_TAG_X_RESOLUTION);
    add(EXIF_IFD_0, EXIF_TAG_Y_RESOLUTION);
    add(EXIF_IFD_EXIF, EXIF_TAG_COLOR_SPACE);
    add(EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION);
    if (!thumbnail.empty()) {
        data->data = static_cast<unsigned char*>(std::malloc(thumbnail.size()));
        std::memcpy(data->data, thumbnail.data(), thumbnail.size());
        data->size = static_cast<unsigned>(thumbnail.size());
    }
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &bytes, &size);
    std::string out(reinterpret_cast<char*>(bytes), size);
    std::free(bytes);
    exif_data_unref(data);
    return out;
}

std::string displayP3() {
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "Display P3");
    cmsWriteTag(p, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    std::string out(size, '\0');
    cmsSaveProfileToMem(p, out.data(), &size);
    cmsCloseProfile(p);
    cmsFreeToneCurve(curve);
    return out;
}

std::string segment(int marker, const std::string& payload) {
    const std::size_t n = payload.size() + 2;
    std::string out = {'\xFF', static_cast<char>(marker), static_cast<char>(n >> 8),
                       static_cast<char>(n & 0xFF)};
    return out + payload;
}

int camera(int argc, char** argv) {
    if (argc < 5)
        return 2;
    const std::string original = ReadWholeFile(argv[2]);
    const int orientation = std::atoi(argv[4]);
    // A 160 x 120 thumbnail of the picture, as cameras keep one.
    const image::DecodedPicture small =
        image::DecodeJpeg(image::Source{argv[2], &original},
                          [](int w, int h) { return image::FitIntoBox(w, h, 160, 120); });
    const std::string thumbnail = image::EncodeJpeg(image::Resample(
        small.pixels, std::min(160, small.pixels.width), std::min(120, small.pixels.height)));
    std::string out = original.substr(0, 2);
    out += segment(0xE1, exifBlock(orientation, thumbnail));
    if (argc > 5 && std::string(argv[5]) == "p3") {
        const std::string icc = displayP3();
        out += segment(0xE2, std::string("ICC_PROFILE\0\x01\x01", 14) + icc);
    }
    // Drop the JFIF block, as camera files have none.
    std::size_t rest = 2;
    if (original.size() > 4 && static_cast<unsigned char>(original[3]) == 0xE0)
        rest = 4 + (static_cast<unsigned char>(original[4]) << 8 |
                    static_cast<unsigned char>(original[5]));
    out += original.substr(rest);
    writePlain(argv[3], out);
    return 0;
}

int project(int argc, char** argv) {
    if (argc < 6)
        return 2;
    MemoryItemTree tree;
    NullProgress progress;
    NullMessageSink messages;
    TzqxAppletAgent agent(tree, progress, messages, "/nonexistent/");
    agent.SetDefaults();
    agent.AppletData.SlideShowWidth = argv[3];
    agent.AppletData.SlideShowHeight = argv[4];
    for (int i = 5; i < argc; ++i) {
        tree.addChild(tree.root(), "Item");
        TItemData item = TzqxAppletAgent::NewItemDefaults();
        item.Title = "Photo " + std::to_string(i - 4);
        item.Level = "0";
        item.OriginalImagePath = std::filesystem::absolute(argv[i]).string();
        agent.Items.push_back(item);
    }
    agent.SaveToFile(argv[2]);
    return 0;
}

int srgb(int argc, char** argv) {
    if (argc < 3)
        return 2;
    cmsHPROFILE p = cmsCreate_sRGBProfile();
    const bool ok = cmsSaveProfileToFile(p, argv[2]);
    cmsCloseProfile(p);
    return ok ? 0 : 1;
}

// JPEG as today's encoder wrote it: the same settings, standard Huffman tables.
std::string encodeStandard(const image::RgbImage& picture) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

image::RgbImage decodeAtOwnSize(const std::string& path) {
    return image::DecodeJpeg(image::Source{path, nullptr},
                             [](int w, int h) {
                                 return image::Size{w, h};
                             })
        .pixels;
}

int compare(int argc, char** argv) {
    if (argc < 6)
        return 2;
    const std::string in = argv[2];
    const int W = std::atoi(argv[3]), H = std::atoi(argv[4]);
    // The reference: the whole picture (DCT scale 8/8), upright, sRGB, area-averaged.
    image::Size size;
    const image::DecodedPicture full =
        image::DecodeJpeg(image::Source{in, nullptr}, [&](int w, int h) {
            size = image::FitIntoBox(w, h, W, H);
            return image::Size{w, h};
        });
    const image::RgbImage reference = image::Resample(full.pixels, size.width, size.height);
    // Our pixels as MakeSlidePicture makes them, and the bytes of today's encoder for them.
    const image::StoredJpeg stored =
        image::DecodeJpegAsStored(image::Source{in, nullptr}, [&](int, int) { return size; });
    const image::Size asStored = image::UprightSize(size.width, size.height, stored.orientation);
    const image::RgbImage ours = image::FinishJpeg(
        image::Resample(stored.picture.pixels, asStored.width, asStored.height), stored);
    const std::string today = encodeStandard(ours);
    const std::string lighter = image::EncodeJpeg(ours);
    std::printf("%dx%d today %zu ours %zu scaled %.2f", size.width, size.height, today.size(),
                lighter.size(), psnr(reference, ours));
    for (int i = 5; i < argc; ++i) {
        const std::string bytes = ReadWholeFile(argv[i]);
        const image::RgbImage pixels = decodeAtOwnSize(argv[i]);
        if (pixels.width != size.width || pixels.height != size.height) {
            std::printf(" | %zu size %dx%d", bytes.size(), pixels.width, pixels.height);
            continue;
        }
        std::printf(" | %zu %.2f", bytes.size(), psnr(reference, pixels));
    }
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench_images scale|time|gifquality|psnr|rebuild|camera|project|srgb|"
                     "compare ...\n";
        return 2;
    }
    const std::string mode = argv[1];
    try {
        if (mode == "scale")
            return scale(argc, argv);
        if (mode == "time")
            return timeCommand(argc, argv);
        if (mode == "gifquality")
            return gifQuality(argc, argv);
        if (mode == "psnr")
            return psnrOf(argc, argv);
        if (mode == "rebuild")
            return rebuild(argc, argv);
        if (mode == "camera")
            return camera(argc, argv);
        if (mode == "project")
            return project(argc, argv);
        if (mode == "srgb")
            return srgb(argc, argv);
        if (mode == "compare")
            return compare(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cerr << "unknown mode " << mode << "\n";
    return 2;
}
