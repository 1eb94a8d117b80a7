#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "Destination.h"
#include "KnownHosts.h"
#include "Manifest.h"
#include "Upload.h"

namespace lumivex::upload {
namespace {

const std::string kHashA(64, 'a');
const std::string kHashB(64, 'b');

TEST(Manifest, RoundTripsAndKeepsPendingEntries) {
    const std::vector<ManifestEntry> entries = {
        {"slider0.jpg", kHashA, 12}, {"with blank.html", kHashB, 0}, {"cfg.js", "", 0}};
    const auto back = ParseManifest(FormatManifest(entries));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, entries);
    EXPECT_TRUE((*back)[2].pending());
}

TEST(Manifest, LeavesOutNamesItCouldNotGiveBack) {
    const auto back = ParseManifest(FormatManifest(
        {{"../up.html", kHashA, 1}, {"a/b", kHashA, 1}, {"x\ny", kHashA, 1}, {"ok", kHashA, 1}}));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 1u);
    EXPECT_EQ((*back)[0].name, "ok");
}

// A damaged manifest is not trusted in any part, so nothing is removed on its word.
class DamagedManifest : public ::testing::TestWithParam<std::string> {};
TEST_P(DamagedManifest, IsRefusedWhole) {
    EXPECT_FALSE(ParseManifest(GetParam()));
}
INSTANTIATE_TEST_SUITE_P(
    Texts, DamagedManifest,
    ::testing::Values("", "# lumivex upload manifest 2\n", "# lumivex upload manifest 1",
                      "# lumivex upload manifest 1\n" + kHashA + " 12 a.jpg",  // cut short
                      "# lumivex upload manifest 1\n" + kHashA + " 12\n",
                      "# lumivex upload manifest 1\n" + kHashA.substr(1) + " 12 a.jpg\n",
                      "# lumivex upload manifest 1\n" + kHashA + " -1 a.jpg\n",
                      "# lumivex upload manifest 1\n" + kHashA + " 1x a.jpg\n",
                      "# lumivex upload manifest 1\n" + kHashA + " 1 ../../etc/passwd\n",
                      "# lumivex upload manifest 1\n" + kHashA + " 1 .lumivex-manifest\n",
                      "# lumivex upload manifest 1\n" + kHashA + " 1 .lumivex-lock\n",
                      "# lumivex upload manifest 1\n- - a.jpg\n- - a.jpg\n"));

TEST(Sha256, MatchesTheStandardVectors) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(UploadOrder, PutsEveryFileAfterTheFilesItNames) {
    const PublishedNames kinds{"Show.html", "Idcfg.js", "Id.css", "Show.lvx",
                               "Show_PublishReport.txt"};
    EXPECT_EQ(
        UploadOrder({"Show.html", "Idcfg.js", "Show_PublishReport.txt", "lumivex.js", "Id.css",
                     "slider0.jpg", "Show.lvx", "lumivex.min.js", "wait.gif", "slider0.avif"},
                    kinds),
        (std::vector<std::string>{"slider0.jpg", "wait.gif", "slider0.avif", "lumivex.js", "Id.css",
                                  "lumivex.min.js", "Show_PublishReport.txt", "Show.lvx",
                                  "Idcfg.js", "Show.html"}));
}

TEST(TemporaryName, IsHiddenAndRecognised) {
    const std::string name = TemporaryName("slider0.jpg", "Ab12cd");
    EXPECT_EQ(name, ".slider0.jpg.lumivex-tmp-Ab12cd");
    EXPECT_TRUE(IsTemporaryName(name));
    for (const char* other : {"slider0.jpg", ".lumivex-tmp-Ab12cd", ".a.lumivex-tmp-Ab12c",
                              ".a.lumivex-tmp-Ab12c!", "a.lumivex-tmp-Ab12cd", ".lumivex-manifest"})
        EXPECT_FALSE(IsTemporaryName(other)) << other;
}

// A row's `what` as a test name.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name = info.param.what;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

struct PlanRow {
    const char* what;
    std::vector<LocalFile> local;
    std::optional<std::vector<ManifestEntry>> manifest;
    std::vector<RemoteFile> remote;
    std::vector<std::string> send, remove, leftovers;
};

