// Photos for new items: which files of a folder are photos, the titles and capture times that
// their metadata gives (written with exiftool, so that the reader does not check itself), their
// order and the items made of them.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "PhotoImport.h"
#include "PhotoTestImages.h"
#include "SlideImageTestImages.h"
#include "TempFolder.h"
#include "Text.h"

namespace lumivex {
namespace {

using Tags = std::vector<std::pair<std::string, std::string>>;  // exiftool tag, value

bool haveExiftool() {
    static const bool have = std::system("exiftool -ver > /dev/null 2>&1") == 0;
    return have;
}

// A small JPEG carrying `tags`; the values pass through files, so that any bytes arrive.
void writePhoto(const std::string& path, const Tags& tags, const std::string& options = "") {
    testing::WriteFile(path, testing::MakeJpeg(testing::PhotoLike(32, 24)));
    if (tags.empty())
        return;
    std::string command = "exiftool -q -q -overwrite_original " + options;
    for (std::size_t k = 0; k < tags.size(); ++k) {
        const std::string value = path + ".value" + std::to_string(k);
        testing::WriteFile(value, tags[k].second);
        command += " '-" + tags[k].first + "<=" + value + "'";
    }
    ASSERT_EQ(std::system((command + " '" + path + "'").c_str()), 0) << command;
    for (std::size_t k = 0; k < tags.size(); ++k)
        std::filesystem::remove(path + ".value" + std::to_string(k));
}

class WithExiftool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveExiftool())
            GTEST_SKIP() << "exiftool is not installed (Debian libimage-exiftool-perl)";
    }
};

struct TitleCase {
    const char* file;
    Tags tags;
    const char* options;
    const char* title;
    const char* description = "";
};

void PrintTo(const TitleCase& c, std::ostream* os) {
    *os << c.file;
}

class PhotoTitle : public WithExiftool, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(PhotoTitle, ComesFromTheFirstSourceThatSaysSomething) {
    testing::TempFolder folder;
    writePhoto(folder.file(GetParam().file), GetParam().tags, GetParam().options);
    const std::vector<PhotoFacts> facts = ReadPhotoFacts({folder.file(GetParam().file)});
    ASSERT_EQ(facts.size(), 1u);
    EXPECT_EQ(facts[0].title, GetParam().title);
    EXPECT_EQ(facts[0].description, GetParam().description);
    EXPECT_EQ(facts[0].problem, "");
    EXPECT_EQ(facts[0].unreadable, "");
}

const std::string kExif = "EXIF:ImageDescription", kXmp = "XMP-dc:Description",
                  kIptc = "IPTC:Caption-Abstract";

INSTANTIATE_TEST_SUITE_P(
    Sources, PhotoTitle,
    ::testing::Values(
        TitleCase{"all.jpg", {{kExif, "Exif"}, {kXmp, "Xmp"}, {kIptc, "Iptc"}}, "", "Exif"},
        TitleCase{"xmp.jpg", {{kXmp, "Xmp"}, {kIptc, "Iptc"}}, "", "Xmp"},
        TitleCase{"iptc.jpg", {{kIptc, " Iptc "}}, "", "Iptc"},
        TitleCase{"blank.jpg", {{kExif, "   "}, {kXmp, " \r\n "}, {kIptc, "Iptc"}}, "", "Iptc"},
        TitleCase{"camera.jpg", {{kExif, "OLYMPUS DIGITAL CAMERA  "}, {kXmp, "Xmp"}}, "", "Xmp"},
        TitleCase{"default.jpg", {{kXmp + "-de", "Hafen"}, {kXmp, "Harbour"}}, "", "Harbour"},
        TitleCase{"german.jpg", {{kXmp + "-de", "Hafen"}}, "", "Hafen"},
        // A title of its own, and the description beside it.
        TitleCase{"titled.jpg",
                  {{"XMP-dc:Title", "Harbour"}, {kExif, "Boats at dusk"}, {kIptc, "Iptc"}},
                  "",
                  "Harbour",
                  "Boats at dusk"},
        TitleCase{"object.jpg",
                  {{"IPTC:ObjectName", "Pier"}, {"IPTC:Headline", "Head"}, {kIptc, "Caption"}},
                  "",
                  "Pier",
                  "Caption"},
        TitleCase{"headline.jpg", {{"IPTC:Headline", "Head"}}, "", "Head"},
        TitleCase{"lines.jpg",
                  {{kExif,
                    "Line one\r\nLine two\nthree\x1A"
                    "four #$@ five\r\n"}},
                  "",
                  "Line one Line two three four #@ five"},
        // Latin-1 bytes that would also be valid UTF-8 ("Ã©") are still Latin-1.
        TitleCase{"latin1.jpg", {{kIptc, "Café Ã©"}}, "", "Café Ã©"},
        TitleCase{"utf8.jpg", {{kIptc, "Grüße ✓"}}, "-IPTC:CodedCharacterSet=UTF8", "Grüße ✓"},
        TitleCase{"Harbour at dusk.jpeg",
                  {{"DateTimeOriginal", "2020:01:01 10:00:00"}},
                  "",
                  "Harbour at dusk"},
        TitleCase{"a#$@b.v2.jpg", {{"DateTimeOriginal", "2020:01:01 10:00:00"}}, "", "a#@b.v2"}));

