// Log-ins with a password or keyboard-interactive prompts; once logged in, the upload stops at
// the test server's missing SFTP.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "PasswordServer.h"
#include "Upload.h"

namespace lumivex::upload {
namespace {

constexpr const char* kPassword = "right horse battery";

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
    PasswordServer server(c.method, kPassword);
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

// A server that takes the SFTP channel and then never answers: the upload ends at the time
// limit, or within a second of a cancel.
struct Stall {
    const char* name;
    double limitSeconds;
    int cancelAfterMs;  // -1: never
    FailureKind kind;
    const char* says;
};

void PrintTo(const Stall& stall, std::ostream* out) {
    *out << stall.name;
}

class StalledServer : public testing::TestWithParam<Stall> {};

TEST_P(StalledServer, EndsAtTheLimitOrSoonAfterACancel) {
    using Clock = std::chrono::steady_clock;
    const Stall& c = GetParam();
    const std::string folder = testing::TempDir() + "lumivex-stall-" + c.name;
    std::filesystem::create_directories(folder);
    PasswordServer server(SSH_AUTH_METHOD_PASSWORD, kPassword, true);
    ASSERT_NE(server.port(), 0);
    struct CancelLater : Answers {
        std::optional<Clock::time_point> at;
        bool cancelled() override { return at && Clock::now() >= *at; }
    } observer;
    observer.given = {kPassword};
    const Clock::time_point start = Clock::now();
    if (c.cancelAfterMs >= 0)
        observer.at = start + std::chrono::milliseconds(c.cancelAfterMs);
    try {
        UploadFolder({"me", "127.0.0.1", server.port(), "site"}, folder + "/", {},
                     {.identityFile = "", .sshFolder = folder, .timeLimitSeconds = c.limitSeconds},
                     observer);
        ADD_FAILURE() << "a server that never answers took the upload";
    } catch (const UploadError& e) {
        EXPECT_EQ(e.kind(), c.kind) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
    const auto expected = c.cancelAfterMs >= 0
                              ? std::chrono::milliseconds(c.cancelAfterMs)
                              : std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::duration<double>(c.limitSeconds));
    EXPECT_LT(Clock::now() - start, expected + std::chrono::seconds(2));
    std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, StalledServer,
    testing::Values(Stall{"time_limit", 1, -1, FailureKind::Connection,
                          "the server stopped answering"},
                    Stall{"cancel", 30, 300, FailureKind::Cancelled, "cancelled"}),
    [](const testing::TestParamInfo<Stall>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumivex::upload
