#include "Destination.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "Text.h"

namespace lumivex::upload {

namespace {

[[noreturn]] void Refuse(const std::string& why) {
    throw std::invalid_argument(why);
}

bool HasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        const char* first = text.data() + i + 1;
        const bool room = i + 2 < text.size();
        const auto [at, error] = std::from_chars(first, room ? first + 2 : first, value, 16);
        if (!room || error != std::errc() || at != first + 2)
            Refuse("a \"%\" in the address is not followed by two hexadecimal digits");
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

// host[:port], or [IPv6][:port].
void ReadServer(std::string_view server, Destination& d) {
    std::string_view port;
    bool portGiven = false;
    if (server.starts_with('[')) {
        const std::size_t close = server.find(']');
        if (close == std::string_view::npos)
            Refuse("the IPv6 address has no closing \"]\"");
        d.host = std::string(server.substr(1, close - 1));
        const std::string_view rest = server.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            Refuse("unexpected text after the IPv6 address");
        portGiven = !rest.empty();
        if (portGiven)
            port = rest.substr(1);
        if (d.host.empty() ||
            d.host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string::npos)
            Refuse("\"" + d.host + "\" is no IPv6 address");
    } else {
        const std::size_t colon = server.rfind(':');
        d.host = std::string(server.substr(0, colon));
        portGiven = colon != std::string_view::npos;
        if (portGiven)
            port = server.substr(colon + 1);
        if (d.host.empty())
            Refuse("no server given");
        // Names, IPv4 addresses and ~/.ssh/config aliases; nothing an option could hide in.
        if (d.host.starts_with('-') || !std::all_of(d.host.begin(), d.host.end(), [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_';
            }))
            Refuse("\"" + d.host + "\" is no host name");
    }
    if (!portGiven)
        return;
    const auto [at, error] = std::from_chars(port.data(), port.data() + port.size(), d.port);
    if (port.empty() || error != std::errc() || at != port.data() + port.size() || d.port < 1 ||
        d.port > 65535)
        Refuse("\"" + std::string(port) + "\" is no port number (1 to 65535)");
}

void CheckUser(const std::string& user) {
    if (user.find(':') != std::string::npos)
        Refuse("a password in the address is not taken: it would be kept in the shell's history");
    if (HasControl(user) || user.starts_with('-'))
        Refuse("\"" + user + "\" is no user name");
}

void CheckFolder(const std::string& folder) {
    if (folder.find('\0') != std::string::npos || HasControl(folder))
        Refuse("the folder holds a control character");
}

}  // namespace

std::string Destination::url() const {
    std::string out = "sftp://";
    if (!user.empty())
        out += user + "@";
    out += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (port != 0)
        out += ":" + std::to_string(port);
    if (folder.starts_with('/'))
        out += folder;
    else
        out += "/~/" + folder;
    return out;
}

Destination ParseDestination(std::string_view url) {
    constexpr std::string_view kScheme = "sftp://";
    if (url.size() < kScheme.size() || LowerCase(url.substr(0, kScheme.size())) != kScheme)
        Refuse("the address does not start with sftp://");
    url.remove_prefix(kScheme.size());
    const std::size_t slash = url.find('/');
    std::string_view authority = url.substr(0, slash);
    const std::string_view path = slash == std::string_view::npos ? "" : url.substr(slash);
    Destination d;
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        d.user = PercentDecoded(authority.substr(0, at));
        if (d.user.empty())
            Refuse("the user name before \"@\" is empty");
        CheckUser(d.user);
        authority.remove_prefix(at + 1);
    }
    ReadServer(authority, d);
    if (path.empty() || path == "/")
        Refuse("no folder on the server given (sftp://host/folder)");
    std::string folder = PercentDecoded(path);
    if (folder == "/~")
        folder = "";
    else if (folder.starts_with("/~/"))
        folder.erase(0, 3);
    CheckFolder(folder);
    d.folder = folder;
    return d;
}

Destination MakeDestination(std::string_view server, std::string_view user,
                            std::string_view folder) {
    Destination d;
    ReadServer(Trim(server), d);
    d.user = Trim(user);
    CheckUser(d.user);
    d.folder = Trim(folder);
    if (d.folder == "~")
        d.folder = "";
    else if (d.folder.starts_with("~/"))
        d.folder.erase(0, 2);
    CheckFolder(d.folder);
    return d;
}

}  // namespace lumivex::upload
