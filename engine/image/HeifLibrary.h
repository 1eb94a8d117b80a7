#pragma once

#include <libheif/heif.h>

#include "LazyLibrary.h"

// The functions of libheif, which decodes HEIC and AVIF originals and reads their metadata.
#define LUMIVEX_HEIF_FUNCTIONS(X)                       \
    X(heif_context_alloc)                               \
    X(heif_context_free)                                \
    X(heif_context_get_primary_image_handle)            \
    X(heif_context_read_from_file)                      \
    X(heif_context_read_from_memory_without_copy)       \
    X(heif_context_set_max_decoding_threads)            \
    X(heif_context_set_maximum_image_size_limit)        \
    X(heif_decode_image)                                \
    X(heif_decoding_options_alloc)                      \
    X(heif_decoding_options_free)                       \
    X(heif_image_get_height)                            \
    X(heif_image_get_plane_readonly)                    \
    X(heif_image_get_width)                             \
    X(heif_image_handle_get_color_profile_type)         \
    X(heif_image_handle_get_height)                     \
    X(heif_image_handle_get_list_of_metadata_block_IDs) \
    X(heif_image_handle_get_ispe_height)                \
    X(heif_image_handle_get_ispe_width)                 \
    X(heif_image_handle_get_metadata)                   \
    X(heif_image_handle_get_metadata_content_type)      \
    X(heif_image_handle_get_metadata_size)              \
    X(heif_image_handle_get_number_of_metadata_blocks)  \
    X(heif_image_handle_get_raw_color_profile)          \
    X(heif_image_handle_get_raw_color_profile_size)     \
    X(heif_image_handle_get_width)                      \
    X(heif_image_handle_has_alpha_channel)              \
    X(heif_image_handle_is_premultiplied_alpha)         \
    X(heif_image_handle_release)                        \
    X(heif_image_release)

namespace lumivex::image {

struct HeifFunctions {
    LUMIVEX_HEIF_FUNCTIONS(LUMIVEX_LAZY_POINTER)
};

// The library's functions, opened at the first call; throws EngineError when it is missing.
const HeifFunctions& Heif();

}  // namespace lumivex::image
