#include "image/FocalPoint.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace lumivex::image {

namespace {

constexpr int kAnalysisSide = 64;

std::optional<double> percent(std::string_view s) {
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !(v >= 0 && v <= 100))
        return std::nullopt;
    return v / 100;
}

// Each value of a w x h plane replaced by the mean of its 3 x 3 neighbourhood (edges repeated).
std::vector<double> blurred(const std::vector<double>& plane, int w, int h) {
    std::vector<double> out(plane.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = std::clamp(x + dx, 0, w - 1), sy = std::clamp(y + dy, 0, h - 1);
                    sum += plane[static_cast<std::size_t>(sy * w + sx)];
                }
            out[static_cast<std::size_t>(y * w + x)] = sum / 9;
        }
    return out;
}

void normalise(std::vector<double>& plane) {
    const double top = *std::max_element(plane.begin(), plane.end());
    if (top > 0)
        for (double& v : plane)
            v /= top;
}

}  // namespace

std::optional<FocalPoint> ParseFocalPoint(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const auto x = percent(text.substr(0, comma));
    const auto y = percent(text.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return FocalPoint{*x, *y};
}

std::string FocalPointText(FocalPoint point) {
    auto part = [](double fraction) {
        // Tenths of a percent, written without the locale's decimal sign.
        const long tenths = std::lround(std::clamp(fraction, 0.0, 1.0) * 1000);
        std::string s = std::to_string(tenths / 10);
        if (tenths % 10 != 0)
            s += "." + std::to_string(tenths % 10);
        return s;
    };
    return part(point.x) + "," + part(point.y);
}

FocalPoint FindFocalPoint(const RgbImage& picture) {
    if (picture.width <= 0 || picture.height <= 0)
        return {};
    const Size small = FitIntoBox(picture.width, picture.height, kAnalysisSide, kAnalysisSide);
    const RgbImage copy = Resample(picture, small.width, small.height);
    const int w = copy.width, h = copy.height;
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    // An opponent colour space: lightness, red-green, yellow-blue.
    std::vector<double> lum(count), rg(count), yb(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double r = copy.pixels[i * 3], g = copy.pixels[i * 3 + 1], b = copy.pixels[i * 3 + 2];
        lum[i] = 0.299 * r + 0.587 * g + 0.114 * b;
        rg[i] = r - g;
        yb[i] = (r + g) / 2 - b;
    }
    double meanL = 0, meanA = 0, meanB = 0;
    for (std::size_t i = 0; i < count; ++i) {
        meanL += lum[i];
        meanA += rg[i];
        meanB += yb[i];
    }
    meanL /= static_cast<double>(count);
    meanA /= static_cast<double>(count);
    meanB /= static_cast<double>(count);
    // Colour distinctness: how far each (smoothed) pixel is from the picture's mean colour.
    const std::vector<double> sl = blurred(lum, w, h), sa = blurred(rg, w, h),
                              sb = blurred(yb, w, h);
    std::vector<double> colour(count), edges(count);
    for (std::size_t i = 0; i < count; ++i)
        colour[i] = std::hypot(sl[i] - meanL, sa[i] - meanA, sb[i] - meanB);
    // Edge and contrast energy: the gradient of lightness, gathered over a neighbourhood.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto at = [&](int px, int py) {
                return lum[static_cast<std::size_t>(std::clamp(py, 0, h - 1) * w +
                                                    std::clamp(px, 0, w - 1))];
            };
            edges[static_cast<std::size_t>(y * w + x)] =
                std::hypot(at(x + 1, y) - at(x - 1, y), at(x, y + 1) - at(x, y - 1));
        }
    edges = blurred(edges, w, h);
    normalise(colour);
    normalise(edges);
    std::vector<double> salience(count);
    double mean = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * w + x);
            const double dx = (x + 0.5) / w * 2 - 1, dy = (y + 0.5) / h * 2 - 1;
            const double centre = 1 - 0.2 * (dx * dx + dy * dy) / 2;
            salience[i] = (0.6 * colour[i] + 0.4 * edges[i]) * centre;
            mean += salience[i];
        }
    mean /= static_cast<double>(count);
    const double top = *std::max_element(salience.begin(), salience.end());
    // Only what stands out well above the picture's average counts, so that a textured
    // background does not drag the point towards the centre.
    const double threshold = mean + 0.5 * (top - mean);
    double sum = 0, sx = 0, sy = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = salience[static_cast<std::size_t>(y * w + x)] - threshold;
            if (v <= 0)
                continue;
            sum += v;
            sx += v * (x + 0.5);
            sy += v * (y + 0.5);
        }
    if (!(sum > 0) || top - mean < 1e-3)
        return {};
    return FocalPoint{sx / sum / w, sy / sum / h};
}

Size CoverBox(int w, int h, int boxWidth, int boxHeight) {
    // Width-bound when the picture is relatively taller than the box, height-bound otherwise.
    const bool byWidth =
        static_cast<std::int64_t>(w) * boxHeight <= static_cast<std::int64_t>(h) * boxWidth;
    auto scaled = [](int side, int to, int from) {
        const double v = std::ceil(static_cast<double>(side) * to / from - 1e-9);
        return static_cast<int>(std::max(1.0, v));
    };
    if (byWidth)
        return Size{boxWidth, std::max(boxHeight, scaled(h, boxWidth, w))};
    return Size{std::max(boxWidth, scaled(w, boxHeight, h)), boxHeight};
}

int CropStart(int side, int crop, double focus) {
    const double start = std::round(focus * side - crop / 2.0);
    return static_cast<int>(std::clamp(start, 0.0, static_cast<double>(side - crop)));
}

RgbImage CropAround(const RgbImage& picture, int width, int height, FocalPoint focus) {
    width = std::min(width, picture.width);
    height = std::min(height, picture.height);
    const int x0 = CropStart(picture.width, width, focus.x);
    const int y0 = CropStart(picture.height, height, focus.y);
    RgbImage out(width, height);
    for (int y = 0; y < height; ++y)
        std::copy_n(picture.row(y0 + y) + static_cast<std::size_t>(x0) * 3,
                    static_cast<std::size_t>(width) * 3, out.row(y));
    return out;
}

FocalPoint FocusInCrop(Size picture, int width, int height, FocalPoint focus) {
    width = std::min(width, picture.width);
    height = std::min(height, picture.height);
    const int x0 = CropStart(picture.width, width, focus.x);
    const int y0 = CropStart(picture.height, height, focus.y);
    return FocalPoint{std::clamp((focus.x * picture.width - x0) / width, 0.0, 1.0),
                      std::clamp((focus.y * picture.height - y0) / height, 0.0, 1.0)};
}

FocalPoint PointOfCrop(Size picture, int width, int height, FocalPoint focus, FocalPoint inCrop) {
    width = std::min(width, picture.width);
    height = std::min(height, picture.height);
    const int x0 = CropStart(picture.width, width, focus.x);
    const int y0 = CropStart(picture.height, height, focus.y);
    return FocalPoint{std::clamp((x0 + inCrop.x * width) / picture.width, 0.0, 1.0),
                      std::clamp((y0 + inCrop.y * height) / picture.height, 0.0, 1.0)};
}

}  // namespace lumivex::image