// Phones write HEIC; its EXIF and XMP live in boxes of their own.
TEST_F(WithExiftool, HeicPhotosGiveTheirTitleAndTime) {
    testing::TempFolder folder;
    const std::string path = folder.file("IMG_0001.HEIC");
    testing::WriteFile(path, testing::MakeHeic(testing::Opaque(testing::PhotoLike(64, 48))));
    const std::string command =
        "exiftool -q -q -overwrite_original -XMP-dc:Description=Harbour "
        "'-DateTimeOriginal=2021:05:04 03:02:01' '" +
        path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<PhotoFacts> facts = ReadPhotoFacts({path});
    ASSERT_EQ(facts.size(), 1u);
    EXPECT_EQ(facts[0].title, "Harbour");
    EXPECT_TRUE(facts[0].captured.has_value()) << facts[0].problem;
    EXPECT_EQ(facts[0].unreadable, "");
}

TEST(PhotoTitleText, MakesOneSafeLine) {
    const std::string e = "\xC3\xA9";  // é
    std::string longText = "a";
    for (int k = 0; k < 3000; ++k)
        longText += e;
    std::string cut = "a";
    for (int k = 0; k < 999; ++k)  // 1 + 999 * 2 bytes: the next "é" would pass the limit
        cut += e;
    const std::pair<std::string, std::string> cases[] = {
        {"  plain \t", "plain"},
        {"a\r\nb\rc\nd\x1A\x1A"
         "e",
         "a b c d e"},
        {"#$@x#$@#$@", "#@x#@#@"},
        {"##$@@", "##@@"},
        {"Caf\xE9", "Caf" + e},  // not UTF-8: read as Windows-1252
        {"\r\n\t ", ""},
        {longText, cut},
        {std::string(kMaxPhotoTitleBytes - 1, 'x') + " " + e, std::string(1999, 'x')},
        // Separators, bidirectional overrides and isolates, C1 controls: blanks, runs as one.
        {"a\u2028b\u2029c\u202Ed\u202A\u2066e\u2069f\u0085g", "a b c d e f g"},
        {"\u202E\u2067", ""},
        {"\u2027\u202F\u2065\u206A", "\u2027\u202F\u2065\u206A"},  // their neighbours stay
    };
    for (const auto& [text, title] : cases)
        EXPECT_EQ(PhotoTitleText(text), title) << text.substr(0, 40);
}

struct Shot {
    const char* file;
    const char* taken;  // DateTimeOriginal, or "" for none
    const char* fraction;
};

struct OrderCase {
    const char* what;
    std::vector<Shot> shots;
    std::vector<std::string> order;
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << c.what;
}

