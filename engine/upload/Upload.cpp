#include "Upload.h"

#include <fcntl.h>
#include <libssh/callbacks.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "RuntimeContract.h"

namespace lumivex::upload {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
// A manifest larger than this is no manifest of ours.
constexpr std::size_t kMaxManifestBytes = 16u << 20;
constexpr long kConnectTimeoutSeconds = 30;

std::string RandomSuffix() {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
    std::string out;
    for (int i = 0; i < 6; ++i)
        out += kAlphabet[pick(device)];
    return out;
}

std::string SshFolder(const UploadOptions& options) {
    if (!options.sshFolder.empty())
        return options.sshFolder;
    // HOME first, as the user's other programs take it; libssh alone would use the password
    // database's folder.
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) + "/.ssh" : std::string();
}

// The SSH connection, authenticated, with its SFTP channel.
class Connection {
public:
    Connection(const Destination& d, const UploadOptions& options, UploadObserver& observer)
        : observer_(observer), session_(ssh_new()) {
        if (session_ == nullptr)
            throw UploadError(FailureKind::Local, "cannot start an SSH session");
        // No destructor runs for a connection that is not made: it frees what it has itself.
        try {
            open(d, options);
        } catch (...) {
            close();
            throw;
        }
    }
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

private:
    void open(const Destination& d, const UploadOptions& options) {
        server_ = d.host + (d.port != 0 ? ":" + std::to_string(d.port) : "");
        set(SSH_OPTIONS_HOST, d.host.c_str());
        const std::string folder = SshFolder(options);
        if (!folder.empty())
            set(SSH_OPTIONS_SSH_DIR, folder.c_str());
        // ~/.ssh/config first, so that what the address names wins over it.
        if (ssh_options_parse_config(session_, nullptr) != SSH_OK)
            throw UploadError(FailureKind::Local, "cannot read the SSH configuration: " + error());
        if (!d.user.empty())
            set(SSH_OPTIONS_USER, d.user.c_str());
        if (d.port != 0)
            set(SSH_OPTIONS_PORT, &d.port);
        knownHostsName_ = knownHostsName(d.host);
        const long timeout = kConnectTimeoutSeconds;
        set(SSH_OPTIONS_TIMEOUT, &timeout);
        // Each SFTP write waits for its reply: with Nagle's delay every chunk would wait for
        // the previous acknowledgement as well.
        const int noDelay = 1;
        set(SSH_OPTIONS_NODELAY, &noDelay);
        callbacks_.userdata = this;
        callbacks_.auth_function = &Connection::askPassphrase;
        ssh_callbacks_init(&callbacks_);
        ssh_set_callbacks(session_, &callbacks_);

        observer_.stage("Connecting to " + server_);
        connect();
        checkHostKey();
        authenticate(options);
        sftp_ = sftp_new(session_);
        if (sftp_ == nullptr || sftp_init(sftp_) != SSH_OK)
            throw UploadError(FailureKind::Server, server_ + " offers no SFTP: " + error());
        posixRename_ = sftp_extension_supported(sftp_, "posix-rename@openssh.com", "1") != 0;
        fsync_ = sftp_extension_supported(sftp_, "fsync@openssh.com", "1") != 0;
    }
    void close() {
        if (sftp_ != nullptr)
            sftp_free(sftp_);
        if (connected_)
            ssh_disconnect(session_);
        ssh_free(session_);
    }

public:
    // The folder, made with its missing parents.
    void makeFolder(const std::string& folder) {
        if (folder.empty() || isFolder(folder))
            return;
        for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
            const std::string part = folder.substr(0, at);
            if (!part.empty() && !part.ends_with('/') && !isFolder(part) &&
                sftp_mkdir(sftp_, part.c_str(), 0755) != SSH_OK && !isFolder(part))
                fail("cannot create the folder", part);
            if (at == std::string::npos)
                break;
        }
    }

    // The regular files of the folder with their sizes.
    std::vector<RemoteFile> list(const std::string& folder) {
        const std::string path = folder.empty() ? "." : folder;
        sftp_dir dir = sftp_opendir(sftp_, path.c_str());
        if (dir == nullptr)
            fail("cannot list the folder", path);
        std::vector<RemoteFile> files;
        while (sftp_attributes a = sftp_readdir(sftp_, dir)) {
            if (a->type == SSH_FILEXFER_TYPE_REGULAR && a->name != nullptr)
                files.push_back({a->name, a->size});
            sftp_attributes_free(a);
        }
        const bool complete = sftp_dir_eof(dir) != 0;
        sftp_closedir(dir);
        if (!complete)
            fail("cannot list the folder", path);
        return files;
    }

    // The whole file, or nothing when there is none (or it is too large to be ours).
    std::optional<std::string> read(const std::string& path) {
        // Only a regular file of a sensible size is read: opening a pipe or a device there
        // would wait, or read, for ever.
        sftp_attributes attributes = sftp_lstat(sftp_, path.c_str());
        if (attributes == nullptr) {
            if (sftp_get_error(sftp_) == SSH_FX_NO_SUCH_FILE)
                return std::nullopt;
            fail("cannot look at", path);
        }
        const bool regular =
            attributes->type == SSH_FILEXFER_TYPE_REGULAR && attributes->size <= kMaxManifestBytes;
        sftp_attributes_free(attributes);
        if (!regular)
            return std::nullopt;
        sftp_file file = sftp_open(sftp_, path.c_str(), O_RDONLY, 0);
        if (file == nullptr) {
            if (sftp_get_error(sftp_) == SSH_FX_NO_SUCH_FILE)
                return std::nullopt;
            fail("cannot open", path);
        }
        std::string bytes;
        char buffer[kChunk];
        for (;;) {
            const ssize_t n = sftp_read(file, buffer, sizeof buffer);
            if (n < 0) {
                sftp_close(file);
                fail("cannot read", path);
            }
            if (n == 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
            if (bytes.size() > kMaxManifestBytes) {
                sftp_close(file);
                return std::nullopt;
            }
        }
        sftp_close(file);
        return bytes;
    }

    // Writes `bytes` as a new file `path`; `sent` is called after each chunk and may throw to
    // stop (the caller removes the file).
    template <typename OnChunk>
    void write(const std::string& path, std::string_view bytes, OnChunk sent) {
        sftp_file file = sftp_open(sftp_, path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (file == nullptr)
            fail("cannot create", path);
        try {
            for (std::size_t at = 0; at < bytes.size();) {
                const std::size_t n = std::min(kChunk, bytes.size() - at);
                if (sftp_write(file, bytes.data() + at, n) != static_cast<ssize_t>(n))
                    fail("cannot write", path);
                at += n;
                sent(n);
            }
            // On the server's disk before it is renamed over the old copy.
            if (fsync_ && sftp_fsync(file) != SSH_OK)
                fail("cannot write", path);
        } catch (...) {
            sftp_close(file);
            throw;
        }
        if (sftp_close(file) != SSH_OK)
            fail("cannot write", path);
    }

    // Replaces `to` with `from` in one step where the server offers it.
    void rename(const std::string& from, const std::string& to) {
        // A server that advertises the rename but does not carry it out gets the plain one.
        if (posixRename_ && posixRenameRequest(from, to))
            return;
        posixRename_ = false;
        // A plain SFTP rename refuses an existing target: the old copy steps aside first, so
        // for a moment the name is missing, but it is never half written.
        const std::string aside = to + ".lumivex-old";
        // One left aside by an upload cut short here would block this rename for good.
        removeQuietly(aside);
        const bool replacing = exists(to);
        if (replacing && sftp_rename(sftp_, to.c_str(), aside.c_str()) != SSH_OK)
            fail("cannot rename", to);
        if (sftp_rename(sftp_, from.c_str(), to.c_str()) != SSH_OK) {
            const std::string why = error();
            if (replacing)
                sftp_rename(sftp_, aside.c_str(), to.c_str());
            throw UploadError(FailureKind::Server, "cannot rename \"" + from + "\" to \"" + to +
                                                       "\" on " + server_ + ": " + why);
        }
        if (replacing)
            sftp_unlink(sftp_, aside.c_str());
    }

    void remove(const std::string& path) {
        if (sftp_unlink(sftp_, path.c_str()) != SSH_OK &&
            sftp_get_error(sftp_) != SSH_FX_NO_SUCH_FILE)
            fail("cannot remove", path);
    }
    bool removeQuietly(const std::string& path) {
        return sftp_unlink(sftp_, path.c_str()) == SSH_OK;
    }

    const std::string& server() const { return server_; }

private:
    template <typename T>
    void set(ssh_options_e option, const T* value) {
        if (ssh_options_set(session_, option, value) != SSH_OK)
            throw UploadError(FailureKind::Local, "cannot set up the SSH session: " + error());
    }

    std::string error() const {
        std::string text = ssh_get_error(session_);
        return text.empty() ? "unknown error" : text;
    }

    [[noreturn]] void fail(const std::string& what, const std::string& path) {
        std::string why = error();
        if (why.starts_with("SFTP server: "))
            why.erase(0, 13);
        const bool lost = ssh_is_connected(session_) == 0;
        throw UploadError(lost ? FailureKind::Connection : FailureKind::Server,
                          what + " \"" + path + "\" on " + server_ + ": " + why);
    }

    bool isFolder(const std::string& path) {
        sftp_attributes a = sftp_stat(sftp_, path.c_str());
        const bool folder = a != nullptr && a->type == SSH_FILEXFER_TYPE_DIRECTORY;
        if (a != nullptr)
            sftp_attributes_free(a);
        return folder;
    }
    bool exists(const std::string& path) {
        sftp_attributes a = sftp_lstat(sftp_, path.c_str());
        if (a != nullptr)
            sftp_attributes_free(a);
        return a != nullptr;
    }

    void checkHostKey() {
        ssh_key key = nullptr;
        if (ssh_get_server_publickey(session_, &key) != SSH_OK)
            throw UploadError(FailureKind::Connection, server_ + " showed no host key: " + error());
        HostKey shown{server_, ssh_key_type_to_char(ssh_key_type(key)), {}};
        unsigned char* hash = nullptr;
        size_t length = 0;
        const int hashed = ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length);
        char* blob = nullptr;
        const std::string base64 =
            ssh_pki_export_pubkey_base64(key, &blob) == SSH_OK && blob != nullptr ? blob : "";
        ssh_string_free_char(blob);
        ssh_key_free(key);
        if (hashed != SSH_OK)
            throw UploadError(FailureKind::Connection, "cannot hash the host key: " + error());
        char* fingerprint = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
        ssh_clean_pubkey_hash(&hash);
        shown.fingerprint = fingerprint != nullptr ? fingerprint : "";
        ssh_string_free_char(fingerprint);
        const std::string key_text = shown.type + " key " + shown.fingerprint;

        // libssh reads neither marker of OpenSSH's known_hosts: a revoked key is refused here,
        // as OpenSSH refuses it, and a server known only through a certificate authority is
        // told apart from one not known at all.
        const Markers markers = readMarkers(base64);
        if (markers.revoked)
            throw UploadError(FailureKind::HostKeyChanged,
                              "the host key of " + server_ + " (" + key_text +
                                  ") is marked @revoked in known_hosts. Nothing was sent.");
        switch (ssh_session_is_known_server(session_)) {
            case SSH_KNOWN_HOSTS_OK:
                return;
            case SSH_KNOWN_HOSTS_CHANGED:
            case SSH_KNOWN_HOSTS_OTHER:
                throw UploadError(
                    FailureKind::HostKeyChanged,
                    "the host key of " + server_ + " has changed: it shows the " + key_text +
                        ", and ~/.ssh/known_hosts holds another. Someone may be intercepting the "
                        "connection, or the server was set up anew. Nothing was sent. Once its "
                        "administrator confirms the new key, remove the old one with ssh-keygen "
                        "-R '" +
                        knownHostsName_ + "'.");
            case SSH_KNOWN_HOSTS_UNKNOWN:
            case SSH_KNOWN_HOSTS_NOT_FOUND:
                if (observer_.trustUnknownHostKey(shown)) {
                    if (ssh_session_update_known_hosts(session_) != SSH_OK)
                        throw UploadError(FailureKind::Local,
                                          "cannot add the host key to known_hosts: " + error());
                    return;
                }
                throw UploadError(
                    FailureKind::HostKeyUnknown,
                    "the host key of " + server_ + " is not known: it shows the " + key_text +
                        ". Nothing was sent. " +
                        (markers.certificateAuthority
                             ? "Host certificates (@cert-authority in known_hosts) are not "
                               "supported: add the server's own key to ~/.ssh/known_hosts."
                             : "Check the fingerprint with the server's administrator, then add "
                               "the key to ~/.ssh/known_hosts (connecting once with ssh does)."));
            case SSH_KNOWN_HOSTS_ERROR:
                break;
        }
        throw UploadError(FailureKind::Local, "cannot check the host key: " + error());
    }

    struct Markers {
        bool revoked = false;               // the key shown is on a @revoked line
        bool certificateAuthority = false;  // some line names a certificate authority
    };
    Markers readMarkers(const std::string& base64) {
        Markers found;
        std::vector<std::string> files{"/etc/ssh/ssh_known_hosts"};
        char* user = nullptr;
        if (ssh_options_get(session_, SSH_OPTIONS_KNOWNHOSTS, &user) == SSH_OK && user != nullptr)
            files.insert(files.begin(), user);
        ssh_string_free_char(user);
        for (const std::string& file : files) {
            std::string text;
            try {
                text = ReadWholeFile(file, 16u << 20);
            } catch (const EngineError&) {
                continue;  // none, or unreadable: libssh says what it makes of it
            }
            std::istringstream lines(text);
            for (std::string line; std::getline(lines, line);) {
                std::istringstream fields(line);
                std::string marker, hosts, type, blob;
                fields >> marker >> hosts >> type >> blob;
                if (marker == "@revoked" && !base64.empty() && blob == base64)
                    found.revoked = true;
                if (marker == "@cert-authority")
                    found.certificateAuthority = true;
            }
        }
        return found;
    }

    static int askPassphrase(const char* prompt, char* buffer, size_t length, int, int,
                             void* self) {
        auto& connection = *static_cast<Connection*>(self);
        const std::optional<std::string> answer = connection.observer_.passphrase(prompt);
        if (!answer || answer->size() >= length)
            return -1;
        std::memcpy(buffer, answer->c_str(), answer->size() + 1);
        return 0;
    }

    // Without blocking, so that a cancel need not wait for a server that never answers.
    void connect() {
        ssh_set_blocking(session_, 0);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(kConnectTimeoutSeconds);
        int rc = SSH_AGAIN;
        while ((rc = ssh_connect(session_)) == SSH_AGAIN) {
            if (observer_.cancelled())
                throw UploadError(FailureKind::Cancelled, "the upload was cancelled");
            if (std::chrono::steady_clock::now() > deadline)
                throw UploadError(FailureKind::Connection,
                                  "cannot connect to " + server_ + ": no answer within " +
                                      std::to_string(kConnectTimeoutSeconds) + " seconds");
            // The server's next words, or a look again after a moment.
            pollfd socket{ssh_get_fd(session_), POLLIN, 0};
            if (socket.fd == SSH_INVALID_SOCKET)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            else
                ::poll(&socket, 1, 50);
        }
        ssh_set_blocking(session_, 1);
        if (rc != SSH_OK)
            throw UploadError(FailureKind::Connection,
                              "cannot connect to " + server_ + ": " + error());
        connected_ = true;
    }

    // The server as known_hosts writes it: ~/.ssh/config may give it another name or port.
    std::string knownHostsName(const std::string& fallback) const {
        char* configured = nullptr;
        ssh_options_get(session_, SSH_OPTIONS_HOST, &configured);
        const std::string host = configured != nullptr ? configured : fallback;
        ssh_string_free_char(configured);
        unsigned int port = 22;
        ssh_options_get_port(session_, &port);
        return port != 22 ? "[" + host + "]:" + std::to_string(port) : host;
    }

    std::string account() const {
        char* user = nullptr;
        ssh_options_get(session_, SSH_OPTIONS_USER, &user);
        std::string name = user != nullptr ? user : "";
        ssh_string_free_char(user);
        return name + "@" + server_;
    }

    void authenticate(const UploadOptions& options) {
        int rc = ssh_userauth_none(session_, nullptr);
        if (rc == SSH_AUTH_SUCCESS)
            return;
        if (rc == SSH_AUTH_ERROR)
            throw UploadError(FailureKind::Connection,
                              "cannot log in to " + server_ + ": " + error());
        int methods = ssh_userauth_list(session_, nullptr);
        if ((methods & SSH_AUTH_METHOD_PUBLICKEY) != 0) {
            if (!options.identityFile.empty()) {
                if (!FileExists(options.identityFile))
                    throw UploadError(FailureKind::Local,
                                      "the key file \"" + options.identityFile + "\" is not there");
                ssh_key key = nullptr;
                if (ssh_pki_import_privkey_file(options.identityFile.c_str(), nullptr,
                                                &Connection::askPassphrase, this, &key) != SSH_OK)
                    throw UploadError(FailureKind::Local,
                                      "cannot read the key file \"" + options.identityFile +
                                          "\" (no private key, or its passphrase was not given)");
                rc = ssh_userauth_publickey(session_, nullptr, key);
                ssh_key_free(key);
            } else {
                rc = ssh_userauth_publickey_auto(session_, nullptr, nullptr);
            }
            if (rc == SSH_AUTH_SUCCESS)
                return;
            if (rc == SSH_AUTH_ERROR)
                throw UploadError(FailureKind::Connection,
                                  "cannot log in to " + server_ + ": " + error());
            methods = ssh_userauth_list(session_, nullptr);
        }
        const int secretMethods = SSH_AUTH_METHOD_PASSWORD | SSH_AUTH_METHOD_INTERACTIVE;
        for (int attempt = 0; attempt < 3 && (methods & secretMethods) != 0; ++attempt) {
            const std::string who = account();
            const std::optional<std::string> password = observer_.password(who, attempt > 0);
            if (!password)
                break;
            rc = (methods & SSH_AUTH_METHOD_PASSWORD) != 0
                     ? ssh_userauth_password(session_, nullptr, password->c_str())
                     : answerPrompts(*password);
            if (rc == SSH_AUTH_SUCCESS) {
                observer_.passwordAccepted(who, *password);
                return;
            }
            if (rc == SSH_AUTH_ERROR)
                throw UploadError(FailureKind::Connection,
                                  "cannot log in to " + server_ + ": " + error());
            methods = ssh_userauth_list(session_, nullptr);
        }
        std::string offered;
        for (const auto& [bit, name] : {std::pair{SSH_AUTH_METHOD_PUBLICKEY, "publickey"},
                                        {SSH_AUTH_METHOD_PASSWORD, "password"},
                                        {SSH_AUTH_METHOD_INTERACTIVE, "keyboard-interactive"},
                                        {SSH_AUTH_METHOD_GSSAPI_MIC, "gssapi-with-mic"}}) {
            if ((methods & bit) != 0)
                offered += std::string(offered.empty() ? "" : ", ") + name;
        }
        const std::string who = account();
        throw UploadError(
            FailureKind::Authentication,
            server_ + " accepted none of the keys or passwords offered for the user " +
                who.substr(0, who.rfind('@')) +
                " (it takes: " + (offered.empty() ? "none that is offered" : offered) + ")");
    }

    // Keyboard-interactive log-ins ask for the password in prompts of their own.
    int answerPrompts(const std::string& password) {
        int rc = ssh_userauth_kbdint(session_, nullptr, nullptr);
        for (int rounds = 0; rc == SSH_AUTH_INFO && rounds < 8; ++rounds) {
            const int prompts = ssh_userauth_kbdint_getnprompts(session_);
            for (int i = 0; i < prompts; ++i) {
                char echo = 0;
                ssh_userauth_kbdint_getprompt(session_, static_cast<unsigned>(i), &echo);
                ssh_userauth_kbdint_setanswer(session_, static_cast<unsigned>(i),
                                              echo != 0 ? "" : password.c_str());
            }
            rc = ssh_userauth_kbdint(session_, nullptr, nullptr);
        }
        return rc;
    }

    // OpenSSH's rename that replaces an existing file atomically. This libssh has no call for
    // it, so the request goes on the SFTP channel as OpenSSH's client sends it; no other request
    // is outstanding meanwhile, so the reply is the next packet.
    // False when the server answers that it does not support the request.
    bool posixRenameRequest(const std::string& from, const std::string& to) {
        const auto u32 = [](std::string& out, std::uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8)
                out += static_cast<char>((v >> shift) & 0xff);
        };
        const auto str = [&](std::string& out, std::string_view s) {
            u32(out, static_cast<std::uint32_t>(s.size()));
            out += s;
        };
        const std::uint32_t id = ++sftp_->id_counter;
        std::string body(1, static_cast<char>(SSH_FXP_EXTENDED));
        u32(body, id);
        str(body, "posix-rename@openssh.com");
        str(body, from);
        str(body, to);
        std::string packet;
        u32(packet, static_cast<std::uint32_t>(body.size()));
        packet += body;
        const std::string failure =
            "cannot rename \"" + from + "\" to \"" + to + "\" on " + server_;
        if (ssh_channel_write(sftp_->channel, packet.data(),
                              static_cast<std::uint32_t>(packet.size())) !=
            static_cast<int>(packet.size()))
            throw UploadError(FailureKind::Connection, failure + ": " + error());
        const std::string reply = readPacket();
        const auto get = [&](std::size_t at) {
            std::uint32_t v = 0;
            for (std::size_t i = 0; i < 4; ++i)
                v = (v << 8) | static_cast<unsigned char>(reply[at + i]);
            return v;
        };
        if (reply.size() < 9 || reply[0] != static_cast<char>(SSH_FXP_STATUS) || get(1) != id)
            throw UploadError(FailureKind::Connection, failure + ": the server's reply is not one");
        const std::uint32_t status = get(5);
        if (status == SSH_FX_OK)
            return true;
        if (status == SSH_FX_OP_UNSUPPORTED)
            return false;
        std::string message;
        if (reply.size() >= 13) {
            const std::uint32_t length = get(9);
            message = reply.substr(13, std::min<std::size_t>(length, reply.size() - 13));
        }
        throw UploadError(FailureKind::Server,
                          failure + ": " + (message.empty() ? "refused" : message));
    }

    std::string readPacket() {
        const auto readExactly = [&](char* out, std::size_t n) {
            while (n > 0) {
                const int got = ssh_channel_read(sftp_->channel, out, static_cast<uint32_t>(n), 0);
                if (got <= 0)
                    throw UploadError(FailureKind::Connection,
                                      "the connection to " + server_ + " broke: " + error());
                out += got;
                n -= static_cast<std::size_t>(got);
            }
        };
        unsigned char header[4];
        readExactly(reinterpret_cast<char*>(header), 4);
        const std::uint32_t length = (std::uint32_t{header[0]} << 24) |
                                     (std::uint32_t{header[1]} << 16) |
                                     (std::uint32_t{header[2]} << 8) | header[3];
        if (length > 256 * 1024)
            throw UploadError(FailureKind::Connection, server_ + " sent an oversized reply");
        std::string payload(length, '\0');
        readExactly(payload.data(), length);
        return payload;
    }

    UploadObserver& observer_;
    ssh_session session_;
    sftp_session sftp_ = nullptr;
    ssh_callbacks_struct callbacks_{};
    std::string server_;
    std::string knownHostsName_;  // as known_hosts writes the server
    bool connected_ = false;
    bool posixRename_ = false;
    bool fsync_ = false;
};

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// Temporary files this upload made that are not renamed yet; removed however it ends.
class Temporaries {
public:
    explicit Temporaries(Connection& connection) : connection_(connection) {}
    ~Temporaries() {
        for (const std::string& path : paths_)
            connection_.removeQuietly(path);
    }
    Temporaries(const Temporaries&) = delete;
    Temporaries& operator=(const Temporaries&) = delete;
    void add(const std::string& path) { paths_.push_back(path); }
    void renamed(const std::string& path) { std::erase(paths_, path); }

private:
    Connection& connection_;
    std::vector<std::string> paths_;
};

}  // namespace

