#include <gtest/gtest.h>

#include "EngineErrors.h"
#include "Text.h"
#include "WYSIWYG_Utility.h"

namespace lumivex {
namespace {

TEST(CssValues, ColorsKeepTheStoredText) {
    EXPECT_EQ(CssColor("Transparent"), "Transparent");
    EXPECT_EQ(CssColor("transparent"), "transparent");
    EXPECT_EQ(CssColor("TRANSPARENT"), "TRANSPARENT");
    EXPECT_EQ(CssColor("FFFF00"), "#FFFF00");
    EXPECT_EQ(CssColor("ff00ff"), "#ff00ff");
    EXPECT_EQ(CssColor(""), "#");
}

TEST(CssValues, SwitchesCompareWithOneExactly) {
    EXPECT_EQ(CssFontWeight("1"), "bold");
    EXPECT_EQ(CssFontWeight(""), "normal");
    EXPECT_EQ(CssFontWeight("2"), "normal");
    EXPECT_EQ(CssFontWeight(" 1"), "normal");
    EXPECT_EQ(CssFontStyle("1"), "italic");
    EXPECT_EQ(CssFontStyle("0"), "normal");
    EXPECT_EQ(CssTextDecoration("1"), "underline");
    EXPECT_EQ(CssTextDecoration("1 "), "none");
}

TEST(CssValues, PixelsAndImageUrls) {
    EXPECT_EQ(CssPixels("80"), "80px");
    EXPECT_EQ(CssPixels("-5"), "-5px");
    EXPECT_EQ(CssPixels(""), "px");
    EXPECT_EQ(CssImageUrl(""), "none");
    EXPECT_EQ(CssImageUrl("   "), "none");
    EXPECT_EQ(CssImageUrl("\t\r\n"), "none");
    EXPECT_EQ(CssImageUrl("wait.gif"), "url(./wait.gif)");
    EXPECT_EQ(CssImageUrl(" wait.gif"), "url(./ wait.gif)");
}

TEST(ColorText, ConversionsBothWays) {
    EXPECT_EQ(ColorToHexText({0, 0, 255}), "0000FF");
    EXPECT_EQ(ColorToHexText({255, 255, 255}), "FFFFFF");
    EXPECT_EQ(ColorToHexText({1, 2, 3}), "010203");
    const RgbColor orange = HexTextToColor("FF8000");
    EXPECT_EQ(orange, (RgbColor{255, 128, 0}));
    EXPECT_EQ(ColorToHexText(orange), "FF8000");
    EXPECT_EQ(HexTextToColor("ff8000"), orange);
    EXPECT_EQ(HexTextToColor("TRANSPARENT"), (RgbColor{0, 0, 0}));
    EXPECT_EQ(HexTextToColor("FF8000AA"), orange);  // past the sixth character is ignored
    EXPECT_EQ(HexTextToColor("FF"), (RgbColor{0, 0, 255}));
    for (int v = 0; v < 256; v += 17) {
        const RgbColor c{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(255 - v),
                         static_cast<std::uint8_t>(v / 2)};
        EXPECT_EQ(HexTextToColor(ColorToHexText(c)), c);
    }
}

TEST(ColorText, NonHexadecimalTextFailsWithTheConversionError) {
    EXPECT_THROW(HexTextToColor("red"), ConversionError);
    EXPECT_THROW(HexTextToColor(""), ConversionError);
    EXPECT_THROW(HexTextToColor("12 456"), ConversionError);
    EXPECT_THROW(HexTextToColor("-12345"), ConversionError);
    try {
        HexTextToColor("yellow");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("is not a valid integer value"), std::string::npos);
    }
}

TEST(TextHelpers, WholeNumbers) {
    EXPECT_EQ(StrToInt("1000"), 1000);
    EXPECT_EQ(StrToInt("-9999"), -9999);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", " ", "12a", "1000 ", "1.5", "2147483648", "-", "$", "abc"}) {
        EXPECT_THROW(StrToInt(bad), ConversionError) << bad;
    }
}

TEST(TextHelpers, TrimAndCaselessReplace) {
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(Trim("\x01x\x1f"), "x");
    EXPECT_EQ(Trim("\xa0x"), "\xa0x");  // bytes above ASCII are text
    EXPECT_EQ(ReplaceAllIgnoreCase("FILE:///C|/Site/a.html", "file:///c|/site/", "http://x/"),
              "http://x/a.html");
    EXPECT_EQ(ReplaceAllIgnoreCase("aaaa", "aa", "a"), "aa");  // no re-scan of replaced text
    EXPECT_EQ(ReplaceAllIgnoreCase("abab", "ab", "abab"), "abababab");
    EXPECT_EQ(ReplaceAllIgnoreCase("xyz", "", "q"), "xyz");
    EXPECT_EQ(FileNamePart("/a/b/c.lvx"), "c.lvx");
    EXPECT_EQ(FolderPart("/a/b/c.lvx"), "/a/b/");
    EXPECT_EQ(FolderPart("c.lvx"), "");
}

}  // namespace
}  // namespace lumivex
