// Photos that become new slide items. The metadata is read with Exiv2, which parses only the
// headers, never the pixels; each photo on its own Image object, so the reads run in parallel.

#include "PhotoImport.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <exiv2/exiv2.hpp>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "Text.h"
#include "UsableCores.h"
#include "image/HeifLibrary.h"
#include "image/ProbePicture.h"

namespace lumivex {

namespace {

namespace fs = std::filesystem;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Natural order: runs of digits by their value, other characters by byte with ASCII letters
// folded. Numbers sort between the characters below '0' and those above '9', so the order is a
// strict weak one ("a01" and "a1" are equivalent; the caller breaks the tie).
int naturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            while (i + 1 < a.size() && a[i] == '0' && isDigit(a[i + 1]))
                ++i;
            while (j + 1 < b.size() && b[j] == '0' && isDigit(b[j + 1]))
                ++j;
            std::size_t ie = i, je = j;
            while (ie < a.size() && isDigit(a[ie]))
                ++ie;
            while (je < b.size() && isDigit(b[je]))
                ++je;
            if (ie - i != je - j)
                return ie - i < je - j ? -1 : 1;
            if (const int c = a.substr(i, ie - i).compare(b.substr(j, je - j)); c != 0)
                return c;
            i = ie, j = je;
            continue;
        }
        const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAscii(b[j]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i, ++j;
    }
    return (i < a.size()) - (j < b.size());
}

// File names in natural order, then whole paths byte by byte.
bool pathLess(std::string_view a, std::string_view b) {
    const int c = naturalCompare(FileNamePart(a), FileNamePart(b));
    return c != 0 ? c < 0 : a < b;
}

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// What cameras write into the description when the user wrote nothing.
constexpr std::array<std::string_view, 8> kCameraPlaceholders = {
    "OLYMPUS DIGITAL CAMERA",
    "SONY DSC",
    "DIGITAL CAMERA",
    "MINOLTA DIGITAL CAMERA",
    "KONICA MINOLTA DIGITAL CAMERA",
    "SAMSUNG CAMERA PICTURES",
    "Exif_JPEG_PICTURE",
    "LEAD Technologies Inc. V1.01",
};

// A title from a metadata text, or "" when the text says nothing.
std::string titleFrom(std::string_view text) {
    std::string title = PhotoTitleText(text);
    for (const std::string_view junk : kCameraPlaceholders) {
        if (SameTextIgnoreCase(title, junk))
            return {};
    }
    return title;
}

std::string fileNameTitle(std::string_view path) {
    const std::string name = FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    std::string title = PhotoTitleText(dot == 0 || dot == std::string::npos
                                           ? std::string_view(name)
                                           : std::string_view(name).substr(0, dot));
    return title.empty() ? PhotoTitleText(name) : title;
}

// An XMP language alternative (dc:title, dc:description): the default language, else any.
std::string xmpText(const Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it == xmp.end())
        return {};
    const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&it->value());
    if (alternatives == nullptr)
        return titleFrom(it->toString());
    // Exiv2 keeps the languages in an order of its own, not the file's.
    if (const auto x = alternatives->value_.find("x-default"); x != alternatives->value_.end()) {
        if (std::string title = titleFrom(x->second); !title.empty())
            return title;
    }
    for (const auto& [language, text] : alternatives->value_) {
        if (std::string title = titleFrom(text); !title.empty())
            return title;
    }
    return {};
}

// ISO 2022 escapes that declare UTF-8 (IPTC's dataset 1:90).
bool declaresUtf8(const Exiv2::IptcData& iptc) {
    const auto it = iptc.findKey(Exiv2::IptcKey("Iptc.Envelope.CharacterSet"));
    if (it == iptc.end())
        return false;
    const std::string declared = it->toString();
    return declared == "\x1B%G" || declared == "\x1B%/G" || declared == "\x1B%/H" ||
           declared == "\x1B%/I";
}

std::string iptcText(const Exiv2::IptcData& iptc, const char* key) {
    const auto it = iptc.findKey(Exiv2::IptcKey(key));
    if (it == iptc.end())
        return {};
    const std::string bytes = it->toString();
    return titleFrom(declaresUtf8(iptc) ? bytes : latin1ToUtf8(bytes));
}

