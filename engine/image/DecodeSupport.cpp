#include "image/DecodeSupport.h"

#include <cstring>

#include "EngineErrors.h"
#include "FileIO.h"

namespace lumivex::image {

namespace {

class FramedRows final : public RowSource {
public:
    FramedRows(int width, int height, Rgb background, int left, int top, RgbImage frame)
        : width_(width),
          height_(height),
          left_(left),
          top_(top),
          frame_(std::move(frame)),
          line_(static_cast<std::size_t>(width) * 3) {
        backgroundRow_.resize(static_cast<std::size_t>(width) * 3);
        for (std::size_t i = 0; i < backgroundRow_.size(); i += 3) {
            backgroundRow_[i] = background.r;
            backgroundRow_[i + 1] = background.g;
            backgroundRow_[i + 2] = background.b;
        }
    }
    int width() const override { return width_; }
    int height() const override { return height_; }
    bool isBackgroundRow(int y) const override {
        return frame_.width == 0 || y < top_ || y >= top_ + frame_.height;
    }
    const std::uint8_t* row(int y) override {
        if (isBackgroundRow(y))
            return backgroundRow_.data();
        std::memcpy(line_.data(), backgroundRow_.data(), line_.size());
        std::memcpy(line_.data() + static_cast<std::size_t>(left_) * 3, frame_.row(y - top_),
                    static_cast<std::size_t>(frame_.width) * 3);
        return line_.data();
    }

private:
    int width_, height_, left_, top_;
    RgbImage frame_;
    std::vector<std::uint8_t> backgroundRow_;
    std::vector<std::uint8_t> line_;
};

class OwnedRows final : public RowSource {
public:
    explicit OwnedRows(RgbImage image) : image_(std::move(image)) {}
    int width() const override { return image_.width; }
    int height() const override { return image_.height; }
    const std::uint8_t* row(int y) override { return image_.row(y); }

private:
    RgbImage image_;
};

}  // namespace

std::unique_ptr<RowSource> FrameOnScreen(int width, int height, Rgb background, int left, int top,
                                         RgbImage frame) {
    return std::make_unique<FramedRows>(width, height, background, left, top, std::move(frame));
}

std::unique_ptr<RowSource> RowsOf(RgbImage picture) {
    return std::make_unique<OwnedRows>(std::move(picture));
}

SourceBytes::SourceBytes(const Source& source) : bytes_(source.bytes) {
    if (bytes_ == nullptr)
        file_ = ReadWholeFile(source.path);
}

std::string TooLarge(std::int64_t width, std::int64_t height, bool scaledDown) {
    return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
           (scaledDown ? " pixels even when scaled down)" : " pixels)");
}

void CheckDeclaredSize(const std::string& path, std::int64_t width, std::int64_t height,
                       Holding holding, std::uint64_t fileBytes, const DecodeLimits& limits) {
    if (width <= 0 || height <= 0)
        throw ImageError(path, "the picture has no pixels");
    const std::int64_t allowed =
        holding == Holding::Scaled ? limits.maxDeclaredJpegPixels : limits.maxPixels;
    // The sides first: their product could overflow.
    if (width > limits.maxSide || height > limits.maxSide || width * height > allowed)
        throw ImageError(path, TooLarge(width, height));
    const std::int64_t pixels = width * height;
    if (holding == Holding::Whole && pixels > limits.heldFreelyPixels &&
        static_cast<std::uint64_t>(pixels) /
                static_cast<std::uint64_t>(limits.maxPixelsPerFileByte) >=
            fileBytes) {
        throw ImageError(path, "the file is too small for a picture of " + std::to_string(width) +
                                   " x " + std::to_string(height) + " pixels");
    }
}

}  // namespace lumivex::image
