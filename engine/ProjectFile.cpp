#include <array>
#include <cerrno>
#include <initializer_list>
#include <string>
#include <string_view>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "LineReader.h"

namespace lumivex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kProductName = "Lumivex";
// Files of the sibling product share the format and are read like our own.
constexpr std::string_view kSiblingProductName = "Corvinel";
constexpr std::string_view kWrongProduct = "This file wasn't saved by Lumivex 1.0, open failed!";

constexpr std::string_view kHeader[] = {
    "<Warning_Info>",
    "Note: This file was created and maintained by Lumivex 1.0.",
    "Do not modify it or script project may not be opened again!",
    "</Warning_Info>",
    "<Product_Name>",
    kProductName,
    "</Product_Name>",
    "<Product_Version>",
    "1.0",
    "</Product_Version>",
};

// The size of the file, so that a large project is built without being copied as it grows.
std::size_t ProjectFileSize(const TAppletData& data, const ProjectOptions& options,
                            const TItemArray& items, std::size_t separator) {
    std::size_t size = 128 + options.blockText().size();  // and the section tags
    for (std::string_view line : kHeader)
        size += line.size() + kLineEnd.size();
    for (auto field : TAppletData::kFields)
        size += (data.*field).size() + separator;
    for (const TItemData& item : items) {
        size += kLineEnd.size();
        for (auto field : TItemData::kFields)
            size += (item.*field).size() + separator;
    }
    return size;
}

// Reads on from the current `line` until it equals `tag`. A section tag that belongs after
// `tag` ends the search: the file's sections are damaged or out of order.
enum class Skip { Found, End, Misplaced };
Skip skipTo(LineReader& in, std::string_view& line, std::string_view tag,
            std::initializer_list<std::string_view> later) {
    while (line != tag) {
        for (std::string_view t : later) {
            if (line == t)
                return Skip::Misplaced;
        }
        if (!in.next(line))
            return Skip::End;
    }
    return Skip::Found;
}

ProjectRead notAProject(std::string problem) {
    return {ProjectReadOutcome::NotAProject, std::move(problem)};
}

ProjectRead damaged(std::string_view tag) {
    return notAProject("It is damaged: the line \"" + std::string(tag) +
                       "\" is missing or out of place.");
}

const char* const kEndsBeforeSettings = "It ends before the project's settings.";

// Reads the project in `text` into the agent. Stops at an early end of the file, leaving
// replaced what was replaced until then, and says how far it came.
ProjectRead ReadProject(TzqxAppletAgent& agent, std::string_view text) {
    LineReader in(text);
    if (in.atEnd())
        return notAProject("The file is empty.");
    constexpr std::string_view kItemsEnd = "</Item_Parameters>";
    std::string_view line;
    in.next(line);
    if (skipTo(in, line, "<Product_Name>", {}) != Skip::Found)
        return notAProject("It is not a Lumivex project: it holds no \"<Product_Name>\" line.");
    if (!in.next(line))
        return notAProject(kEndsBeforeSettings);
    if (line != kProductName && line != kSiblingProductName) {
        agent.messages().showError(std::string(kWrongProduct));
        return {ProjectReadOutcome::Refused, std::string(kWrongProduct)};
    }
    const std::initializer_list<std::string_view> afterVersion = {
        "<Applet_Parameters>", "</Applet_Parameters>", "<Item_Parameters>", kItemsEnd};
    if (!in.next(line))
        return notAProject(kEndsBeforeSettings);
    switch (skipTo(in, line, "<Product_Version>", afterVersion)) {
        case Skip::End:
            return notAProject(kEndsBeforeSettings);
        case Skip::Misplaced:
            return damaged("<Product_Version>");
        case Skip::Found:
            break;
    }
    if (!in.next(line) || !in.next(line))  // the version: every version is read the same way
        return notAProject(kEndsBeforeSettings);
    switch (skipTo(in, line, "<Applet_Parameters>",
                   {"</Applet_Parameters>", "<Item_Parameters>", kItemsEnd})) {
        case Skip::End:
            return notAProject(kEndsBeforeSettings);
        case Skip::Misplaced:
            return damaged("<Applet_Parameters>");
        case Skip::Found:
            break;
    }
    if (!in.next(line))
        return notAProject(kEndsBeforeSettings);

    std::array<std::string_view, TAppletData::kFieldCount> settings;
    SplitFields(line, agent.Separator, settings);
    for (int k = 0; k < TAppletData::kFieldCount; ++k) {
        agent.AppletData.*TAppletData::kFields[k] = settings[k];
    }
    // The options block sits among the lines that readers skip before the items.
    agent.Options.clear();
    while (line != "<Item_Parameters>" && line != kItemsEnd && in.next(line)) {
        if (line != ProjectOptions::kBlockStart)
            continue;
        while (in.next(line) && line != ProjectOptions::kBlockEnd && line != "<Item_Parameters>")
            agent.Options.readLine(line);
    }

    switch (skipTo(in, line, "<Item_Parameters>", {kItemsEnd})) {
        case Skip::End:
            return {ProjectReadOutcome::Incomplete,
                    "It ends before \"<Item_Parameters>\": it was cut short, and its items are "
                    "missing."};
        case Skip::Misplaced:
            return damaged("<Item_Parameters>");
        case Skip::Found:
            break;
    }
    agent.progress().setHint("Loading Data ... ...");
    agent.progress().setBusy(true);
    agent.Items.clear();
    agent.Items.reserve(in.linesBefore(kItemsEnd));
    std::array<std::string_view, TItemData::kFieldCount> fields;
    while (in.next(line)) {
        if (line == kItemsEnd)
            return {};
        SplitFields(line, agent.Separator, fields);
        TItemData& item = agent.Items.emplace_back();
        for (int k = 0; k < TItemData::kFieldCount; ++k)
            item.*TItemData::kFields[k] = fields[k];
    }
    return {ProjectReadOutcome::Incomplete,
            "It ends before \"</Item_Parameters>\": it was cut short, and items at its end may "
            "be missing."};
}

}  // namespace