std::string exifText(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string() : it->toString();
}

// Digits at text[at, at + n), or -1.
int number(std::string_view text, std::size_t at, std::size_t n) {
    int value = 0;
    for (std::size_t k = at; k < at + n; ++k) {
        if (!isDigit(text[k]))
            return -1;
        value = value * 10 + (text[k] - '0');
    }
    return value;
}

// "YYYY:MM:DD HH:MM:SS" (also with "-" in the date or "T" before the time), and the digits of a
// fraction of a second. Blank or zero dates, which cameras without a set clock write, are none.
std::optional<CaptureTime> captureTime(std::string_view stamp, std::string_view fraction) {
    const std::string text = Trim(stamp);
    if (text.size() < 19 || (text[4] != ':' && text[4] != '-') || text[7] != text[4] ||
        (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const int y = number(text, 0, 4), mo = number(text, 5, 2), d = number(text, 8, 2);
    const int h = number(text, 11, 2), mi = number(text, 14, 2), s = number(text, 17, 2);
    if (y <= 0 || mo < 0 || d < 0 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 60)
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year{y}, month{static_cast<unsigned>(mo)},
                              day{static_cast<unsigned>(d)}};
    if (!date.ok())
        return std::nullopt;
    CaptureTime time = local_days{date} + hours{h} + minutes{mi} + seconds{s};
    const std::string digits = Trim(fraction);
    if (!digits.empty() && std::all_of(digits.begin(), digits.end(), isDigit)) {
        const std::string nine = (digits + "000000000").substr(0, 9);
        time += nanoseconds{number(nine, 0, 9)};
    }
    return time;
}

void muteAndInitialiseExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Exiv2 reports damaged files on standard error; ours are reported in the facts.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::enableBMFF(true);
        // Namespaces that XMP packets declare are registered in one global table.
        static std::mutex xmpRegistry;
        Exiv2::XmpParser::initialize(
            [](void* data, bool lock) {
                auto* mutex = static_cast<std::mutex*>(data);
                lock ? mutex->lock() : mutex->unlock();
            },
            &xmpRegistry);
    });
}

bool isHeif(std::string_view path) {
    const std::string name = LowerCase(FileNamePart(path));
    return name.ends_with(".heic") || name.ends_with(".heif") || name.ends_with(".avif");
}

// Exiv2 0.27 finds no metadata in HEIC and AVIF files, as phones write them; libheif hands over
// their EXIF and XMP blocks, which Exiv2's own parsers then read.
void readHeifMetadata(const std::string& name, Exiv2::ExifData& exif, Exiv2::XmpData& xmp) {
    const image::HeifFunctions& heif = image::Heif();
    const std::unique_ptr<heif_context, decltype(heif.heif_context_free)> context(
        heif.heif_context_alloc(), heif.heif_context_free);
    if (!context || heif.heif_context_read_from_file(context.get(), name.c_str(), nullptr).code !=
                        heif_error_Ok)
        return;
    heif_image_handle* primary = nullptr;
    if (heif.heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok)
        return;
    const std::unique_ptr<heif_image_handle, decltype(heif.heif_image_handle_release)> handle(
        primary, heif.heif_image_handle_release);
    constexpr std::size_t kMaxBlock = 16u << 20;
    for (const char* kind : {"Exif", "mime"}) {
        const int count = heif.heif_image_handle_get_number_of_metadata_blocks(primary, kind);
        std::vector<heif_item_id> ids(static_cast<std::size_t>(std::max(count, 0)));
        heif.heif_image_handle_get_list_of_metadata_block_IDs(primary, kind, ids.data(), count);
        for (const heif_item_id id : ids) {
            const std::size_t size = heif.heif_image_handle_get_metadata_size(primary, id);
            if (size < 4 || size > kMaxBlock)
                continue;
            std::string block(size, '\0');
            if (heif.heif_image_handle_get_metadata(primary, id, block.data()).code !=
                heif_error_Ok)
                continue;
            const auto* bytes = reinterpret_cast<const Exiv2::byte*>(block.data());
            if (std::string_view(kind) == "Exif") {
                // A big-endian offset to the TIFF header comes first.
                const std::uint64_t offset =
                    std::uint64_t{bytes[0]} << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
                if (offset + 4 < size)
                    Exiv2::ExifParser::decode(exif, bytes + 4 + offset,
                                              static_cast<std::uint32_t>(size - 4 - offset));
            } else if (std::string_view(heif.heif_image_handle_get_metadata_content_type(
                           primary, id)) == "application/rdf+xml") {
                Exiv2::XmpParser::decode(xmp, block);
            }
        }
    }
}

