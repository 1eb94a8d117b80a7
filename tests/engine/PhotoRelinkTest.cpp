#include <gtest/gtest.h>

#include "PhotoRelink.h"
#include "TempFolder.h"

using namespace lumivex;
using lumivex::testing::TempFolder;
using lumivex::testing::WriteFile;

namespace {

struct RelinkCase {
    const char* name;
    // Files under the new folder ("path=bytes"), and the photo's old path.
    std::vector<const char*> files;
    const char* oldPath;
    const char* expected;  // relative to the new folder; empty: not found
};

class PhotoRelinkTest : public ::testing::TestWithParam<RelinkCase> {};

TEST_P(PhotoRelinkTest, FindsTheMovedPhoto) {
    const RelinkCase& c = GetParam();
    TempFolder folder;
    for (const std::string file : c.files) {
        const auto split = file.find('=');
        const std::filesystem::path path = folder.path() / file.substr(0, split);
        std::filesystem::create_directories(path.parent_path());
        WriteFile(path.string(), file.substr(split + 1));
    }
    TItemArray items(3);
    items[0].OriginalImagePath = c.oldPath;
    items[1].OriginalImagePath = folder.file("kept.jpg");  // present: left alone
    WriteFile(items[1].OriginalImagePath, "k");
    // items[2] has no photo at all

    const PhotoRelink relink = FindMissingPhotos(items, folder.slash());
    if (*c.expected == '\0') {
        EXPECT_TRUE(relink.found.empty());
        EXPECT_EQ(relink.notFound, std::vector<int>{0});
        return;
    }
    ASSERT_EQ(relink.found.size(), 1u);
    EXPECT_EQ(relink.found[0].index, 0);
    EXPECT_EQ(relink.found[0].path, folder.file(c.expected));
    EXPECT_TRUE(relink.notFound.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PhotoRelinkTest,
    ::testing::Values(
        RelinkCase{"InTheFolder", {"a.jpg=1", "sub/a.jpg=1"}, "/gone/x/a.jpg", "a.jpg"},
        RelinkCase{"InASubfolder", {"2024/trip/a.jpg=1"}, "/gone/a.jpg", "2024/trip/a.jpg"},
        RelinkCase{"TheFoldersThatMatch",
                   {"2023/trip/a.jpg=1", "2024/trip/a.jpg=22"},
                   "/home/me/Photos/2024/trip/a.jpg",
                   "2024/trip/a.jpg"},
        RelinkCase{
            "WindowsPath", {"trip/IMG_1.JPG=1"}, "C:\\Photos\\trip\\IMG_1.JPG", "trip/IMG_1.JPG"},
        RelinkCase{"SameCopiesTwice", {"x/a.jpg=1", "y/a.jpg=1"}, "/gone/a.jpg", "x/a.jpg"},
        RelinkCase{"DifferentFilesTie", {"x/a.jpg=1", "y/a.jpg=22"}, "/gone/a.jpg", ""},
        RelinkCase{"NameDiffers", {"A.jpg=1"}, "/gone/a.jpg", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PhotoRelink, AFolderThatIsNotThereFindsNothing) {
    TItemArray items(1);
    items[0].OriginalImagePath = "/gone/a.jpg";
    const PhotoRelink relink = FindMissingPhotos(items, "/nowhere/at/all/");
    EXPECT_TRUE(relink.found.empty());
    EXPECT_EQ(relink.notFound, std::vector<int>{0});
}

}  // namespace
