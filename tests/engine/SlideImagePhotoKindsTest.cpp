// PNG, WebP, HEIC and AVIF originals: colours, orientation, colour profiles, transparency, damaged
// and oversized files, each kind through the same cases; then what only one kind does.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "EngineErrors.h"
#include "PhotoTestImages.h"
#include "SlideImageTestImages.h"
#include "TempFolder.h"
#include "image/Orientation.h"
#include "image/SlidePicture.h"

// x265 3.5 leaks a few blocks of every encoder it opens, here only in making test pictures; the
// leak checker of the sanitizer build would otherwise fail every test that makes a HEIC.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}

namespace lumivex {
namespace {

using image::DecodedPicture;
using image::Rgb;
using image::Size;
using image::Source;
using testing::PhotoExtras;
using testing::RgbaImage;

struct Format {
    const char* name;  // also the file extension
    image::PictureKind kind;
    int tolerance;  // what the encoder may change in a flat colour
    std::function<std::string(const RgbaImage&, const PhotoExtras&)> make;
    // The same file declaring another size.
    std::function<std::string(std::string, int, int)> declare;
};

std::ostream& operator<<(std::ostream& out, const Format& f) {
    return out << f.name;
}

std::string writeBE(std::string bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (24 - 8 * i) & 0xFF);
    return bytes;
}

// A simple-format WebP's bitstream header: VP8 keeps 14-bit sides at 26, VP8L 14-bit sides less
// one, packed, at 21.
std::string declareWebp(std::string b, int w, int h) {
    if (b.compare(12, 4, "VP8L") == 0) {
        const std::uint32_t bits = static_cast<std::uint32_t>(w - 1) |
                                   static_cast<std::uint32_t>(h - 1) << 14 |
                                   (static_cast<std::uint8_t>(b[24]) & 0xF0u) << 24;
        for (int i = 0; i < 4; ++i)
            b[21 + static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * i) & 0xFF);
    } else {
        testing::Put16(b, 26, static_cast<unsigned>(w));
        testing::Put16(b, 28, static_cast<unsigned>(h));
    }
    return b;
}

// Every 'ispe' property (the primary picture's and any other's).
std::string declareHeic(std::string b, int w, int h) {
    for (std::size_t at = b.find("ispe"); at != std::string::npos; at = b.find("ispe", at + 1)) {
        b = writeBE(b, at + 8, static_cast<std::uint32_t>(w));
        b = writeBE(b, at + 12, static_cast<std::uint32_t>(h));
    }
    return b;
}

const Format kFormats[] = {
    {"png", image::PictureKind::Png, 0,
     [](const RgbaImage& img, const PhotoExtras& e) {
         return testing::MakePng(img, e.alpha ? testing::PngLayout::Rgba : testing::PngLayout::Rgb,
                                 e);
     },
     [](std::string b, int w, int h) {
         return testing::WithPngSize(b, static_cast<std::uint32_t>(w),
                                     static_cast<std::uint32_t>(h));
     }},
    {"webp", image::PictureKind::Webp, 0,
     [](const RgbaImage& img, const PhotoExtras& e) { return testing::MakeWebp(img, true, e); },
     declareWebp},
    {"lossy.webp", image::PictureKind::Webp, 8,
     [](const RgbaImage& img, const PhotoExtras& e) { return testing::MakeWebp(img, false, e); },
     declareWebp},
    {"heic", image::PictureKind::Heic, 8,
     [](const RgbaImage& img, const PhotoExtras& e) { return testing::MakeHeic(img, e); },
     declareHeic},
    {"avif", image::PictureKind::Avif, 8,
     [](const RgbaImage& img, const PhotoExtras& e) {
         return testing::MakeHeic(img, e, heif_compression_AV1);
     },
     declareHeic},
};

DecodedPicture decode(image::PictureKind kind, const std::string& bytes, Rgb background = {},
                      const image::TargetForSize& target = nullptr,
                      const image::DecodeLimits& limits = {}) {
    const Source source{"mem.pic", &bytes};
    switch (kind) {
        case image::PictureKind::Png:
            return image::DecodePng(source, background, target, limits);
        case image::PictureKind::Webp:
            return image::DecodeWebp(source, background, target, limits);
        default:
            return image::DecodeHeif(source, background, target, limits);
    }
}

using testing::ImageErrorOf;

// The centres of a picture's four quadrants: top left, top right, bottom left, bottom right.
std::vector<Rgb> quadrants(const image::RgbImage& img) {
    std::vector<Rgb> out;
    for (int q = 0; q < 4; ++q)
        out.push_back(testing::PixelAt(img, (q % 2 * 2 + 1) * img.width / 4,
                                       (q / 2 * 2 + 1) * img.height / 4));
    return out;
}

