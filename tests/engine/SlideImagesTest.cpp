#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "AgentFixture.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "PhotoTestImages.h"
#include "SlideImageTestImages.h"
#include "image/Image.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;
using image::Rgb;
using testing::ReadFile;
using testing::WriteFile;

struct FaultHookGuard {
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

class SlideImages : public ::testing::Test {
protected:
    // Adds an item node and its item, with the given original.
    void addItem(const std::string& original) {
        h.tree.addChild(h.tree.root(), "caption " + std::to_string(h.agent.Items.size()));
        TItemData item = TzqxAppletAgent::NewItemDefaults();
        item.Level = "0";
        item.OriginalImagePath = original;
        h.agent.Items.push_back(item);
    }
    std::string write(const std::string& name, const std::string& bytes) {
        WriteFile(originals.file(name), bytes);
        return originals.file(name);
    }
    std::string preview(const std::string& name) const { return h.agent.PreviewFolder() + name; }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (auto node : h.tree.itemNodes())
            out.push_back(h.tree.caption(node));
        return out;
    }

    testing::AgentHarness h;
    testing::TempFolder originals;
};

TEST_F(SlideImages, ScalesEachOriginalIntoTheBoxAndNamesItByPosition) {
    const std::string jpeg = write("photo.JPEG", testing::MakeJpeg(testing::PhotoLike(800, 600)));
    addItem(" " + jpeg + "\t");  // blanks around the path are ignored
    addItem(write("tall.jpg", testing::MakeJpeg(testing::PhotoLike(500, 1000))));
    addItem(write("small.gif",
                  testing::MakeGif(100, 50, {Rgb{1, 2, 3}, Rgb{200, 100, 0}},
                                   {{0, 0, 100, 50, std::vector<std::uint8_t>(5000, 1)}})));
    addItem(write("pic.bmp", image::EncodeBmp(testing::PhotoLike(40, 30))));
    h.agent.PrepareSlideImages();

    const TItemArray& items = h.agent.Items;
    EXPECT_EQ(items[0].SlideImageFile, "slider0.jpg");
    EXPECT_EQ(items[0].ImageWidth, "400");
    EXPECT_EQ(items[0].ImageHeight, "300");
    EXPECT_EQ(items[1].SlideImageFile, "slider1.jpg");
    EXPECT_EQ(items[1].ImageWidth, "150");
    EXPECT_EQ(items[1].ImageHeight, "300");
    EXPECT_EQ(items[2].SlideImageFile, "slider2.gif");
    EXPECT_EQ(items[2].ImageWidth, "400");
    EXPECT_EQ(items[2].ImageHeight, "200");
    EXPECT_EQ(items[3].SlideImageFile, "slider3.bmp");
    // The build leaves the captions as they are: they show the titles.
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"caption 0", "caption 1", "caption 2", "caption 3"}));
    EXPECT_EQ(h.agent.PreviewCopies,
              (TStringArray{"slider0.jpg", "slider1.jpg", "slider2.gif", "slider3.bmp"}));

    const std::string first = ReadFile(preview("slider0.jpg"));
    const image::DecodedPicture d = image::DecodeJpeg(image::Source{"x", &first}, [](int w, int h) {
        return image::Size{w, h};
    });
    EXPECT_EQ(d.declaredWidth, 400);
    EXPECT_EQ(d.declaredHeight, 300);
    const std::string gif = ReadFile(preview("slider2.gif"));
    EXPECT_EQ(gif.substr(0, 3), "GIF");
    const image::DecodedPicture g = image::DecodeGif(image::Source{"x", &gif}, Rgb{});
    EXPECT_EQ(testing::PixelAt(g.pixels, 200, 100), (Rgb{200, 100, 0}));
    EXPECT_EQ(ReadFile(preview("slider3.bmp")).substr(0, 2), "BM");
    // Nothing is left behind in the program folder, and the originals are untouched.
    for (const char* name : {"slider0.jpg", "slider1.jpg", "slider2.gif", "slider3.bmp"}) {
        EXPECT_FALSE(fs::exists(h.programFolder.file(name))) << name;
    }
    EXPECT_EQ(ReadFile(jpeg), testing::MakeJpeg(testing::PhotoLike(800, 600)));
}