class Plan : public ::testing::TestWithParam<PlanRow> {};
TEST_P(Plan, SendsWhatDiffersAndRemovesOnlyWhatTheManifestLists) {
    const PlanRow& row = GetParam();
    const UploadPlan plan = PlanUpload(row.local, row.manifest, row.remote);
    EXPECT_EQ(plan.send, row.send);
    EXPECT_EQ(plan.remove, row.remove);
    EXPECT_EQ(plan.leftovers, row.leftovers);
    EXPECT_EQ(plan.unchanged + plan.send.size(), row.local.size());
    // The closing manifest lists exactly the published files, with their hashes; the one written
    // before the renames trusts none of the files being replaced.
    ASSERT_EQ(plan.finalManifest.size(), row.local.size());
    for (std::size_t i = 0; i < row.local.size(); ++i)
        EXPECT_EQ(plan.finalManifest[i].sha256, row.local[i].sha256);
    for (const ManifestEntry& e : plan.pendingManifest) {
        const bool sent = std::find(plan.send.begin(), plan.send.end(), e.name) != plan.send.end();
        EXPECT_EQ(e.pending(), sent) << e.name;
    }
}

const std::vector<LocalFile> kTwo = {{"s.jpg", kHashA, 10}, {"p.html", kHashB, 5}};
INSTANTIATE_TEST_SUITE_P(
    Rows, Plan,
    ::testing::Values(
        PlanRow{"first upload", kTwo, std::nullopt, {{"p.html", 5}}, {"s.jpg", "p.html"}, {}, {}},
        PlanRow{"unchanged",
                kTwo,
                std::vector<ManifestEntry>{{"s.jpg", kHashA, 10}, {"p.html", kHashB, 5}},
                {{"s.jpg", 10}, {"p.html", 5}},
                {},
                {},
                {}},
        PlanRow{"one changed",
                kTwo,
                std::vector<ManifestEntry>{{"s.jpg", kHashA, 10}, {"p.html", kHashA, 5}},
                {{"s.jpg", 10}, {"p.html", 5}},
                {"p.html"},
                {},
                {}},
        // The server's copy is not what the manifest says: the entry is not trusted.
        PlanRow{"size differs on the server",
                kTwo,
                std::vector<ManifestEntry>{{"s.jpg", kHashA, 10}, {"p.html", kHashB, 5}},
                {{"s.jpg", 9}, {"p.html", 5}},
                {"s.jpg"},
                {},
                {}},
        PlanRow{"missing on the server",
                kTwo,
                std::vector<ManifestEntry>{{"s.jpg", kHashA, 10}, {"p.html", kHashB, 5}},
                {{"p.html", 5}},
                {"s.jpg"},
                {},
                {}},
        PlanRow{"pending is never trusted",
                kTwo,
                std::vector<ManifestEntry>{{"s.jpg", "", 0}, {"p.html", kHashB, 5}},
                {{"s.jpg", 10}, {"p.html", 5}},
                {"s.jpg"},
                {},
                {}},
        PlanRow{"removed slide, foreign file and leftovers",
                kTwo,
                std::vector<ManifestEntry>{{"s.jpg", kHashA, 10},
                                           {"old.jpg", kHashA, 3},
                                           {"gone.jpg", kHashA, 3},
                                           {"p.html", kHashB, 5}},
                {{"s.jpg", 10},
                 {"old.jpg", 7},
                 {"mine.html", 1},
                 {".p.html.lumivex-tmp-abcdef", 2},
                 {"p.html", 5}},
                {},
                {"old.jpg"},
                {".p.html.lumivex-tmp-abcdef"}},
        // Without a manifest nothing is known to be the upload's own.
        PlanRow{"damaged manifest removes nothing",
                kTwo,
                std::nullopt,
                {{"s.jpg", 10}, {"old.jpg", 3}, {"p.html", 5}},
                {"s.jpg", "p.html"},
                {},
                {}}),
    RowName<PlanRow>);

struct AddressRow {
    const char* url;
    Destination want;  // host empty: refused
};

