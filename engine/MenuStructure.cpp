#include <array>
#include <string>
#include <string_view>

#include "AppletAgent.h"
#include "FileIO.h"
#include "LineReader.h"
#include "Text.h"

namespace lumivex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kFormatName = "General Menu Structure Description Format";
constexpr std::string_view kWrongFormat =
    "This file wasn't saved by specified format, open failed!";
constexpr int kLineFields = 5;

constexpr std::string_view kHeader[] = {
    "<Generator_Name>",    "Lumivex",   "</Generator_Name>",
    "<Generator_Version>", "1.0",       "</Generator_Version>",
    "<Product_Name>",      kFormatName, "</Product_Name>",
    "<Product_Version>",   "1.0",       "</Product_Version>",
};

// Reads the structure in `text` into the agent. Stops quietly at an early end of the file; the
// project is replaced only once the structure section has been reached.
void ReadStructure(TzqxAppletAgent& agent, std::string_view text) {
    LineReader in(text);
    std::string_view line;
    auto skipTo = [&](std::string_view tag) { return in.skipTo(line, tag); };

    if (!in.next(line) || !skipTo("<Product_Name>"))
        return;
    // Only the format is checked, so files of any program that writes it are taken.
    if (!in.next(line))
        return;
    if (line != kFormatName) {
        agent.messages().showError(std::string(kWrongFormat));
        return;
    }
    if (!in.next(line) || !skipTo("<Product_Version>"))
        return;
    if (!in.next(line))  // the format version, not examined
        return;
    if (!in.next(line) || !skipTo("<Structure_Description>"))
        return;

    agent.progress().setHint("Loading Data ... ...");
    agent.progress().setBusy(true);
    agent.SetDefaults();
    agent.Items.reserve(in.linesBefore("</Structure_Description>"));
    std::array<std::string_view, kLineFields> fields;
    while (in.next(line) && line != "</Structure_Description>") {
        SplitFields(line, agent.Separator, fields);
        TItemData& item = agent.Items.emplace_back(TzqxAppletAgent::NewItemDefaults());
        item.Level = fields[0];
        item.Title = fields[1];
        item.LinkUrl = fields[2];
        item.LinkTarget = fields[3];
        item.Description = fields[4];
    }
}

}  // namespace

void TzqxAppletAgent::ExportMenuStructure(const std::string& path) {
    ProgressReset reset(progress_);
    progress_.setMaximum(TItemData::kFieldCount * static_cast<int>(Items.size()) + 15);
    progress_.setHint("Saving Data ... ...");
    progress_.setBusy(true);

    std::string out;
    for (std::string_view line : kHeader)
        AppendLine(out, line);
    progress_.step(10);
    progress_.step(5);

    AppendLine(out, "<Structure_Description>");
    RefreshLevels();
    for (const TItemData& item : Items) {
        AppendField(out, item.Level, Separator);
        AppendField(out, item.Title, Separator);
        AppendField(out, item.LinkUrl, Separator);
        AppendField(out, item.LinkTarget, Separator);
        AppendField(out, item.Description, Separator);
        out.append(kLineEnd);
    }
    AppendLine(out, "</Structure_Description>");

    WriteFileAtomically(path, out);
}

void TzqxAppletAgent::ImportMenuStructure(const std::string& path, ItemTree& tree) {
    ProgressReset reset(progress_);
    ReadKeepingTreeInStep(tree, [&] { ReadStructure(*this, ReadItemListFile(path)); });
}

std::string TzqxAppletAgent::MenuStructureFileName(const std::string& chosen) {
    const bool hasExtension =
        chosen.size() >= 4 &&
        LowerCase(std::string_view(chosen).substr(chosen.size() - 4)) == ".gms";
    return hasExtension ? chosen : chosen + ".gms";
}

}  // namespace lumivex