RgbaImage fourColours(int w, int h, const Rgb (&c)[4]) {
    RgbaImage img(w, h);
    for (int q = 0; q < 4; ++q)
        testing::Paint(img, q % 2 * w / 2, q / 2 * h / 2, w / 2, h / 2, c[q]);
    return img;
}

class PhotoKind : public ::testing::TestWithParam<Format> {};

TEST_P(PhotoKind, DecodesToItsSizeAndColoursAndMakesAJpegSlide) {
    const Format& f = GetParam();
    const Rgb colours[4] = {{220, 30, 40}, {30, 200, 60}, {40, 50, 210}, {240, 240, 230}};
    const std::string bytes = f.make(fourColours(64, 48, colours), {});
    const DecodedPicture d = decode(f.kind, bytes);
    ASSERT_EQ((Size{d.pixels.width, d.pixels.height}), (Size{64, 48}));
    EXPECT_EQ((Size{d.declaredWidth, d.declaredHeight}), (Size{64, 48}));
    const std::vector<Rgb> seen = quadrants(d.pixels);
    for (int q = 0; q < 4; ++q)
        EXPECT_LE(testing::ColourDistance(seen[q], colours[q]), f.tolerance) << q;

    testing::TempFolder folder;
    const std::string path = folder.file(std::string("p.") + f.name);
    testing::WriteFile(path, bytes);
    const image::SlidePicture slide = image::MakeSlidePicture(path, 32, 32, Rgb{});
    EXPECT_EQ(slide.kind, f.kind);
    EXPECT_EQ(slide.size, (Size{32, 24}));
    const DecodedPicture jpeg =
        image::DecodeJpeg(Source{"slide", &slide.encoded}, [](int w, int h) {
            return Size{w, h};
        });
    ASSERT_EQ((Size{jpeg.pixels.width, jpeg.pixels.height}), (Size{32, 24}));
    const std::vector<Rgb> slideSeen = quadrants(jpeg.pixels);
    for (int q = 0; q < 4; ++q)
        EXPECT_LE(testing::ColourDistance(slideSeen[q], colours[q]), f.tolerance + 6) << q;
}

TEST_P(PhotoKind, EveryOrientationIsTurnedUpright) {
    const Format& f = GetParam();
    // The quadrant where each orientation stores the upright top-left and top-right ones.
    const int stored[9][2] = {{}, {0, 1}, {1, 0}, {3, 2}, {2, 3}, {0, 2}, {2, 0}, {3, 1}, {1, 3}};
    const Rgb grey{128, 128, 128}, red{230, 20, 20}, blue{20, 20, 230};
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE("orientation " + std::to_string(o));
        Rgb colours[4] = {grey, grey, grey, grey};
        colours[stored[o][0]] = red;
        colours[stored[o][1]] = blue;
        // Upright 64 x 32, fitted into 32 x 32 as 32 x 16.
        const RgbaImage picture = fourColours(o >= 5 ? 32 : 64, o >= 5 ? 64 : 32, colours);
        PhotoExtras extras;
        extras.exif =
            testing::MakeExif(o, o % 2 ? EXIF_BYTE_ORDER_MOTOROLA : EXIF_BYTE_ORDER_INTEL);
        extras.orientation = o;
        testing::TempFolder folder;
        const std::string path = folder.file(std::string("p.") + f.name);
        testing::WriteFile(path, f.make(picture, extras));
        const image::SlidePicture slide = image::MakeSlidePicture(path, 32, 32, Rgb{});
        EXPECT_EQ(slide.size, (Size{32, 16}));
        const std::vector<Rgb> seen =
            quadrants(image::DecodeJpeg(Source{"slide", &slide.encoded}, [](int w, int h) {
                          return Size{w, h};
                      }).pixels);
        const Rgb expected[4] = {red, blue, grey, grey};
        for (int q = 0; q < 4; ++q)
            EXPECT_LE(testing::ColourDistance(seen[q], expected[q]), f.tolerance + 10) << q;
    }
}

