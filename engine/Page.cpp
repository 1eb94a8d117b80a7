#include "CodeGeneration.h"

#include <cstdio>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "RuntimeContract.h"
#include "Text.h"

namespace lumivex {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool IsValidSlideshowId(std::string_view id) {
    if (id.empty() || (id[0] >= '0' && id[0] <= '9'))
        return false;
    for (char c : id) {
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    }
    return true;
}

std::string InvalidSlideshowIdMessage(std::string_view id) {
    return "The slideshow name \"" + std::string(id) +
           "\" cannot be used. It names the generated files, style classes and script variables, "
           "so it "
           "must start with a letter or \"_\" and hold only the letters A-Z and a-z, the digits "
           "0-9 and "
           "\"_\" (for example Lumivex1).";
}

std::string PageText(const std::string& id, const TLinkedFileInfoArray& linkedFiles) {
    const std::string crlf = "\r\n";
    const std::string address = kProductAddress;
    char length[8];
    std::snprintf(length, sizeof length, "%04zu", address.size());
    std::string out;
    auto line = [&](const std::string& text) { out += text + crlf; };
    line(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
        "\"http://www.w3.org/TR/1999/REC-html401-19991224/loose.dtd\">");
    line("<!-- saved from url=(" + std::string(length) + ")" + address + " -->");
    line("<HTML>");
    line("<HEAD>");
    line("<TITLE>Preview</TITLE>");
    line("");
    line("<!-- " + std::string(kProductLine) + " -->");
    line("<!-- " + std::string(kCopyrightLine) + " -->");
    line("<!-- Please insert following codes into <head> section of Web pages. -->");
    line("<!-- BEGIN -->");
    for (const TLinkedFileInfo& f : linkedFiles) {
        if (LowerCase(f.FileKind) == "css") {
            line("<LINK href=\"./" + f.FileName + "\" type=\"text/css\" rel=\"stylesheet\" />");
        }
    }
    line("<!-- END -->");
    line("");
    line("</HEAD>");
    line("<BODY>");
    line("");
    line(
        "<!-- Please insert following <div> and <script> to web pages where you want to include "
        "the script -->");
    line("<DIV id=\"" + runtime::PlaceholderId(id) + "\" class=\"" + runtime::ContainerClass(id) +
         "\"></DIV>");
    for (const TLinkedFileInfo& f : linkedFiles) {
        if (LowerCase(f.FileKind) == "js") {
            line("<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./" + f.FileName +
                 "\"></SCRIPT>");
        }
    }
    line("");
    line("</BODY>");
    line("</HTML>");
    return out;
}

namespace {

std::string HtmlAttribute(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

std::string ModernPageText(const std::string& id, const TLinkedFileInfoArray& linkedFiles,
                           const TAppletData& data, const TItemArray& items,
                           const std::vector<SlideExtras>& extras) {
    const std::string crlf = "\r\n";
    std::string out;
    auto line = [&](const std::string& text) { out += text + crlf; };
    line("<!DOCTYPE html>");
    line("<html lang=\"en\">");
    line("<head>");
    line("<meta charset=\"utf-8\">");
    line("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    line("<title>" + HtmlAttribute(id) + "</title>");
    // No icon: a browser would ask the server for one that is not there.
    line("<link rel=\"icon\" href=\"data:,\">");
    line("");
    line("<!-- " + std::string(kProductLine) + " -->");
    line("<!-- " + std::string(kCopyrightLine) + " -->");
    line("<!-- Please insert following codes into <head> section of Web pages. -->");
    line("<!-- BEGIN -->");
    // The first slide is fetched with the page, and shown by it before any script runs.
    const SlideSources first =
        items.empty()
            ? SlideSources{}
            : ModernSlideSources(data, items[0], extras.empty() ? SlideExtras{} : extras[0]);
    const bool avif = !first.avif.empty();
    if (!first.jpeg.empty()) {
        line(std::string("<link rel=\"preload\" as=\"image\"") +
             (avif ? " type=\"image/avif\"" : "") + " imagesrcset=\"" +
             HtmlAttribute(avif ? first.avif : first.jpeg) + "\" imagesizes=\"" +
             HtmlAttribute(first.sizes) + "\" fetchpriority=\"high\">");
    }
    for (const TLinkedFileInfo& f : linkedFiles) {
        if (LowerCase(f.FileKind) == "css")
            line("<link href=\"./" + HtmlAttribute(f.FileName) + "\" rel=\"stylesheet\">");
    }
    line("<!-- END -->");
    line("</head>");
    line("<body>");
    line("");
    line(
        "<!-- Please insert following <div> and <script> to web pages where you want to include "
        "the script -->");
    // Under the slides the runtime builds; not in a transparent box, where it would show through.
    std::string firstPicture;
    if (!first.jpeg.empty() && LowerCase(data.SlideShowBackgroundColor) != "transparent") {
        firstPicture = std::string("<picture aria-hidden=\"true\">") +
                       (avif ? "<source type=\"image/avif\" srcset=\"" + HtmlAttribute(first.avif) +
                                   "\" sizes=\"" + HtmlAttribute(first.sizes) + "\">"
                             : "") +
                       "<img src=\"" + HtmlAttribute(items[0].SlideImageFile) + "\" srcset=\"" +
                       HtmlAttribute(first.jpeg) + "\" sizes=\"" + HtmlAttribute(first.sizes) +
                       "\" width=\"" + IntToStr(first.width) + "\" height=\"" +
                       IntToStr(first.height) + "\" alt=\"\" fetchpriority=\"high\"></picture>";
    }
    line("<div id=\"" + runtime::PlaceholderId(id) + "\" class=\"" + runtime::ContainerClass(id) +
         "\">" + firstPicture + "</div>");
    for (const TLinkedFileInfo& f : linkedFiles) {
        if (LowerCase(f.FileKind) == "js")
            line("<script src=\"./" + HtmlAttribute(f.FileName) + "\" defer></script>");
    }
    line("");
    line("</body>");
    line("</html>");
    return out;
}

}  // namespace lumivex