class Address : public ::testing::TestWithParam<AddressRow> {};
TEST_P(Address, IsReadOrRefused) {
    const AddressRow& row = GetParam();
    if (row.want.host.empty()) {
        EXPECT_THROW(ParseDestination(row.url), std::invalid_argument);
        return;
    }
    const Destination d = ParseDestination(row.url);
    EXPECT_EQ(d, row.want);
    EXPECT_EQ(ParseDestination(d.url()), d);
}
INSTANTIATE_TEST_SUITE_P(
    Urls, Address,
    ::testing::Values(AddressRow{"sftp://example.com/var/www", {"", "example.com", 0, "/var/www"}},
                      AddressRow{"SFTP://me@host:2222/srv/show", {"me", "host", 2222, "/srv/show"}},
                      AddressRow{"sftp://a%40b@[::1]:22/x%20y/", {"a@b", "::1", 22, "/x y/"}},
                      AddressRow{"sftp://h/~/public_html", {"", "h", 0, "public_html"}},
                      AddressRow{"sftp://h/~", {"", "h", 0, ""}}, AddressRow{"http://h/x", {}},
                      AddressRow{"sftp://h", {}}, AddressRow{"sftp://h/", {}},
                      AddressRow{"sftp://me:secret@h/x", {}}, AddressRow{"sftp://@h/x", {}},
                      AddressRow{"sftp://h:0/x", {}}, AddressRow{"sftp://h:65536/x", {}},
                      AddressRow{"sftp://h:22x/x", {}}, AddressRow{"sftp://-oProxyCommand=x/x", {}},
                      AddressRow{"sftp://[::1/x", {}}, AddressRow{"sftp://h/a%0Ab", {}},
                      AddressRow{"sftp://h/a%4", {}}));

TEST(Address, FromTheEditorsFields) {
    EXPECT_EQ(MakeDestination(" host:2200 ", "me", "~/www"),
              (Destination{"me", "host", 2200, "www"}));
    EXPECT_EQ(MakeDestination("[::1]", "", "/srv"), (Destination{"", "::1", 0, "/srv"}));
    EXPECT_THROW(MakeDestination("", "me", "/srv"), std::invalid_argument);
    EXPECT_THROW(MakeDestination("host", "me:pw", "/srv"), std::invalid_argument);
}

struct MarkerRow {
    const char* what;
    std::string knownHosts;
    bool revoked, certificateAuthority;
};

class KnownHostsMarkers : public ::testing::TestWithParam<MarkerRow> {};
TEST_P(KnownHostsMarkers, AreReadAsOpenSshReadsThem) {
    const HostKeyMarkers m = ReadHostKeyMarkers(GetParam().knownHosts, "AAAAshown");
    EXPECT_EQ(m.revoked, GetParam().revoked);
    EXPECT_EQ(m.certificateAuthority, GetParam().certificateAuthority);
}
INSTANTIATE_TEST_SUITE_P(
    Lines, KnownHostsMarkers,
    ::testing::Values(
        MarkerRow{"plain", "[h]:2222 ssh-ed25519 AAAAshown\n", false, false},
        MarkerRow{"revoked", "h ssh-ed25519 AAAAshown\n@revoked * ssh-ed25519 AAAAshown x\n", true,
                  false},
        MarkerRow{"revoked, blanks and CRLF", "  @revoked\t|1|a|b ssh-ed25519  AAAAshown\r\n", true,
                  false},
        MarkerRow{"another key revoked", "@revoked * ssh-ed25519 AAAAother\n", false, false},
        MarkerRow{"commented out", "#@revoked * ssh-ed25519 AAAAshown\n", false, false},
        MarkerRow{"cut short", "@revoked * ssh-ed25519\n", false, false},
        MarkerRow{"certificate authority", "@cert-authority *.example.com ssh-ed25519 AAAAca\n",
                  false, true}),
    RowName<MarkerRow>);

// The editor's Cancel reaches a connection that a server took but never answers.
TEST(Connecting, StopsAtOnceOnCancel) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    using Clock = std::chrono::steady_clock;
    struct CancelLater : UploadObserver {
        Clock::time_point at = Clock::now() + std::chrono::milliseconds(300);
        bool cancelled() override { return Clock::now() > at; }
    } observer;
    const Destination silent{"nobody", "127.0.0.1", ntohs(address.sin_port), "x"};
    const auto start = Clock::now();
    try {
        UploadFolder(silent, "/nonexistent/", {},
                     {.identityFile = "/nonexistent", .sshFolder = "/nonexistent"}, observer);
        ADD_FAILURE() << "connected to a server that never answered";
    } catch (const UploadError& e) {
        EXPECT_EQ(e.kind(), FailureKind::Cancelled) << e.what();
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    close(listener);
}

}  // namespace
}  // namespace lumivex::upload