// The preview keeps a slide it staged before while the cache has no picture of it for the new
// box, and takes the new one once the background has made it; a moved slide, or a publish,
// never keeps one.
TEST_F(SlideImages, ThePreviewKeepsStagedSlidesUntilTheCacheHasThem) {
    testing::TempFolder cache;
    h.agent.ImageCacheFolder = cache.slash();
    addItem(write("wide.jpg", testing::MakeJpeg(testing::PhotoLike(800, 600))));
    addItem(write("tall.jpg", testing::MakeJpeg(testing::PhotoLike(600, 800))));
    h.agent.PrepareSlideImages();
    const std::string before = ReadFile(preview("slider0.jpg"));

    h.agent.DeferUncachedSlides = true;
    h.agent.AppletData.SlideShowWidth = "200";
    h.agent.PrepareSlideImages();
    EXPECT_EQ(h.agent.PendingSlides.size(), 2u);
    EXPECT_EQ(ReadFile(preview("slider0.jpg")), before);
    EXPECT_EQ(h.agent.Items[0].ImageWidth, "400");
    const std::atomic<bool> stop{false};
    MakePendingSlides(h.agent.PendingSlides, h.agent.ImageCacheFolder, stop);
    h.agent.PrepareSlideImages();
    EXPECT_TRUE(h.agent.PendingSlides.empty());
    EXPECT_EQ(h.agent.Items[0].ImageWidth, "200");
    EXPECT_NE(ReadFile(preview("slider0.jpg")), before);

    // Moved, the first slide is made at once; the other, away from view, has no picture until
    // it is made behind, not the one of the item that was there.
    h.agent.AppletData.SlideShowWidth = "300";
    std::swap(h.agent.Items[0], h.agent.Items[1]);
    h.agent.PrepareSlideImages();
    ASSERT_EQ(h.agent.PendingSlides.size(), 1u);
    EXPECT_EQ(h.agent.PendingSlides[0].item, 1u);
    EXPECT_EQ(h.agent.Items[0].ImageWidth, "225");
    EXPECT_EQ(h.agent.Items[1].SlideImageFile, "slider1.jpg");
    EXPECT_FALSE(fs::exists(preview("slider1.jpg")));
    MakePendingSlides(h.agent.PendingSlides, h.agent.ImageCacheFolder, stop);
    h.agent.PrepareSlideImages();
    EXPECT_TRUE(h.agent.PendingSlides.empty());
    EXPECT_EQ(h.agent.Items[1].ImageWidth, "300");

    h.agent.DeferUncachedSlides = false;
    h.agent.AppletData.SlideShowWidth = "250";
    h.agent.PrepareSlideImages();
    EXPECT_TRUE(h.agent.PendingSlides.empty());
    EXPECT_EQ(h.agent.Items[1].ImageWidth, "250");
}

// A modern preview shows each slide's classic picture, quick to make, until the background has
// made the modern one with its other widths; it is told when the pictures it waits for are in.
TEST_F(SlideImages, AModernPreviewShowsClassicPicturesUntilItsOwnAreMade) {
    testing::TempFolder cache;
    h.agent.ImageCacheFolder = cache.slash();
    h.agent.Options.set("WebOutput", "Modern");
    h.agent.DeferUncachedSlides = true;
    addItem(write("wide.jpg", testing::MakeJpeg(testing::PhotoLike(800, 600))));
    addItem(write("tall.jpg", testing::MakeJpeg(testing::PhotoLike(600, 800))));
    h.agent.PrepareSlideImages();
    ASSERT_EQ(h.agent.PendingSlides.size(), 2u);
    EXPECT_EQ(h.agent.PendingSlides[1].item, 1u);
    EXPECT_TRUE(h.agent.SlideExtraFiles[0].widths.empty());
    EXPECT_FALSE(h.agent.SlideExtraFiles[0].avif);
    EXPECT_TRUE(fs::exists(preview("slider0.jpg")));

    const std::atomic<bool> stop{false};
    int told = 0;
    MakePendingSlides(h.agent.PendingSlides, h.agent.ImageCacheFolder, stop, [&] { ++told; });
    EXPECT_EQ(told, 3);  // the first classic picture, all of them, then the first modern slide
    h.agent.PrepareSlideImages();
    EXPECT_TRUE(h.agent.PendingSlides.empty());
    EXPECT_FALSE(h.agent.SlideExtraFiles[0].widths.empty());
}