UploadResult UploadFolder(const Destination& destination, const std::string& localFolder,
                          const std::vector<std::string>& names, const UploadOptions& options,
                          UploadObserver& observer) {
    std::vector<LocalFile> local;
    std::uint64_t total = 0;
    const std::string base = localFolder.ends_with('/') ? localFolder : localFolder + "/";
    for (const std::string& name : names) {
        std::string bytes;
        try {
            bytes = ReadWholeFile(base + name);
        } catch (const std::exception& e) {
            throw UploadError(FailureKind::Local, e.what());
        }
        local.push_back({name, Sha256Hex(bytes), bytes.size()});
    }

    Connection connection(destination, options, observer);
    const std::string folder = destination.folder;
    connection.makeFolder(folder);
    observer.stage("Comparing with " + connection.server());
    const std::string manifestPath = Join(folder, std::string(kManifestName));
    const std::optional<std::string> manifestText = connection.read(manifestPath);
    std::optional<std::vector<ManifestEntry>> manifest;
    if (manifestText)
        manifest = ParseManifest(*manifestText);
    const UploadPlan plan = PlanUpload(local, manifest, connection.list(folder));
    for (const std::string& leftover : plan.leftovers)
        connection.removeQuietly(Join(folder, leftover));

    UploadResult result;
    result.unchanged = plan.unchanged;
    for (const LocalFile& f : local) {
        if (std::find(plan.send.begin(), plan.send.end(), f.name) != plan.send.end())
            total += f.size;
    }
    Temporaries temporaries(connection);
    std::vector<std::pair<std::string, std::string>> placed;  // temporary, target
    std::uint64_t sent = 0;
    observer.progress(0, total);
    for (const std::string& name : plan.send) {
        if (observer.cancelled())
            throw UploadError(FailureKind::Cancelled, "the upload was cancelled");
        observer.stage("Sending " + name);
        std::string bytes;
        try {
            bytes = ReadWholeFile(base + name);
        } catch (const std::exception& e) {
            throw UploadError(FailureKind::Local, e.what());
        }
        const std::string temporary = Join(folder, TemporaryName(name, RandomSuffix()));
        temporaries.add(temporary);
        connection.write(temporary, bytes, [&](std::size_t n) {
            sent += n;
            observer.progress(sent, total);
            if (observer.cancelled())
                throw UploadError(FailureKind::Cancelled, "the upload was cancelled");
        });
        placed.emplace_back(temporary, Join(folder, name));
        result.bytesSent += bytes.size();
    }
    if (observer.cancelled())
        throw UploadError(FailureKind::Cancelled, "the upload was cancelled");

    const auto writeManifest = [&](const std::vector<ManifestEntry>& entries) {
        const std::string temporary = Join(folder, TemporaryName(kManifestName, RandomSuffix()));
        temporaries.add(temporary);
        connection.write(temporary, FormatManifest(entries), [](std::size_t) {});
        connection.rename(temporary, manifestPath);
        temporaries.renamed(temporary);
    };
    // While files are replaced the server may hold either copy of each: the manifest says so
    // first, so that an upload cut short here never trusts a stale hash.
    const bool replacing =
        manifest && std::any_of(plan.send.begin(), plan.send.end(), [&](const std::string& n) {
            return std::any_of(manifest->begin(), manifest->end(),
                               [&](const ManifestEntry& e) { return e.name == n && !e.pending(); });
        });
    if (replacing)
        writeManifest(plan.pendingManifest);
    observer.stage("Putting the files in place");
    for (const auto& [temporary, target] : placed) {
        connection.rename(temporary, target);
        temporaries.renamed(temporary);
    }
    result.sent = plan.send;

    // Files of an earlier upload go; one that cannot stays listed, so a later upload tries again.
    std::vector<ManifestEntry> closing = plan.finalManifest;
    std::string removalFailure;
    for (const std::string& name : plan.remove) {
        try {
            connection.remove(Join(folder, name));
            result.removed.push_back(name);
        } catch (const UploadError& e) {
            if (e.kind() == FailureKind::Connection)
                throw;
            if (removalFailure.empty())
                removalFailure = e.what();
            for (const ManifestEntry& entry : plan.pendingManifest)
                if (entry.name == name)
                    closing.push_back(entry);
        }
    }
    if (!manifestText || FormatManifest(closing) != *manifestText)
        writeManifest(closing);
    if (!removalFailure.empty())
        throw UploadError(FailureKind::Server, removalFailure);
    return result;
}