void TzqxAppletAgent::SaveToFile(const std::string& path) {
    WriteFileAtomically(path, ProjectFileText());
}

std::string TzqxAppletAgent::ProjectFileText() {
    ProgressReset reset(progress_);
    const int n = static_cast<int>(Items.size());
    progress_.setMaximum(TItemData::kFieldCount * n + 15);
    progress_.setHint("Saving Data ... ...");
    progress_.setBusy(true);

    // The whole file is built first and then replaces the old one at once, so a failed write
    // never leaves a cut-off project behind.
    std::string out;
    out.reserve(ProjectFileSize(AppletData, Options, Items, Separator.size()));
    for (std::string_view line : kHeader)
        AppendLine(out, line);
    progress_.step(10);

    AppendLine(out, "<Applet_Parameters>");
    for (auto field : TAppletData::kFields)
        AppendField(out, AppletData.*field, Separator);
    out.append(kLineEnd);
    AppendLine(out, "</Applet_Parameters>");
    out.append(Options.blockText());
    progress_.step(5);

    AppendLine(out, "<Item_Parameters>");
    for (const TItemData& item : Items) {
        for (auto field : TItemData::kFields) {
            AppendField(out, item.*field, Separator);
            progress_.step(1);
        }
        out.append(kLineEnd);
    }
    AppendLine(out, "</Item_Parameters>");
    return out;
}

std::string ReadItemListFile(const std::string& path) {
    std::string text;
    try {
        text = ReadWholeFile(path, kMaxProjectFileBytes);
    } catch (const FileError& e) {
        if (e.errorNumber() != EFBIG)
            throw;
        throw FileError(path, "open",
                        "It is larger than " + std::to_string(kMaxProjectFileBytes >> 20) +
                            " MiB, more than any project holds.");
    }
    // A flood of line ends (two megabytes of CR make a million items) is refused before any
    // item is made. The header and the section tags take fewer than 64 lines.
    constexpr std::size_t kMaxLines = kMaxProjectItems + 64;
    std::size_t lines = 0;
    LineReader counter(text);
    for (std::string_view line; lines <= kMaxLines && counter.next(line);)
        ++lines;
    if (lines > kMaxLines) {
        throw FileError(path, "open",
                        "It holds more than " + std::to_string(kMaxLines) +
                            " lines; a project has one line per item, and at most " +
                            std::to_string(kMaxProjectItems) + " items are opened.");
    }
    return text;
}

ProjectRead TzqxAppletAgent::LoadFromFile(const std::string& path, ItemTree& tree) {
    ProgressReset reset(progress_);
    ProjectRead read;
    ReadKeepingTreeInStep(tree, [&] { read = ReadProject(*this, ReadItemListFile(path)); });
    return read;
}

std::string TzqxAppletAgent::ExtractField(const std::string& line, int n,
                                          const std::string& separator) {
    if (n < 1 || separator.empty())
        return {};
    std::size_t pos = 0;
    for (int pass = 1;; ++pass) {
        const std::size_t hit = line.find(separator, pos);
        if (hit == std::string::npos)
            return {};
        if (pass == n)
            return line.substr(pos, hit - pos);
        pos = hit + separator.size();
    }
}

}  // namespace lumivex
