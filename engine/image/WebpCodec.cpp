// WebP through libwebp, its ICC profile and EXIF orientation from the container's chunks
// (libwebpdemux). An opaque picture is decoded straight at the target size when that is
// smaller, by libwebp's area-averaging scaler, so a large lossy photo is never held whole. A
// transparent one is decoded whole: for lossy pictures the scaler averages the colours of
// invisible pixels into the edges around them, and the lossless decoder holds the whole picture
// anyway.

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>
#include <string_view>
#include <vector>

#include "EngineErrors.h"
#include "FileIO.h"
#include "image/Image.h"
#include "image/Orientation.h"
#include "image/Transparency.h"

namespace lumivex::image {

namespace {

std::string describe(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_OUT_OF_MEMORY:
            return "out of memory";
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return "unsupported WebP feature";
        case VP8_STATUS_NOT_ENOUGH_DATA:
            return "the file is cut short";
        default:
            return "damaged WebP data";
    }
}

struct DemuxDeleter {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

// The container's ICC profile and orientation; a file without an extended header has neither.
void readMetadata(const WebPData& data, std::string& icc, int& orientation) {
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&data));
    if (!demux)
        return;  // the decoder reports what is wrong with the file
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    WebPChunkIterator chunk;
    if ((flags & ICCP_FLAG) != 0 && WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
        icc.assign(reinterpret_cast<const char*>(chunk.chunk.bytes), chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    if ((flags & EXIF_FLAG) != 0 && WebPDemuxGetChunk(demux.get(), "EXIF", 1, &chunk)) {
        // Writers disagree on whether the chunk starts with JPEG's "Exif\0\0" header.
        static constexpr char kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
        std::string block(kHeader, sizeof kHeader);
        const auto* bytes = reinterpret_cast<const char*>(chunk.chunk.bytes);
        if (chunk.chunk.size >= sizeof kHeader &&
            std::string_view(bytes, sizeof kHeader) == std::string_view(kHeader, sizeof kHeader))
            block.clear();
        block.append(bytes, chunk.chunk.size);
        orientation =
            ExifOrientation(reinterpret_cast<const std::uint8_t*>(block.data()), block.size());
        WebPDemuxReleaseChunkIterator(&chunk);
    }
}

std::string tooLarge(std::int64_t w, std::int64_t h, const char* how = "") {
    return "the picture is too large (" + std::to_string(w) + " x " + std::to_string(h) +
           " pixels" + how + ")";
}

// A picture of R, G, B, A bytes made R, G, B in place.
RgbImage flatten(int w, int h, std::vector<std::uint8_t> rgba, const SrgbConversion& conversion,
                 Rgb background) {
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    LayOnBackground(rgba.data(), rgba.data(), count, conversion, background);
    rgba.resize(count * 3);
    RgbImage out;
    out.width = w;
    out.height = h;
    out.pixels = std::move(rgba);
    return out;
}

}  // namespace

DecodedPicture DecodeWebp(const Source& source, Rgb background, const TargetForSize& target,
                          const DecodeLimits& limits) {
    std::string fileBytes;
    if (source.bytes == nullptr)
        fileBytes = ReadWholeFile(source.path);
    const std::string& bytes = source.bytes != nullptr ? *source.bytes : fileBytes;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const WebPData whole{data, bytes.size()};

    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(data, bytes.size(), &features);
    if (status != VP8_STATUS_OK)
        throw ImageError(source.path, describe(status));
    if (features.width <= 0 || features.height <= 0)
        throw ImageError(source.path, "the picture has no pixels");
    // Only an opaque lossy picture is decoded a few rows at a time, and so may be scaled down
    // from a size that could not be held.
    const bool streams = !features.has_animation && !features.has_alpha && features.format == 1;
    const std::int64_t declared = static_cast<std::int64_t>(features.width) * features.height;
    if (declared > (streams ? limits.maxDeclaredJpegPixels : limits.maxPixels))
        throw ImageError(source.path, tooLarge(features.width, features.height));

    std::string icc;
    int orientation = kAsStored;
    readMetadata(whole, icc, orientation);
    const bool alpha = features.has_alpha != 0 || features.has_animation != 0;
    const SrgbConversion conversion = SrgbConversion::ForProfile(
        reinterpret_cast<const std::uint8_t*>(icc.data()), icc.size(), SrgbConversion::Input::Rgb);

    DecodedPicture out;
    const Size upright = UprightSize(features.width, features.height, orientation);
    out.declaredWidth = upright.width;
    out.declaredHeight = upright.height;
    const Size uprightWant = target ? target(upright.width, upright.height) : upright;
    const Size want = UprightSize(uprightWant.width, uprightWant.height, orientation);

    RgbImage stored;
    if (features.has_animation) {
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options))
            throw ImageError(source.path, "unsupported WebP decoder");
        options.color_mode = MODE_RGBA;
        options.use_threads = 0;
        const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(
            WebPAnimDecoderNew(&whole, &options));
        WebPAnimInfo info;
        if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
            throw ImageError(source.path, "damaged WebP animation");
        if (static_cast<int>(info.canvas_width) != features.width ||
            static_cast<int>(info.canvas_height) != features.height) {
            throw ImageError(source.path, "damaged WebP animation");
        }
        std::uint8_t* frame = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp))
            throw ImageError(source.path, "damaged WebP animation");
        std::vector<std::uint8_t> rgba(frame, frame + declared * 4);
        stored = flatten(features.width, features.height, std::move(rgba), conversion, background);
    } else {
        Size size{features.width, features.height};
        const bool scale = !alpha && want.width > 0 && want.height > 0 &&
                           want.width <= size.width && want.height <= size.height &&
                           (want.width < size.width || want.height < size.height);
        if (scale)
            size = want;
        if (static_cast<std::int64_t>(size.width) * size.height > limits.maxPixels)
            throw ImageError(source.path, tooLarge(size.width, size.height, " even scaled down"));
        WebPDecoderConfig config;
        if (!WebPInitDecoderConfig(&config))
            throw ImageError(source.path, "unsupported WebP decoder");
        config.options.use_threads = 0;
        config.options.use_scaling = scale ? 1 : 0;
        config.options.scaled_width = size.width;
        config.options.scaled_height = size.height;
        const int channels = alpha ? 4 : 3;
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size.width) * size.height *
                                         static_cast<std::size_t>(channels));
        config.output.colorspace = alpha ? MODE_RGBA : MODE_RGB;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = pixels.data();
        config.output.u.RGBA.stride = size.width * channels;
        config.output.u.RGBA.size = pixels.size();
        const VP8StatusCode decoded = WebPDecode(data, bytes.size(), &config);
        WebPFreeDecBuffer(&config.output);
        if (decoded != VP8_STATUS_OK)
            throw ImageError(source.path, describe(decoded));
        if (alpha) {
            stored = flatten(size.width, size.height, std::move(pixels), conversion, background);
        } else {
            stored.width = size.width;
            stored.height = size.height;
            stored.pixels = std::move(pixels);
            conversion.Convert(stored.pixels.data(), stored.pixels.data(),
                               stored.pixels.size() / 3);
        }
    }
    out.pixels = TurnUpright(std::move(stored), orientation);
    return out;
}

}  // namespace lumivex::image