std::vector<std::string> PublishForUpload(TzqxAppletAgent& agent, ItemTree& tree,
                                          const std::string& stagingFolder,
                                          const std::string& fileName) {
    namespace fs = std::filesystem;
    {
        // A staging folder is not the designer's: no record of what was published there.
        std::string records;
        std::swap(records, agent.PublishRecordsFolder);
        const auto restore = [&] { std::swap(records, agent.PublishRecordsFolder); };
        try {
            agent.SaveAndPublish(stagingFolder, fileName, tree);
        } catch (...) {
            restore();
            throw;
        }
        restore();
    }
    const std::string base = TzqxAppletAgent::PublishBaseName(fileName);
    PublishedNames kinds;
    kinds.page = base + ".html";
    kinds.projectFile = base + ".lvx";
    kinds.report = base + "_PublishReport.txt";
    kinds.configScript = agent.LinkedFiles[kConfigScriptEntry].FileName;
    kinds.styleSheet = agent.LinkedFiles[kStyleSheetEntry].FileName;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(stagingFolder)) {
        std::string name = entry.path().filename().string();
        // The web folder gets what the page needs: the project file holds the designer's own
        // paths and the server's address, and the report is the designer's.
        if (!entry.is_regular_file() || name == kinds.projectFile || name == kinds.report ||
            name.starts_with("."))
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return UploadOrder(std::move(names), kinds);
}

}  // namespace lumivex::upload
