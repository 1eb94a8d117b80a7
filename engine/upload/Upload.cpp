#include "Upload.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "KnownHosts.h"
#include "RuntimeContract.h"
#include "SshLibrary.h"

namespace lumivex::upload {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
// A manifest larger than this is no manifest of ours.
constexpr std::size_t kMaxManifestBytes = 16u << 20;
constexpr std::size_t kMaxLockBytes = 4096;
constexpr std::size_t kMaxListing = 1000000;
constexpr double kDefaultTimeLimitSeconds = 30;
// Renewed this often while an upload holds it, well inside kLockStaleSeconds.
constexpr auto kLockRenewal = std::chrono::seconds(60);

using Clock = std::chrono::steady_clock;
// After a cancel everything, tidying up included, ends within a second: a call the server
// leaves unanswered is cut after the grace, and no tidying starts after the budget.
constexpr auto kCancelGrace = std::chrono::milliseconds(500);
constexpr auto kCancelBudget = std::chrono::milliseconds(900);
// Tidying up over a new connection after the old one was cut off is worth this much at most,
// all of it.
constexpr auto kTidyLimit = std::chrono::seconds(5);

Clock::duration TimeLimit(const UploadOptions& options) {
    double seconds = options.timeLimitSeconds;
    if (seconds <= 0) {
        const char* text = std::getenv("LUMIVEX_UPLOAD_TIMEOUT");
        char* end = nullptr;
        seconds = text != nullptr ? std::strtod(text, &end) : 0;
        if (text == nullptr || end == text || *end != '\0' || !(seconds > 0) || seconds > 86400)
            seconds = kDefaultTimeLimitSeconds;
    }
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string SecondsText(Clock::duration d) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::chrono::duration<double>(d).count());
    return text;
}

