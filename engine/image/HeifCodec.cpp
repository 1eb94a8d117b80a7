// HEIC and AVIF (HEIF with HEVC or AV1 pictures) through libheif: the primary image, with the
// file's own rotation, mirror and crop applied by libheif (an EXIF orientation in such a file only
// describes them, so it is not applied again). An ICC profile is honoured; an nclx colour
// description is taken as sRGB. libheif cannot decode scaled, so the picture is always held whole.

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "EngineErrors.h"
#include "image/DecodeSupport.h"
#include "image/HeifLibrary.h"
#include "image/Image.h"
#include "image/Transparency.h"

namespace lumivex::image {

namespace {

struct ContextDeleter {
    void operator()(heif_context* c) const { Heif().heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(const heif_image_handle* h) const { Heif().heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(const heif_image* i) const { Heif().heif_image_release(i); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* o) const { Heif().heif_decoding_options_free(o); }
};

std::uint32_t bigEndian(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

// Calls `each(type, body, bodySize)` for the boxes in [at, end), until it returns true.
template <typename Each>
void forEachBox(const std::uint8_t* at, const std::uint8_t* end, Each each) {
    while (end - at >= 8) {
        std::uint64_t size = bigEndian(at, 4);
        std::size_t header = 8;
        if (size == 1 && end - at >= 16) {
            size = static_cast<std::uint64_t>(bigEndian(at + 8, 4)) << 32 | bigEndian(at + 12, 4);
            header = 16;
        } else if (size == 0) {
            size = static_cast<std::uint64_t>(end - at);
        }
        if (size < header || size > static_cast<std::uint64_t>(end - at))
            return;
        if (each(std::string_view(reinterpret_cast<const char*>(at + 4), 4), at + header,
                 static_cast<std::size_t>(size - header)))
            return;
        at += size;
    }
}

// The number of items the file's 'iinf' box lists: every tile of a grid is one, and libheif
// decodes each on its own, so thousands of tiny ones take a minute however small the file.
std::uint32_t itemCount(const SourceBytes& bytes) {
    std::uint32_t count = 0;
    forEachBox(bytes.data(), bytes.data() + bytes.size(),
               [&](std::string_view type, const std::uint8_t* body, std::size_t size) {
                   if (type != "meta" || size < 4)
                       return false;
                   // A full box: version and flags, then the boxes within.
                   forEachBox(body + 4, body + size,
                              [&](std::string_view inner, const std::uint8_t* b, std::size_t n) {
                                  if (inner != "iinf" || n < 6)
                                      return false;
                                  count = b[0] == 0 ? bigEndian(b + 4, 2) : bigEndian(b + 4, 4);
                                  return true;
                              });
                   return true;
               });
    return count;
}

// A HEIF file's primary picture, its declared sizes checked; nothing is decoded yet.
struct HeifInput {
    std::string path;
    std::unique_ptr<heif_context, ContextDeleter> context;
    std::unique_ptr<const heif_image_handle, HandleDeleter> handle;
    int width = 0, height = 0;  // as shown: rotated, mirrored and cropped

    void check(const heif_error& error) const {
        if (error.code == heif_error_Ok)
            return;
        std::string message = error.message != nullptr ? error.message : "";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        throw ImageError(path, message.empty() ? "damaged HEIF data" : message);
    }
};

std::unique_ptr<HeifInput> openHeif(const Source& source, const SourceBytes& bytes,
                                    const DecodeLimits& limits) {
    auto in = std::make_unique<HeifInput>();
    in->path = source.path;
    if (itemCount(bytes) > static_cast<std::uint32_t>(limits.maxHeifItems)) {
        throw ImageError(source.path, "the picture has too many parts (more than " +
                                          std::to_string(limits.maxHeifItems) + ")");
    }
    in->context.reset(Heif().heif_context_alloc());
    if (!in->context)
        throw ImageError(source.path, "out of memory");
    in->check(Heif().heif_context_read_from_memory_without_copy(in->context.get(), bytes.data(),
                                                                bytes.size(), nullptr));
    heif_image_handle* rawHandle = nullptr;
    in->check(Heif().heif_context_get_primary_image_handle(in->context.get(), &rawHandle));
    in->handle.reset(rawHandle);
    // The stored size (ispe) is what the decoder allocates, before any rotation or crop.
    const heif_image_handle* handle = in->handle.get();
    const int storedWidth = Heif().heif_image_handle_get_ispe_width(handle);
    const int storedHeight = Heif().heif_image_handle_get_ispe_height(handle);
    in->width = Heif().heif_image_handle_get_width(handle);
    in->height = Heif().heif_image_handle_get_height(handle);
    if (in->width <= 0 || in->height <= 0)
        throw ImageError(source.path, "the picture has no pixels");
    CheckDeclaredSize(source.path, storedWidth, storedHeight, Holding::Whole, bytes.size(), limits);
    CheckDeclaredSize(source.path, in->width, in->height, Holding::Whole, bytes.size(), limits);
    // A grid or overlay picture is composed on a canvas of the size its own header gives, which
    // libheif checks only side by side against this limit: no side may exceed the longest stored
    // one, beyond the padding of coded pictures to whole coding blocks.
    Heif().heif_context_set_maximum_image_size_limit(in->context.get(),
                                                     std::max(storedWidth, storedHeight) + 256);
    // Pictures are already decoded two at a time; tiles on further threads would only compete.
    Heif().heif_context_set_max_decoding_threads(in->context.get(), 0);
    return in;
}

SrgbConversion conversionOf(const heif_image_handle* handle) {
    const heif_color_profile_type type = Heif().heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return {};
    std::vector<std::uint8_t> profile(Heif().heif_image_handle_get_raw_color_profile_size(handle));
    if (profile.empty() ||
        Heif().heif_image_handle_get_raw_color_profile(handle, profile.data()).code !=
            heif_error_Ok)
        return {};
    return SrgbConversion::ForProfile(profile.data(), profile.size(), SrgbConversion::Input::Rgb);
}

// The decoded picture in sRGB, transparent pixels laid on the background.
RgbImage decodeHeif(const HeifInput& in, Rgb background) {
    const SrgbConversion conversion = conversionOf(in.handle.get());
    const bool alpha = Heif().heif_image_handle_has_alpha_channel(in.handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(
        Heif().heif_decoding_options_alloc());
    if (!options)
        throw ImageError(in.path, "out of memory");
    options->convert_hdr_to_8bit = 1;
    // Not strict: libheif's strict mode refuses merely unusual colour descriptions (and leaks
    // then), while damaged coded data passes it all the same.
    heif_image* rawImage = nullptr;
    const heif_error decoded = Heif().heif_decode_image(
        in.handle.get(), &rawImage, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    const std::unique_ptr<const heif_image, ImageDeleter> image(rawImage);
    in.check(decoded);
    int stride = 0;
    const std::uint8_t* plane =
        Heif().heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    if (plane == nullptr ||
        Heif().heif_image_get_width(image.get(), heif_channel_interleaved) != in.width ||
        Heif().heif_image_get_height(image.get(), heif_channel_interleaved) != in.height ||
        stride < in.width * channels) {
        throw ImageError(in.path, "damaged HEIF data");
    }
    RgbImage out(in.width, in.height);
    const bool premultiplied =
        alpha && Heif().heif_image_handle_is_premultiplied_alpha(in.handle.get());
    const auto width = static_cast<std::size_t>(in.width);
    for (int y = 0; y < in.height; ++y) {
        const std::uint8_t* src = plane + static_cast<std::size_t>(y) * stride;
        std::uint8_t* dst = out.row(y);
        if (alpha) {
            LayOnBackground(src, dst, width, conversion, background, premultiplied);
        } else {
            std::memcpy(dst, src, width * 3);
            conversion.Convert(dst, dst, width);
        }
    }
    return out;
}

}  // namespace

DecodedPicture DecodeHeif(const Source& source, Rgb background, const TargetForSize& target,
                          const DecodeLimits& limits) {
    const SourceBytes bytes(source);
    const std::unique_ptr<HeifInput> in = openHeif(source, bytes, limits);
    if (target)
        target(in->width, in->height);
    DecodedPicture out;
    out.declaredWidth = in->width;
    out.declaredHeight = in->height;
    out.pixels = decodeHeif(*in, background);
    return out;
}

Size ProbeHeif(const Source& source, const DecodeLimits& limits) {
    const SourceBytes bytes(source);
    const std::unique_ptr<HeifInput> in = openHeif(source, bytes, limits);
    return Size{in->width, in->height};
}

}  // namespace lumivex::image
