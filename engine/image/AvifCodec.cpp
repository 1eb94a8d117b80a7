#include "image/AvifCodec.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "EngineErrors.h"
#include "image/AvifLibrary.h"

namespace lumivex::image {

namespace {

// Where the search starts: about the match of a quality-90 JPEG on photos.
constexpr int kFirstQuantizer = 16;

struct ImageDeleter {
    void operator()(avifImage* image) const { Avif().avifImageDestroy(image); }
};
struct EncoderDeleter {
    void operator()(avifEncoder* encoder) const { Avif().avifEncoderDestroy(encoder); }
};
struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { Avif().avifDecoderDestroy(decoder); }
};
struct RwData {
    avifRWData data = AVIF_DATA_EMPTY;
    ~RwData() { Avif().avifRWDataFree(&data); }
};

void check(avifResult result, const char* what) {
    if (result != AVIF_RESULT_OK)
        throw ImageError("AVIF", std::string(what) + ": " + Avif().avifResultToString(result));
}

}  // namespace

std::string EncodeAvif(const RgbImage& picture, int quantizer, int speed) {
    std::unique_ptr<avifImage, ImageDeleter> image(
        Avif().avifImageCreate(picture.width, picture.height, 8, AVIF_PIXEL_FORMAT_YUV420));
    if (!image)
        throw ImageError("AVIF", "out of memory");
    // sRGB, as the JPEG beside it; full range keeps the JPEG's levels.
    image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
    image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
    image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_BT601;
    image->yuvRange = AVIF_RANGE_FULL;

    avifRGBImage rgb;
    Avif().avifRGBImageSetDefaults(&rgb, image.get());
    rgb.format = AVIF_RGB_FORMAT_RGB;
    rgb.depth = 8;
    rgb.pixels = const_cast<std::uint8_t*>(picture.pixels.data());
    rgb.rowBytes = static_cast<std::uint32_t>(picture.width) * 3;
    check(Avif().avifImageRGBToYUV(image.get(), &rgb), "cannot convert the picture");

    std::unique_ptr<avifEncoder, EncoderDeleter> encoder(Avif().avifEncoderCreate());
    if (!encoder)
        throw ImageError("AVIF", "out of memory");
    encoder->codecChoice = AVIF_CODEC_CHOICE_AOM;
    // Slides are encoded on worker threads already, one per core.
    encoder->maxThreads = 1;
    encoder->speed = speed;
    encoder->minQuantizer = encoder->maxQuantizer = quantizer;
    RwData out;
    check(Avif().avifEncoderWrite(encoder.get(), image.get(), &out.data), "cannot encode");
    return std::string(reinterpret_cast<const char*>(out.data.data), out.data.size);
}

RgbImage DecodeAvif(const std::string& bytes) {
    std::unique_ptr<avifDecoder, DecoderDeleter> decoder(Avif().avifDecoderCreate());
    std::unique_ptr<avifImage, ImageDeleter> image(Avif().avifImageCreateEmpty());
    if (!decoder || !image)
        throw ImageError("AVIF", "out of memory");
    decoder->maxThreads = 1;
    check(Avif().avifDecoderReadMemory(decoder.get(), image.get(),
                                       reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                       bytes.size()),
          "cannot decode");
    RgbImage picture(static_cast<int>(image->width), static_cast<int>(image->height));
    avifRGBImage rgb;
    Avif().avifRGBImageSetDefaults(&rgb, image.get());
    rgb.format = AVIF_RGB_FORMAT_RGB;
    rgb.depth = 8;
    rgb.pixels = picture.pixels.data();
    rgb.rowBytes = static_cast<std::uint32_t>(picture.width) * 3;
    check(Avif().avifImageYUVToRGB(image.get(), &rgb), "cannot convert the picture");
    return picture;
}

double Psnr(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 0.0;
    // Whole numbers, exact and summed in any order, so that the loop runs in vector lanes.
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const int d = int{a.pixels[i]} - int{b.pixels[i]};
        sum += d * d;
    }
    if (sum == 0)
        return std::numeric_limits<double>::infinity();
    const double mse = static_cast<double>(sum) / static_cast<double>(a.pixels.size());
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::string AvifBeside(const RgbImage& picture, const std::string& jpeg, int* quantizerHint,
                       int speed, int tries, bool firstThatPasses) {
    const Source source{"JPEG", &jpeg};
    const RgbImage shown = DecodeJpeg(source, [](int w, int h) { return Size{w, h}; }).pixels;
    const double needed = Psnr(shown, picture) - kAvifPsnrAllowance;
    // The coarsest quantizer that still reaches `needed`: PSNR falls by about kDbPerStep a
    // quantizer step on photos, so each try aims at the goal; a handful of encodes at most.
    constexpr double kDbPerStep = 0.2;
    // A picture coded without loss has an infinite PSNR: the step is then any large one.
    auto steps = [](double s) {
        return std::isnan(s) ? 1 : static_cast<int>(std::clamp(s, 1.0, 64.0));
    };
    int passed = -1, failed = 64;  // the largest quantizer known to pass, the smallest to fail
    std::string best;
    int quantizer =
        quantizerHint != nullptr && *quantizerHint > 0 ? *quantizerHint : kFirstQuantizer;
    for (int tried = 0; tried < tries && failed - passed > 1; ++tried) {
        std::string avif = EncodeAvif(picture, quantizer, speed);
        const double psnr = Psnr(DecodeAvif(avif), picture);
        int next = 0;
        if (psnr >= needed) {
            passed = quantizer;
            if (avif.size() < jpeg.size())
                best = std::move(avif);
            if (firstThatPasses && !best.empty())
                break;
            next = quantizer + steps((psnr - needed) / kDbPerStep);
        } else {
            failed = quantizer;
            // The last try aims a step finer still: better a little larger than none.
            const int margin = tried + 2 == tries ? 1 : 0;
            next = quantizer - steps(std::ceil((needed - psnr) / kDbPerStep)) - margin;
        }
        quantizer = std::clamp(next, passed + 1, failed - 1);
    }
    if (quantizerHint != nullptr && passed >= 0)
        *quantizerHint = passed;
    return best;
}

}  // namespace lumivex::image
