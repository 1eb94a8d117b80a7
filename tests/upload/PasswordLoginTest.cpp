// Log-ins with a password, against a server made here with libssh that takes only a password
// (or keyboard-interactive prompts) and then offers no SFTP: the test server OpenSSH runs as for
// the other cases takes keys only, since a password would need an account of the system.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <libssh/libssh.h>
#include <libssh/server.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "Upload.h"

namespace lumivex::upload {
namespace {

constexpr const char* kPassword = "right horse battery";

// One connection: a password or keyboard-interactive log-in, then every request refused.
class PasswordServer {
public:
    explicit PasswordServer(int method) : method_(method), bind_(ssh_bind_new()) {
        ssh_key key = nullptr;
        ssh_pki_generate(SSH_KEYTYPE_ED25519, 0, &key);
        ssh_bind_options_set(bind_, SSH_BIND_OPTIONS_IMPORT_KEY, key);
        ssh_bind_options_set(bind_, SSH_BIND_OPTIONS_BINDADDR, "127.0.0.1");
        ssh_bind_options_set(bind_, SSH_BIND_OPTIONS_BINDPORT_STR, "0");
        if (ssh_bind_listen(bind_) != SSH_OK)
            return;
        sockaddr_in address{};
        socklen_t length = sizeof address;
        getsockname(ssh_bind_get_fd(bind_), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~PasswordServer() {
        if (thread_.joinable())
            thread_.join();
        ssh_bind_free(bind_);
    }
    int port() const { return port_; }

private:
    void serve() {
        ssh_session session = ssh_new();
        if (ssh_bind_accept(bind_, session) == SSH_OK && ssh_handle_key_exchange(session) == SSH_OK)
            while (ssh_message message = ssh_message_get(session)) {
                answer(session, message);
                ssh_message_free(message);
            }
        ssh_disconnect(session);
        ssh_free(session);
    }
    void answer(ssh_session session, ssh_message message) {
        if (ssh_message_type(message) != SSH_REQUEST_AUTH) {
            ssh_message_reply_default(message);
            return;
        }
        const int asked = ssh_message_subtype(message);
        if (asked == SSH_AUTH_METHOD_INTERACTIVE && method_ == asked &&
            !ssh_message_auth_kbdint_is_response(message)) {
            const char* prompts[] = {"Password: "};
            char echo[] = {0};
            ssh_message_auth_interactive_request(message, "", "", 1, prompts, echo);
            return;
        }
        const char* given = nullptr;
        if (asked == SSH_AUTH_METHOD_INTERACTIVE && method_ == asked)
            given = ssh_userauth_kbdint_getanswer(session, 0);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (asked == SSH_AUTH_METHOD_PASSWORD && method_ == asked)
            given = ssh_message_auth_password(message);
#pragma GCC diagnostic pop
        if (given != nullptr && std::string(given) == kPassword) {
            ssh_message_auth_reply_success(message, 0);
            return;
        }
        ssh_message_auth_set_methods(message, method_);
        ssh_message_reply_default(message);
    }

    int method_;
    ssh_bind bind_;
    int port_ = 0;
    std::thread thread_;
};

// Answers the password questions in turn and trusts the server's key.
struct Answers : UploadObserver {
    std::vector<std::optional<std::string>> given;
    std::vector<bool> asked;  // `again` of each question
    std::string accepted;
    bool trustUnknownHostKey(const HostKey&) override { return true; }
    std::optional<std::string> password(const std::string&, bool again) override {
        asked.push_back(again);
        return asked.size() <= given.size() ? given[asked.size() - 1] : std::nullopt;
    }
    void passwordAccepted(const std::string& account, const std::string& password) override {
        accepted = account + " " + password;
    }
};

struct Login {
    const char* name;
    int method;
    std::vector<std::optional<std::string>> given;
    std::vector<bool> asked;
    bool loggedIn;
};

void PrintTo(const Login& login, std::ostream* out) {
    *out << login.name;
}

class PasswordLogin : public testing::TestWithParam<Login> {};

TEST_P(PasswordLogin, AsksAgainAfterAWrongOneAndKeepsOnlyTheAcceptedOne) {
    const Login& c = GetParam();
    const std::string folder = testing::TempDir() + "lumivex-password-" + c.name;
    std::filesystem::create_directories(folder);
    PasswordServer server(c.method);
    ASSERT_NE(server.port(), 0);
    Answers observer;
    observer.given = c.given;
    const Destination destination{"me", "127.0.0.1", server.port(), "site"};
    try {
        UploadFolder(destination, folder + "/", {}, {.identityFile = "", .sshFolder = folder},
                     observer);
        ADD_FAILURE() << "a server without SFTP took the upload";
    } catch (const UploadError& e) {
        // Logged in, the upload stops at the missing SFTP; otherwise at the log-in.
        EXPECT_EQ(e.kind(), c.loggedIn ? FailureKind::Server : FailureKind::Authentication)
            << e.what();
    }
    EXPECT_EQ(observer.asked, c.asked);
    const std::string account = "me@127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(observer.accepted, c.loggedIn ? account + " " + kPassword : "");
    std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, PasswordLogin,
    testing::Values(
        Login{"password", SSH_AUTH_METHOD_PASSWORD, {kPassword}, {false}, true},
        Login{
            "password_again", SSH_AUTH_METHOD_PASSWORD, {"wrong", kPassword}, {false, true}, true},
        Login{"password_three_wrong",
              SSH_AUTH_METHOD_PASSWORD,
              {"a", "b", "c", kPassword},
              {false, true, true},
              false},
        Login{"password_not_given", SSH_AUTH_METHOD_PASSWORD, {std::nullopt}, {false}, false},
        Login{"prompts", SSH_AUTH_METHOD_INTERACTIVE, {kPassword}, {false}, true},
        Login{"prompts_again",
              SSH_AUTH_METHOD_INTERACTIVE,
              {"wrong", kPassword},
              {false, true},
              true}),
    [](const testing::TestParamInfo<Login>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumivex::upload