TEST_P(PhotoKind, AnEmbeddedProfileIsConvertedToSrgb) {
    const Format& f = GetParam();
    PhotoExtras p3;
    p3.icc = testing::DisplayP3Profile();
    for (Rgb stored : {Rgb{200, 60, 40}, Rgb{40, 180, 90}, Rgb{70, 90, 200}}) {
        RgbaImage img(32, 32);
        testing::Paint(img, 0, 0, 32, 32, stored);
        const Rgb expected = testing::LittleCmsToSrgb(p3.icc, stored);
        ASSERT_GE(testing::ColourDistance(expected, stored), 5);  // the conversion matters
        const Rgb seen = testing::PixelAt(decode(f.kind, f.make(img, p3)).pixels, 16, 16);
        EXPECT_LE(testing::ColourDistance(seen, expected), f.tolerance + 2);
        const Rgb plain = testing::PixelAt(decode(f.kind, f.make(img, {})).pixels, 16, 16);
        EXPECT_LE(testing::ColourDistance(plain, stored), f.tolerance);
    }
}

TEST_P(PhotoKind, TransparentPixelsTakeTheBackground) {
    const Format& f = GetParam();
    // Left half invisible (its colour must not show), top right opaque, bottom right half seen.
    RgbaImage img(64, 64);
    testing::Paint(img, 0, 0, 32, 64, Rgb{0, 255, 0}, 0);
    testing::Paint(img, 32, 0, 32, 32, Rgb{200, 30, 30});
    testing::Paint(img, 32, 32, 32, 32, Rgb{40, 40, 220}, 128);
    const Rgb background{250, 200, 20};
    PhotoExtras extras;
    extras.alpha = true;
    const DecodedPicture d = decode(f.kind, f.make(img, extras), background);
    const std::vector<Rgb> seen = quadrants(d.pixels);
    auto mix = [](int c, int b) {
        return static_cast<std::uint8_t>((c * 128 + b * 127 + 127) / 255);
    };
    const Rgb half{mix(40, 250), mix(40, 200), mix(220, 20)};
    EXPECT_LE(testing::ColourDistance(seen[0], background), f.tolerance);
    EXPECT_LE(testing::ColourDistance(seen[2], background), f.tolerance);
    EXPECT_LE(testing::ColourDistance(seen[1], Rgb{200, 30, 30}), f.tolerance);
    EXPECT_LE(testing::ColourDistance(seen[3], half), f.tolerance + 2);
}

TEST_P(PhotoKind, DamagedTruncatedAndMislabelledFilesRaiseErrorsNamingTheFile) {
    const Format& f = GetParam();
    const std::string good = f.make(testing::Opaque(testing::PhotoLike(64, 64)), {});
    const std::string jpeg = testing::MakeJpeg(testing::PhotoLike(16, 16));
    for (const std::string& bytes :
         {good.substr(0, good.size() / 2), good.substr(0, 30), std::string(), jpeg}) {
        testing::TempFolder folder;
        const std::string path = folder.file(std::string("bad.") + f.name);
        testing::WriteFile(path, bytes);
        const std::string message =
            ImageErrorOf([&] { image::MakeSlidePicture(path, 32, 32, Rgb{}); });
        EXPECT_NE(message.find("\"" + path + "\""), std::string::npos) << message;
    }
    // A pipe is never read (it would block until someone writes).
    testing::TempFolder folder;
    const std::string pipe = folder.file(std::string("pipe.") + f.name);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(image::MakeSlidePicture(pipe, 32, 32, Rgb{}), FileError);
}

TEST_P(PhotoKind, AbsurdDeclaredSizesAreRefusedBeforeAnyPixelIsTaken) {
    const Format& f = GetParam();
    const std::string small = f.make(testing::Opaque(testing::PhotoLike(64, 48)), {});
    // Declared in a file of a few hundred bytes. A lossy WebP may be decoded scaled down from
    // more than it could hold, up to its own bound.
    image::DecodeLimits limits;
    limits.maxDeclaredJpegPixels = limits.maxPixels;
    bool asked = false;
    const std::string message = ImageErrorOf([&] {
        decode(
            f.kind, f.declare(small, 16000, 16000), Rgb{},
            [&](int w, int h) {
                asked = true;
                return Size{w, h};
            },
            limits);
    });
    EXPECT_NE(message.find("too large"), std::string::npos) << message;
    EXPECT_FALSE(asked);
    // The same file at its own size passes the same checks.
    EXPECT_EQ(decode(f.kind, f.declare(small, 64, 48), Rgb{}, nullptr, limits).pixels.width, 64);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PhotoKind, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 c = c == '.' ? '_' : c;
                             return name;
                         });

// ---- what one kind does ----

