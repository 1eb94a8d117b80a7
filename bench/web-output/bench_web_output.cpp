// The modern web output's pictures, measured:
//   bench_web_output speeds PHOTO...     AVIF bytes against JPEG bytes and encode time of the
//                                        search at each encoder speed, over the photos' 1x and
//                                        2x slides in a 960 x 400 box
//   bench_web_output check FOLDER PHOTO... for each published slider<k>.jpg (and its other
//                                        widths) with an AVIF beside it: bytes and PSNR of
//                                        both against the photo decoded and scaled to the
//                                        slide's size
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FileIO.h"
#include "image/AvifCodec.h"
#include "image/SlidePicture.h"

using namespace lumivex;
using namespace lumivex::image;

namespace {

RgbImage Scaled(const std::string& photo, Size size) {
    const Source source{photo, nullptr};
    const DecodedPicture decoded = DecodeJpeg(source, [&](int, int) { return size; });
    return Resample(decoded.pixels, size.width, size.height);
}

RgbImage Decoded(const std::string& jpeg) {
    const Source source{"JPEG", &jpeg};
    return DecodeJpeg(source, [](int w, int h) { return Size{w, h}; }).pixels;
}

int speeds(int argc, char** argv) {
    std::vector<RgbImage> pictures;
    std::vector<std::string> jpegs;
    for (int a = 2; a < argc; ++a) {
        const Source source{argv[a], nullptr};
        const DecodedPicture decoded =
            DecodeJpeg(source, [](int w, int h) { return FitIntoBox(w, h, 1920, 800); });
        const Size twice = FitIntoBox(decoded.declaredWidth, decoded.declaredHeight, 1920, 800);
        const Size once = FitIntoBox(decoded.declaredWidth, decoded.declaredHeight, 960, 400);
        for (Size s : {once, twice}) {
            pictures.push_back(Resample(decoded.pixels, s.width, s.height));
            jpegs.push_back(EncodeJpeg(pictures.back()));
        }
    }
    std::size_t jpegBytes = 0;
    for (const std::string& j : jpegs)
        jpegBytes += j.size();
    std::printf("speed  avif/jpeg bytes  missing  search ms (all slides)\n");
    for (int speed = 6; speed <= 10; ++speed) {
        std::size_t avifBytes = 0;
        int missing = 0;
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            int hint = 0;
            const std::string avif = AvifBeside(pictures[i], jpegs[i], &hint, speed);
            avifBytes += avif.empty() ? jpegs[i].size() : avif.size();
            missing += avif.empty();
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("%5d  %15.3f  %7d  %9.0f%s\n", speed,
                    static_cast<double>(avifBytes) / static_cast<double>(jpegBytes), missing, ms,
                    speed == kAvifSpeed ? "   <- used" : "");
    }
    return 0;
}

int check(int argc, char** argv) {
    const std::string folder = std::string(argv[2]) + "/";
    std::size_t jpegBytes = 0, avifBytes = 0, allJpegBytes = 0;
    double worst = 1e9;
    int pairs = 0;
    std::printf("slide                 jpeg B   avif B  ratio  jpeg dB  avif dB  avif-jpeg\n");
    for (int a = 3; a < argc; ++a) {
        const std::string k = std::to_string(a - 3);
        for (const char* width : {"@0.5x", "@0.8x", "", "@1.5x", "@2x"}) {
            const std::string name = "slider" + k + width;
            if (!FileExists(folder + name + ".jpg"))
                continue;
            const std::string jpeg = ReadWholeFile(folder + name + ".jpg");
            allJpegBytes += jpeg.size();
            if (!FileExists(folder + name + ".avif"))
                continue;
            const std::string avif = ReadWholeFile(folder + name + ".avif");
            const RgbImage shown = Decoded(jpeg);
            const RgbImage reference = Scaled(argv[a], Size{shown.width, shown.height});
            const double pj = Psnr(shown, reference), pa = Psnr(DecodeAvif(avif), reference);
            std::printf("%-20s %8zu %8zu  %5.2f  %7.2f  %7.2f  %+9.2f\n", name.c_str(), jpeg.size(),
                        avif.size(), static_cast<double>(avif.size()) / jpeg.size(), pj, pa,
                        pa - pj);
            jpegBytes += jpeg.size();
            avifBytes += avif.size();
            worst = std::min(worst, pa - pj);
            ++pairs;
        }
    }
    std::printf("AVIF beside %d JPEGs: %.3fx their bytes; worst PSNR difference %+.2f dB\n", pairs,
                jpegBytes ? static_cast<double>(avifBytes) / jpegBytes : 0.0, worst);
    std::printf("AVIF where written, else JPEG, against every JPEG: %.3fx\n",
                allJpegBytes
                    ? static_cast<double>(avifBytes + (allJpegBytes - jpegBytes)) / allJpegBytes
                    : 0.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "speeds") == 0)
        return speeds(argc, argv);
    if (argc >= 4 && std::strcmp(argv[1], "check") == 0)
        return check(argc, argv);
    std::fprintf(stderr, "usage: bench_web_output speeds PHOTO... | check FOLDER PHOTO...\n");
    return 2;
}
