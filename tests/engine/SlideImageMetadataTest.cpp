// Photo metadata in slide images: EXIF orientation, embedded ICC profiles, damaged blocks; and
// the lighter JPEG encoding.
#include <gtest/gtest.h>

#include "SlideImageTestImages.h"
#include "TempFolder.h"
#include "image/Orientation.h"
#include "image/SlidePicture.h"

namespace lumivex {
namespace {

using image::Rgb;
using image::RgbImage;
using image::Size;

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };

// A picture's pixels after the whole pipeline into a w x h box.
RgbImage slide(const std::string& jpeg, int w, int h, Size* size = nullptr) {
    testing::TempFolder folder;
    testing::WriteFile(folder.file("p.jpg"), jpeg);
    const image::SlidePicture s = image::MakeSlidePicture(folder.file("p.jpg"), w, h, Rgb{});
    if (size != nullptr)
        *size = s.size;
    return image::DecodeJpeg(image::Source{"slide", &s.encoded},
                             [](int pw, int ph) {
                                 return Size{pw, ph};
                             })
        .pixels;
}

// The middle of a quarter-sized block in a corner.
std::pair<int, int> inCorner(int w, int h, Corner c) {
    const bool right = c == TopRight || c == BottomRight,
               bottom = c == BottomLeft || c == BottomRight;
    return {right ? w - w / 8 - 1 : w / 8, bottom ? h - h / 8 - 1 : h / 8};
}

TEST(SlideImageOrientation, EveryOrientationIsTurnedUprightBeforeTheBoxFit) {
    // Where the visual top-left (red) and top-right (blue) corners are stored, read off the
    // EXIF definitions ("the 0th row is the visual ..., the 0th column is the visual ...").
    const Corner stored[9][2] = {{},
                                 {TopLeft, TopRight},
                                 {TopRight, TopLeft},
                                 {BottomRight, BottomLeft},
                                 {BottomLeft, BottomRight},
                                 {TopLeft, BottomLeft},
                                 {BottomLeft, TopLeft},
                                 {BottomRight, TopRight},
                                 {TopRight, BottomRight}};
    const Rgb grey{128, 128, 128}, red{230, 20, 20}, blue{20, 20, 230};
    for (int o = 1; o <= 8; ++o) {
        // Upright 160 x 80, fitted into 100 x 100 as 100 x 50.
        RgbImage picture = testing::Filled(o >= 5 ? 80 : 160, o >= 5 ? 160 : 80, grey);
        for (int k = 0; k < 2; ++k) {
            const auto [cx, cy] = inCorner(picture.width, picture.height, stored[o][k]);
            for (int y = cy - 8; y <= cy + 8; ++y) {
                for (int x = cx - 8; x <= cx + 8; ++x) {
                    const Rgb c = k == 0 ? red : blue;
                    std::uint8_t* p = picture.row(y) + x * 3;
                    p[0] = c.r, p[1] = c.g, p[2] = c.b;
                }
            }
        }
        const ExifByteOrder order = o % 2 ? EXIF_BYTE_ORDER_MOTOROLA : EXIF_BYTE_ORDER_INTEL;
        Size size;
        const RgbImage up =
            slide(testing::WithMetadata(testing::MakeJpeg(picture), testing::MakeExif(o, order)),
                  100, 100, &size);
        SCOPED_TRACE("orientation " + std::to_string(o));
        EXPECT_EQ(size, (Size{100, 50}));
        const Rgb expected[4] = {red, blue, grey, grey};
        for (Corner c : {TopLeft, TopRight, BottomLeft, BottomRight}) {
            const auto [x, y] = inCorner(up.width, up.height, c);
            EXPECT_LE(testing::ColourDistance(testing::PixelAt(up, x, y), expected[c]), 12) << c;
        }
    }
}

TEST(SlideImageOrientation, TheDctScaleCoversTheUprightTarget) {
    // Stored 1600 x 400 with orientation 6: upright 400 x 1600, fitted into 300 x 300 as
    // 75 x 300, which is 300 x 75 as stored: 1/4 (400 x 100) covers it, 1/8 would not.
    const std::string jpeg = testing::WithMetadata(testing::MakeJpeg(testing::PhotoLike(1600, 400)),
                                                   testing::MakeExif(6));
    Size asked;
    const image::DecodedPicture d =
        image::DecodeJpeg(image::Source{"m.jpg", &jpeg}, [&](int w, int h) {
            asked = Size{w, h};
            return image::FitIntoBox(w, h, 300, 300);
        });
    EXPECT_EQ(asked, (Size{400, 1600}));
    EXPECT_EQ((Size{d.declaredWidth, d.declaredHeight}), (Size{400, 1600}));
    EXPECT_EQ((Size{d.pixels.width, d.pixels.height}), (Size{100, 400}));
}

TEST(SlideImageOrientation, DamagedExifBlocksLeaveThePictureAsStored) {
    auto orientationOf = [](const std::string& block) {
        return image::ExifOrientation(reinterpret_cast<const std::uint8_t*>(block.data()),
                                      block.size());
    };
    const std::string good = testing::MakeExif(6);
    ASSERT_EQ(orientationOf(good), 6);
    std::string noHeader = good, badByteOrder = good, farDirectory = good;
    noHeader[0] = 'X';
    badByteOrder[6] = badByteOrder[7] = 'Q';
    for (int i = 10; i < 14; ++i)  // the first directory's offset, past the end
        farDirectory[static_cast<std::size_t>(i)] = '\x7F';
    for (const std::string& bad : {noHeader, badByteOrder, farDirectory, good.substr(0, 14),
                                   testing::MakeExif(0), testing::MakeExif(9)}) {
        EXPECT_EQ(orientationOf(bad), 1);
    }
    // Through the pipeline the photo still makes its slide, as stored (160 x 80 into 100 x 100).
    Size size;
    slide(testing::WithMetadata(testing::MakeJpeg(testing::PhotoLike(160, 80)), farDirectory), 100,
          100, &size);
    EXPECT_EQ(size, (Size{100, 50}));
}

// The middle pixel of a flat picture of one colour, stored with a profile, after the pipeline.
Rgb slideColour(const std::string& profile, Rgb stored) {
    const std::string jpeg = testing::WithMetadata(
        testing::MakeJpeg(testing::Filled(96, 64, stored), {100, false, false}), "", profile);
    return testing::PixelAt(slide(jpeg, 48, 32), 24, 16);
}

TEST(SlideImageColour, AWideGamutPictureIsConvertedAsLittleCmsConvertsIt) {
    const std::string p3 = testing::DisplayP3Profile();
    for (Rgb stored : {Rgb{200, 60, 40}, Rgb{40, 180, 90}, Rgb{70, 90, 200}}) {
        const Rgb expected = testing::LittleCmsToSrgb(p3, stored);
        EXPECT_GE(testing::ColourDistance(expected, stored), 5);  // the conversion matters
        EXPECT_LE(testing::ColourDistance(slideColour(p3, stored), expected), 3);
    }
}

TEST(SlideImageColour, DamagedForeignAndSrgbProfilesChangeNothing) {
    const Rgb stored{200, 60, 40};
    const Rgb plain = slideColour("", stored);
    EXPECT_LE(testing::ColourDistance(plain, stored), 3);
    const std::string p3 = testing::DisplayP3Profile();
    std::string badSignature = p3, tooLong = p3;
    badSignature[36] = 'x';  // "acsp"
    tooLong[0] = '\x7F';     // declares more than it holds
    for (const std::string& profile :
         {p3.substr(0, 100), p3.substr(0, p3.size() - 4), badSignature, tooLong,
          std::string(600, '\xAB'), testing::SaveProfile(cmsCreateLab4Profile(nullptr)),
          testing::SaveProfile(cmsCreate_sRGBProfile())}) {
        EXPECT_EQ(slideColour(profile, stored), plain);
    }
    // A chunk sequence that does not add up is no profile either.
    std::string jpeg = testing::WithMetadata(
        testing::MakeJpeg(testing::Filled(96, 64, stored), {100, false, false}), "", p3);
    jpeg[jpeg.find("ICC_PROFILE") + 12] = 3;  // chunk 3 of 1
    EXPECT_EQ(testing::PixelAt(slide(jpeg, 48, 32), 24, 16), plain);
}

TEST(SlideImageJpeg, OptimisedTablesAreSmallerStillBaselineAndLossless) {
    const RgbImage picture = testing::PhotoLike(400, 300);
    const std::string ours = image::EncodeJpeg(picture);
    const std::string standard = testing::MakeJpeg(picture, {90, false, false});
    EXPECT_LT(ours.size(), standard.size());
    EXPECT_NE(ours.find("\xFF\xC0"), std::string::npos);  // SOF0, no SOF1 or SOF2
    EXPECT_EQ(ours.find("\xFF\xC1"), std::string::npos);
    EXPECT_EQ(ours.find("\xFF\xC2"), std::string::npos);
    EXPECT_EQ(ours.find("ICC_PROFILE"), std::string::npos);
    auto decode = [](const std::string& bytes) {
        return image::DecodeJpeg(image::Source{"j", &bytes},
                                 [](int w, int h) {
                                     return Size{w, h};
                                 })
            .pixels.pixels;
    };
    EXPECT_EQ(decode(ours), decode(standard));  // only the entropy coding differs
}

}  // namespace
}  // namespace lumivex