TEST(SlidePng, EveryLayoutAndInterlacingDecodesToItsColours) {
    const Rgb colours[4] = {{220, 30, 40}, {30, 200, 60}, {40, 50, 210}, {240, 240, 230}};
    const Rgb greys[4] = {{20, 20, 20}, {90, 90, 90}, {160, 160, 160}, {250, 250, 250}};
    using testing::PngLayout;
    for (PngLayout layout : {PngLayout::Rgb, PngLayout::Rgba, PngLayout::Grey, PngLayout::GreyAlpha,
                             PngLayout::Palette, PngLayout::Rgb16}) {
        const bool grey = layout == PngLayout::Grey || layout == PngLayout::GreyAlpha;
        const Rgb(&c)[4] = grey ? greys : colours;
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(layout)) +
                         (interlace ? " interlaced" : ""));
            const std::string png = testing::MakePng(fourColours(40, 30, c), layout, {}, interlace);
            const DecodedPicture d = decode(image::PictureKind::Png, png);
            const std::vector<Rgb> seen = quadrants(d.pixels);
            for (int q = 0; q < 4; ++q)
                EXPECT_LE(testing::ColourDistance(seen[q], c[q]), layout == PngLayout::Rgb16) << q;
        }
    }
}

TEST(SlidePng, RowsAreDecodedAsAskedSoACutIsFoundWhereItIs) {
    const RgbaImage img = testing::Opaque(testing::PhotoLike(200, 200));
    const std::string whole = testing::MakePng(img, testing::PngLayout::Rgb);
    const std::string cut = whole.substr(0, whole.size() * 2 / 3);
    const Source source{"cut.png", &cut};
    const image::StoredRows rows = image::OpenPngRows(source, Rgb{});
    EXPECT_EQ(rows.rows->row(0)[0], img.pixels[0]);  // the top rows are there
    EXPECT_NE(ImageErrorOf([&] { image::ReadAllRows(*rows.rows); }).find("\"cut.png\""),
              std::string::npos);
    // An interlaced picture has no complete row before its last pass: refused when opened.
    const std::string interlaced = testing::MakePng(img, testing::PngLayout::Rgb, {}, true);
    const std::string cutInterlaced = interlaced.substr(0, interlaced.size() * 2 / 3);
    EXPECT_NE(ImageErrorOf([&] {
                  image::OpenPngRows(Source{"i.png", &cutInterlaced}, Rgb{});
              }).find("\"i.png\""),
              std::string::npos);
}

TEST(SlideWebp, AnOpaquePictureIsDecodedAtTheTargetSizeAndNoSmaller) {
    const RgbaImage photo = testing::Opaque(testing::PhotoLike(400, 300));
    RgbaImage seeThrough = photo;
    seeThrough.pixels[3] = 0;
    struct Case {
        const RgbaImage* picture;
        bool lossless;
        Size target, decoded;
    } cases[] = {
        {&photo, false, {100, 75}, {100, 75}},       {&photo, false, {400, 300}, {400, 300}},
        {&photo, false, {800, 600}, {400, 300}},     {&photo, true, {100, 75}, {100, 75}},
        {&seeThrough, false, {100, 75}, {400, 300}}, {&seeThrough, true, {100, 75}, {400, 300}}};
    for (const Case& c : cases) {
        const std::string bytes = testing::MakeWebp(*c.picture, c.lossless);
        const DecodedPicture d =
            decode(image::PictureKind::Webp, bytes, Rgb{}, [&](int, int) { return c.target; });
        EXPECT_EQ((Size{d.pixels.width, d.pixels.height}), c.decoded) << c.target.width;
        EXPECT_EQ((Size{d.declaredWidth, d.declaredHeight}), (Size{400, 300}));
        // libwebp's scaler averages as well as the full picture resampled does.
        const DecodedPicture full = decode(image::PictureKind::Webp, bytes);
        EXPECT_GT(
            testing::Psnr(d.pixels, image::Resample(full.pixels, d.pixels.width, d.pixels.height)),
            40.0);
    }
}

TEST(SlideWebp, AnAnimationShowsItsFirstFrame) {
    RgbaImage first(48, 32), second(48, 32);
    testing::Paint(first, 0, 0, 48, 32, Rgb{200, 20, 20});
    testing::Paint(first, 0, 0, 24, 32, Rgb{0, 0, 0}, 0);
    testing::Paint(second, 0, 0, 48, 32, Rgb{20, 20, 200});
    const std::string bytes = testing::MakeAnimatedWebp({first, second});
    const Rgb background{1, 150, 2};
    const DecodedPicture d = decode(image::PictureKind::Webp, bytes, background);
    EXPECT_EQ(testing::PixelAt(d.pixels, 36, 16), (Rgb{200, 20, 20}));
    EXPECT_EQ(testing::PixelAt(d.pixels, 12, 16), background);
}

}  // namespace
}  // namespace lumivex
