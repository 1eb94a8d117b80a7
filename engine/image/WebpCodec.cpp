// WebP through libwebp, its ICC profile and EXIF orientation from the container's chunks
// (libwebpdemux). An opaque picture is decoded straight at the target size when that is
// smaller, by libwebp's area-averaging scaler, so a large lossy photo is never held whole. A
// transparent one is decoded whole: for lossy pictures the scaler averages the colours of
// invisible pixels into the edges around them, and the lossless decoder holds the whole picture
// anyway. Of an animation only the first frame is decoded, and its canvas is never held.

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>
#include <string_view>
#include <vector>

#include "EngineErrors.h"
#include "image/DecodeSupport.h"
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

// What the file says before any pixel is decoded, its declared size checked.
struct WebpHeader {
    WebPBitstreamFeatures features;
    std::string icc;
    int orientation = kAsStored;
    SrgbConversion conversion;
};

WebpHeader readWebpHeader(const std::string& path, const SourceBytes& bytes,
                          const DecodeLimits& limits) {
    WebpHeader h;
    const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &h.features);
    if (status != VP8_STATUS_OK)
        throw ImageError(path, describe(status));
    const WebPBitstreamFeatures& f = h.features;
    // Only an opaque lossy picture is decoded a few rows at a time, and so may be scaled down
    // from a size that could not be held; an animation's canvas is held as rows around its
    // first frame, which is checked when it is decoded.
    const Holding holding = f.has_animation                 ? Holding::Rows
                            : !f.has_alpha && f.format == 1 ? Holding::Scaled
                                                            : Holding::Whole;
    CheckDeclaredSize(path, f.width, f.height, holding, bytes.size(), limits);
    readMetadata(WebPData{bytes.data(), bytes.size()}, h.icc, h.orientation);
    h.conversion = SrgbConversion::ForProfile(reinterpret_cast<const std::uint8_t*>(h.icc.data()),
                                              h.icc.size(), SrgbConversion::Input::Rgb);
    return h;
}

struct DemuxIterator {
    WebPIterator iter{};
    ~DemuxIterator() { WebPDemuxReleaseIterator(&iter); }
};

// Decodes a bitstream into `pixels` (`channels` bytes a pixel) at `size`, scaled when it is
// not the bitstream's own.
void decodeInto(const std::string& path, const std::uint8_t* data, std::size_t length, Size size,
                bool scale, bool alpha, std::vector<std::uint8_t>& pixels) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw ImageError(path, "unsupported WebP decoder");
    config.options.use_threads = 0;
    config.options.use_scaling = scale ? 1 : 0;
    config.options.scaled_width = size.width;
    config.options.scaled_height = size.height;
    const int channels = alpha ? 4 : 3;
    pixels.resize(static_cast<std::size_t>(size.width) * size.height *
                  static_cast<std::size_t>(channels));
    config.output.colorspace = alpha ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pixels.data();
    config.output.u.RGBA.stride = size.width * channels;
    config.output.u.RGBA.size = pixels.size();
    const VP8StatusCode decoded = WebPDecode(data, length, &config);
    WebPFreeDecBuffer(&config.output);
    if (decoded != VP8_STATUS_OK)
        throw ImageError(path, describe(decoded));
}

// The first frame on its canvas, as the animation shows it: the canvas starts transparent and
// the frame is decoded into it, so only the frame's pixels are held.
std::unique_ptr<RowSource> firstFrame(const std::string& path, const SourceBytes& bytes,
                                      const WebpHeader& h, Rgb background,
                                      const DecodeLimits& limits) {
    const WebPData whole{bytes.data(), bytes.size()};
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&whole));
    DemuxIterator frame;
    if (!demux ||
        static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH)) != h.features.width ||
        static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT)) != h.features.height ||
        !WebPDemuxGetFrame(demux.get(), 1, &frame.iter) || frame.iter.x_offset < 0 ||
        frame.iter.y_offset < 0 || frame.iter.x_offset + frame.iter.width > h.features.width ||
        frame.iter.y_offset + frame.iter.height > h.features.height) {
        throw ImageError(path, "damaged WebP animation");
    }
    const WebPIterator& it = frame.iter;
    CheckDeclaredSize(path, it.width, it.height, Holding::Whole, bytes.size(), limits);
    std::vector<std::uint8_t> rgba;
    decodeInto(path, it.fragment.bytes, it.fragment.size, Size{it.width, it.height}, false, true,
               rgba);
    return FrameOnScreen(h.features.width, h.features.height, background, it.x_offset, it.y_offset,
                         flatten(it.width, it.height, std::move(rgba), h.conversion, background));
}

// A still picture as stored, at `want` when that is smaller and the picture opaque.
RgbImage still(const std::string& path, const SourceBytes& bytes, const WebpHeader& h, Size want,
               Rgb background, const DecodeLimits& limits) {
    const bool alpha = h.features.has_alpha != 0;
    Size size{h.features.width, h.features.height};
    const bool scale = !alpha && want.width > 0 && want.height > 0 && want.width <= size.width &&
                       want.height <= size.height &&
                       (want.width < size.width || want.height < size.height);
    if (scale)
        size = want;
    if (static_cast<std::int64_t>(size.width) * size.height > limits.maxPixels)
        throw ImageError(path, TooLarge(size.width, size.height, true));
    std::vector<std::uint8_t> pixels;
    decodeInto(path, bytes.data(), bytes.size(), size, scale, alpha, pixels);
    if (alpha)
        return flatten(size.width, size.height, std::move(pixels), h.conversion, background);
    RgbImage stored;
    stored.width = size.width;
    stored.height = size.height;
    stored.pixels = std::move(pixels);
    h.conversion.Convert(stored.pixels.data(), stored.pixels.data(), stored.pixels.size() / 3);
    return stored;
}

}  // namespace

StoredRows OpenWebpRows(const Source& source, Rgb background, const TargetForSize& target,
                        const DecodeLimits& limits) {
    const SourceBytes bytes(source);
    const WebpHeader h = readWebpHeader(source.path, bytes, limits);
    StoredRows out;
    out.declared = UprightSize(h.features.width, h.features.height, h.orientation);
    const Size uprightWant =
        target ? target(out.declared.width, out.declared.height) : out.declared;
    if (h.features.has_animation) {
        out.rows = firstFrame(source.path, bytes, h, background, limits);
        out.orientation = h.orientation;
        return out;
    }
    const Size want = UprightSize(uprightWant.width, uprightWant.height, h.orientation);
    // Turned upright whole, as the slide has always been made from it.
    out.rows =
        RowsOf(TurnUpright(still(source.path, bytes, h, want, background, limits), h.orientation));
    return out;
}

DecodedPicture DecodeWebp(const Source& source, Rgb background, const TargetForSize& target,
                          const DecodeLimits& limits) {
    const StoredRows rows = OpenWebpRows(source, background, target, limits);
    DecodedPicture out;
    out.declaredWidth = rows.declared.width;
    out.declaredHeight = rows.declared.height;
    out.pixels = TurnUpright(ReadAllRows(*rows.rows), rows.orientation);
    return out;
}

Size ProbeWebp(const Source& source, const DecodeLimits& limits) {
    const SourceBytes bytes(source);
    const WebpHeader h = readWebpHeader(source.path, bytes, limits);
    return UprightSize(h.features.width, h.features.height, h.orientation);
}

}  // namespace lumivex::image
