// Separable resampling. Shrinking averages each output pixel's exact footprint on the source
// (a box filter over fractional pixel areas), so no source pixel is skipped and fine detail
// cannot alias; growing interpolates linearly between pixel centres.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "image/Image.h"

namespace lumivex::image {

namespace {

struct Taps {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Taps> weightsFor(int source, int target) {
    std::vector<Taps> out(static_cast<std::size_t>(target));
    if (target < source) {
        const double scale = static_cast<double>(source) / target;
        for (int o = 0; o < target; ++o) {
            const double begin = o * scale;
            const double end = std::min<double>(source, (o + 1) * scale);
            const int first = static_cast<int>(std::floor(begin));
            const int last = std::min(source - 1, static_cast<int>(std::ceil(end)) - 1);
            Taps& t = out[static_cast<std::size_t>(o)];
            t.first = first;
            double total = 0;
            for (int i = first; i <= last; ++i) {
                const double overlap = std::min<double>(end, i + 1) - std::max<double>(begin, i);
                t.weights.push_back(static_cast<float>(std::max(0.0, overlap)));
                total += std::max(0.0, overlap);
            }
            for (float& w : t.weights)
                w = static_cast<float>(w / total);
        }
    } else if (target > source) {
        const double scale = static_cast<double>(source) / target;
        for (int o = 0; o < target; ++o) {
            const double centre = std::clamp((o + 0.5) * scale - 0.5, 0.0, source - 1.0);
            const int first = std::min(static_cast<int>(centre), std::max(0, source - 2));
            Taps& t = out[static_cast<std::size_t>(o)];
            t.first = first;
            if (source == 1) {
                t.weights = {1.0f};
                continue;
            }
            const auto fraction = static_cast<float>(centre - first);
            t.weights = {1.0f - fraction, fraction};
        }
    } else {
        for (int o = 0; o < target; ++o)
            out[static_cast<std::size_t>(o)] = Taps{o, {1.0f}};
    }
    return out;
}

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f);
}

}  // namespace

namespace {

class ImageRows final : public RowSource {
public:
    explicit ImageRows(const RgbImage& image) : image_(image) {}
    int width() const override { return image_.width; }
    int height() const override { return image_.height; }
    const std::uint8_t* row(int y) override { return image_.row(y); }

private:
    const RgbImage& image_;
};

}  // namespace

RgbImage ReadAllRows(RowSource& source) {
    RgbImage out(source.width(), source.height());
    const std::size_t bytes = static_cast<std::size_t>(out.width) * 3;
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.row(y), source.row(y), bytes);
    return out;
}

RgbImage Resample(const RgbImage& source, int width, int height) {
    if (width == source.width && height == source.height && width > 0 && height > 0)
        return source;
    ImageRows rows(source);
    return Resample(rows, width, height);
}

RgbImage Resample(RowSource& source, int width, int height) {
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
        throw std::invalid_argument("Resample needs sizes above 0");
    }
    if (width == sourceWidth && height == sourceHeight)
        return ReadAllRows(source);
    const std::vector<Taps> across = weightsFor(sourceWidth, width);
    const std::vector<Taps> down = weightsFor(sourceHeight, height);
    std::size_t window = 1;
    for (const Taps& t : down)
        window = std::max(window, t.weights.size());

    auto resampleAcross = [&](const std::uint8_t* src, float* dst) {
        for (int x = 0; x < width; ++x) {
            const Taps& t = across[static_cast<std::size_t>(x)];
            float r = 0, g = 0, b = 0;
            const std::uint8_t* p = src + static_cast<std::size_t>(t.first) * 3;
            for (float w : t.weights) {
                r += w * p[0];
                g += w * p[1];
                b += w * p[2];
                p += 3;
            }
            dst[x * 3] = r;
            dst[x * 3 + 1] = g;
            dst[x * 3 + 2] = b;
        }
    };
    // Horizontally resampled source rows, kept in a ring as large as the widest vertical
    // footprint, so that memory stays a few rows whatever the sizes.
    std::vector<std::vector<float>> ring(window,
                                         std::vector<float>(static_cast<std::size_t>(width) * 3));
    std::vector<int> held(window, -1);
    std::vector<float> background;
    auto rowAt = [&](int y) -> const std::vector<float>& {
        if (source.isBackgroundRow(y)) {
            if (background.empty()) {
                background.resize(static_cast<std::size_t>(width) * 3);
                resampleAcross(source.row(y), background.data());
            }
            return background;
        }
        const std::size_t slot = static_cast<std::size_t>(y) % window;
        if (held[slot] != y) {
            resampleAcross(source.row(y), ring[slot].data());
            held[slot] = y;
        }
        return ring[slot];
    };

    RgbImage out(width, height);
    std::vector<float> sum(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        const Taps& t = down[static_cast<std::size_t>(y)];
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (std::size_t k = 0; k < t.weights.size(); ++k) {
            const std::vector<float>& row = rowAt(t.first + static_cast<int>(k));
            const float w = t.weights[k];
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += w * row[i];
        }
        std::uint8_t* dst = out.row(y);
        for (std::size_t i = 0; i < sum.size(); ++i)
            dst[i] = toByte(sum[i]);
    }
    return out;
}

}  // namespace lumivex::image
