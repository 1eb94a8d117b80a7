// Measuring tool for the slide image pipeline; run.sh drives it beside ImageMagick, libvips
// and djpeg. Modes:
//   scale IN OUT W H [--atomic]   one original through the pipeline, as its own process
//   time RUNS CMD ARGS...         runs a command RUNS times: min and median wall time (ms)
//   gifquality IN W H DIR         scales IN as a slide, writes DIR/scaled.ppm and our GIFs,
//                                 prints the PSNR of each against the scaled picture
//   psnr PPM GIF                  PSNR of a GIF (decoded with giflib) against a PPM
//   rebuild W H CACHE IN...       in-process builds of a project holding the originals:
//                                 cold, cold with cache, warm; checks the bytes are identical

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

#include "AppletAgent.h"
#include "FileIO.h"
#include "image/Image.h"
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench_images scale|time|gifquality|psnr|rebuild ...\n";
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
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cerr << "unknown mode " << mode << "\n";
    return 2;
}