class PhotoOrder : public WithExiftool, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(PhotoOrder, FollowsTheCaptureTimesWhenEveryPhotoHasOne) {
    testing::TempFolder folder;
    std::vector<std::string> paths;
    for (const Shot& shot : GetParam().shots) {
        Tags tags;
        if (*shot.taken != '\0')
            tags.emplace_back("DateTimeOriginal#", shot.taken);
        if (*shot.fraction != '\0')
            tags.emplace_back("SubSecTimeOriginal", shot.fraction);
        writePhoto(folder.file(shot.file), tags);
        paths.push_back(folder.file(shot.file));
    }
    std::vector<std::string> order;
    for (const PhotoFacts& photo : OrderPhotos(ReadPhotoFacts(paths)))
        order.push_back(FileNamePart(photo.path));
    EXPECT_EQ(order, GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(Times, PhotoOrder,
                         ::testing::Values(OrderCase{"ByTime",
                                                     {{"c.jpg", "2021:05:01 10:00:00", ""},
                                                      {"a.jpg", "2021:05:01 10:00:01", ""},
                                                      {"b.jpg", "2020:12:31 23:59:59", ""}},
                                                     {"b.jpg", "c.jpg", "a.jpg"}},
                                           // ".7" is later than ".25"; equal times go by name.
                                           OrderCase{"WithinASecond",
                                                     {{"img1.jpg", "2021:05:01 10:00:00", "7"},
                                                      {"img10.jpg", "2021:05:01 10:00:00", "25"},
                                                      {"img2.jpg", "2021:05:01 10:00:00", "25"}},
                                                     {"img2.jpg", "img10.jpg", "img1.jpg"}},
                                           OrderCase{"OneWithoutTime",
                                                     {{"img10.jpg", "2020:01:01 00:00:00", ""},
                                                      {"img2.jpg", "", ""},
                                                      {"img1.jpg", "2022:01:01 00:00:00", ""}},
                                                     {"img1.jpg", "img2.jpg", "img10.jpg"}},
                                           OrderCase{"UnsetClock",
                                                     {{"b.jpg", "0000:00:00 00:00:00", ""},
                                                      {"a.jpg", "2022:01:01 00:00:00", ""}},
                                                     {"a.jpg", "b.jpg"}}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(PhotoOrder, NamesInNaturalOrderThenWholePaths) {
    const std::vector<std::string> order = {"/p/a-1.jpg",
                                            "/p/A1.jpg",
                                            "/p/a2.jpg",
                                            "/p/img2.jpg",
                                            "/p/IMG10.jpg",
                                            "/p/img99999999999999999999.jpg",
                                            "/p/img100000000000000000000.jpg",
                                            "/p/x001.jpg",
                                            "/p/x01.jpg",
                                            "/p/x1.jpg",
                                            "/a/z.jpg",
                                            "/b/z.jpg"};
    std::vector<PhotoFacts> facts;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        facts.push_back(PhotoFacts{*it, "", std::nullopt, "", "", ""});
    // One capture time is not enough to order by time.
    facts.front().captured = CaptureTime{};
    std::vector<std::string> sorted;
    for (const PhotoFacts& photo : OrderPhotos(facts))
        sorted.push_back(photo.path);
    EXPECT_EQ(sorted, order);
}

TEST(PhotoFacts, UnreadableFilesGiveTheFileNameAndNoTimeInTheOrderAsked) {
    testing::TempFolder folder;
    const std::string jpeg =
        testing::WithMetadata(testing::MakeJpeg(testing::PhotoLike(32, 24)), testing::MakeExif(6));
    testing::WriteFile(folder.file("cut short.jpg"), jpeg.substr(0, 30));
    testing::WriteFile(folder.file("text.jpg"), "not a picture");
    testing::WriteFile(folder.file("empty.png"), "");
    ASSERT_EQ(::mkfifo(folder.file("pipe.jpg").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.file("folder.jpeg"));
    const std::vector<std::string> names = {"cut short.jpg", "text.jpg",    "empty.png",
                                            "pipe.jpg",      "folder.jpeg", "missing.jpg"};
    std::vector<std::string> paths;  // many, so that every worker takes some
    for (int round = 0; round < 10; ++round) {
        for (const std::string& name : names)
            paths.push_back(folder.file(name));
    }
    const std::vector<PhotoFacts> facts = ReadPhotoFacts(paths);
    ASSERT_EQ(facts.size(), paths.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        const std::string& name = names[k % names.size()];
        EXPECT_EQ(facts[k].path, paths[k]);
        EXPECT_EQ(facts[k].title, name.substr(0, name.rfind('.')));
        EXPECT_FALSE(facts[k].captured.has_value()) << name;
        EXPECT_NE(facts[k].problem, "") << name;
        EXPECT_NE(facts[k].unreadable.find('"' + paths[k] + '"'), std::string::npos)
            << facts[k].unreadable;
    }
}

TEST(PhotosInFolder, RegularPhotoFilesOfTheFolderOnly) {
    testing::TempFolder folder;
    for (const char* name :
         {"img10.jpg", "img2.JPG", "c.jpeg", "d.Png", "e.webp", "f.HEIC", "g.heif", "h.gif",
          "i.bmp", "j.AVIF", "notes.txt", "jpg", ".hidden.jpg"})
        testing::WriteFile(folder.file(name), "x");
    std::filesystem::create_directory(folder.file("sub"));
    testing::WriteFile(folder.file("sub/inner.jpg"), "x");
    std::filesystem::create_directory(folder.file("album.jpg"));
    std::filesystem::create_symlink("c.jpeg", folder.file("link.jpg"));
    std::filesystem::create_symlink("nowhere.jpg", folder.file("dangling.jpg"));
    std::filesystem::create_symlink("sub", folder.file("linked folder.jpg"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.jpg").c_str(), 0600), 0);
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder.file("socket.png");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(s);

    std::vector<std::string> expected;
    for (const char* name : {"c.jpeg", "d.Png", "e.webp", "f.HEIC", "g.heif", "h.gif", "i.bmp",
                             "img2.JPG", "img10.jpg", "j.AVIF", "link.jpg"})
        expected.push_back(folder.file(name));
    EXPECT_EQ(PhotosInFolder(folder.path().string()), expected);
    EXPECT_THROW(PhotosInFolder(folder.file("missing")), FileError);
}

TEST(PhotoItems, NewItemsWithTitleAndAbsolutePath) {
    const std::string cwd = std::filesystem::current_path().string();
    TItemData expected = TzqxAppletAgent::NewItemDefaults();
    expected.Title = "Harbour";
    expected.ToolTip = "Harbour";
    expected.LinkUrl = "";
    expected.Description = "Boats at dusk";
    expected.OriginalImagePath = cwd + "/photos/a.jpg";
    const TItemArray items =
        PhotoItems({{"photos/./old/../a.jpg", "Harbour", std::nullopt, "", "", "Boats at dusk"},
                    {"/b//c.png", "", std::nullopt, "", "", ""}});
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], expected);
    EXPECT_EQ(items[1].OriginalImagePath, "/b/c.png");
    for (const char* path : {"/p/a\nb.jpg", "/p/a\rb.jpg", "/p/a\x1A.jpg", "/p/a#$@b.jpg"})
        EXPECT_THROW(PhotoItems({{path, "t", std::nullopt, "", "", ""}}), EngineError) << path;
}

}  // namespace
}  // namespace lumivex
