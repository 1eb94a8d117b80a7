#include "image/HeifLibrary.h"

namespace lumivex::image {

LUMIVEX_LAZY_TABLE(HeifFunctions, Heif, LUMIVEX_HEIF_FUNCTIONS, LUMIVEX_HEIF_SONAME)

}  // namespace lumivex::image
