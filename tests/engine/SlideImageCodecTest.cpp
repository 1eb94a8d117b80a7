#include <gtest/gtest.h>

#include <jpeglib.h>

#include <set>

#include "EngineErrors.h"
#include "SlideImageTestImages.h"
#include "TempFolder.h"
#include "image/Image.h"
#include "image/SlidePicture.h"

namespace lumivex {
namespace {

using image::DecodedPicture;
using image::Rgb;
using image::RgbImage;
using image::RowSpan;
using image::Size;
using image::Source;
using image::StoredJpeg;

DecodedPicture decodeJpegBytes(const std::string& bytes, Size target,
                               const image::DecodeLimits& limits = {}) {
    return image::DecodeJpeg(
        Source{"mem.jpg", &bytes}, [&](int, int) { return target; }, limits);
}

using testing::ImageErrorOf;

// ---- JPEG ----

struct JpegFacts {
    int width = 0, height = 0, components = 0;
    bool progressive = false;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    std::vector<std::vector<unsigned>> tables;
};

JpegFacts readFacts(const std::string& bytes) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    JpegFacts f{static_cast<int>(cinfo.image_width),
                static_cast<int>(cinfo.image_height),
                cinfo.num_components,
                static_cast<bool>(cinfo.progressive_mode),
                cinfo.jpeg_color_space,
                {}};
    for (int t = 0; t < 2; ++t) {
        std::vector<unsigned> q;
        if (cinfo.quant_tbl_ptrs[t] != nullptr) {
            for (int k = 0; k < 64; ++k)
                q.push_back(cinfo.quant_tbl_ptrs[t]->quantval[k]);
        }
        f.tables.push_back(q);
    }
    jpeg_destroy_decompress(&cinfo);
    return f;
}

TEST(SlideImageJpeg, WritesBaselineYCbCrAtQuality90) {
    const std::string bytes = image::EncodeJpeg(testing::PhotoLike(64, 48));
    const JpegFacts f = readFacts(bytes);
    EXPECT_EQ(f.width, 64);
    EXPECT_EQ(f.height, 48);
    EXPECT_EQ(f.components, 3);
    EXPECT_EQ(f.space, JCS_YCbCr);
    EXPECT_FALSE(f.progressive);
    // The standard tables (natural order) scaled for quality 90: (q * 20 + 50) / 100, at least 1.
    const unsigned luminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                    58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                    22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                    77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                    103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
    const unsigned chrominance[64] = {
        17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
        99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
        99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
    ASSERT_EQ(f.tables[0].size(), 64u);
    ASSERT_EQ(f.tables[1].size(), 64u);
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(f.tables[0][static_cast<std::size_t>(k)],
                  std::max(1u, (luminance[k] * 20 + 50) / 100))
            << k;
        EXPECT_EQ(f.tables[1][static_cast<std::size_t>(k)],
                  std::max(1u, (chrominance[k] * 20 + 50) / 100))
            << k;
    }
}

TEST(SlideImageJpeg, DecodesAtTheSmallestDctScaleThatCoversTheTarget) {
    const std::string bytes = testing::MakeJpeg(testing::PhotoLike(1600, 1200));
    struct Case {
        Size target;
        Size decoded;
    } cases[] = {{{100, 75}, {200, 150}},     {{200, 150}, {200, 150}},
                 {{201, 150}, {400, 300}},    {{400, 300}, {400, 300}},
                 {{1000, 750}, {1000, 750}},  {{1500, 1125}, {1600, 1200}},
                 {{3200, 2400}, {1600, 1200}}};
    for (const Case& c : cases) {
        const DecodedPicture d = decodeJpegBytes(bytes, c.target);
        EXPECT_EQ(d.declaredWidth, 1600);
        EXPECT_EQ(d.declaredHeight, 1200);
        EXPECT_EQ((Size{d.pixels.width, d.pixels.height}), c.decoded) << c.target.width;
    }
}

// Rows asked for are decoded exactly as in the whole picture, whatever the sampling, the row's
// place in an MCU, or whether the rows below are read at all.
TEST(SlideImageJpeg, DecodesOnlyTheRowsAskedForAsTheWholePictureHasThem) {
    const RgbImage photo = testing::PhotoLike(320, 240);
    const std::pair<const char*, testing::JpegOptions> kinds[] = {
        {"4:2:0", {92, false, false, 0}},
        {"4:2:2", {92, false, false, 21}},
        {"4:4:4", {92, false, false, 11}},
        {"progressive", {92, true, false, 0}},
        {"grey", {92, false, true, 0}}};
    for (const auto& [kind, options] : kinds) {
        const std::string bytes = testing::MakeJpeg(photo, options);
        const Source source{"rows.jpg", &bytes};
        const auto target = [](int, int) { return Size{150, 110}; };  // the 2/8 scale: 160 x 120
        const StoredJpeg whole = image::DecodeJpegAsStored(source, target);
        ASSERT_EQ(whole.picture.pixels.height, 120) << kind;
        for (const RowSpan want :
             {RowSpan{0, 5}, RowSpan{7, 13}, RowSpan{16, 9}, RowSpan{101, 19}, RowSpan{90, 500}}) {
            const StoredJpeg part = DecodeJpegAsStored(source, target, {}, [&](Size decoded, int) {
                EXPECT_EQ(decoded, (Size{160, 120}));
                return want;
            });
            const int count = std::min(want.count, 120 - want.first);
            ASSERT_EQ(part.firstRow, want.first) << kind;
            ASSERT_EQ(part.picture.pixels.height, count) << kind;
            for (int y = 0; y < count; ++y)
                ASSERT_TRUE(std::equal(part.picture.pixels.row(y), part.picture.pixels.row(y) + 480,
                                       whole.picture.pixels.row(want.first + y)))
                    << kind << " row " << want.first + y;
        }
    }
}

TEST(SlideImageJpeg, ProgressiveAndGreyscaleOriginalsDecodeToTheirColours) {
    const RgbImage flat = testing::Filled(40, 24, Rgb{200, 40, 90});
    for (bool progressive : {false, true}) {
        const DecodedPicture d =
            decodeJpegBytes(testing::MakeJpeg(flat, {95, progressive, false}), {40, 24});
        const Rgb p = testing::PixelAt(d.pixels, 20, 12);
        EXPECT_NEAR(p.r, 200, 3);
        EXPECT_NEAR(p.g, 40, 3);
        EXPECT_NEAR(p.b, 90, 3);
    }
    const DecodedPicture grey =
        decodeJpegBytes(testing::MakeJpeg(flat, {95, false, true}), {40, 24});
    const Rgb g = testing::PixelAt(grey.pixels, 5, 5);
    EXPECT_NEAR(g.r, 40, 2);
    EXPECT_EQ(g.r, g.g);
    EXPECT_EQ(g.g, g.b);
}

TEST(SlideImageJpeg, DamagedTruncatedAndMislabelledFilesRaiseErrorsNamingTheFile) {
    const std::string good = testing::MakeJpeg(testing::PhotoLike(256, 256));
    const std::string truncated = good.substr(0, good.size() / 2);
    std::string scrambled = good;
    for (std::size_t i = good.size() / 3; i < good.size() / 3 + 200; ++i)
        scrambled[i] = static_cast<char>(0xFF ^ (i * 7));
    const std::string gif = testing::MakeGif(4, 4, {Rgb{}, Rgb{255, 255, 255}},
                                             {{0, 0, 4, 4, std::vector<std::uint8_t>(16, 1)}});
    for (const std::string& bytes :
         {truncated, scrambled, gif, std::string(), std::string("\xFF\xD8\xFF", 3)}) {
        const std::string message = ImageErrorOf([&] { decodeJpegBytes(bytes, {64, 64}); });
        EXPECT_NE(message.find("\"mem.jpg\""), std::string::npos) << message;
    }
    EXPECT_NE(ImageErrorOf([&] {
                  decodeJpegBytes(gif, {4, 4});
              }).find("Not a JPEG file"),
              std::string::npos);
    EXPECT_NE(ImageErrorOf([&] {
                  decodeJpegBytes(truncated, {64, 64});
              }).find("Premature end"),
              std::string::npos);
}

TEST(SlideImageJpeg, AbsurdDeclaredSizesAreRefusedBeforeDecoding) {
    const std::string small = testing::MakeJpeg(testing::PhotoLike(16, 16));
    // 4.2 gigapixels declared: refused whatever the scale.
    EXPECT_NE(ImageErrorOf([&] {
                  decodeJpegBytes(testing::WithJpegSize(small, 65000, 65000), {8, 8});
              }).find("too large"),
              std::string::npos);
    // 144 megapixels in one scan may be decoded scaled down, but not at full size ...
    const std::string big = testing::WithJpegSize(small, 12000, 12000);
    EXPECT_NE(ImageErrorOf([&] {
                  decodeJpegBytes(big, {12000, 12000});
              }).find("even when scaled down"),
              std::string::npos);
    // ... and never when progressive, which must be held whole.
    const std::string progressive = testing::WithJpegSize(
        testing::MakeJpeg(testing::PhotoLike(16, 16), {90, true, false}), 12000, 12000);
    EXPECT_NE(ImageErrorOf([&] {
                  decodeJpegBytes(progressive, {100, 100});
              }).find("too large"),
              std::string::npos);
    // A scaled decode of the big baseline header gets past the size checks and fails on the data.
    const std::string m = ImageErrorOf([&] { decodeJpegBytes(big, {100, 100}); });
    EXPECT_EQ(m.find("too large"), std::string::npos) << m;
    EXPECT_NE(m.find("Corrupt JPEG data"), std::string::npos) << m;
}

// ---- GIF ----

TEST(SlideImageGif, TransparencyAndTheUncoveredScreenTakeTheBackground) {
    // A 6 x 4 screen; a 4 x 2 frame at (1, 1) whose index 2 is transparent.
    testing::GifFrame frame{1, 1, 4, 2, {0, 1, 2, 1, 1, 2, 0, 0}, 2, false};
    const std::string bytes =
        testing::MakeGif(6, 4, {Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}}, {frame});
    const Rgb background{10, 20, 30};
    const DecodedPicture d = image::DecodeGif(Source{"t.gif", &bytes}, background);
    ASSERT_EQ((Size{d.pixels.width, d.pixels.height}), (Size{6, 4}));
    EXPECT_EQ(testing::PixelAt(d.pixels, 0, 0), background);
    EXPECT_EQ(testing::PixelAt(d.pixels, 1, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(testing::PixelAt(d.pixels, 2, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(testing::PixelAt(d.pixels, 3, 1), background);
    EXPECT_EQ(testing::PixelAt(d.pixels, 4, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(testing::PixelAt(d.pixels, 2, 2), background);
    EXPECT_EQ(testing::PixelAt(d.pixels, 3, 2), (Rgb{255, 0, 0}));
    EXPECT_EQ(testing::PixelAt(d.pixels, 5, 3), background);
}

TEST(SlideImageGif, InterlacedRowsLandInPlaceAndOnlyTheFirstFrameCounts) {
    const int w = 3, h = 11;
    testing::GifFrame first{0, 0, w, h, {}, -1, true};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            first.indexes.push_back(static_cast<std::uint8_t>(y));
    }
    testing::GifFrame second{0, 0, w, h, std::vector<std::uint8_t>(w * h, 15), -1, false};
    std::vector<Rgb> grey;
    for (int i = 0; i < 16; ++i)
        grey.push_back(Rgb{static_cast<std::uint8_t>(i * 10), 0, 0});
    const std::string bytes = testing::MakeGif(w, h, grey, {first, second});
    const DecodedPicture d = image::DecodeGif(Source{"t.gif", &bytes}, Rgb{});
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(testing::PixelAt(d.pixels, 1, y).r, y * 10) << y;
}

TEST(SlideImageGif, DamagedAndOversizedFilesAreRefused) {
    testing::GifFrame frame{0, 0, 64, 64, std::vector<std::uint8_t>(64 * 64), -1, false};
    for (std::size_t i = 0; i < frame.indexes.size(); ++i)
        frame.indexes[i] = static_cast<std::uint8_t>(i * 31 % 7);
    std::vector<Rgb> colours(8);
    const std::string good = testing::MakeGif(64, 64, colours, {frame});
    const std::string truncated = good.substr(0, good.size() / 2);
    for (const std::string& bytes :
         {truncated, std::string("GIF89a"), std::string("not a gif at all"), good.substr(0, 13)}) {
        EXPECT_NE(ImageErrorOf([&] {
                      image::DecodeGif(Source{"bad.gif", &bytes}, Rgb{});
                  }).find("\"bad.gif\""),
                  std::string::npos);
    }
    // The screen is 60000 x 60000; refused before a canvas is allocated.
    std::string huge = good;
    testing::Put16(huge, 6, 60000);
    testing::Put16(huge, 8, 60000);
    EXPECT_NE(ImageErrorOf([&] {
                  image::DecodeGif(Source{"big.gif", &huge}, Rgb{});
              }).find("too large"),
              std::string::npos);
}

// A slide made row by row, holding only the frame, is the slide of the whole screen decoded.
TEST(SlideImageGif, FramesOnALargerScreenGiveTheSlideOfTheWholeScreen) {
    testing::TempFolder folder;
    const Rgb background{10, 20, 30};
    auto frameOf = [](int left, int top, int w, int h, int transparent, bool interlace) {
        testing::GifFrame f{left, top, w, h, {}, transparent, interlace};
        for (int i = 0; i < w * h; ++i)
            f.indexes.push_back(static_cast<std::uint8_t>(i * 7 % 5));
        return f;
    };
    struct Case {
        const char* name;
        int screenWidth, screenHeight;
        testing::GifFrame frame;
    };
    const Case cases[] = {
        {"inside", 120, 90, frameOf(30, 20, 50, 40, -1, false)},
        {"past the edges", 120, 90, frameOf(100, 70, 50, 40, 2, false)},
        {"interlaced, transparent", 120, 90, frameOf(5, 7, 60, 33, 1, true)},
        {"off the screen", 120, 90, frameOf(130, 10, 5, 5, -1, false)},
        {"one pixel on a large screen", 2000, 1500, frameOf(999, 700, 1, 1, -1, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(std::string(c.name) + ".gif");
        testing::WriteFile(
            path,
            testing::MakeGif(c.screenWidth, c.screenHeight,
                             {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}},
                             {c.frame}));
        const image::SlidePicture slide = image::MakeSlidePicture(path, 40, 30, background);
        const DecodedPicture whole = image::DecodeGif(Source{path, nullptr}, background);
        EXPECT_EQ(slide.encoded, image::EncodeGif(image::Resample(whole.pixels, slide.size.width,
                                                                  slide.size.height)));
    }
    // A bitmap is read row by row too.
    const std::string bmp = folder.file("p.bmp");
    testing::WriteFile(bmp, image::EncodeBmp(testing::PhotoLike(97, 61)));
    const image::SlidePicture slide = image::MakeSlidePicture(bmp, 40, 30, background);
    EXPECT_EQ(slide.encoded,
              image::EncodeBmp(image::Resample(image::DecodeBmp(Source{bmp, nullptr}).pixels,
                                               slide.size.width, slide.size.height)));
}

TEST(SlideImageGif, WritesAtMost256ColoursInAnEightBitTable) {
    const RgbImage photo = testing::PhotoLike(120, 90);
    const std::string bytes = image::EncodeGif(photo);
    const DecodedPicture d = image::DecodeGif(Source{"out.gif", &bytes}, Rgb{});
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < d.pixels.pixels.size(); i += 3) {
        colours.insert(d.pixels.pixels[i] << 16 | d.pixels.pixels[i + 1] << 8 |
                       d.pixels.pixels[i + 2]);
    }
    EXPECT_LE(colours.size(), 256u);
    EXPECT_GT(colours.size(), 128u);  // a photograph uses most of them
    EXPECT_GT(testing::Psnr(photo, d.pixels), 30.0);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[10]) & 0x87, 0x87);  // global table, 2^(7+1) entries

    // A picture of few colours comes back exactly.
    RgbImage few = testing::Filled(10, 10, Rgb{1, 2, 3});
    few.row(5)[15] = 250;
    const std::string fewBytes = image::EncodeGif(few);
    EXPECT_EQ(image::DecodeGif(Source{"few.gif", &fewBytes}, Rgb{}).pixels.pixels, few.pixels);
}

// ---- BMP ----

std::string rowsOf(const std::vector<std::vector<std::uint8_t>>& rows) {
    std::string out;
    for (const auto& r : rows) {
        std::string row(r.begin(), r.end());
        while (row.size() % 4 != 0)
            row += '\0';
        out += row;
    }
    return out;
}

TEST(SlideImageBmp, ReadsTheUsualUncompressedAndPaletteKinds) {
    const std::vector<Rgb> palette = {Rgb{0, 0, 0}, Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}};
    auto decode = [](const std::string& bytes) {
        return image::DecodeBmp(Source{"t.bmp", &bytes}).pixels;
    };
    // 2 x 2, bottom-up: stored first row is the picture's bottom row.
    const RgbImage p24 = decode(testing::MakeBmp(
        2, 2, 24, {}, rowsOf({{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}})));
    EXPECT_EQ(testing::PixelAt(p24, 0, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(testing::PixelAt(p24, 1, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(testing::PixelAt(p24, 0, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(testing::PixelAt(p24, 1, 0), (Rgb{255, 255, 255}));

    const RgbImage p8 =
        decode(testing::MakeBmp(3, -1, 8, palette, rowsOf({{1, 2, 3}})));  // top-down
    EXPECT_EQ(testing::PixelAt(p8, 2, 0), (Rgb{0, 0, 255}));
    const RgbImage p4 = decode(testing::MakeBmp(3, 1, 4, palette, rowsOf({{0x12, 0x30}})));
    EXPECT_EQ(testing::PixelAt(p4, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(testing::PixelAt(p4, 1, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(testing::PixelAt(p4, 2, 0), (Rgb{0, 0, 255}));
    const RgbImage p1 =
        decode(testing::MakeBmp(9, 1, 1, {Rgb{}, Rgb{9, 9, 9}}, rowsOf({{0xA0, 0x80}})));
    EXPECT_EQ(testing::PixelAt(p1, 0, 0), (Rgb{9, 9, 9}));
    EXPECT_EQ(testing::PixelAt(p1, 1, 0), (Rgb{}));
    EXPECT_EQ(testing::PixelAt(p1, 8, 0), (Rgb{9, 9, 9}));
    // 16 bits as 5-5-5 by default and 5-6-5 with bit fields; 32 bits with its alpha byte ignored.
    const RgbImage p555 = decode(testing::MakeBmp(1, 1, 16, {}, rowsOf({{0x00, 0x7C}})));
    EXPECT_EQ(testing::PixelAt(p555, 0, 0), (Rgb{255, 0, 0}));
    const RgbImage p565 =
        decode(testing::MakeBmp(1, 1, 16, {}, rowsOf({{0xE0, 0x07}}), 3, {0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(testing::PixelAt(p565, 0, 0), (Rgb{0, 255, 0}));
    const RgbImage p32 = decode(testing::MakeBmp(1, 1, 32, {}, rowsOf({{10, 20, 30, 0}})));
    EXPECT_EQ(testing::PixelAt(p32, 0, 0), (Rgb{30, 20, 10}));
}

TEST(SlideImageBmp, WrittenBitmapsReadBackExactly) {
    const RgbImage photo = testing::PhotoLike(13, 7);
    const std::string bytes = image::EncodeBmp(photo);
    EXPECT_EQ(bytes.size(), 54u + 40u * 7u);  // 13 * 3 = 39 bytes padded to 40 per row
    EXPECT_EQ(image::DecodeBmp(Source{"t.bmp", &bytes}).pixels.pixels, photo.pixels);
}

TEST(SlideImageBmp, DamagedCompressedAndOversizedFilesAreRefused) {
    const std::string good = testing::MakeBmp(4, 4, 24, {}, std::string(48, '\x40'));
    auto message = [](const std::string& bytes) {
        return ImageErrorOf([&] { image::DecodeBmp(Source{"t.bmp", &bytes}); });
    };
    EXPECT_NE(message(good.substr(0, good.size() - 1)).find("cut short"), std::string::npos);
    EXPECT_NE(message(good.substr(0, 30)).find("\"t.bmp\""), std::string::npos);
    EXPECT_NE(message("BM").find("not a Windows bitmap"), std::string::npos);
    EXPECT_NE(
        message(testing::MakeBmp(4, 4, 8, {Rgb{}}, std::string(16, '\0'), 1)).find("compression"),
        std::string::npos);
    EXPECT_NE(message(testing::MakeBmp(4, 4, 7, {}, std::string(64, '\0'))).find("colour depth"),
              std::string::npos);
    // 20000 x 20000 declared in a file of a few bytes: refused by its size, before any allocation.
    EXPECT_NE(
        message(testing::MakeBmp(20000, 20000, 24, {}, std::string(48, '\0'))).find("too large"),
        std::string::npos);
    EXPECT_NE(message(testing::MakeBmp(0, 4, 24, {}, "")).find("no pixels"), std::string::npos);
}

// ---- kinds ----

TEST(SlideImageKinds, TheExtensionPicksTheDecoderAndTheKindPicksTheExtension) {
    EXPECT_EQ(image::KindForPath("/a/b.JPEG"), image::PictureKind::Jpeg);
    EXPECT_EQ(image::KindForPath("/a/b.jpg"), image::PictureKind::Jpeg);
    EXPECT_EQ(image::KindForPath("b.Gif"), image::PictureKind::Gif);
    EXPECT_EQ(image::KindForPath("/x.y/b.bmp"), image::PictureKind::Bmp);
    // Photos in the newer formats are decoded by their own kind and written as JPEG.
    const struct {
        const char* path;
        image::PictureKind kind;
    } photos[] = {
        {"/a/b.png", image::PictureKind::Png},     {"b.PNG", image::PictureKind::Png},
        {"/a/b.webp", image::PictureKind::Webp},   {"b.WebP", image::PictureKind::Webp},
        {"/a/b.heic", image::PictureKind::Heic},   {"b.HEIC", image::PictureKind::Heic},
        {"/x.y/b.Heif", image::PictureKind::Heic}, {"/a/b.avif", image::PictureKind::Avif},
        {"b.AVIF", image::PictureKind::Avif}};
    for (const auto& p : photos) {
        EXPECT_EQ(image::KindForPath(p.path), p.kind) << p.path;
        EXPECT_STREQ(image::ExtensionOf(p.kind), ".jpg") << p.path;
    }
    EXPECT_STREQ(image::ExtensionOf(image::PictureKind::Jpeg), ".jpg");
    EXPECT_STREQ(image::ExtensionOf(image::PictureKind::Gif), ".gif");
    EXPECT_STREQ(image::ExtensionOf(image::PictureKind::Bmp), ".bmp");
    for (const char* path :
         {"/a/b.tif", "/a/b", "/a.png/b", "/a/b.ico", "/a/b.jpg.txt", "/a/b.heics", "/a/b.avifs"}) {
        try {
            image::KindForPath(path);
            ADD_FAILURE() << path;
        } catch (const ImageError& e) {
            EXPECT_NE(std::string(e.what()).find("unsupported picture format"), std::string::npos);
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
        }
    }
}

TEST(SlideImageKinds, BackgroundColourReadsHexAndFallsBackToBlack) {
    EXPECT_EQ(image::BackgroundColour("FF8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(image::BackgroundColour("00ff7f"), (Rgb{0, 255, 127}));
    EXPECT_EQ(image::BackgroundColour("Transparent"), Rgb{});
    EXPECT_EQ(image::BackgroundColour("12345G"), Rgb{});
    EXPECT_EQ(image::BackgroundColour(""), Rgb{});
}

}  // namespace
}  // namespace lumivex
