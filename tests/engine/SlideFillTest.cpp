#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>

#include "FileIO.h"
#include "SlideImageTestImages.h"
#include "TempFolder.h"
#include "image/CameraThumbnail.h"
#include "image/FocalPoint.h"
#include "image/SlidePicture.h"

namespace lumivex {
namespace {

using image::FocalPoint;
using image::Rgb;
using image::RgbImage;

// A camera-like picture: a soft sky-to-ground gradient with grain, and a small red and yellow
// subject (a checkered disc) centred at (sx, sy), fractions of the picture.
RgbImage Scene(int w, int h, double sx, double sy) {
    RgbImage img = testing::PhotoLike(w, h, 7);
    const double r = 0.07 * std::min(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = img.row(y) + x * 3;
            // Tone the fields down to a quiet background.
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<std::uint8_t>(100 + p[c] / 6);
            if (std::hypot(x - sx * w, y - sy * h) <= r) {
                const bool odd = ((x / 6) + (y / 6)) % 2 != 0;
                p[0] = 230, p[1] = odd ? 210 : 30, p[2] = 20;
            }
        }
    return img;
}

bool IsSubject(Rgb c) {
    return c.r > 170 && c.b < 90;
}

struct FillCase {
    int width, height, boxWidth, boxHeight;
    double sx, sy;
};

class SlideFill : public ::testing::TestWithParam<FillCase> {};

// The slide is exactly the box, and an off-centre subject, which a crop around the centre would
// cut off, stays whole in it.
TEST_P(SlideFill, KeepsAnOffCentreSubjectInTheSlide) {
    const FillCase c = GetParam();
    const RgbImage scene = Scene(c.width, c.height, c.sx, c.sy);
    const FocalPoint found = image::FindFocalPoint(scene);
    EXPECT_NEAR(found.x, c.sx, 0.06);
    EXPECT_NEAR(found.y, c.sy, 0.06);

    testing::TempFolder folder;
    const std::string path = folder.file("scene.jpg");
    WriteFileAtomically(path, testing::MakeJpeg(scene));
    // Found in the picture, and chosen beforehand (when only the rows the crop keeps are
    // decoded).
    for (const std::optional<FocalPoint> chosen :
         {std::optional<FocalPoint>(), std::optional(FocalPoint{c.sx, c.sy})}) {
        image::Framing fill;
        fill.fill = true;
        fill.focus = chosen;
        const image::SlidePicture slide =
            image::MakeSlidePicture(path, c.boxWidth, c.boxHeight, Rgb{}, {}, fill);
        ASSERT_EQ(slide.size, (image::Size{c.boxWidth, c.boxHeight}));
        const std::string bytes = slide.encoded;
        const RgbImage out = image::DecodeJpeg(image::Source{"slide", &bytes}, [](int w, int h) {
                                 return image::Size{w, h};
                             }).pixels;
        // The subject's whole area, at the slide's scale, is in the slide.
        const double scale = std::max(static_cast<double>(c.boxWidth) / c.width,
                                      static_cast<double>(c.boxHeight) / c.height);
        const double radius = 0.07 * std::min(c.width, c.height) * scale;
        long subject = 0;
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                subject += IsSubject(testing::PixelAt(out, x, y));
        EXPECT_GT(static_cast<double>(subject), 0.9 * 3.14159 * radius * radius)
            << chosen.has_value();
        ASSERT_TRUE(slide.focus.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Subjects, SlideFill,
                         ::testing::Values(FillCase{1200, 800, 400, 400, 0.88, 0.5},
                                           FillCase{1200, 800, 400, 400, 0.1, 0.62},
                                           FillCase{600, 1200, 960, 400, 0.45, 0.12},
                                           FillCase{900, 900, 960, 400, 0.6, 0.88},
                                           FillCase{1500, 1000, 960, 400, 0.3, 0.2}));

// A camera's thumbnail, `content` rows of the picture `scene` between bands of `band` grey.
std::string Thumbnail(const RgbImage& scene, int width, int content, int height,
                      std::uint8_t band) {
    RgbImage out = testing::Filled(width, height, Rgb{band, band, band});
    const RgbImage small = image::Resample(scene, width, content);
    std::memcpy(out.row((height - content) / 2), small.pixels.data(), small.pixels.size());
    return testing::MakeJpeg(out);
}

struct ThumbnailCase {
    const char* name;
    bool sameScene;  // else of another picture
    int height, content;
    std::uint8_t band;
    int taken;  // rows CameraThumbnail gives, 0 for none
};

class CameraThumbnails : public ::testing::TestWithParam<ThumbnailCase> {};

// A filled slide's focal point is found on the camera's thumbnail only where it shows the very
// picture; any other is left alone, and the slide is the one the photo alone gives.
TEST_P(CameraThumbnails, AreTakenOnlyWhereTheyShowThePhoto) {
    const ThumbnailCase c = GetParam();
    const RgbImage scene = Scene(1500, 1000, 0.5, 0.85);
    const std::string thumbnail =
        c.height == 0 ? std::string("\xFF\xD8 damaged", 10)
                      : Thumbnail(c.sameScene ? scene : Scene(1500, 1000, 0.15, 0.15), 160,
                                  c.content, c.height, c.band);
    testing::TempFolder folder;
    const std::string bare = folder.file("bare.jpg"), camera = folder.file("camera.jpg");
    WriteFileAtomically(bare, testing::MakeJpeg(scene));
    WriteFileAtomically(camera, testing::WithMetadata(testing::MakeJpeg(scene),
                                                      testing::MakeExifWithThumbnail(thumbnail)));

    const RgbImage taken =
        image::CameraThumbnail(image::Source{camera, nullptr}, image::Size{1500, 1000}, {});
    EXPECT_EQ(taken.height, c.taken);
    if (taken.height > 0) {
        const RgbImage photo = image::DecodeJpeg(image::Source{camera, nullptr}, [](int w, int h) {
                                   return image::Size{w, h};
                               }).pixels;
        EXPECT_EQ(image::ThumbnailShows(taken, photo, 0, photo.height), c.sameScene);
    }

    image::Framing fill;
    fill.fill = true;
    const image::SlidePicture fromBare = image::MakeSlidePicture(bare, 960, 400, Rgb{}, {}, fill);
    const image::SlidePicture slide = image::MakeSlidePicture(camera, 960, 400, Rgb{}, {}, fill);
    ASSERT_TRUE(slide.focus && fromBare.focus);
    if (c.sameScene && c.taken > 0) {
        EXPECT_NEAR(slide.focus->y, fromBare.focus->y, 0.03);
        EXPECT_NEAR(slide.focus->x, fromBare.focus->x, 0.03);
    } else {
        EXPECT_EQ(slide.encoded, fromBare.encoded);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CameraThumbnails,
                         ::testing::Values(ThumbnailCase{"banded", true, 120, 107, 0, 107},
                                           ThumbnailCase{"whole", true, 107, 107, 0, 107},
                                           ThumbnailCase{"grey_bands", true, 120, 107, 128, 0},
                                           ThumbnailCase{"another_picture", false, 120, 107, 0,
                                                         107},
                                           ThumbnailCase{"damaged", true, 0, 0, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SlideFill, CropsAroundAChosenFocalPointWithinThePicture) {
    // Columns numbered by their red value, so that the crop's place can be read off.
    RgbImage picture(200, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 200; ++x)
            picture.row(y)[x * 3] = static_cast<std::uint8_t>(x);
    struct Row {
        double focus;
        int firstColumn;
    };
    for (const Row row : {Row{0.5, 75}, Row{0.0, 0}, Row{1.0, 150}, Row{0.2, 15}}) {
        const RgbImage crop = image::CropAround(picture, 50, 10, FocalPoint{row.focus, 0.5});
        ASSERT_EQ(crop.width, 50);
        EXPECT_EQ(crop.row(0)[0], row.firstColumn) << row.focus;
        const FocalPoint inCrop =
            image::FocusInCrop(image::Size{200, 10}, 50, 10, FocalPoint{row.focus, 0.5});
        EXPECT_NEAR(inCrop.x * 50 + row.firstColumn, row.focus * 200, 0.5 + 1e-9) << row.focus;
        // A click on the crop's left edge names its first column in the picture.
        const FocalPoint clicked = image::PointOfCrop(image::Size{200, 10}, 50, 10,
                                                      FocalPoint{row.focus, 0.5}, FocalPoint{0, 1});
        EXPECT_DOUBLE_EQ(clicked.x, row.firstColumn / 200.0) << row.focus;
        EXPECT_DOUBLE_EQ(clicked.y, 1.0);
    }
    EXPECT_EQ(image::CoverBox(1200, 800, 400, 400), (image::Size{600, 400}));
    EXPECT_EQ(image::CoverBox(600, 1200, 960, 400), (image::Size{960, 1920}));
    EXPECT_EQ(image::CoverBox(3, 1000, 960, 400), (image::Size{960, 320000}));
}

TEST(FocalPointText, RoundTripsAndRefusesWhatItCannotRead) {
    for (const char* text : {"72.5,40", "0,100", "50,50", "33.3,0.1"})
        EXPECT_EQ(image::FocalPointText(*image::ParseFocalPoint(text)), text);
    for (const char* text : {"", "50", "50;50", "101,2", "-1,5", "a,b", "5,5,5", " 5,5", "nan,5"})
        EXPECT_FALSE(image::ParseFocalPoint(text).has_value()) << text;
    // A flat picture has no subject: its centre.
    EXPECT_EQ(image::FindFocalPoint(testing::Filled(80, 60, Rgb{90, 90, 90})), FocalPoint{});
}

}  // namespace
}  // namespace lumivex
