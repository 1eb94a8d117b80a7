// The slide image cache's size limit: least recently used entries go, never one in use; and
// damaged entries are written again.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "AgentFixture.h"
#include "SlideImageTestImages.h"
#include "SmallFileSystem.h"
#include "TempFolder.h"
#include "image/SlideImageCache.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;
using image::SlideImageCache;

struct LimitVariable {
    explicit LimitVariable(const char* value) {
        ::setenv(SlideImageCache::kLimitVariable, value, 1);
    }
    ~LimitVariable() { ::unsetenv(SlideImageCache::kLimitVariable); }
};

class CacheLimit : public ::testing::Test {
protected:
    // Entry i: original "i.jpg", a picture of 2000 bytes; a 5000-byte limit holds two.
    std::string key(const SlideImageCache& cache, int i) const {
        const std::string original = originals.file(std::to_string(i) + ".jpg");
        if (!fs::exists(original))
            testing::WriteFile(original, "x");
        return cache.KeyFor(original, 400, 300, image::PictureKind::Jpeg, image::Rgb{});
    }
    void store(const SlideImageCache& cache, int i) const {
        cache.Store(
            key(cache, i),
            image::SlidePicture{image::PictureKind::Jpeg, {10, 10}, std::string(2000, 'a'), {}});
    }
    // Entry files by the original they hold ("" once gone), aged by the given seconds.
    std::string entry(int i) const {
        const std::string k = key(SlideImageCache(folder.slash()), i);
        for (const auto& e : fs::directory_iterator(folder.path())) {
            if (testing::ReadFile(e.path().string()).find(k) != std::string::npos)
                return e.path().string();
        }
        return "";
    }
    void age(int i, int seconds) const {
        fs::last_write_time(entry(i),
                            fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
    }

    testing::TempFolder originals, folder;
    LimitVariable limit{"5000"};
};

TEST_F(CacheLimit, LeastRecentlyUsedGoButNotThoseInUseOrBeingWritten) {
    {
        const SlideImageCache build(folder.slash());
        EXPECT_EQ(build.limit(), 5000u);
        for (int i : {0, 1, 2})
            store(build, i);
        build.Trim();  // a build keeps what it wrote, even past the limit
    }
    EXPECT_FALSE(entry(0).empty() || entry(1).empty() || entry(2).empty());
    age(0, 400), age(1, 300), age(2, 200);
    // Another process reads entry 0 (a shared lock); another writes under a temporary name; a
    // writer that died long ago left one behind; a foreign file.
    const int reader = ::open(entry(0).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(reader, LOCK_SH), 0);
    const std::string writing = folder.file(".0123456789abcdef.slide.Ab12Cd");
    const std::string stale = folder.file(".fedcba9876543210.slide.Zz99Yy");
    testing::WriteFile(writing, std::string(9000, 'w'));
    testing::WriteFile(stale, "s");
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(2));
    testing::WriteFile(folder.file("notes.txt"), "mine");
    {
        // Finding entry 1 makes it recent; storing entry 3 puts the folder past the limit.
        const SlideImageCache build(folder.slash());
        ASSERT_TRUE(build.Find(key(build, 1)).has_value());
        store(build, 3);
        build.Trim();
    }
    EXPECT_FALSE(entry(0).empty());  // being read, although least recent
    EXPECT_TRUE(entry(2).empty());   // least recent of the others
    EXPECT_FALSE(entry(1).empty() || entry(3).empty());
    EXPECT_TRUE(fs::exists(writing) && fs::exists(folder.file("notes.txt")));
    EXPECT_FALSE(fs::exists(stale));
    ::close(reader);
}

TEST_F(CacheLimit, DamagedEntriesAreIgnoredAndRewritten) {
    const SlideImageCache build(folder.slash());
    store(build, 0);
    const std::string path = entry(0), good = testing::ReadFile(path);
    for (const std::string& damaged : {good.substr(0, good.size() - 1), good.substr(0, 30),
                                       good.substr(0, good.size() - 1) + "b"}) {
        testing::WriteFile(path, damaged);
        EXPECT_FALSE(build.Find(key(build, 0)).has_value());
        store(build, 0);
        EXPECT_EQ(testing::ReadFile(path), good);
    }
}

