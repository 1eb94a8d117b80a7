#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "AgentFixture.h"
#include "CodeGeneration.h"
#include "FileIO.h"
#include "SlideImageTestImages.h"
#include "image/AvifCodec.h"
#include "image/SlideImageCache.h"

namespace lumivex {
namespace {

using testing::AgentHarness;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

const std::string kHead =
    "<Warning_Info>\r\nNote: This file was created and maintained by Lumivex 1.0.\r\n"
    "Do not modify it or script project may not be opened again!\r\n</Warning_Info>\r\n"
    "<Product_Name>\r\nLumivex\r\n</Product_Name>\r\n<Product_Version>\r\n1.0\r\n"
    "</Product_Version>\r\n<Applet_Parameters>\r\n";

std::string Project(const std::string& between) {
    AgentHarness h;
    std::string settings;
    for (auto field : TAppletData::kFields)
        settings += h.agent.AppletData.*field + "#$@";
    return kHead + settings + "\r\n</Applet_Parameters>\r\n" + between +
           "<Item_Parameters>\r\n</Item_Parameters>\r\n";
}

struct OptionBlockCase {
    const char* name;
    std::string between;  // what the file holds between the settings and the items
    std::string savedBetween;
    std::string webOutput;
};

class OptionBlock : public ::testing::TestWithParam<OptionBlockCase> {};

TEST_P(OptionBlock, IsReadAndWrittenBack) {
    const OptionBlockCase& c = GetParam();
    AgentHarness h;
    TempFolder folder;
    WriteFile(folder.file("p.lvx"), Project(c.between));
    ASSERT_EQ(h.agent.LoadFromFile(folder.file("p.lvx"), h.tree).outcome,
              ProjectReadOutcome::Complete);
    EXPECT_EQ(h.agent.Options.value(ProjectOptions::kWebOutput), c.webOutput);
    EXPECT_EQ(h.agent.ProjectFileText(), Project(c.savedBetween));
}

INSTANTIATE_TEST_SUITE_P(
    Projects, OptionBlock,
    ::testing::Values(
        OptionBlockCase{"none", "", "", ""},
        OptionBlockCase{
            "modern_and_unknown_names_kept",
            "<Lumivex_Options>\r\nWebOutput=Modern\r\nFuture=a=b\r\n</Lumivex_Options>\r\n",
            "<Lumivex_Options>\r\nWebOutput=Modern\r\nFuture=a=b\r\n</Lumivex_Options>\r\n",
            "Modern"},
        // Stray lines around the block are skipped as readers always did; lines without a
        // name and repeated names do not survive.
        OptionBlockCase{"stray_lines",
                        "\r\njunk\r\n<Lumivex_Options>\r\nno equals\r\n=x\r\n"
                        "WebOutput=Classic\r\nWebOutput=Modern\r\n</Lumivex_Options>\r\n\r\n",
                        "<Lumivex_Options>\r\nWebOutput=Classic\r\n</Lumivex_Options>\r\n",
                        "Classic"},
        OptionBlockCase{"empty_block_is_dropped", "<Lumivex_Options>\r\n</Lumivex_Options>\r\n", "",
                        ""}),
    [](const auto& info) { return info.param.name; });

TEST(ProjectOptions, ValuesHoldNoLineBreakAndNamesNoEquals) {
    ProjectOptions options;
    options.set("UploadFolder", "/www/a\r\nEvil=1");
    EXPECT_EQ(options.blockText(),
              "<Lumivex_Options>\r\nUploadFolder=/www/a  Evil=1\r\n</Lumivex_Options>\r\n");
    for (const char* bad : {"", "A=B", "A\nB"})
        EXPECT_THROW(options.set(bad, "x"), std::invalid_argument) << bad;
    options.set("UploadFolder", "");
    EXPECT_TRUE(options.empty());
}

TEST(Avif, SmallerThanTheJpegAndNoMoreThanHalfADecibelWorse) {
    const image::RgbImage picture = testing::PhotoLike(480, 320);
    const std::string jpeg = image::EncodeJpeg(picture);
    // The smallest found, and the first that passes (as large pictures take), both keep the rule.
    for (const bool firstThatPasses : {false, true}) {
        const std::string avif =
            image::AvifBeside(picture, jpeg, nullptr, image::kAvifSpeed, 3, firstThatPasses);
        ASSERT_FALSE(avif.empty());
        EXPECT_LT(avif.size(), jpeg.size());
        const std::string copy = jpeg;
        const image::Source source{"JPEG", &copy};
        const double jpegPsnr = image::Psnr(image::DecodeJpeg(source,
                                                              [](int w, int h) {
                                                                  return image::Size{w, h};
                                                              })
                                                .pixels,
                                            picture);
        EXPECT_GE(image::Psnr(image::DecodeAvif(avif), picture),
                  jpegPsnr - image::kAvifPsnrAllowance);
    }
    // A picture the JPEG already holds in fewer bytes than any AVIF gets none.
    const image::RgbImage flat = testing::Filled(8, 8, image::Rgb{10, 200, 30});
    EXPECT_EQ(image::AvifBeside(flat, image::EncodeJpeg(flat)), "");
}

// Two photos, one with the pixels for the double size and one without, in a 200 x 100 box.
struct ModernProject : AgentHarness {
    explicit ModernProject(const char* webOutput) {
        WriteFile(programFolder.file("lumivex.js"), "/* runtime */");
        WriteFile(programFolder.file("lumivex.min.js"), "/* minified */");
        const std::pair<int, int> sizes[] = {{1200, 800}, {240, 160}};
        for (int i = 0; i < 2; ++i) {
            const std::string original = programFolder.file("photo" + std::to_string(i) + ".jpg");
            WriteFile(original, testing::WithMetadata(testing::MakeJpeg(testing::PhotoLike(
                                                          sizes[i].first, sizes[i].second)),
                                                      testing::MakeExif(1)));
            agent.InsertChildItem(tree.root());
            agent.Items[static_cast<std::size_t>(i)].OriginalImagePath = original;
        }
        agent.AppletData.SlideShowWidth = "200";
        agent.AppletData.SlideShowHeight = "100";
        agent.Options.set(ProjectOptions::kWebOutput, webOutput);
    }
    std::set<std::string> published() {
        agent.SaveAndPublish(site.slash(), "Show.lvx", tree);
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(site.path()))
            names.insert(e.path().filename().string());
        return names;
    }
    TempFolder site;
};

// Half and eight tenths of the size always; one and a half and twice only where the original
// has the pixels.
TEST(ModernOutput, WritesEachWidthWhereThePixelsAreAndAvifBesideEachJpeg) {
    ModernProject h("Modern");
    const std::set<std::string> files = h.published();
    for (const char* name :
         {"slider0.jpg", "slider0@0.5x.jpg", "slider0@0.8x.jpg", "slider0@1.5x.jpg",
          "slider0@2x.jpg", "slider0.avif", "slider0@2x.avif", "slider1.jpg", "slider1@0.5x.jpg",
          "slider1@0.8x.jpg", "slider1@1.5x.jpg"})
        EXPECT_TRUE(files.count(name)) << name;
    EXPECT_FALSE(files.count("slider1@2x.jpg"));
    EXPECT_EQ(ReadFile(h.site.file("lumivex.js")), "/* minified */");
    const std::string report = ReadFile(h.site.file("Show_PublishReport.txt"));
    for (const char* name :
         {"  slider0@0.5x.jpg\r\n", "  slider0@1.5x.jpg\r\n", "  slider0@2x.avif\r\n"})
        EXPECT_NE(report.find(name), std::string::npos) << name;
    // No metadata of the original reaches a published image.
    for (const std::string& name : files) {
        if (name.rfind("slider", 0) == 0) {
            EXPECT_EQ(ReadFile(h.site.file(name)).find("Exif"), std::string::npos) << name;
        }
    }
    const std::string script = ReadFile(h.site.file("Lumivex1cfg.js"));
    EXPECT_NE(script.find(",150,100,'slider0@0.5x.jpg 75w, slider0@0.8x.jpg 120w, slider0.jpg "
                          "150w, slider0@1.5x.jpg 225w, slider0@2x.jpg 300w','"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("slider0.avif 150w, slider0@1.5x.avif 225w, slider0@2x.avif 300w','calc("
                          "min(100vw, 200px) * 150 / 200)']"),
              std::string::npos)
        << script;
    EXPECT_NE(ReadFile(h.site.file("Lumivex1.css")).find("aspect-ratio: 200 / 100;"),
              std::string::npos);
    // The page fetches the first slide at once and shows it before any script runs.
    const std::string page = ReadFile(h.site.file("Show.html"));
    EXPECT_NE(page.find("<link rel=\"preload\" as=\"image\" type=\"image/avif\" "
                        "imagesrcset=\"slider0@0.5x."),
              std::string::npos);
    EXPECT_NE(page.find("<div id=\"Lumivex1_div\" class=\"Lumivex1\"><picture "
                        "aria-hidden=\"true\"><source type=\"image/avif\" srcset=\"slider0@0.5x."),
              std::string::npos)
        << page;
    EXPECT_NE(
        page.find("width=\"150\" height=\"100\" alt=\"\" fetchpriority=\"high\"></picture></div>"),
        std::string::npos);
}

TEST(ModernOutput, ClassicIsTheOutputOfAProjectWithoutOptions) {
    ModernProject plain("");
    ModernProject classic("Classic");
    EXPECT_EQ(plain.published(), classic.published());
    for (const char* name :
         {"Lumivex1.css", "Lumivex1cfg.js", "Show.html", "slider0.jpg", "lumivex.js"})
        EXPECT_EQ(ReadFile(plain.site.file(name)), ReadFile(classic.site.file(name))) << name;
}

TEST(ModernOutput, TheImageCacheGivesTheSameFiles) {
    TempFolder cache;
    ModernProject uncached("Modern"), cold("Modern"), warm("Modern");
    cold.agent.ImageCacheFolder = warm.agent.ImageCacheFolder = cache.slash();
    const std::set<std::string> files = uncached.published();
    ASSERT_EQ(cold.published(), files);
    // The same originals: copy the cold project's so the cache finds them.
    for (int i = 0; i < 2; ++i)
        warm.agent.Items[static_cast<std::size_t>(i)].OriginalImagePath =
            cold.agent.Items[static_cast<std::size_t>(i)].OriginalImagePath;
    ASSERT_EQ(warm.published(), files);
    for (const std::string& name : files) {
        if (name.rfind("slider", 0) == 0) {
            EXPECT_EQ(ReadFile(warm.site.file(name)), ReadFile(uncached.site.file(name))) << name;
        }
    }
}

// Entries of the layout before the other widths, under the old key and the new one, are made
// again: never read as slides.
TEST(ModernOutput, CacheEntriesOfAnotherLayoutAreMadeAgain) {
    TempFolder cache;
    ModernProject uncached("Modern"), cached("Modern");
    cached.agent.ImageCacheFolder = cache.slash();
    const image::SlideImageCache store(cache.slash());
    for (int i = 0; i < 2; ++i) {
        const std::string& path = cached.agent.Items[static_cast<std::size_t>(i)].OriginalImagePath;
        image::SlidePicture old;
        old.size = image::Size{150, 100};
        old.encoded = "300 200 4 4 4\nslideJPEGavifAVIF";
        for (const char* output : {"modern", "modern widths"})
            store.Store(
                store.KeyFor(path, 200, 100, image::PictureKind::Jpeg, image::Rgb{}, output), old);
    }
    const std::set<std::string> files = uncached.published();
    ASSERT_EQ(cached.published(), files);
    for (const std::string& name : files) {
        if (name.rfind("slider", 0) == 0) {
            EXPECT_EQ(ReadFile(cached.site.file(name)), ReadFile(uncached.site.file(name))) << name;
        }
    }
}

}  // namespace
}  // namespace lumivex
