#pragma once

#include <avif/avif.h>

#include "LazyLibrary.h"

// The functions of libavif, which writes the AVIF copies of the slides.
#define LUMIVEX_AVIF_FUNCTIONS(X) \
    X(avifDecoderCreate)          \
    X(avifDecoderDestroy)         \
    X(avifDecoderReadMemory)      \
    X(avifEncoderCreate)          \
    X(avifEncoderDestroy)         \
    X(avifEncoderWrite)           \
    X(avifImageCreate)            \
    X(avifImageCreateEmpty)       \
    X(avifImageDestroy)           \
    X(avifImageRGBToYUV)          \
    X(avifImageYUVToRGB)          \
    X(avifRGBImageSetDefaults)    \
    X(avifRWDataFree)             \
    X(avifResultToString)

namespace lumivex::image {

struct AvifFunctions {
    LUMIVEX_AVIF_FUNCTIONS(LUMIVEX_LAZY_POINTER)
};

// The library's functions, opened at the first call; throws EngineError when it is missing.
const AvifFunctions& Avif();

}  // namespace lumivex::image
