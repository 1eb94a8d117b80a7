#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Destination.h"
#include "Manifest.h"

namespace lumivex {
class ItemTree;
class TzqxAppletAgent;
}  // namespace lumivex

namespace lumivex::upload {

enum class FailureKind {
    HostKeyUnknown,  // not in known_hosts (and not trusted now)
    HostKeyChanged,  // known_hosts holds another key for the server
    Authentication,  // the server took none of the keys or passwords offered
    Connection,      // no connection, or it broke
    Server,          // the server refused an operation
    Local,           // a local file or key could not be read
    Cancelled,
};

class UploadError : public std::runtime_error {
public:
    UploadError(FailureKind kind, const std::string& what) : runtime_error(what), kind_(kind) {}
    FailureKind kind() const { return kind_; }

private:
    FailureKind kind_;
};

// The key a server showed, as OpenSSH's client shows it.
struct HostKey {
    std::string server;       // host, or host:port
    std::string type;         // "ssh-ed25519"
    std::string fingerprint;  // "SHA256:" and the base64 of the key's hash
};

// What an upload asks and tells while it runs; called on the upload's thread. The defaults
// answer as a program without a user does: trust nothing new, know no secret.
class UploadObserver {
public:
    virtual ~UploadObserver() = default;
    virtual void stage(const std::string& /*text*/) {}
    // Bytes of the files being sent; `total` is known before the first is sent.
    virtual void progress(std::uint64_t /*sent*/, std::uint64_t /*total*/) {}
    // Checked between chunks, and from another thread while the server is awaited: a true
    // answer stops the upload with every file as it was, within a second.
    virtual bool cancelled() { return false; }
    // A key that known_hosts does not hold; true adds it there and goes on.
    virtual bool trustUnknownHostKey(const HostKey&) { return false; }
    // `account` is user@host; `again` after a password the server refused.
    virtual std::optional<std::string> password(const std::string& /*account*/, bool /*again*/) {
        return std::nullopt;
    }
    virtual std::optional<std::string> passphrase(const std::string& /*prompt*/) {
        return std::nullopt;
    }
    virtual void passwordAccepted(const std::string& /*account*/, const std::string& /*pw*/) {}
};

struct UploadOptions {
    // When given, the only key offered (as OpenSSH's -i with IdentitiesOnly).
    std::string identityFile;
    // The folder of known_hosts, config and the default keys; "" is $HOME/.ssh.
    std::string sshFolder;
    // How long the server may leave a connection attempt, a read, a write or a rename without
    // an answer; 0 is $LUMIVEX_UPLOAD_TIMEOUT (seconds), or else 30 seconds.
    double timeLimitSeconds = 0;
};

// A lock file in the server's folder keeps a second upload out while one runs; one that was
// not renewed for this long is taken as left by an upload that was killed or cut off.
inline constexpr int kLockStaleSeconds = 600;
inline constexpr std::string_view kLockName = ".lumivex-lock";

struct UploadResult {
    std::vector<std::string> sent;
    std::uint64_t bytesSent = 0;
    std::vector<std::string> removed;
    std::size_t unchanged = 0;
};

// Sends the files `names` of `localFolder` (in upload order) to `destination` over SFTP: only
// those whose content differs from what the server's manifest records, each under a temporary
// name renamed over the old one once complete, then removes the files of an earlier upload the
// publish no longer has and writes the manifest, all under the folder's lock. Raises
// UploadError; after a failure or a cancel every file on the server is the old one or the new
// one, and neither a temporary file nor the lock stays (unless the server cannot be reached
// again to take them away).
UploadResult UploadFolder(const Destination& destination, const std::string& localFolder,
                          const std::vector<std::string>& names, const UploadOptions& options,
                          UploadObserver& observer);

// Publishes the project into `stagingFolder` (with a trailing "/") as Save does under
// `fileName`, and returns the names of what it wrote, in upload order.
std::vector<std::string> PublishForUpload(TzqxAppletAgent& agent, ItemTree& tree,
                                          const std::string& stagingFolder,
                                          const std::string& fileName);

}  // namespace lumivex::upload
