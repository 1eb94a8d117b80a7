#pragma once

#include <string_view>

namespace lumivex::upload {

// What the marker lines of a known_hosts file say; libssh reads only the plain lines.
struct HostKeyMarkers {
    bool revoked = false;               // the key shown is on a @revoked line
    bool certificateAuthority = false;  // some line names a certificate authority
};

// `base64` is the key the server showed, as known_hosts writes it. A revoked key is refused
// whatever host its line names.
HostKeyMarkers ReadHostKeyMarkers(std::string_view knownHosts, std::string_view base64);

}  // namespace lumivex::upload
