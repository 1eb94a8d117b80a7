#pragma once

#include <string>
#include <string_view>

namespace lumivex::upload {

// Where an upload goes. Empty user and port 0 leave them to ~/.ssh/config and the defaults
// (the login name, port 22), as OpenSSH's client does.
struct Destination {
    std::string user;
    std::string host;
    int port = 0;
    // An absolute folder, or one relative to the login folder ("" is the login folder itself).
    std::string folder;

    // As sftp://[user@]host[:port]/folder, a folder relative to the login folder after "/~/".
    std::string url() const;
    friend bool operator==(const Destination&, const Destination&) = default;
};

// sftp://[user@]host[:port]/path, the path percent-decoded; "/~/path" is relative to the login
// folder. Raises std::invalid_argument saying what is wrong; a password in the address is
// refused, since it would be kept in the shell's history.
Destination ParseDestination(std::string_view url);

// The editor's fields: `server` as host[:port] (an IPv6 address in brackets), `folder` as typed.
// Raises std::invalid_argument as above.
Destination MakeDestination(std::string_view server, std::string_view user,
                            std::string_view folder);

}  // namespace lumivex::upload
