#pragma once

// A server made with libssh that takes only a password (or keyboard-interactive prompts) for one
// connection and then refuses every request, SFTP included: OpenSSH's server would need an
// account of the system for a password.
#include <arpa/inet.h>
#include <libssh/libssh.h>
#include <libssh/server.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <string>
#include <thread>
#include <utility>

namespace lumivex::upload {

// One connection: a password or keyboard-interactive log-in, then every request refused; or,
// when it `stalls`, the SFTP channel taken and never answered, as a server that hangs.
class PasswordServer {
public:
    PasswordServer(int method, std::string password, bool stalls = false)
        : method_(method), password_(std::move(password)), stalls_(stalls), bind_(ssh_bind_new()) {
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
        if (stalls_ && ssh_message_type(message) == SSH_REQUEST_CHANNEL_OPEN) {
            ssh_message_channel_request_open_reply_accept(message);
            return;
        }
        if (stalls_ && ssh_message_type(message) == SSH_REQUEST_CHANNEL) {
            ssh_message_channel_request_reply_success(message);
            return;
        }
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
        if (given != nullptr && given == password_) {
            ssh_message_auth_reply_success(message, 0);
            return;
        }
        ssh_message_auth_set_methods(message, method_);
        ssh_message_reply_default(message);
    }

    int method_;
    std::string password_;
    bool stalls_;
    ssh_bind bind_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace lumivex::upload
