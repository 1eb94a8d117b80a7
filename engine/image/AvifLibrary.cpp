#include "image/AvifLibrary.h"

namespace lumivex::image {

LUMIVEX_LAZY_TABLE(AvifFunctions, Avif, LUMIVEX_AVIF_FUNCTIONS, LUMIVEX_AVIF_SONAME)

}  // namespace lumivex::image