void readMetadata(const std::string& path, PhotoFacts& facts) {
    // Not blocking at the open: a pipe without a writer is passed over instead of waiting.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        facts.problem = std::error_code(errno, std::generic_category()).message();
        return;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        facts.problem = "It is not a regular file.";
        return;
    }
    // Exiv2 opens by name. The descriptor's name is the file checked above, whatever is renamed
    // meanwhile, and never a name that Exiv2 takes for a URL or standard input ("-", "http://").
    const std::string name = "/proc/self/fd/" + std::to_string(fd.get());
    try {
        auto image = Exiv2::ImageFactory::open(name, false);
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        Exiv2::XmpData xmp = image->xmpData();
        if (exif.empty() && xmp.empty() && isHeif(path))
            readHeifMetadata(name, exif, xmp);
        const std::optional<CaptureTime> captured =
            captureTime(exifText(exif, "Exif.Photo.DateTimeOriginal"),
                        exifText(exif, "Exif.Photo.SubSecTimeOriginal"));
        const Exiv2::IptcData& iptc = image->iptcData();
        const auto first = [](std::initializer_list<std::string> texts) {
            for (const std::string& text : texts) {
                if (!text.empty())
                    return text;
            }
            return std::string();
        };
        std::string title =
            first({xmpText(xmp, "Xmp.dc.title"), iptcText(iptc, "Iptc.Application2.ObjectName"),
                   iptcText(iptc, "Iptc.Application2.Headline")});
        std::string description = first({titleFrom(exifText(exif, "Exif.Image.ImageDescription")),
                                         xmpText(xmp, "Xmp.dc.description"),
                                         iptcText(iptc, "Iptc.Application2.Caption")});
        // A photo that is only described keeps its description as its title, as it always did;
        // the caption then says it once.
        if (title.empty())
            std::swap(title, description);
        if (!title.empty()) {
            facts.title = std::move(title);
            facts.description = std::move(description);
        }
        facts.captured = captured;
    } catch (const Exiv2::AnyError& e) {
        // Exiv2 names the file as it opened it; the caller knows which file this is.
        std::string_view message = e.what();
        if (message.starts_with(name + ": "))
            message.remove_prefix(name.size() + 2);
        facts.problem = message;
    }
}

PhotoFacts readFacts(const std::string& path) noexcept {
    PhotoFacts facts;
    try {
        facts.path = path;
        facts.title = fileNameTitle(path);
        readMetadata(path, facts);
        try {
            image::ProbePicture(path);
        } catch (const EngineError& e) {
            facts.unreadable = e.what();
        }
    } catch (const std::exception& e) {  // not Exiv2's: out of memory, say
        facts.problem = e.what();
    } catch (...) {
        facts.problem = "The metadata cannot be read.";
    }
    return facts;
}

// A path a project file can hold: its fields end at line breaks, 0x1A and the separator.
bool storablePath(std::string_view path) {
    return path.find_first_of("\r\n\x1A") == std::string_view::npos &&
           path.find(kFieldSeparator) == std::string_view::npos;
}

}  // namespace

bool HasPhotoExtension(std::string_view name) {
    static constexpr std::array<std::string_view, 9> kExtensions = {
        "jpg", "jpeg", "gif", "bmp", "png", "webp", "heic", "heif", "avif"};
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    const std::string_view extension = name.substr(dot + 1);
    return std::any_of(kExtensions.begin(), kExtensions.end(), [&](std::string_view known) {
        return SameTextIgnoreCase(extension, known);
    });
}

std::vector<std::string> PhotosInFolder(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    std::vector<std::string> photos;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with('.') || !HasPhotoExtension(name))
            continue;
        std::error_code notThere;  // a dangling link is no photo
        if (it->is_regular_file(notThere))
            photos.push_back(it->path().string());
    }
    if (error)
        throw FileError(folder, error.value(), "read");
    std::sort(photos.begin(), photos.end(), pathLess);
    return photos;
}

