#include "SshLibrary.h"

namespace lumivex::upload {

LUMIVEX_LAZY_TABLE(SshFunctions, Ssh, LUMIVEX_SSH_FUNCTIONS, LUMIVEX_SSH_SONAME)

}  // namespace lumivex::upload
