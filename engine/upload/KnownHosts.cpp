#include "KnownHosts.h"

#include <sstream>
#include <string>

namespace lumivex::upload {

HostKeyMarkers ReadHostKeyMarkers(std::string_view knownHosts, std::string_view base64) {
    HostKeyMarkers found;
    std::istringstream lines{std::string(knownHosts)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string marker, hosts, type, blob;
        fields >> marker >> hosts >> type >> blob;
        if (marker == "@revoked" && !base64.empty() && blob == base64)
            found.revoked = true;
        if (marker == "@cert-authority")
            found.certificateAuthority = true;
    }
    return found;
}

}  // namespace lumivex::upload