std::string RandomSuffix(int length = 6) {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
    std::string out;
    for (int i = 0; i < length; ++i)
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

// What the server says of a path.
struct RemoteEntry {
    bool exists = false;
    bool regular = false;
    std::uint64_t size = 0;
    std::optional<std::int64_t> mtime;  // by the server's clock
};

// The SSH connection, authenticated, with its SFTP channel. Each call that waits on the server
// is watched from a thread of its own: one left unanswered for the time limit, or past a
// cancel, has its socket shut down, which ends the call at once; the connection is then dead.
class Connection {
public:
    Connection(const Destination& d, const UploadOptions& options, UploadObserver& observer,
               Clock::duration limit, Clock::duration cancelGrace)
        : observer_(observer), session_(Ssh().ssh_new()), limit_(limit), cancelGrace_(cancelGrace) {
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
        if (Ssh().ssh_options_parse_config(session_, nullptr) != SSH_OK)
            throw UploadError(FailureKind::Local, "cannot read the SSH configuration: " + error());
        if (!d.user.empty())
            set(SSH_OPTIONS_USER, d.user.c_str());
        if (d.port != 0)
            set(SSH_OPTIONS_PORT, &d.port);
        knownHostsName_ = knownHostsName(d.host);
        const long timeout = std::max(
            1L, static_cast<long>(std::chrono::ceil<std::chrono::seconds>(limit_).count()));
        set(SSH_OPTIONS_TIMEOUT, &timeout);
        // Each SFTP write waits for its reply: with Nagle's delay every chunk would wait for
        // the previous acknowledgement as well.
        const int noDelay = 1;
        set(SSH_OPTIONS_NODELAY, &noDelay);
        callbacks_.userdata = this;
        callbacks_.auth_function = &Connection::askPassphrase;
        ssh_callbacks_init(&callbacks_);
        Ssh().ssh_set_callbacks(session_, &callbacks_);

        observer_.stage("Connecting to " + server_);
        connect();
        startWatching();
        checkHostKey();
        authenticate(options);
        sftp_ = call([&] { return Ssh().sftp_new(session_); });
        if (sftp_ == nullptr || call([&] { return Ssh().sftp_init(sftp_); }) != SSH_OK)
            throw UploadError(FailureKind::Server, server_ + " offers no SFTP: " + error());
        posixRename_ = Ssh().sftp_extension_supported(sftp_, "posix-rename@openssh.com", "1") != 0;
        fsync_ = Ssh().sftp_extension_supported(sftp_, "fsync@openssh.com", "1") != 0;
    }
    void close() {
        {
            // A server that stops answering now is cut off as at any other moment.
            Busy busy(*this);
            if (sftp_ != nullptr)
                Ssh().sftp_free(sftp_);
            if (connected_)
                Ssh().ssh_disconnect(session_);
        }
        stopWatching();
        Ssh().ssh_free(session_);
    }

public:
    // The folder, made with its missing parents.
    void makeFolder(const std::string& folder) {
        if (folder.empty() || isFolder(folder))
            return;
        for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
            const std::string part = folder.substr(0, at);
            if (!part.empty() && !part.ends_with('/') && !isFolder(part) &&
                call([&] { return Ssh().sftp_mkdir(sftp_, part.c_str(), 0755); }) != SSH_OK &&
                !isFolder(part))
                fail("cannot create the folder", part);
            if (at == std::string::npos)
                break;
        }
    }

    // The regular files of the folder with their sizes.
    std::vector<RemoteFile> list(const std::string& folder) {
        const std::string path = folder.empty() ? "." : folder;
        sftp_dir dir = call([&] { return Ssh().sftp_opendir(sftp_, path.c_str()); });
        if (dir == nullptr)
            fail("cannot list the folder", path);
        std::vector<RemoteFile> files;
        try {
            for (std::size_t listed = 0;; ++listed) {
                sftp_attributes a = call([&] { return Ssh().sftp_readdir(sftp_, dir); });
                if (a == nullptr)
                    break;
                if (a->type == SSH_FILEXFER_TYPE_REGULAR && a->name != nullptr)
                    files.push_back({a->name, a->size});
                Ssh().sftp_attributes_free(a);
                // A listing that never ends would take all memory.
                if (listed > kMaxListing)
                    throw UploadError(FailureKind::Server, "the folder \"" + path + "\" on " +
                                                               server_ +
                                                               " lists more files than a web "
                                                               "folder holds");
            }
        } catch (...) {
            if (cut())
                Ssh().sftp_closedir(dir);  // it only frees
            else
                try {
                    call([&] { return Ssh().sftp_closedir(dir); });
                } catch (const UploadError&) {
                }
            throw;
        }
        const bool complete = Ssh().sftp_dir_eof(dir) != 0;
        call([&] { return Ssh().sftp_closedir(dir); });
        if (!complete)
            fail("cannot list the folder", path);
        return files;
    }

    RemoteEntry lstat(const std::string& path) {
        sftp_attributes a = call([&] { return Ssh().sftp_lstat(sftp_, path.c_str()); });
        RemoteEntry entry;
        if (a == nullptr) {
            if (Ssh().sftp_get_error(sftp_) != SSH_FX_NO_SUCH_FILE)
                fail("cannot look at", path);
            return entry;
        }
        entry.exists = true;
        entry.regular = a->type == SSH_FILEXFER_TYPE_REGULAR;
        entry.size = a->size;
        if ((a->flags & SSH_FILEXFER_ATTR_ACMODTIME) != 0)
            entry.mtime = a->mtime;
        Ssh().sftp_attributes_free(a);
        return entry;
    }

    // The whole file, or nothing when there is none, or it is too large to be ours, or no
    // regular file: opening a pipe or a device there would wait, or read, for ever.
    std::optional<std::string> read(const std::string& path, std::size_t maxBytes) {
        const RemoteEntry entry = lstat(path);
        if (!entry.regular || entry.size > maxBytes)
            return std::nullopt;
        sftp_file file = call([&] { return Ssh().sftp_open(sftp_, path.c_str(), O_RDONLY, 0); });
        if (file == nullptr) {
            if (Ssh().sftp_get_error(sftp_) == SSH_FX_NO_SUCH_FILE)
                return std::nullopt;
            fail("cannot open", path);
        }
        std::string bytes;
        bool tooLarge = false;
        try {
            char buffer[kChunk];
            for (;;) {
                const ssize_t n =
                    call([&] { return Ssh().sftp_read(file, buffer, sizeof buffer); });
                if (n < 0)
                    fail("cannot read", path);
                if (n == 0)
                    break;
                bytes.append(buffer, static_cast<std::size_t>(n));
                if ((tooLarge = bytes.size() > maxBytes))
                    break;
            }
        } catch (...) {
            closeQuietly(file);
            throw;
        }
        call([&] { return Ssh().sftp_close(file); });
        if (tooLarge)
            return std::nullopt;
        return bytes;
    }

    // A new file `path` holding `bytes`, left open for rewrites; nullptr when `path` is taken.
    sftp_file create(const std::string& path, std::string_view bytes) {
        sftp_file file = call([&] {
            return Ssh().sftp_open(sftp_, path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        });
        if (file == nullptr) {
            if (lstat(path).exists)
                return nullptr;
            fail("cannot create", path);
        }
        try {
            rewrite(file, path, bytes);
        } catch (...) {
            closeQuietly(file);
            throw;
        }
        return file;
    }
    // Writes `bytes` at the start of an open file again; the server's clock dates it.
    void rewrite(sftp_file file, const std::string& path, std::string_view bytes) {
        if (Ssh().sftp_seek64(file, 0) != 0 ||
            call([&] { return Ssh().sftp_write(file, bytes.data(), bytes.size()); }) !=
                static_cast<ssize_t>(bytes.size()))
            fail("cannot write", path);
    }
    // On a connection that is cut off this only frees the handle.
    void closeQuietly(sftp_file file) {
        if (cut()) {
            Ssh().sftp_close(file);
            return;
        }
        try {
            call([&] { return Ssh().sftp_close(file); });
        } catch (const UploadError&) {
        }
    }

    // Writes `bytes` as a new file `path`; `sent` is called after each chunk and may throw to
    // stop (the caller removes the file).
    template <typename OnChunk>
    void write(const std::string& path, std::string_view bytes, OnChunk sent) {
        sftp_file file = call([&] {
            return Ssh().sftp_open(sftp_, path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        });
        if (file == nullptr)
            fail("cannot create", path);
        try {
            for (std::size_t at = 0; at < bytes.size();) {
                const std::size_t n = std::min(kChunk, bytes.size() - at);
                if (call([&] { return Ssh().sftp_write(file, bytes.data() + at, n); }) !=
                    static_cast<ssize_t>(n))
                    fail("cannot write", path);
                at += n;
                sent(n);
            }
            // On the server's disk before it is renamed over the old copy.
            if (fsync_ && call([&] { return Ssh().sftp_fsync(file); }) != SSH_OK)
                fail("cannot write", path);
        } catch (...) {
            closeQuietly(file);
            throw;
        }
        if (call([&] { return Ssh().sftp_close(file); }) != SSH_OK)
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
        const bool replacing = lstat(to).exists;
        if (replacing && !plainRename(to, aside))
            fail("cannot rename", to);
        if (!plainRename(from, to)) {
            const std::string why = error();
            if (replacing)
                plainRename(aside, to);
            throw UploadError(FailureKind::Server, "cannot rename \"" + from + "\" to \"" + to +
                                                       "\" on " + server_ + ": " + why);
        }
        if (replacing)
            removeQuietly(aside);
    }
    // SFTP's own rename, which never replaces a file.
    bool plainRename(const std::string& from, const std::string& to) {
        return call([&] { return Ssh().sftp_rename(sftp_, from.c_str(), to.c_str()); }) == SSH_OK;
    }

    void remove(const std::string& path) {
        if (call([&] { return Ssh().sftp_unlink(sftp_, path.c_str()); }) != SSH_OK &&
            Ssh().sftp_get_error(sftp_) != SSH_FX_NO_SUCH_FILE)
            fail("cannot remove", path);
    }
    bool removeQuietly(const std::string& path) {
        return call([&] { return Ssh().sftp_unlink(sftp_, path.c_str()); }) == SSH_OK;
    }

    const std::string& server() const { return server_; }
    // Cut off because the server stopped answering or after a cancel: nothing more goes over it.
    bool cut() {
        std::lock_guard lock(watchMutex_);
        return cut_ != Cut::None;
    }
    bool alive() { return !cut() && Ssh().ssh_is_connected(session_) != 0; }
    // When the user cancelled, as the connection first saw it.
    std::optional<Clock::time_point> cancelSeen() {
        std::lock_guard lock(watchMutex_);
        return cancelSeen_;
    }
    // What logged in, for another connection to tidy up with when this one is cut off.
    const std::optional<std::string>& acceptedPassword() const { return password_; }
    const std::optional<std::string>& givenPassphrase() const { return passphrase_; }

private:
    template <typename T>
    void set(ssh_options_e option, const T* value) {
        if (Ssh().ssh_options_set(session_, option, value) != SSH_OK)
            throw UploadError(FailureKind::Local, "cannot set up the SSH session: " + error());
    }

    std::string error() const {
        std::string text = Ssh().ssh_get_error(session_);
        return text.empty() ? "unknown error" : text;
    }

    // Runs one call that waits on the server under the watch.
    template <typename Call>
    auto call(Call waiting) -> decltype(waiting()) {
        throwIfCut();
        Busy busy(*this);
        auto result = waiting();
        busy.end();
        throwIfCut();
        return result;
    }

    enum class Cut { None, Stalled, Cancelled };

    class Busy {
    public:
        explicit Busy(Connection& c) : c_(c) {
            std::lock_guard lock(c_.watchMutex_);
            c_.busy_ = true;
            c_.busySince_ = Clock::now();
        }
        ~Busy() { end(); }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
        void end() {
            if (ended_)
                return;
            ended_ = true;
            std::lock_guard lock(c_.watchMutex_);
            c_.busy_ = false;
        }

    private:
        Connection& c_;
        bool ended_ = false;
    };

    // While the user is asked for a secret, the server is not what is awaited.
    class Asking {
    public:
        explicit Asking(Connection& c) : c_(c) {
            std::lock_guard lock(c_.watchMutex_);
            was_ = c_.busy_;
            c_.busy_ = false;
        }
        ~Asking() {
            std::lock_guard lock(c_.watchMutex_);
            c_.busy_ = was_;
            c_.busySince_ = Clock::now();
        }
        Asking(const Asking&) = delete;
        Asking& operator=(const Asking&) = delete;

    private:
        Connection& c_;
        bool was_ = false;
    };

    void startWatching() {
        // A descriptor of its own to shut the socket down with: libssh may close its own, and
        // the system give the number to another file.
        cutFd_ = ::dup(Ssh().ssh_get_fd(session_));
        watchdog_ = std::thread([this] { watch(); });
    }
    void stopWatching() {
        if (!watchdog_.joinable())
            return;
        {
            std::lock_guard lock(watchMutex_);
            stopWatch_ = true;
        }
        watchWake_.notify_all();
        watchdog_.join();
        if (cutFd_ >= 0)
            ::close(cutFd_);
    }
    void watch() {
        std::unique_lock lock(watchMutex_);
        while (!stopWatch_) {
            watchWake_.wait_for(lock, std::chrono::milliseconds(50));
            const Clock::time_point now = Clock::now();
            if (!cancelSeen_ && observer_.cancelled())
                cancelSeen_ = now;
            if (!busy_ || cut_ != Cut::None)
                continue;
            if (now - busySince_ >= limit_)
                cut_ = Cut::Stalled;
            else if (cancelSeen_ && now - *cancelSeen_ >= cancelGrace_)
                cut_ = Cut::Cancelled;
            if (cut_ != Cut::None && cutFd_ >= 0)
                ::shutdown(cutFd_, SHUT_RDWR);
        }
    }
    void throwIfCut() {
        Cut cut = Cut::None;
        {
            std::lock_guard lock(watchMutex_);
            cut = cut_;
        }
        if (cut == Cut::Cancelled)
            throw UploadError(FailureKind::Cancelled, "the upload was cancelled");
        if (cut == Cut::Stalled)
            throw UploadError(FailureKind::Connection, "the server stopped answering: " + server_ +
                                                           " left a request " + "unanswered for " +
                                                           SecondsText(limit_) + " seconds");
    }

    [[noreturn]] void fail(const std::string& what, const std::string& path) {
        throwIfCut();
        std::string why = error();
        if (why.starts_with("SFTP server: "))
            why.erase(0, 13);
        const bool lost = Ssh().ssh_is_connected(session_) == 0;
        throw UploadError(lost ? FailureKind::Connection : FailureKind::Server,
                          what + " \"" + path + "\" on " + server_ + ": " + why);
    }

    bool isFolder(const std::string& path) {
        sftp_attributes a = call([&] { return Ssh().sftp_stat(sftp_, path.c_str()); });
        const bool folder = a != nullptr && a->type == SSH_FILEXFER_TYPE_DIRECTORY;
        if (a != nullptr)
            Ssh().sftp_attributes_free(a);
        return folder;
    }

    void checkHostKey() {
        ssh_key key = nullptr;
        if (Ssh().ssh_get_server_publickey(session_, &key) != SSH_OK)
            throw UploadError(FailureKind::Connection, server_ + " showed no host key: " + error());
        HostKey shown{server_, Ssh().ssh_key_type_to_char(Ssh().ssh_key_type(key)), {}};
        unsigned char* hash = nullptr;
        size_t length = 0;
        const int hashed =
            Ssh().ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length);
        char* blob = nullptr;
        const std::string base64 =
            Ssh().ssh_pki_export_pubkey_base64(key, &blob) == SSH_OK && blob != nullptr ? blob : "";
        Ssh().ssh_string_free_char(blob);
        Ssh().ssh_key_free(key);
        if (hashed != SSH_OK)
            throw UploadError(FailureKind::Connection, "cannot hash the host key: " + error());
        char* fingerprint = Ssh().ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
        Ssh().ssh_clean_pubkey_hash(&hash);
        shown.fingerprint = fingerprint != nullptr ? fingerprint : "";
        Ssh().ssh_string_free_char(fingerprint);
        const std::string key_text = shown.type + " key " + shown.fingerprint;

        // libssh reads neither marker of OpenSSH's known_hosts: a revoked key is refused here,
        // as OpenSSH refuses it, and a server known only through a certificate authority is
        // told apart from one not known at all.
        const HostKeyMarkers markers = readMarkers(base64);
        if (markers.revoked)
            throw UploadError(FailureKind::HostKeyChanged,
                              "the host key of " + server_ + " (" + key_text +
                                  ") is marked @revoked in known_hosts. Nothing was sent.");
        switch (Ssh().ssh_session_is_known_server(session_)) {
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
                    if (Ssh().ssh_session_update_known_hosts(session_) != SSH_OK)
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

    HostKeyMarkers readMarkers(const std::string& base64) {
        HostKeyMarkers found;
        std::vector<std::string> files{"/etc/ssh/ssh_known_hosts"};
        char* user = nullptr;
        if (Ssh().ssh_options_get(session_, SSH_OPTIONS_KNOWNHOSTS, &user) == SSH_OK &&
            user != nullptr)
            files.insert(files.begin(), user);
        Ssh().ssh_string_free_char(user);
        for (const std::string& file : files) {
            std::string text;
            try {
                text = ReadWholeFile(file, 16u << 20);
            } catch (const EngineError&) {
                continue;  // none, or unreadable: libssh says what it makes of it
            }
            const HostKeyMarkers marks = ReadHostKeyMarkers(text, base64);
            found.revoked = found.revoked || marks.revoked;
            found.certificateAuthority = found.certificateAuthority || marks.certificateAuthority;
        }
        return found;
    }

    static int askPassphrase(const char* prompt, char* buffer, size_t length, int, int,
                             void* self) {
        auto& connection = *static_cast<Connection*>(self);
        std::optional<std::string> answer;
        {
            Asking asking(connection);
            answer = connection.observer_.passphrase(prompt);
        }
        if (!answer || answer->size() >= length)
            return -1;
        connection.passphrase_ = answer;
        std::memcpy(buffer, answer->c_str(), answer->size() + 1);
        return 0;
    }

    // Without blocking, so that a cancel need not wait for a server that never answers.
    void connect() {
        Ssh().ssh_set_blocking(session_, 0);
        const auto deadline = Clock::now() + limit_;
        int rc = SSH_AGAIN;
        while ((rc = Ssh().ssh_connect(session_)) == SSH_AGAIN) {
            if (observer_.cancelled())
                throw UploadError(FailureKind::Cancelled, "the upload was cancelled");
            if (Clock::now() > deadline)
                throw UploadError(FailureKind::Connection, "cannot connect to " + server_ +
                                                               ": no answer within " +
                                                               SecondsText(limit_) + " seconds");
            // The server's next words, or a look again after a moment.
            pollfd socket{Ssh().ssh_get_fd(session_), POLLIN, 0};
            if (socket.fd == SSH_INVALID_SOCKET)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            else
                ::poll(&socket, 1, 50);
        }
        Ssh().ssh_set_blocking(session_, 1);
        if (rc != SSH_OK)
            throw UploadError(FailureKind::Connection,
                              "cannot connect to " + server_ + ": " + error());
        connected_ = true;
    }

    // The server as known_hosts writes it: ~/.ssh/config may give it another name or port.
    std::string knownHostsName(const std::string& fallback) const {
        char* configured = nullptr;
        Ssh().ssh_options_get(session_, SSH_OPTIONS_HOST, &configured);
        const std::string host = configured != nullptr ? configured : fallback;
        Ssh().ssh_string_free_char(configured);
        unsigned int port = 22;
        Ssh().ssh_options_get_port(session_, &port);
        return port != 22 ? "[" + host + "]:" + std::to_string(port) : host;
    }

    std::string account() const {
        char* user = nullptr;
        Ssh().ssh_options_get(session_, SSH_OPTIONS_USER, &user);
        std::string name = user != nullptr ? user : "";
        Ssh().ssh_string_free_char(user);
        return name + "@" + server_;
    }

    void authenticate(const UploadOptions& options) {
        int rc = call([&] { return Ssh().ssh_userauth_none(session_, nullptr); });
        if (rc == SSH_AUTH_SUCCESS)
            return;
        if (rc == SSH_AUTH_ERROR)
            throw UploadError(FailureKind::Connection,
                              "cannot log in to " + server_ + ": " + error());
        int methods = Ssh().ssh_userauth_list(session_, nullptr);
        if ((methods & SSH_AUTH_METHOD_PUBLICKEY) != 0) {
            if (!options.identityFile.empty()) {
                if (!FileExists(options.identityFile))
                    throw UploadError(FailureKind::Local,
                                      "the key file \"" + options.identityFile + "\" is not there");
                ssh_key key = nullptr;
                if (Ssh().ssh_pki_import_privkey_file(options.identityFile.c_str(), nullptr,
                                                      &Connection::askPassphrase, this,
                                                      &key) != SSH_OK)
                    throw UploadError(FailureKind::Local,
                                      "cannot read the key file \"" + options.identityFile +
                                          "\" (no private key, or its passphrase was not given)");
                try {
                    rc = call([&] { return Ssh().ssh_userauth_publickey(session_, nullptr, key); });
                } catch (...) {
                    Ssh().ssh_key_free(key);
                    throw;
                }
                Ssh().ssh_key_free(key);
            } else {
                rc = call(
                    [&] { return Ssh().ssh_userauth_publickey_auto(session_, nullptr, nullptr); });
            }
            if (rc == SSH_AUTH_SUCCESS)
                return;
            if (rc == SSH_AUTH_ERROR)
                throw UploadError(FailureKind::Connection,
                                  "cannot log in to " + server_ + ": " + error());
            methods = Ssh().ssh_userauth_list(session_, nullptr);
        }
        const int secretMethods = SSH_AUTH_METHOD_PASSWORD | SSH_AUTH_METHOD_INTERACTIVE;
        for (int attempt = 0; attempt < 3 && (methods & secretMethods) != 0; ++attempt) {
            const std::string who = account();
            const std::optional<std::string> password = observer_.password(who, attempt > 0);
            if (!password)
                break;
            rc = (methods & SSH_AUTH_METHOD_PASSWORD) != 0 ? call([&] {
                return Ssh().ssh_userauth_password(session_, nullptr, password->c_str());
            })
                                                           : answerPrompts(*password);
            if (rc == SSH_AUTH_SUCCESS) {
                password_ = password;
                observer_.passwordAccepted(who, *password);
                return;
            }
            if (rc == SSH_AUTH_ERROR)
                throw UploadError(FailureKind::Connection,
                                  "cannot log in to " + server_ + ": " + error());
            methods = Ssh().ssh_userauth_list(session_, nullptr);
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
        int rc = call([&] { return Ssh().ssh_userauth_kbdint(session_, nullptr, nullptr); });
        for (int rounds = 0; rc == SSH_AUTH_INFO && rounds < 8; ++rounds) {
            const int prompts = Ssh().ssh_userauth_kbdint_getnprompts(session_);
            for (int i = 0; i < prompts; ++i) {
                char echo = 0;
                Ssh().ssh_userauth_kbdint_getprompt(session_, static_cast<unsigned>(i), &echo);
                Ssh().ssh_userauth_kbdint_setanswer(session_, static_cast<unsigned>(i),
                                                    echo != 0 ? "" : password.c_str());
            }
            rc = call([&] { return Ssh().ssh_userauth_kbdint(session_, nullptr, nullptr); });
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
        if (call([&] {
                return Ssh().ssh_channel_write(sftp_->channel, packet.data(),
                                               static_cast<std::uint32_t>(packet.size()));
            }) != static_cast<int>(packet.size()))
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
                const int got = call([&] {
                    return Ssh().ssh_channel_read(sftp_->channel, out, static_cast<uint32_t>(n), 0);
                });
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
    std::optional<std::string> password_;
    std::optional<std::string> passphrase_;

    const Clock::duration limit_;
    const Clock::duration cancelGrace_;
    std::mutex watchMutex_;
    std::condition_variable watchWake_;
    std::thread watchdog_;
    int cutFd_ = -1;
    bool stopWatch_ = false;
    bool busy_ = false;
    Clock::time_point busySince_ = Clock::now();
    std::optional<Clock::time_point> cancelSeen_;
    Cut cut_ = Cut::None;
};

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// The folder's lock as this upload holds it.
struct HeldLock {
    std::string path;
    std::string text;
    std::string token;
    sftp_file file = nullptr;  // open on the connection that took it, for renewals
    Clock::time_point renewed;
};

// What this upload left on the server that must go however it ends.
struct Upkeep {
    std::vector<std::string> temporaries;
    std::optional<HeldLock> lock;
};

std::string LockField(std::string_view text, std::string_view field) {
    const std::string start = std::string(field) + ": ";
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (line.starts_with(start)) {
            // Another's words, shown in a message: printable and short.
            std::string value;
            for (char c : line.substr(start.size()))
                if (c >= 0x20 && c < 0x7f && value.size() < 120)
                    value += c;
            return value;
        }
        at = end + 1;
    }
    return {};
}

// user@host of this process, as a lock names its owner.
std::string LockOwner() {
    std::string user;
    if (const passwd* account = ::getpwuid(::geteuid()); account != nullptr)
        user = account->pw_name;
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return user + "@" + host;
}

// A lock of this user on this computer whose process is gone was left by an upload that was
// killed or cut off from its server: no need to wait for it to go stale.
bool OwnerGone(std::string_view text) {
    const std::string owner = LockField(text, "owner");
    const std::string mine = LockOwner() + ", process ";
    if (!owner.starts_with(mine) || mine.ends_with("@localhost, process "))
        return false;
    const std::string pid = owner.substr(mine.size());
    return !pid.empty() && pid.size() < 10 &&
           pid.find_first_not_of("0123456789") == std::string::npos &&
           !ProcessIsAlive(std::stol(pid));
}

std::string LockText(const std::string& token) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char since[32];
    std::strftime(since, sizeof since, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return "lumivex upload lock\nowner: " + LockOwner() + ", process " +
           std::to_string(::getpid()) + "\nsince: " + since + "\ntoken: " + token + "\n";
}

std::string FolderText(const std::string& folder) {
    return folder.empty() ? std::string("the login folder") : "\"" + folder + "\"";
}

// The server's clock now: the time it gives a file made for the purpose.
std::optional<std::int64_t> ServerNow(Connection& c, const std::string& folder, Upkeep& upkeep) {
    const std::string probe = Join(folder, TemporaryName(kLockName, RandomSuffix()));
    upkeep.temporaries.push_back(probe);
    std::optional<std::int64_t> now;
    if (sftp_file file = c.create(probe, "now\n")) {
        c.closeQuietly(file);
        now = c.lstat(probe).mtime;
        c.removeQuietly(probe);
    }
    std::erase(upkeep.temporaries, probe);
    return now;
}

// Takes the folder's lock with an exclusive create, or refuses while another upload holds it.
// A lock not renewed for kLockStaleSeconds by the server's clock, or one whose owner is known
// gone, is moved aside and taken; one that another upload took meanwhile is put back.
void TakeLock(Connection& c, const std::string& folder, UploadObserver& observer, Upkeep& upkeep) {
    const std::string path = Join(folder, std::string(kLockName));
    const std::string token = RandomSuffix(20);
    const std::string where = FolderText(folder) + " on " + c.server();
    const auto busy = [&](const std::string& held) {
        std::string who = LockField(held, "owner");
        if (const std::string since = LockField(held, "since"); !since.empty())
            who += (who.empty() ? "since " : ", since ") + since;
        return UploadError(
            FailureKind::Server,
            "another upload to " + where + " is running" + (who.empty() ? "" : " (" + who + ")") +
                ", so nothing was changed. Try again once it has ended; a lock (" +
                std::string(kLockName) + ") not renewed for " +
                std::to_string(kLockStaleSeconds / 60) +
                " minutes is taken as left by an upload that was killed or cut off.");
    };
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::string text = LockText(token);
        if (sftp_file file = c.create(path, text)) {
            upkeep.lock = HeldLock{path, text, token, file, Clock::now()};
            return;
        }
        const RemoteEntry held = c.lstat(path);
        if (!held.exists)
            continue;  // its upload ended meanwhile
        if (!held.regular)
            throw UploadError(FailureKind::Server, "\"" + path + "\" on " + c.server() +
                                                       " is no file, so the folder cannot be "
                                                       "locked for the upload. Nothing was "
                                                       "changed.");
        const std::string heldText = c.read(path, kMaxLockBytes).value_or("");
        const bool gone = OwnerGone(heldText);
        const std::optional<std::int64_t> now = gone ? std::nullopt : ServerNow(c, folder, upkeep);
        const bool stale = gone || (now && held.mtime && *now - *held.mtime > kLockStaleSeconds);
        if (!stale)
            throw busy(heldText);
        const std::string aside = Join(folder, TemporaryName(kLockName, RandomSuffix()));
        upkeep.temporaries.push_back(aside);
        if (c.plainRename(path, aside)) {
            const std::string moved = c.read(aside, kMaxLockBytes).value_or("");
            if (moved != heldText) {
                if (c.plainRename(aside, path))
                    std::erase(upkeep.temporaries, aside);
                throw busy(moved);
            }
            observer.stage("Taking over the lock of an upload that ended without removing it");
            c.removeQuietly(aside);
        }
        std::erase(upkeep.temporaries, aside);
    }
    throw UploadError(FailureKind::Server,
                      "cannot lock " + where + ": other uploads keep taking the lock");
}

// Keeps the lock fresh through a long upload; the server dates the rewrite.
void RenewLock(Connection& c, HeldLock& lock) {
    if (Clock::now() - lock.renewed < kLockRenewal)
        return;
    c.rewrite(lock.file, lock.path, lock.text);
    lock.renewed = Clock::now();
}

bool StillOurs(Connection& c, const HeldLock& lock) {
    return LockField(c.read(lock.path, kMaxLockBytes).value_or(""), "token") == lock.token;
}

// Only files of this upload go, and the lock only while it is still this upload's.
void ReleaseLock(Connection& c, Upkeep& upkeep, bool sameConnection) {
    HeldLock& lock = *upkeep.lock;
    if (sameConnection && lock.file != nullptr)
        c.closeQuietly(lock.file);
    lock.file = nullptr;
    if (StillOurs(c, lock))
        c.remove(lock.path);
    upkeep.lock.reset();
}

void Tidy(Connection& c, Upkeep& upkeep, bool sameConnection) {
    for (auto at = upkeep.temporaries.begin(); at != upkeep.temporaries.end();) {
        try {
            c.removeQuietly(*at);
            at = upkeep.temporaries.erase(at);
        } catch (const UploadError&) {
            ++at;
        }
    }
    if (upkeep.lock) {
        try {
            ReleaseLock(c, upkeep, sameConnection);
        } catch (const UploadError&) {
        }
    }
}

// Tidies up over a connection of its own: it asks nothing, logs in as the first did, and gives
// up once a cancel's second is over, or its own time.
class TidyObserver final : public UploadObserver {
public:
    TidyObserver(UploadObserver& user, const Connection& first,
                 std::optional<Clock::time_point> cancelSeen)
        : user_(user),
          password_(first.acceptedPassword()),
          passphrase_(first.givenPassphrase()),
          cancelSeen_(cancelSeen),
          deadline_(Clock::now() + kTidyLimit) {}
    void stage(const std::string& text) override { user_.stage(text); }
    bool cancelled() override {
        if (Clock::now() >= deadline_)
            return true;
        if (!user_.cancelled())
            return false;
        std::lock_guard lock(mutex_);
        if (!cancelSeen_)
            cancelSeen_ = Clock::now();
        return Clock::now() - *cancelSeen_ >= kCancelBudget;
    }
    std::optional<std::string> password(const std::string&, bool again) override {
        return again ? std::nullopt : password_;
    }
    std::optional<std::string> passphrase(const std::string&) override { return passphrase_; }

private:
    UploadObserver& user_;
    std::optional<std::string> password_;
    std::optional<std::string> passphrase_;
    std::mutex mutex_;
    std::optional<Clock::time_point> cancelSeen_;
    const Clock::time_point deadline_;
};

// After a failure or a cancel: the temporary files and the lock go, over a new connection when
// the first was cut off. Never raises.
void TidyUp(Connection& connection, Upkeep& upkeep, const Destination& destination,
            const UploadOptions& options, UploadObserver& observer, Clock::duration limit) {
    if (!connection.cut())
        Tidy(connection, upkeep, true);
    // What the server itself refused to remove, a new connection would not remove either.
    if ((upkeep.temporaries.empty() && !upkeep.lock) || connection.alive())
        return;
    if (upkeep.lock && upkeep.lock->file != nullptr) {
        connection.closeQuietly(upkeep.lock->file);
        upkeep.lock->file = nullptr;
    }
    try {
        TidyObserver quiet(observer, connection, connection.cancelSeen());
        if (quiet.cancelled())
            return;
        Connection again(destination, options, quiet, std::min<Clock::duration>(limit, kTidyLimit),
                         Clock::duration::zero());
        Tidy(again, upkeep, false);
    } catch (const std::exception&) {
        // The server cannot be reached again: the lock goes stale, and the next upload takes
        // it and the temporary files away.
    }
}

UploadResult Send(Connection& connection, const std::string& folder, const std::string& base,
                  const std::vector<LocalFile>& local, UploadObserver& observer, Upkeep& upkeep) {
    connection.makeFolder(folder);
    // Before anything of the folder is read or changed: another upload's files are not ours.
    TakeLock(connection, folder, observer, upkeep);
    HeldLock& lock = *upkeep.lock;
    const auto stillLocked = [&] {
        if (!StillOurs(connection, lock))
            throw UploadError(FailureKind::Server,
                              "another upload took the lock of " + FolderText(folder) + " on " +
                                  connection.server() +
                                  " while this one ran: the folder may hold files of both. "
                                  "Upload again.");
    };
    observer.stage("Comparing with " + connection.server());
    const std::string manifestPath = Join(folder, std::string(kManifestName));
    const std::optional<std::string> manifestText =
        connection.read(manifestPath, kMaxManifestBytes);
    std::optional<std::vector<ManifestEntry>> manifest;
    if (manifestText)
        manifest = ParseManifest(*manifestText);
    const UploadPlan plan = PlanUpload(local, manifest, connection.list(folder));
    for (const std::string& leftover : plan.leftovers)
        connection.removeQuietly(Join(folder, leftover));

    UploadResult result;
    result.unchanged = plan.unchanged;
    std::uint64_t total = 0;
    for (const LocalFile& f : local) {
        if (std::find(plan.send.begin(), plan.send.end(), f.name) != plan.send.end())
            total += f.size;
    }
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
        upkeep.temporaries.push_back(temporary);
        connection.write(temporary, bytes, [&](std::size_t n) {
            sent += n;
            observer.progress(sent, total);
            if (observer.cancelled())
                throw UploadError(FailureKind::Cancelled, "the upload was cancelled");
            RenewLock(connection, lock);
        });
        placed.emplace_back(temporary, Join(folder, name));
        result.bytesSent += bytes.size();
    }
    if (observer.cancelled())
        throw UploadError(FailureKind::Cancelled, "the upload was cancelled");

    const auto writeManifest = [&](const std::vector<ManifestEntry>& entries) {
        const std::string temporary = Join(folder, TemporaryName(kManifestName, RandomSuffix()));
        upkeep.temporaries.push_back(temporary);
        connection.write(temporary, FormatManifest(entries), [](std::size_t) {});
        connection.rename(temporary, manifestPath);
        std::erase(upkeep.temporaries, temporary);
    };
    stillLocked();
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
        std::erase(upkeep.temporaries, temporary);
        RenewLock(connection, lock);
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
            if (e.kind() == FailureKind::Connection || e.kind() == FailureKind::Cancelled)
                throw;
            if (removalFailure.empty())
                removalFailure = e.what();
            for (const ManifestEntry& entry : plan.pendingManifest)
                if (entry.name == name)
                    closing.push_back(entry);
        }
    }
    stillLocked();
    if (!manifestText || FormatManifest(closing) != *manifestText)
        writeManifest(closing);
    ReleaseLock(connection, upkeep, true);
    if (!removalFailure.empty())
        throw UploadError(FailureKind::Server, removalFailure);
    return result;
}

}  // namespace

UploadResult UploadFolder(const Destination& destination, const std::string& localFolder,
                          const std::vector<std::string>& names, const UploadOptions& options,
                          UploadObserver& observer) {
    std::vector<LocalFile> local;
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

    const Clock::duration limit = TimeLimit(options);
    Connection connection(destination, options, observer, limit, kCancelGrace);
    Upkeep upkeep;
    try {
        return Send(connection, destination.folder, base, local, observer, upkeep);
    } catch (...) {
        TidyUp(connection, upkeep, destination, options, observer, limit);
        throw;
    }
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
