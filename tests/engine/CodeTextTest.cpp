#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "AgentFixture.h"
#include "CodeGeneration.h"
#include "EngineErrors.h"

namespace lumivex {
namespace {

using testing::AgentHarness;

const char* const kDefaultStyleSheet =
    "#Lumivex1_div\n{\nwidth: 400px;\nheight: 300px;\nz-index: 1000;\n}\n\n"
    ".Lumivex1\n{\nposition: relative;\ndisplay: none;\noverflow: hidden;\n}\n\n"
    ".Lumivex1 img\n{\nborder: 0;\nmargin: 0;\n}\n\n"
    ".Lumivex1 a\n{\ntext-decoration: none;\nfont-size: 100%;\n}\n\n"
    ".Lumivex1 .Lumivex1_SlideImgCntr\n{\nwidth: 100%;\nheight: 100%;\nbackground-repeat: "
    "no-repeat;\n"
    "background-position: center center;\nbackground-color: #000000;\n}\n\n"
    ".Lumivex1 .Lumivex1_Loading\n{\nposition: absolute;\nleft: 0;\ntop: 0;\nwidth: 100%;\nheight: "
    "100%;\n"
    "background-repeat: no-repeat;\nbackground-position: center center;\nbackground-color: "
    "#000000;\n"
    "background-image: none;\n}\n\n"
    ".Lumivex1 .Lumivex1_SlideInfo\n{\nposition: absolute;\nz-index: 1015;\nwidth: 100%;\nheight: "
    "80px;\n"
    "margin: 0px;\nleft: 0;\nbottom: 0;\nbackground-color: #000000;\ntext-indent: 15px;\n}\n\n"
    ".Lumivex1 .Lumivex1_SlideInfo .Lumivex1_SlideInfoTitle\n{\n"
    "font-family: Verdana,Ms Sans Serif,Georgia,Helvetica,Arial;\nfont-size: 9px;\nfont-weight: "
    "bold;\n"
    "font-style: normal;\ntext-decoration: none;\ncolor: #FFFF00;\npadding-left: 0px;\nmargin: "
    "0px;\n}\n\n"
    ".Lumivex1 .Lumivex1_SlideInfo .Lumivex1_SlideInfoDesc\n{\n"
    "font-family: Verdana,Ms Sans Serif,Georgia,Helvetica,Arial;\nfont-size: 9px;\nfont-weight: "
    "normal;\n"
    "font-style: normal;\ntext-decoration: none;\ncolor: #FFFFFF;\npadding-top: "
    "5px;\npadding-right: 0px;\n"
    "padding-bottom: 0px;\npadding-left: 0px;\nmargin: 0px;\n}\n\n";

TEST(StyleSheet, DefaultProjectToTheByte) {
    EXPECT_EQ(StyleSheetText(DefaultAppletData()), kDefaultStyleSheet);
}

TEST(StyleSheet, ValuesFlowThroughTheirFormatters) {
    TAppletData d = DefaultAppletData();
    d.CtrlId = "Show_2";
    d.SlideShowZIndex = "-20";
    d.SlideInfoHeightAuto = "1";
    d.SlideInfoHeight = "999";
    d.SlideShowBackgroundColor = "Transparent";
    d.SlideInfoTitleColor = "transparent";
    d.SlideShowLoadingBgImage = "wait.gif";
    d.SlideShowWidth = "";
    d.SlideInfoDescFontStyle = "1";
    d.SlideInfoDescTextDecoration = "1";
    const std::string css = StyleSheetText(d);
    EXPECT_EQ(css.rfind("#Show_2_div\n{\nwidth: px;\n", 0), 0u);
    EXPECT_NE(css.find("z-index: -5;\nwidth: 100%;\nheight: auto;\nmargin: 0px;"),
              std::string::npos);
    EXPECT_EQ(css.find("999"), std::string::npos);
    EXPECT_NE(css.find("background-color: Transparent;\n}"), std::string::npos);
    EXPECT_NE(css.find("color: transparent;\npadding-left"), std::string::npos);
    EXPECT_NE(css.find("background-image: url(./wait.gif);"), std::string::npos);
    EXPECT_NE(css.find(".Show_2 .Show_2_SlideInfo .Show_2_SlideInfoDesc\n{\n"), std::string::npos);
    EXPECT_NE(css.find("font-style: italic;\ntext-decoration: underline;\ncolor: #FFFFFF;"),
              std::string::npos);
    EXPECT_EQ(css.find('\r'), std::string::npos);

    d.SlideInfoHeightAuto = "2";
    EXPECT_NE(StyleSheetText(d).find("height: 999px;"), std::string::npos);
    d.SlideShowZIndex = "high";
    EXPECT_THROW(StyleSheetText(d), ConversionError);
}

TEST(StyleSheet, FontListsAndTheLoadingImageCannotLeaveTheirDeclaration) {
    const std::pair<const char*, const char*> fonts[] = {
        {"Verdana,Ms Sans Serif,Georgia,Helvetica,Arial",
         "Verdana,Ms Sans Serif,Georgia,Helvetica,Arial"},
        {"'Times New Roman', serif", "'Times New Roman', serif"},
        {"-apple-system,sans-serif", "-apple-system,sans-serif"},
        {"", ""},
        {"Verdana;} body { background: url(http://x/) } x {",
         "\"Verdana;} body { background: url(http://x/) } x {\""},
        {"Arial 3D, x", "\"Arial 3D\",x"},
        {"\"a\\\"b\"", "\"\\\"a\\\\\\\"b\\\"\""},
        {"A\x01"
         "B,'C",
         "\"A\\1 B\",\"'C\""},
    };
    for (const auto& [list, written] : fonts)
        EXPECT_EQ(CssFontFamilyList(list), written) << list;

    const std::pair<const char*, const char*> images[] = {
        {"wait.gif", "url(./wait.gif)"},
        {"  ", "none"},
        {"my wait.gif", "url(\"./my wait.gif\")"},
        {"a.gif); } body { color: red", "url(\"./a.gif); } body { color: red\")"},
        {"q\"\\.gif", "url(\"./q\\\"\\\\.gif\")"},
    };
    for (const auto& [name, written] : images)
        EXPECT_EQ(CssImageUrlValue(name), written) << name;
}

const char* const kDefaultScriptHead =
    "/*\r\nLumivex 1.0\r\nCopyright (C) 2026 ZQX. All rights "
    "reserved.\r\nhttp://www.lumivex.com/\r\n"
    "http://www.lumivex.com/support/\r\n*/\r\nvar Lumivex1PropsArray = [\r\n";
const char* const kDefaultStartBlock =
    "];\r\nfunction startLumivex1(){\n"
    "var Lumivex1 = new bUar('Lumivex1',Lumivex1PropsArray,65,3000,1000,50,1000,50,1000,1000);\n"
    "}\nbdas(startLumivex1);\r\n";

TEST(ConfigScript, NoItemsOneItemAndSeveral) {
    const TAppletData d = DefaultAppletData();
    EXPECT_EQ(ConfigScriptText(d, {}), std::string(kDefaultScriptHead) + kDefaultStartBlock);

    TItemData item = TzqxAppletAgent::NewItemDefaults();
    EXPECT_EQ(ConfigScriptText(d, {item}),
              std::string(kDefaultScriptHead) +
                  "['','javascript:void(0)','_self','Item','Description Here','ToolTip Here']\r\n" +
                  kDefaultStartBlock);

    TItemData second = item;
    second.SlideImageFile = "slider1.jpg";
    second.Title = "Two";
    EXPECT_EQ(ConfigScriptText(d, {item, second}),
              std::string(kDefaultScriptHead) +
                  "['','javascript:void(0)','_self','Item','Description Here','ToolTip Here'],\r\n"
                  "['slider1.jpg','javascript:void(0)','_self','Two','Description Here','ToolTip "
                  "Here']\r\n" +
                  kDefaultStartBlock);
}

TEST(ConfigScript, TimingsAreWrittenAsStored) {
    TAppletData d = DefaultAppletData();
    d.CtrlId = "S";
    d.SlideInfoOpacity = "100";
    d.RotateDelay = "-1";
    d.DelayHideSlideInfo = "7";
    const std::string js = ConfigScriptText(d, {});
    EXPECT_NE(js.find("var S = new "
                      "bUar('S',SPropsArray,100,-1,1000,50,1000,50,1000,7);\n}\nbdas(startS);\r\n"),
              std::string::npos);
}

TEST(ScriptEscaping, PlainTextIsUnchangedOthersAreEscaped) {
    const std::string plain = "Item 1: a <b>bold</b>? javascript:void(0) _self & \"quotes\" 100%";
    EXPECT_EQ(EscapeScriptString("Item 1: javascript:void(0) \"q\" <b> 100%"),
              "Item 1: javascript:void(0) \"q\" <b> 100%");
    EXPECT_EQ(EscapeScriptString("it's"), "it\\'s");
    EXPECT_EQ(EscapeScriptString("C:\\pics"), "C:\\\\pics");
    EXPECT_EQ(EscapeScriptString("a\r\nb"), "a\\r\\nb");
    EXPECT_EQ(EscapeScriptString("</script>"), "<\\/script>");
    EXPECT_EQ(EscapeScriptString("a/b"), "a/b");
    EXPECT_EQ(EscapeScriptString("\t"), "\\u0009");
    EXPECT_EQ(EscapeScriptString("\xe4\xb8\xad\xe6\x96\x87"), "\\u4E2D\\u6587");  // UTF-8
    EXPECT_EQ(EscapeScriptString("\xe2\x80\xa8"), "\\u2028");                     // line separator
    EXPECT_EQ(EscapeScriptString("\xf0\x9f\x98\x80"), "\\uD83D\\uDE00");          // outside the BMP
    EXPECT_EQ(EscapeScriptString("caf\xe9 \x80"), "caf\\u00E9 \\u20AC");          // Windows-1252
    EXPECT_EQ(EscapeScriptString("\xc3"), "\\u00C3");                             // cut-short UTF-8
    EXPECT_EQ(EscapeScriptString("\xed\xa0\x80"), "\\u00ED\\u00A0\\u20AC");       // no surrogates
    (void)plain;
}

// Runs a script under Node with stand-ins for the runtime and returns what bUar received, as JSON.
std::string RunUnderNode(const std::string& script, const testing::TempFolder& dir) {
    const std::string path = dir.file("cfg.js");
    testing::WriteFile(path, script);
    const std::string command =
        "node -e \"const fs=require('fs');let "
        "got;global.bUar=function(){got=Array.from(arguments)};"
        "global.bdas=function(f){f()};eval(fs.readFileSync(process.argv[1],'latin1'));"
        "process.stdout.write(JSON.stringify(got))\" " +
        path + " 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "popen failed";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

TEST(ScriptEscaping, HostileTextsSurviveAJavaScriptEngine) {
    if (std::system("node --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "node is not installed";
    testing::TempFolder dir;
    TItemData item = TzqxAppletAgent::NewItemDefaults();
    item.Title = "Bob's \"quote\" \\ </script><script>alert(1)</script>";
    item.Description =
        "\xe4\xb8\xad\xe6\x96\x87\xe8\xaf\xb4\xe6\x98\x8e line1\r\nline2\xe2\x80\xa8"
        "end";
    item.ToolTip = "caf\xe9";
    item.LinkUrl = "javascript:alert('x')";
    item.LinkTarget = "'];alert(1);//";
    item.SlideImageFile = "slider0.jpg";
    const std::string json = RunUnderNode(ConfigScriptText(DefaultAppletData(), {item, item}), dir);
    const std::string row =
        "[\"slider0.jpg\",\"javascript:alert('x')\",\"'];alert(1);//\","
        "\"Bob's \\\"quote\\\" \\\\ </script><script>alert(1)</script>\","
        "\"\xe4\xb8\xad\xe6\x96\x87\xe8\xaf\xb4\xe6\x98\x8e line1\\r\\nline2\xe2\x80\xa8"
        "end\",\"caf\xc3\xa9\"]";
    EXPECT_EQ(json, "[\"Lumivex1\",[" + row + "," + row + "],65,3000,1000,50,1000,50,1000,1000]");
}

TEST(SlideshowId, OnlyIdentifiersPass) {
    for (const char* good : {"Lumivex1", "_x", "A", "show_2026"})
        EXPECT_TRUE(IsValidSlideshowId(good)) << good;
    for (const char* bad :
         {"", "1show", "my show", "a-b", "../x", "a.b", "caf\xc3\xa9", "x;alert(1)"}) {
        EXPECT_FALSE(IsValidSlideshowId(bad)) << bad;
    }
    EXPECT_NE(InvalidSlideshowIdMessage("a b").find("\"a b\""), std::string::npos);
}

TEST(Page, DefaultLinkedFilesInOrder) {
    TLinkedFileInfoArray files = InitialLinkedFiles();
    files[1].FileName = "Lumivex1cfg.js";
    files[2].FileName = "Lumivex1.css";
    const std::string expected =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
        "\"http://www.w3.org/TR/1999/REC-html401-19991224/loose.dtd\">\r\n"
        "<!-- saved from url=(0023)http://www.lumivex.com/ -->\r\n"
        "<HTML>\r\n<HEAD>\r\n<TITLE>Preview</TITLE>\r\n\r\n<!-- Lumivex 1.0 -->\r\n"
        "<!-- Copyright (C) 2026 ZQX. All rights reserved. -->\r\n"
        "<!-- Please insert following codes into <head> section of Web pages. -->\r\n<!-- BEGIN "
        "-->\r\n"
        "<LINK href=\"./Lumivex1.css\" type=\"text/css\" rel=\"stylesheet\" />\r\n<!-- END "
        "-->\r\n\r\n"
        "</HEAD>\r\n<BODY>\r\n\r\n"
        "<!-- Please insert following <div> and <script> to web pages where you want to include "
        "the script -->\r\n"
        "<DIV id=\"Lumivex1_div\" class=\"Lumivex1\"></DIV>\r\n"
        "<SCRIPT language=\"javascript\" type=\"text/javascript\" "
        "src=\"./lumivex.js\"></SCRIPT>\r\n"
        "<SCRIPT language=\"javascript\" type=\"text/javascript\" "
        "src=\"./Lumivex1cfg.js\"></SCRIPT>\r\n"
        "\r\n</BODY>\r\n</HTML>\r\n";
    EXPECT_EQ(PageText("Lumivex1", files), expected);
    files[2].FileKind = "CSS";
    files[0].FileKind = "Js";
    EXPECT_EQ(PageText("Lumivex1", files), expected);
}

TEST(PrepareItems, LevelsParentsAndLinkRoots) {
    AgentHarness h;
    const auto a = h.agent.InsertChildItem(h.tree.root());
    h.agent.InsertChildItem(a);
    const auto b = h.agent.InsertChildItem(h.tree.root());
    h.agent.InsertChildItem(b);
    for (auto& item : h.agent.Items)
        item.Level = item.ParentIndex = "junk";
    h.agent.Items[0].LinkUrl = "FILE:///C|/Site/a.html and file:///c|/site/b.html";
    h.agent.Items[1].LinkUrl = "http://www.x.com/site/c.html";
    h.agent.AppletData.RootDirLocal = "file:///C|/site/";
    h.agent.AppletData.RootDirRemote = "http://www.x.com/site/";

    h.agent.PrepareItemsForOutput();  // web choice
    EXPECT_EQ(h.agent.Items[0].Level, "0");
    EXPECT_EQ(h.agent.Items[0].ParentIndex, "-1");
    EXPECT_EQ(h.agent.Items[1].Level, "1");
    EXPECT_EQ(h.agent.Items[1].ParentIndex, "0");
    EXPECT_EQ(h.agent.Items[3].ParentIndex, "2");
    EXPECT_EQ(h.agent.Items[0].LinkUrl,
              "http://www.x.com/site/a.html and http://www.x.com/site/b.html");
    h.agent.PrepareItemsForOutput();
    EXPECT_EQ(h.agent.Items[0].LinkUrl,
              "http://www.x.com/site/a.html and http://www.x.com/site/b.html");

    h.agent.AppletData.RootDirLocalChecked = "1";  // local choice, in the stored letter case
    h.agent.PrepareItemsForOutput();
    EXPECT_EQ(h.agent.Items[0].LinkUrl, "file:///C|/site/a.html and file:///C|/site/b.html");
    EXPECT_EQ(h.agent.Items[1].LinkUrl, "file:///C|/site/c.html");

    h.agent.AppletData.RootDirRemote = " \t ";  // only one root set: nothing changes
    h.agent.AppletData.RootDirLocalChecked = "0";
    h.agent.PrepareItemsForOutput();
    EXPECT_EQ(h.agent.Items[1].LinkUrl, "file:///C|/site/c.html");
}

// Options at their defaults, or unknown values, hand the runtime nothing: the script stays as it
// was. A zoom gets each slide's focal point, written the same in any locale.
TEST(ConfigScript, LookOptionsReachTheRuntimeOnlyWhenSet) {
    struct Row {
        const char* transition;
        const char* navigation;
        const char* look;
    };
    std::vector<SlideExtras> extras(2);
    extras[0].focus = image::FocalPoint{0.725, 0.4};
    for (const Row& row :
         {Row{"", "", ""}, Row{"Fade", "None", ""}, Row{"Spin", "Everywhere", ""},
          Row{"Slide", "", "{transition:'Slide',navigation:'None'}"},
          Row{"", "ArrowsAndDots", "{transition:'Fade',navigation:'ArrowsAndDots'}"},
          Row{"Zoom", "Arrows",
              "{transition:'Zoom',navigation:'Arrows',focus:['72.5% 40.0%','']}"}}) {
        ProjectOptions options;
        options.set(ProjectOptions::kTransition, row.transition);
        options.set(ProjectOptions::kNavigation, row.navigation);
        const std::string look = RuntimeLook(options, extras);
        EXPECT_EQ(look, row.look) << row.transition << " " << row.navigation;
        const std::string script = ConfigScriptText(DefaultAppletData(), {}, nullptr, look);
        EXPECT_EQ(script.find("1000,1000," + look + ");") != std::string::npos, !look.empty());
    }
}

}  // namespace
}  // namespace lumivex
