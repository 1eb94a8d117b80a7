// What a picture's header alone tells (ProbePicture), and hostile pictures: files of a few
// bytes that declare huge canvases, extreme sides, endless scans or tiles, each refused naming
// the file or decoded, without ever taking the memory they declare.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "EngineErrors.h"
#include "HostilePictures.h"
#include "PhotoTestImages.h"
#include "SlideImageTestImages.h"
#include "TempFolder.h"
#include "image/ProbePicture.h"
#include "image/SlidePicture.h"

namespace lumivex {
namespace {

using image::PictureKind;
using image::Rgb;
using image::Size;
using testing::ImageErrorOf;

struct ProbeCase {
    const char* name;
    std::function<std::string()> make;
    PictureKind kind;
    Size size;
};

std::ostream& operator<<(std::ostream& out, const ProbeCase& c) {
    return out << c.name;
}

testing::RgbaImage photo(int w, int h) {
    return testing::Opaque(testing::PhotoLike(w, h));
}

const ProbeCase kProbeCases[] = {
    {"turned.jpg",
     [] {
         return testing::WithMetadata(testing::MakeJpeg(testing::PhotoLike(40, 24)),
                                      testing::MakeExif(6));
     },
     PictureKind::Jpeg,
     {24, 40}},
    {"p.gif",
     [] {
         return testing::MakeGif(30, 20, {Rgb{}, Rgb{9, 9, 9}},
                                 {{2, 2, 4, 4, std::vector<std::uint8_t>(16, 1), -1, false}});
     },
     PictureKind::Gif,
     {30, 20}},
    {"p.bmp",
     [] { return image::EncodeBmp(testing::PhotoLike(13, 7)); },
     PictureKind::Bmp,
     {13, 7}},
    {"p.png",
     [] {
         testing::PhotoExtras extras;
         extras.exif = testing::MakeExif(8);
         return testing::MakePng(photo(20, 10), testing::PngLayout::Rgb, extras);
     },
     PictureKind::Png,
     {10, 20}},
    {"p.webp", [] { return testing::MakeWebp(photo(24, 16), false); }, PictureKind::Webp, {24, 16}},
    {"p.avif",
     [] {
         testing::PhotoExtras extras;
         extras.orientation = 8;
         return testing::MakeHeic(photo(64, 32), extras, heif_compression_AV1);
     },
     PictureKind::Avif,
     {32, 64}},
    {"p.heic",
     [] {
         testing::PhotoExtras extras;
         extras.orientation = 6;
         return testing::MakeHeic(photo(64, 32), extras);
     },
     PictureKind::Heic,
     {32, 64}},
};

class Probe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, GivesTheKindAndUprightSizeAndRefusesWhatTheDecoderRefuses) {
    const ProbeCase& c = GetParam();
    testing::TempFolder folder;
    const std::string path = folder.file(c.name);
    const std::string bytes = c.make();
    testing::WriteFile(path, bytes);
    const image::PictureInfo info = image::ProbePicture(path);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(info.size, c.size);

    // Within a limit the picture passes, and below it refused as too large.
    image::DecodeLimits limits;
    limits.maxPixels = limits.maxDeclaredJpegPixels = c.size.width * c.size.height;
    EXPECT_EQ(image::ProbePicture(path, limits).size, c.size);
    limits.maxPixels = limits.maxDeclaredJpegPixels = limits.maxPixels - 1;
    EXPECT_NE(ImageErrorOf([&] { image::ProbePicture(path, limits); }).find("too large"),
              std::string::npos);