// From a cold cache the preview makes the first slide and the one on view at once, the others
// behind; a slide being made keeps its place as it is until the maker has it shown.
TEST_F(SlideImages, APreviewMakesTheSlidesOnViewFirst) {
    testing::TempFolder cache;
    h.agent.ImageCacheFolder = cache.slash();
    h.agent.DeferUncachedSlides = true;
    h.agent.SlideOnView = 2;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        addItem(write(name, testing::MakeJpeg(testing::PhotoLike(320, 240))));
    const auto shown = [&] {
        std::string files;
        for (const char* name : {"slider0.jpg", "slider1.jpg", "slider2.jpg"})
            files += fs::exists(preview(name)) ? "1" : "0";
        return files + " " + std::to_string(h.agent.PendingSlides.size());
    };
    h.agent.PrepareSlideImages();
    EXPECT_EQ(shown(), "101 1");
    EXPECT_EQ(h.agent.Items[1].SlideImageFile, "slider1.jpg");
    const std::atomic<bool> stop{false};
    MakePendingSlides(h.agent.PendingSlides, h.agent.ImageCacheFolder, stop);
    h.agent.SlidesBeingMade = h.agent.PendingSlides;
    h.agent.PrepareSlideImages();
    EXPECT_EQ(shown(), "101 1");
    h.agent.SlidesBeingMade.clear();
    h.agent.PrepareSlideImages();
    EXPECT_EQ(shown(), "111 0");
}

TEST_F(SlideImages, TheSameOriginalTwiceGivesTwoFiles) {
    const std::string path = write("a.jpg", testing::MakeJpeg(testing::PhotoLike(64, 48)));
    addItem(path);
    addItem(path);
    h.agent.PrepareSlideImages();
    EXPECT_EQ(h.agent.Items[0].SlideImageFile, "slider0.jpg");
    EXPECT_EQ(h.agent.Items[1].SlideImageFile, "slider1.jpg");
    EXPECT_EQ(ReadFile(preview("slider0.jpg")), ReadFile(preview("slider1.jpg")));
}

TEST_F(SlideImages, MissingOriginalsAreSkippedAndKeepTheirFields) {
    addItem("");
    addItem(originals.file("gone.jpg"));
    addItem(originals.path().string());  // a folder is no file
    h.agent.Items[1].SlideImageFile = "slider7.jpg";
    h.agent.Items[1].ImageWidth = "12";
    const TItemArray before = h.agent.Items;
    h.agent.PrepareSlideImages();
    EXPECT_EQ(h.agent.Items, before);
    EXPECT_EQ(captions(), (std::vector<std::string>{"caption 0", "caption 1", "caption 2"}));
    EXPECT_TRUE(h.agent.PreviewCopies.empty());
    EXPECT_FALSE(fs::exists(h.agent.PreviewFolder()));
}