TEST_F(CacheLimit, EveryBuildThatAddsEntriesKeepsTheLimit) {
    store(SlideImageCache(folder.slash()), 0);  // from another project, an hour ago
    age(0, 3600);
    const LimitVariable smaller("3000");
    testing::AgentHarness h;
    h.agent.ImageCacheFolder = folder.slash();
    h.agent.AppletData.SlideShowWidth = "40";
    h.agent.AppletData.SlideShowHeight = "30";
    testing::WriteFile(originals.file("photo.jpg"), testing::MakeJpeg(testing::PhotoLike(80, 60)));
    h.tree.addChild(h.tree.root(), "Item");
    h.agent.Items.push_back(TzqxAppletAgent::NewItemDefaults());
    h.agent.Items[0].OriginalImagePath = originals.file("photo.jpg");
    h.agent.PrepareSlideImages();
    EXPECT_TRUE(entry(0).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(CacheKey, EachKindHasItsOwnEntryAndTheBackgroundCountsWhereItCanShow) {
    testing::TempFolder originals, folder;
    const std::string original = originals.file("photo");
    testing::WriteFile(original, "x");
    const SlideImageCache cache(folder.slash());
    using image::PictureKind;
    const image::Rgb red{255, 0, 0}, green{0, 255, 0};
    std::set<std::string> keys;
    for (PictureKind kind : {PictureKind::Jpeg, PictureKind::Gif, PictureKind::Bmp,
                             PictureKind::Png, PictureKind::Webp, PictureKind::Heic}) {
        const int number = static_cast<int>(kind);
        const std::string key = cache.KeyFor(original, 400, 300, kind, red);
        EXPECT_EQ(key, cache.KeyFor(original, 400, 300, kind, red)) << number;
        const bool transparent = kind != PictureKind::Jpeg && kind != PictureKind::Bmp;
        EXPECT_EQ(key != cache.KeyFor(original, 400, 300, kind, green), transparent) << number;
        keys.insert(key);
        const std::string bytes = "slide of kind " + std::to_string(number);
        cache.Store(key, image::SlidePicture{kind, {10, 10}, bytes, {}});
        const std::optional<image::SlidePicture> found = cache.Find(key);
        ASSERT_TRUE(found.has_value()) << number;
        EXPECT_EQ(found->kind, kind);
        EXPECT_EQ(found->encoded, bytes);
    }
    EXPECT_EQ(keys.size(), 6u);
}

TEST(CacheLimitDefault, IsTheLargerOf256MiBAndTwoPercentOfTheFreeSpace) {
    testing::TempFolder folder;
    const LimitVariable junk("12 MB");  // not a number of bytes: the default
    const std::uint64_t free = fs::space(folder.path()).available;
    // Tests running beside this one change the free space a little while it is read.
    EXPECT_NEAR(static_cast<double>(SlideImageCache(folder.file("not/made/yet")).limit()),
                static_cast<double>(std::max<std::uint64_t>(256ull << 20, free / 50)), 1 << 20);
}

TEST(CacheLimitDefault, NeverFillsASmallFileSystem) {
    testing::SmallFileSystem disk(2048);
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small file system";
    // The default limit (256 MiB) is far above the disk; a quarter of the room is what it keeps.
    const SlideImageCache cache(disk.slash());
    testing::TempFolder originals;
    for (int i = 0; i < 40; ++i) {
        const std::string original = originals.file(std::to_string(i) + ".jpg");
        testing::WriteFile(original, "x");
        cache.Store(
            cache.KeyFor(original, 400, 300, image::PictureKind::Jpeg, image::Rgb{}),
            image::SlidePicture{image::PictureKind::Jpeg, {10, 10}, std::string(50'000, 'a'), {}});
    }
    cache.Trim();
    std::uint64_t cached = 0;
    for (const auto& e : fs::directory_iterator(disk.slash()))
        cached += fs::file_size(e.path());
    const std::uint64_t free = fs::space(disk.slash()).available;
    EXPECT_GT(cached, 0u);
    EXPECT_LE(cached, (free + cached) / 4);
}

}  // namespace
}  // namespace lumivex