    for (const std::string& damaged : {bytes.substr(0, 10), std::string("not a picture")}) {
        testing::WriteFile(path, damaged);
        EXPECT_NE(ImageErrorOf([&] { image::ProbePicture(path); }).find("\"" + path + "\""),
                  std::string::npos);
    }
    EXPECT_THROW(image::ProbePicture(folder.file(std::string("missing-") + c.name)), FileError);
    const std::string pipe = folder.file(std::string("pipe-") + c.name);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(image::ProbePicture(pipe), FileError);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Probe, ::testing::ValuesIn(kProbeCases),
                         [](const ::testing::TestParamInfo<ProbeCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 c = c == '.' ? '_' : c;
                             return name;
                         });

TEST(ProbeKind, AnUnknownExtensionIsUnsupported) {
    EXPECT_NE(ImageErrorOf([] {
                  image::ProbePicture("/a/b.tif");
              }).find("\"/a/b.tif\": unsupported picture format"),
              std::string::npos);
}

// ---- hostile pictures ----

struct Hostile {
    const char* name;
    std::function<std::string()> make;
    const char* refusal;  // part of the reason; null: the slide is made, of `slide` pixels
    Size slide;
    std::function<void(image::DecodeLimits&)> limit = nullptr;
};

std::ostream& operator<<(std::ostream& out, const Hostile& c) {
    return out << c.name;
}

std::string declaredHeic(heif_compression_format format, std::uint32_t w, std::uint32_t h) {
    std::string b = testing::MakeHeic(photo(64, 48), {}, format);
    for (std::size_t at = b.find("ispe"); at != std::string::npos; at = b.find("ispe", at + 1)) {
        testing::PutBE(b, at + 8, w);
        testing::PutBE(b, at + 12, h);
    }
    return b;
}

const Hostile kHostile[] = {
    {"wide.png", [] { return testing::PngDeclaring(99'000'000, 1, false); }, "too large", {}},
    {"tall.png", [] { return testing::PngDeclaring(1, 99'000'000, false); }, "too large", {}},
    // Rows are decoded as asked: the first missing one ends it.
    {"rows.png", [] { return testing::PngDeclaring(10000, 9999, false); }, "Not enough", {}},
    {"interlaced.png", [] { return testing::PngDeclaring(10000, 9999, true); }, "too small", {}},
    {"canvas.webp", [] { return testing::AnimationOnCanvas(10000, 9999); }, nullptr, {300, 300}},
    {"lossless.webp",
     [] { return testing::TransparentWebpDeclaring(10000, 9999); },
     "too small",
     {}},
    {"frame.gif", [] { return testing::GifDeclaring(10000, 9999, 10000, 9999); }, "too small", {}},
    {"screen.gif", [] { return testing::GifDeclaring(65535, 1, 1, 1); }, nullptr, {400, 1}},
    {"wide.bmp", [] { return testing::MakeBmp(99'000'000, 1, 24, {}, ""); }, "too large", {}},
    {"tall.bmp", [] { return testing::MakeBmp(1, -99'000'000, 24, {}, ""); }, "too large", {}},
    {"wide.jpg",
     [] { return testing::WithJpegSize(testing::MakeJpeg(testing::PhotoLike(16, 16)), 65500, 1); },
     "Corrupt JPEG data",
     {}},
    // 497 scans of 15625 blocks: decoded as it is, refused when the work is bounded below it.
    {"scans.jpg", [] { return testing::ManyScanJpeg(1000, 1000, 62); }, nullptr, {300, 300}},
    {"work.jpg",
     [] { return testing::ManyScanJpeg(1000, 1000, 62); },
     "too much work",
     {},
     [](image::DecodeLimits& l) { l.maxJpegScanBlocks = 1'000'000; }},
    {"grid.heic", [] { return testing::HeifGrid(64, 2, 2); }, nullptr, {300, 300}},
    {"tiles.heic", [] { return testing::HeifGrid(64, 33, 32); }, "too many parts", {}},
    {"declared.heic",
     [] { return declaredHeic(heif_compression_HEVC, 10000, 9999); },
     "too small",
     {}},
    {"wide.heic",
     [] { return declaredHeic(heif_compression_HEVC, 99'000'000, 1); },
     "limit exceeded",
     {}},
    {"declared.avif",
     [] { return declaredHeic(heif_compression_AV1, 10000, 9999); },
     "too small",
     {}},
    {"tall.avif",
     [] { return declaredHeic(heif_compression_AV1, 1, 99'000'000); },
     "limit exceeded",
     {}},
};

class HostilePicture : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostilePicture, IsRefusedNamingTheFileOrDecoded) {
    const Hostile& c = GetParam();
    testing::TempFolder folder;
    const std::string path = folder.file(c.name);
    testing::WriteFile(path, c.make());
    image::DecodeLimits limits;
    if (c.limit)
        c.limit(limits);
    if (c.refusal == nullptr) {
        EXPECT_EQ(image::MakeSlidePicture(path, 400, 300, Rgb{}, limits).size, c.slide);
        return;
    }
    const std::string message =
        ImageErrorOf([&] { image::MakeSlidePicture(path, 400, 300, Rgb{}, limits); });
    EXPECT_NE(message.find("\"" + path + "\""), std::string::npos) << message;
    EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Cases, HostilePicture, ::testing::ValuesIn(kHostile),
                         [](const ::testing::TestParamInfo<Hostile>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 c = c == '.' ? '_' : c;
                             return name;
                         });

}  // namespace
}  // namespace lumivex
