#include <gtest/gtest.h>

#include <cmath>

#include "SlideImageTestImages.h"
#include "image/Image.h"

namespace lumivex {
namespace {

using image::FitIntoBox;
using image::RgbImage;
using image::Size;

TEST(SlideImageSize, FitsIntoTheBoxKeepingProportions) {
    EXPECT_EQ(FitIntoBox(800, 600, 400, 300), (Size{400, 300}));
    EXPECT_EQ(FitIntoBox(500, 1000, 400, 300), (Size{150, 300}));
    EXPECT_EQ(FitIntoBox(100, 50, 400, 300), (Size{400, 200}));  // enlarged
    EXPECT_EQ(FitIntoBox(400, 300, 400, 300), (Size{400, 300}));
    EXPECT_EQ(FitIntoBox(6000, 4000, 400, 300), (Size{400, 267}));
    EXPECT_EQ(FitIntoBox(4000, 6000, 400, 300), (Size{200, 300}));
}

TEST(SlideImageSize, ExactHalvesRoundToTheEvenNeighbour) {
    EXPECT_EQ(FitIntoBox(200, 101, 100, 100), (Size{100, 50}));  // 50.5
    EXPECT_EQ(FitIntoBox(200, 103, 100, 100), (Size{100, 52}));  // 51.5
    EXPECT_EQ(FitIntoBox(101, 200, 100, 100), (Size{50, 100}));
    EXPECT_EQ(FitIntoBox(5, 2, 2, 2), (Size{2, 1}));  // 0.8 -> 1
    EXPECT_EQ(FitIntoBox(8, 1, 16, 16), (Size{16, 2}));
}

TEST(SlideImageSize, EveryFitTouchesTheBoxAndStaysInside) {
    for (int W : {1, 3, 160, 400, 799, 1024}) {
        for (int H : {1, 2, 120, 300, 601}) {
            for (int w : {1, 7, 99, 400, 1001, 4000, 6000}) {
                for (int h : {1, 5, 300, 333, 3000, 4000}) {
                    const Size s = FitIntoBox(w, h, W, H);
                    EXPECT_TRUE(s.width == W || s.height == H)
                        << w << "x" << h << " in " << W << "x" << H;
                    EXPECT_LE(s.width, W) << w << "x" << h << " in " << W << "x" << H;
                    EXPECT_LE(s.height, H) << w << "x" << h << " in " << W << "x" << H;
                    EXPECT_GE(s.width, 1);
                    EXPECT_GE(s.height, 1);
                    const double scale =
                        std::min(static_cast<double>(W) / w, static_cast<double>(H) / h);
                    // Proportions within rounding, except where a side is kept at one pixel.
                    if (s.width > 1) {
                        EXPECT_LE(std::abs(s.width - w * scale), 0.5 + 1e-3) << w << "x" << h;
                    }
                    if (s.height > 1) {
                        EXPECT_LE(std::abs(s.height - h * scale), 0.5 + 1e-3) << w << "x" << h;
                    }
                }
            }
        }
    }
}

TEST(SlideImageSize, AThinSliverKeepsOnePixel) {
    EXPECT_EQ(FitIntoBox(1, 1000, 400, 300), (Size{1, 300}));
    EXPECT_EQ(FitIntoBox(5000, 1, 400, 300), (Size{400, 1}));
}

// ---- resampling ----

RgbImage stripes(int w, int h, int period) {
    RgbImage img(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t v = ((x / period + y / period) % 2) != 0 ? 255 : 0;
            std::uint8_t* p = img.row(y) + x * 3;
            p[0] = p[1] = p[2] = v;
        }
    }
    return img;
}

TEST(SlideImageResample, ShrinkingAveragesAndDoesNotAlias) {
    // A one-pixel checkerboard shrunk ten times is an even grey everywhere; picking pixels
    // would give black or white.
    const RgbImage out = image::Resample(stripes(1000, 800, 1), 100, 80);
    for (std::uint8_t v : out.pixels)
        EXPECT_NEAR(v, 127.5, 1.0);
    // Also at a ratio that is not a whole number.
    const RgbImage odd = image::Resample(stripes(997, 701, 1), 93, 71);
    for (std::uint8_t v : odd.pixels)
        EXPECT_NEAR(v, 127.5, 2.0);
}

TEST(SlideImageResample, ShrinkingByTwoIsTheMeanOfEachBlock) {
    RgbImage src(4, 2);
    const std::uint8_t values[] = {0, 100, 10, 20, 50, 150, 30, 40};
    for (int i = 0; i < 8; ++i)
        src.pixels[static_cast<std::size_t>(i) * 3] = values[i];
    const RgbImage out = image::Resample(src, 2, 1);
    EXPECT_EQ(out.pixels[0], 75);  // (0 + 100 + 50 + 150) / 4
    EXPECT_EQ(out.pixels[3], 25);  // (10 + 20 + 30 + 40) / 4
}

TEST(SlideImageResample, ShrinkingKeepsTheMeanBrightness) {
    const RgbImage src = testing::PhotoLike(301, 203);
    const RgbImage out = image::Resample(src, 122, 77);
    auto mean = [](const RgbImage& img) {
        double s = 0;
        for (std::uint8_t v : img.pixels)
            s += v;
        return s / static_cast<double>(img.pixels.size());
    };
    EXPECT_NEAR(mean(out), mean(src), 0.5);
}

TEST(SlideImageResample, GrowingInterpolatesBetweenPixels) {
    RgbImage src(2, 1);
    src.pixels = {0, 0, 0, 255, 255, 255};
    const RgbImage out = image::Resample(src, 4, 1);
    EXPECT_EQ(out.pixels[0], 0);
    EXPECT_EQ(out.pixels[3], 64);
    EXPECT_EQ(out.pixels[6], 191);
    EXPECT_EQ(out.pixels[9], 255);
    const RgbImage one = image::Resample(testing::Filled(1, 1, image::Rgb{9, 8, 7}), 3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(testing::PixelAt(one, x, y), (image::Rgb{9, 8, 7}));
    }
}

}  // namespace
}  // namespace lumivex