namespace {

// The length of the control character at `k` of UTF-8 text, 0 for any other: C0 and C1
// controls, the line and paragraph separators, and the bidirectional embeddings, overrides and
// isolates, with which a caption could show other text than it holds.
std::size_t controlLength(std::string_view utf8, std::size_t k) {
    const auto byte = [&](std::size_t at) {
        return at < utf8.size() ? static_cast<unsigned char>(utf8[at]) : 0u;
    };
    if (k >= utf8.size())
        return 0;
    const unsigned c = byte(k);
    if (c < 0x20 || c == 0x7F)
        return 1;
    if (c == 0xC2 && byte(k + 1) >= 0x80 && byte(k + 1) <= 0x9F)
        return 2;
    if (c == 0xE2 && byte(k + 1) == 0x80 && byte(k + 2) >= 0xA8 && byte(k + 2) <= 0xAE)
        return 3;  // U+2028 to U+202E
    if (c == 0xE2 && byte(k + 1) == 0x81 && byte(k + 2) >= 0xA6 && byte(k + 2) <= 0xA9)
        return 3;  // U+2066 to U+2069
    return 0;
}

}  // namespace

std::string PhotoTitleText(std::string_view text) {
    const std::string utf8 = LegacyTextToUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (const std::size_t n = controlLength(utf8, i); n > 0) {
            out += ' ';
            for (std::size_t m = n; m > 0; m = controlLength(utf8, i))
                i += m;
        } else {
            out += utf8[i++];
        }
    }
    // "#$" then "@" again cannot arise from dropping the "$", so one pass removes every separator.
    for (std::size_t at = out.find(kFieldSeparator); at != std::string::npos;
         at = out.find(kFieldSeparator, at))
        out.erase(at + 1, 1);
    out = Trim(out);
    if (out.size() > kMaxPhotoTitleBytes) {
        std::size_t cut = kMaxPhotoTitleBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
        out = Trim(std::string_view(out).substr(0, cut));
    }
    return out;
}

std::vector<PhotoFacts> ReadPhotoFacts(const std::vector<std::string>& paths) {
    muteAndInitialiseExiv2();
    std::vector<PhotoFacts> facts(paths.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < paths.size(); k = next++)
            facts[k] = readFacts(paths[k]);
    };
    {
        std::vector<std::jthread> helpers;
        const std::size_t workers = std::min<std::size_t>(UsableCores(), paths.size());
        try {
            for (std::size_t w = 1; w < workers; ++w)
                helpers.emplace_back(work);
        } catch (const std::system_error&) {
            // Fewer threads than cores: the ones there are do the work.
        }
        work();
    }
    return facts;
}

std::vector<PhotoFacts> OrderPhotos(std::vector<PhotoFacts> facts) {
    const bool byTime = std::all_of(facts.begin(), facts.end(),
                                    [](const PhotoFacts& f) { return f.captured.has_value(); });
    std::stable_sort(facts.begin(), facts.end(),
                     [byTime](const PhotoFacts& a, const PhotoFacts& b) {
                         if (byTime && *a.captured != *b.captured)
                             return *a.captured < *b.captured;
                         return pathLess(a.path, b.path);
                     });
    return facts;
}

TItemArray PhotoItems(const std::vector<PhotoFacts>& ordered) {
    TItemArray items;
    items.reserve(ordered.size());
    for (const PhotoFacts& photo : ordered) {
        std::string path = fs::absolute(photo.path).lexically_normal().string();
        if (!storablePath(path)) {
            throw EngineError("Cannot add the photo \"" + photo.path +
                              "\": a project cannot hold a path with a line break or \"" +
                              kFieldSeparator + "\" in it.");
        }
        TItemData& item = items.emplace_back(TzqxAppletAgent::NewItemDefaults());
        // A photo publishes as what it is: no placeholder text and no link to nowhere.
        item.Title = photo.title;
        item.LinkUrl.clear();
        item.ToolTip = photo.title;
        item.Description = photo.description;
        item.OriginalImagePath = std::move(path);
    }
    return items;
}

}  // namespace lumivex
