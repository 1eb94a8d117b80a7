#include <array>
#include <string>
#include <string_view>

#include "AppletAgent.h"
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
std::size_t ProjectFileSize(const TAppletData& data, const TItemArray& items,
                            std::size_t separator) {
    std::size_t size = 128;  // the section tags and the settings line's end
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

// Reads the project in `text` into the agent. Stops quietly at an early end of the file, leaving
// replaced what was replaced until then.
void ReadProject(TzqxAppletAgent& agent, std::string_view text) {
    LineReader in(text);
    std::string_view line;
    auto skipTo = [&](std::string_view tag) { return in.skipTo(line, tag); };

    if (!in.next(line) || !skipTo("<Product_Name>"))
        return;
    if (!in.next(line))
        return;
    if (line != kProductName && line != kSiblingProductName) {
        agent.messages().showError(std::string(kWrongProduct));
        return;
    }
    if (!in.next(line) || !skipTo("<Product_Version>"))
        return;
    if (!in.next(line))  // the version: every version is read the same way
        return;
    if (!in.next(line) || !skipTo("<Applet_Parameters>"))
        return;
    if (!in.next(line))
        return;

    std::array<std::string_view, TAppletData::kFieldCount> settings;
    SplitFields(line, agent.Separator, settings);
    for (int k = 0; k < TAppletData::kFieldCount; ++k) {
        agent.AppletData.*TAppletData::kFields[k] = settings[k];
    }

    if (!skipTo("<Item_Parameters>"))
        return;
    agent.progress().setHint("Loading Data ... ...");
    agent.progress().setBusy(true);
    agent.Items.clear();
    agent.Items.reserve(in.linesBefore("</Item_Parameters>"));
    std::array<std::string_view, TItemData::kFieldCount> fields;
    while (in.next(line) && line != "</Item_Parameters>") {
        SplitFields(line, agent.Separator, fields);
        TItemData& item = agent.Items.emplace_back();
        for (int k = 0; k < TItemData::kFieldCount; ++k)
            item.*TItemData::kFields[k] = fields[k];
    }
}

}  // namespace

void TzqxAppletAgent::SaveToFile(const std::string& path) {
    ProgressReset reset(progress_);
    const int n = static_cast<int>(Items.size());
    progress_.setMaximum(TItemData::kFieldCount * n + 15);
    progress_.setHint("Saving Data ... ...");
    progress_.setBusy(true);

    // The whole file is built first and then replaces the old one at once, so a failed write
    // never leaves a cut-off project behind.
    std::string out;
    out.reserve(ProjectFileSize(AppletData, Items, Separator.size()));
    for (std::string_view line : kHeader)
        AppendLine(out, line);
    progress_.step(10);

    AppendLine(out, "<Applet_Parameters>");
    for (auto field : TAppletData::kFields)
        AppendField(out, AppletData.*field, Separator);
    out.append(kLineEnd);
    AppendLine(out, "</Applet_Parameters>");
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

    WriteFileAtomically(path, out);
}

void TzqxAppletAgent::LoadFromFile(const std::string& path, ItemTree& tree) {
    ProgressReset reset(progress_);
    ReadKeepingTreeInStep(tree, [&] { ReadProject(*this, ReadWholeFile(path)); });
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
