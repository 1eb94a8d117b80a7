// HEIC (HEIF) through libheif: the primary image, with the file's own rotation, mirror and crop
// applied by libheif (an EXIF orientation in such a file only describes them, so it is not
// applied again). An ICC profile is honoured; an nclx colour description is taken as sRGB.
// libheif cannot decode scaled, so the picture is always held whole.

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "EngineErrors.h"
#include "FileIO.h"
#include "image/Image.h"
#include "image/Transparency.h"

namespace lumivex::image {

namespace {

struct ContextDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(const heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(const heif_image* i) const { heif_image_release(i); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

std::string tooLarge(std::int64_t w, std::int64_t h) {
    return "the picture is too large (" + std::to_string(w) + " x " + std::to_string(h) +
           " pixels)";
}

}  // namespace

DecodedPicture DecodeHeif(const Source& source, Rgb background, const TargetForSize& target,
                          const DecodeLimits& limits) {
    std::string fileBytes;
    if (source.bytes == nullptr)
        fileBytes = ReadWholeFile(source.path);
    const std::string& bytes = source.bytes != nullptr ? *source.bytes : fileBytes;
    auto check = [&](const heif_error& error) {
        if (error.code == heif_error_Ok)
            return;
        std::string message = error.message != nullptr ? error.message : "";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        throw ImageError(source.path, message.empty() ? "damaged HEIF data" : message);
    };

    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context)
        throw ImageError(source.path, "out of memory");
    check(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(),
                                                     nullptr));
    heif_image_handle* rawHandle = nullptr;
    check(heif_context_get_primary_image_handle(context.get(), &rawHandle));
    const std::unique_ptr<const heif_image_handle, HandleDeleter> handle(rawHandle);

    // The stored size (ispe) is what the decoder allocates, before any rotation or crop.
    const int storedWidth = heif_image_handle_get_ispe_width(handle.get());
    const int storedHeight = heif_image_handle_get_ispe_height(handle.get());
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (storedWidth <= 0 || storedHeight <= 0 || width <= 0 || height <= 0)
        throw ImageError(source.path, "the picture has no pixels");
    if (!WithinLimits(storedWidth, storedHeight, limits.maxPixels, limits))
        throw ImageError(source.path, tooLarge(storedWidth, storedHeight));
    if (!WithinLimits(width, height, limits.maxPixels, limits))
        throw ImageError(source.path, tooLarge(width, height));
    // A grid or overlay picture is composed on a canvas of the size its own header gives, which
    // libheif checks only side by side against this limit: no side may exceed the longest stored
    // one, beyond the padding of coded pictures to whole coding blocks.
    heif_context_set_maximum_image_size_limit(context.get(),
                                              std::max(storedWidth, storedHeight) + 256);
    // Pictures are already decoded two at a time; tiles on further threads would only compete.
    heif_context_set_max_decoding_threads(context.get(), 0);

    SrgbConversion conversion;
    const heif_color_profile_type profileType =
        heif_image_handle_get_color_profile_type(handle.get());
    if (profileType == heif_color_profile_type_prof ||
        profileType == heif_color_profile_type_rICC) {
        std::vector<std::uint8_t> profile(
            heif_image_handle_get_raw_color_profile_size(handle.get()));
        if (!profile.empty() &&
            heif_image_handle_get_raw_color_profile(handle.get(), profile.data()).code ==
                heif_error_Ok) {
            conversion = SrgbConversion::ForProfile(profile.data(), profile.size(),
                                                    SrgbConversion::Input::Rgb);
        }
    }
    if (target)
        target(width, height);

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(
        heif_decoding_options_alloc());
    if (!options)
        throw ImageError(source.path, "out of memory");
    options->convert_hdr_to_8bit = 1;
    // Not strict: libheif's strict mode refuses merely unusual colour descriptions (and leaks
    // then), while damaged coded data passes it all the same.
    heif_image* rawImage = nullptr;
    const heif_error decoded = heif_decode_image(
        handle.get(), &rawImage, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    const std::unique_ptr<const heif_image, ImageDeleter> image(rawImage);
    check(decoded);
    int stride = 0;
    const std::uint8_t* plane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    if (plane == nullptr || heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != height ||
        stride < width * channels) {
        throw ImageError(source.path, "damaged HEIF data");
    }

    DecodedPicture out;
    out.declaredWidth = width;
    out.declaredHeight = height;
    out.pixels = RgbImage(width, height);
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle.get());
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = plane + static_cast<std::size_t>(y) * stride;
        std::uint8_t* dst = out.pixels.row(y);
        if (alpha) {
            LayOnBackground(src, dst, static_cast<std::size_t>(width), conversion, background,
                            premultiplied);
        } else {
            std::memcpy(dst, src, static_cast<std::size_t>(width) * 3);
            conversion.Convert(dst, dst, static_cast<std::size_t>(width));
        }
    }
    return out;
}

}  // namespace lumivex::image