TEST_F(SlideImages, EveryBadOriginalIsNamedAndTheOthersAreMade) {
    const std::string good = write("good.jpg", testing::MakeJpeg(testing::PhotoLike(320, 240)));
    addItem(good);
    addItem(write("broken.jpg", testing::MakeJpeg(testing::PhotoLike(320, 240)).substr(0, 700)));
    addItem(good);
    addItem(write("icon.ico", "not a picture we know"));
    try {
        h.agent.PrepareSlideImages();
        FAIL() << "no error";
    } catch (const SlidesNotMadeError& e) {
        // Every bad photo is named at once; the good ones get their slides all the same.
        EXPECT_EQ(e.problems().size(), 2u) << e.what();
        EXPECT_NE(std::string(e.what()).find("broken.jpg"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("icon.ico"), std::string::npos) << e.what();
    }
    EXPECT_EQ(h.agent.Items[0].SlideImageFile, "slider0.jpg");
    EXPECT_EQ(h.agent.Items[1].SlideImageFile, "");
    EXPECT_EQ(h.agent.Items[2].SlideImageFile, "slider2.jpg");
    EXPECT_EQ(h.agent.PreviewCopies, (TStringArray{"slider0.jpg", "slider2.jpg"}));
    EXPECT_FALSE(fs::exists(preview("slider1.jpg")));

    // An unknown extension is refused by name.
    h.agent.Items.erase(h.agent.Items.begin() + 1);
    h.tree.remove(h.tree.nodeAt(2));
    try {
        h.agent.PrepareSlideImages();
        FAIL() << "no error";
    } catch (const SlidesNotMadeError& e) {
        EXPECT_NE(std::string(e.what()).find("unsupported picture format"), std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("icon.ico"), std::string::npos) << e.what();
    }
    EXPECT_EQ(h.agent.Items[1].SlideImageFile, "slider1.jpg");
}

TEST_F(SlideImages, TheBoxMustBeNumbersAndHaveAnArea) {
    h.agent.AppletData.SlideShowWidth = "wide";
    EXPECT_THROW(h.agent.PrepareSlideImages(), ConversionError);  // even without items
    h.agent.AppletData.SlideShowWidth = "0";
    h.agent.PrepareSlideImages();  // nothing to scale, nothing to refuse
    addItem(write("a.jpg", testing::MakeJpeg(testing::PhotoLike(16, 16))));
    EXPECT_THROW(h.agent.PrepareSlideImages(), InvalidProjectError);
    h.agent.AppletData.SlideShowWidth = "400";
    h.agent.AppletData.SlideShowHeight = "-3";
    EXPECT_THROW(h.agent.PrepareSlideImages(), InvalidProjectError);
    EXPECT_EQ(h.agent.Items[0].SlideImageFile, "");
}

TEST_F(SlideImages, TransparentGifPartsTakeTheSlideshowBackground) {
    addItem(write("t.gif", testing::MakeGif(4, 4, {Rgb{255, 255, 255}, Rgb{}},
                                            {{0, 0, 4, 4, std::vector<std::uint8_t>(16, 1), 1}})));
    h.agent.AppletData.SlideShowWidth = "4";
    h.agent.AppletData.SlideShowHeight = "4";
    h.agent.AppletData.SlideShowBackgroundColor = "FF0000";
    h.agent.PrepareSlideImages();
    std::string bytes = ReadFile(preview("slider0.gif"));
    EXPECT_EQ(testing::PixelAt(image::DecodeGif(image::Source{"x", &bytes}, Rgb{}).pixels, 2, 2),
              (Rgb{255, 0, 0}));
    h.agent.AppletData.SlideShowBackgroundColor = "Transparent";
    h.agent.PrepareSlideImages();
    bytes = ReadFile(preview("slider0.gif"));
    EXPECT_EQ(testing::PixelAt(image::DecodeGif(image::Source{"x", &bytes}, Rgb{}).pixels, 2, 2),
              Rgb{});
}

TEST_F(SlideImages, PhotosInTheNewerFormatsBecomeJpegSlidesOnTheBackground) {
    // Half transparent: the slideshow background shows through.
    testing::RgbaImage photo = testing::Opaque(testing::Filled(80, 60, Rgb{30, 60, 200}));
    testing::Paint(photo, 0, 0, 40, 60, Rgb{}, 0);
    testing::PhotoExtras extras;
    extras.alpha = true;
    addItem(write("a.png", testing::MakePng(photo, testing::PngLayout::Rgba)));
    addItem(write("b.WEBP", testing::MakeWebp(photo, true)));
    addItem(write("c.HEIC", testing::MakeHeic(photo, extras)));
    addItem(write("d.heif", testing::MakeHeic(testing::Opaque(testing::PhotoLike(64, 128)))));
    h.agent.AppletData.SlideShowWidth = "40";
    h.agent.AppletData.SlideShowHeight = "40";
    h.agent.AppletData.SlideShowBackgroundColor = "FF8000";
    h.agent.PrepareSlideImages();
    const TItemArray& items = h.agent.Items;
    const std::vector<std::string> names = {"slider0.jpg", "slider1.jpg", "slider2.jpg",
                                            "slider3.jpg"};
    EXPECT_EQ(h.agent.PreviewCopies, names);
    for (std::size_t k = 0; k < names.size(); ++k) {
        EXPECT_EQ(items[k].SlideImageFile, names[k]);
        const std::string bytes = ReadFile(preview(names[k]));
        const image::DecodedPicture d =
            image::DecodeJpeg(image::Source{names[k], &bytes}, [](int w, int h) {
                return image::Size{w, h};
            });
        EXPECT_EQ(items[k].ImageWidth, std::to_string(d.declaredWidth));
        EXPECT_EQ(items[k].ImageHeight, std::to_string(d.declaredHeight));
        EXPECT_EQ(d.declaredWidth, k == 3 ? 20 : 40) << k;
        if (k < 3) {
            EXPECT_LE(testing::ColourDistance(testing::PixelAt(d.pixels, 8, 15), Rgb{255, 128, 0}),
                      12)
                << k;
            EXPECT_LE(testing::ColourDistance(testing::PixelAt(d.pixels, 32, 15), Rgb{30, 60, 200}),
                      12)
                << k;
        }
    }
}

TEST_F(SlideImages, AFailedWriteLeavesNoPartialSliderFile) {
    addItem(write("a.jpg", testing::MakeJpeg(testing::PhotoLike(640, 480))));
    FaultHookGuard guard;
    SetWriteFaultHook([](std::size_t written) { return written > 0 ? ENOSPC : 0; });
    EXPECT_THROW(h.agent.PrepareSlideImages(), FileError);
    SetWriteFaultHook(nullptr);
    EXPECT_FALSE(fs::exists(preview("slider0.jpg")));
    EXPECT_FALSE(fs::exists(h.programFolder.file("slider0.jpg")));
    for (const auto& entry : fs::recursive_directory_iterator(h.programFolder.path())) {
        EXPECT_FALSE(entry.is_regular_file()) << entry.path();
    }
}

TEST_F(SlideImages, APreviewFolderThatCannotBeMadeFailsSilentlyAsTheCopyWould) {
    addItem(write("a.jpg", testing::MakeJpeg(testing::PhotoLike(64, 48))));
    WriteFile(h.programFolder.file("preview"), "a file where the folder should be");
    h.agent.PrepareSlideImages();
    EXPECT_EQ(h.agent.Items[0].SlideImageFile, "slider0.jpg");
    EXPECT_EQ(h.agent.PreviewCopies, (TStringArray{"slider0.jpg"}));
    EXPECT_FALSE(fs::exists(h.programFolder.file("slider0.jpg")));
}

TEST_F(SlideImages, TheCacheGivesTheSameBytesAndIsUsedOnlyForTheSameOriginal) {
    const std::string path = write("a.jpg", testing::MakeJpeg(testing::PhotoLike(900, 700)));
    addItem(path);
    addItem(write("b.gif", image::EncodeGif(testing::PhotoLike(90, 70))));
    h.agent.PrepareSlideImages();
    const std::string plainJpeg = ReadFile(preview("slider0.jpg"));
    const std::string plainGif = ReadFile(preview("slider1.gif"));

    testing::TempFolder cache;
    h.agent.ImageCacheFolder = cache.file("nested/lumivex");  // made on demand
    h.agent.PrepareSlideImages();
    EXPECT_EQ(ReadFile(preview("slider0.jpg")), plainJpeg);
    EXPECT_EQ(ReadFile(preview("slider1.gif")), plainGif);
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(cache.file("nested/lumivex")))
        entries.push_back(e.path());
    ASSERT_EQ(entries.size(), 2u);
    h.agent.PrepareSlideImages();
    EXPECT_EQ(ReadFile(preview("slider0.jpg")), plainJpeg);
    EXPECT_EQ(ReadFile(preview("slider1.gif")), plainGif);

    // Entries are really read: a build marks them used (newer, the same file, not rewritten) ...
    auto stamp = [](const fs::path& e) {
        struct stat st {};
        ::stat(e.c_str(), &st);
        return std::make_pair(st.st_ino, st.st_mtim.tv_sec);
    };
    for (const fs::path& e : entries)
        fs::last_write_time(e, fs::last_write_time(e) - std::chrono::hours(1));
    const auto before = stamp(entries[0]);
    h.agent.PrepareSlideImages();
    EXPECT_EQ(stamp(entries[0]).first, before.first);
    EXPECT_GT(stamp(entries[0]).second, before.second);
    // ... but not for another box (here giving the same size, so the same fresh bytes) ...
    h.agent.AppletData.SlideShowWidth = "401";
    h.agent.PrepareSlideImages();
    EXPECT_EQ(h.agent.Items[0].ImageWidth, "386");
    EXPECT_EQ(ReadFile(preview("slider0.jpg")), plainJpeg);
    // ... nor once the original changes; a new background only matters to GIF slides.
    h.agent.AppletData.SlideShowWidth = "400";
    WriteFile(path, testing::MakeJpeg(testing::PhotoLike(900, 700, 2)));
    h.agent.AppletData.SlideShowBackgroundColor = "00FF00";
    h.agent.PrepareSlideImages();
    const std::string changed = ReadFile(preview("slider0.jpg"));
    EXPECT_NE(changed, plainJpeg);
    EXPECT_EQ(changed.size(),
              image::EncodeJpeg(image::Resample(image::DecodeJpeg(image::Source{path, nullptr},
                                                                  [](int, int) {
                                                                      return image::Size{386, 300};
                                                                  })
                                                    .pixels,
                                                386, 300))
                  .size());
    EXPECT_EQ(ReadFile(preview("slider1.gif")), plainGif);  // no transparency: same picture

    // A damaged cache entry is ignored; a cache that cannot be written is no error.
    for (const auto& e : fs::directory_iterator(cache.file("nested/lumivex")))
        WriteFile(e.path().string(), "junk");
    h.agent.PrepareSlideImages();
    EXPECT_EQ(ReadFile(preview("slider1.gif")), plainGif);
    WriteFile(cache.file("blocked"), "");
    h.agent.ImageCacheFolder = cache.file("blocked/cache");
    h.agent.PrepareSlideImages();
    EXPECT_EQ(ReadFile(preview("slider1.gif")), plainGif);
}

}  // namespace
}  // namespace lumivex
