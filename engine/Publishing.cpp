#include <sys/stat.h>

#include <unordered_set>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "PublishRecord.h"
#include "RuntimeContract.h"
#include "Text.h"

namespace lumivex {

namespace {

const std::string kReportSeparator(77, '=');

bool sameFolder(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

std::string TzqxAppletAgent::PublishBaseName(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return fileName;
    return ReplaceAllIgnoreCase(fileName, fileName.substr(dot), "");
}

GeneratedCode TzqxAppletAgent::PrepareCodeToPublish(const std::string& projectFile) {
    // Only what a build writes into the items; a publish that fails leaves them as the folder's
    // last publish has them.
    struct Made {
        std::string slide, width, height;
    };
    std::vector<Made> before;
    before.reserve(Items.size());
    for (const TItemData& item : Items)
        before.push_back({item.SlideImageFile, item.ImageWidth, item.ImageHeight});
    const auto restore = [&] {
        for (std::size_t k = 0; k < Items.size() && k < before.size(); ++k) {
            Items[k].SlideImageFile = std::move(before[k].slide);
            Items[k].ImageWidth = std::move(before[k].width);
            Items[k].ImageHeight = std::move(before[k].height);
        }
    };
    std::string reason;
    try {
        BusyScope busy(progress_, "Making HTML Codes ... ...");
        GeneratedCode code = PrepareGeneratedCode();
        if (MissingSlides.empty())
            return code;
        reason = SlidesNotMadeError(MissingSlides).what();
    } catch (const SlidesNotMadeError& e) {
        std::vector<std::string> all = e.problems();
        all.insert(all.end(), MissingSlides.begin(), MissingSlides.end());
        reason = SlidesNotMadeError(std::move(all)).what();
    } catch (const PublishCancelledError&) {
        restore();  // nothing is written: the project stays as it was, unsaved
        throw;
    }
    // Anything else (settings that cannot be written, a full disk) stops the save before any
    // file is written, as it always did.
    restore();
    // The designer's edits are saved whatever stops the publish.
    WriteFileAtomically(projectFile, ProjectFileText());
    throw NotPublishedError(projectFile, reason);
}

bool TzqxAppletAgent::SaveAndPublish(const std::string& folder, const std::string& fileName,
                                     ItemTree&) {
    const std::string base = PublishBaseName(fileName);
    const GeneratedCode code = PrepareCodeToPublish(folder + base + ".lvx");
    const std::string project = ProjectFileText();
    const std::string report = PublishReportText();

    ProgressReset reset(progress_);
    progress_.setMaximum(100);
    progress_.setHint("Copying Publishable Files ... ...");
    progress_.setBusy(true);
    // Every file goes in under a temporary name first and all are renamed at the end, the page
    // last, so that a full disk or a failed copy never leaves a page naming a file that is not
    // there. What a killed publish left behind goes first.
    RemoveStaleTemporaryFiles(folder);
    StagedFiles staged(folder);
    std::unordered_set<std::string> placed;
    for (const auto& [name, bytes] : code.slides) {
        if (placed.insert(name).second)
            staged.Write(name, bytes);
    }
    // Slide images of originals that are gone, and the loading image, come from the preview
    // folder; one that is not there is left out, as a copy of nothing.
    CollectResourceFiles();
    for (const std::string& name : ResourceFiles) {
        if (!IsPlainFileName(name) || !placed.insert(name).second)
            continue;
        if (!staged.CopyIfPresent(name, PreviewFolder() + name)) {
            // Not there because it could not be written there: the publish must not claim it.
            if (const auto failed = previewCopyFailures_.find(name);
                failed != previewCopyFailures_.end())
                throw EngineError(failed->second);
        }
    }
    // Visitors of the modern output get the runtime in its fewest bytes.
    const std::string minified = ProgramFolder + runtime::kMinifiedRuntimeFileName;
    const bool useMinified = Options.modernWebOutput() && FileExists(minified);
    for (const TLinkedFileInfo& f : LinkedFiles) {
        if (f.IsGenerated || !IsPlainFileName(f.FileName))
            continue;
        const bool runtimeFile = f.FileName == runtime::kRuntimeFileName;
        staged.CopyIfPresent(f.FileName,
                             runtimeFile && useMinified ? minified : ProgramFolder + f.FileName);
    }
    staged.Write(LinkedFiles[kStyleSheetEntry].FileName, code.styleSheet);
    staged.Write(base + ".lvx", project);
    staged.Write(base + "_PublishReport.txt", report);
    staged.Write(LinkedFiles[kConfigScriptEntry].FileName, code.configScript);
    staged.Write(base + ".html", code.page);
    progress_.step(50);
    if (progress_.stopRequested())
        throw PublishCancelledError();  // the staged files go with `staged`
    staged.Commit();
    // What an earlier publish of this project wrote and this one no longer does goes.
    PublishRecord(PublishRecordsFolder, folder, base).Replace(staged.Names());

    // A build step may have left generated files in the program folder; a publish takes them
    // away, unless it published into the program folder itself.
    const bool intoProgramFolder = sameFolder(folder.empty() ? "." : folder, ProgramFolder);
    for (const TLinkedFileInfo& f : LinkedFiles) {
        if (f.IsGenerated && !intoProgramFolder && IsPlainFileName(f.FileName))
            DeleteFileQuietly(ProgramFolder + f.FileName);
    }
    progress_.step(50);
    return true;
}

void TzqxAppletAgent::WritePublishReport(const std::string& folder,
                                         const std::string& reportFileName) {
    const std::string text = PublishReportText();
    const std::string where = !folder.empty() ? folder : ScratchFolder;
    WriteFileAtomically(where + reportFileName, text);
}

std::string TzqxAppletAgent::PublishReportText() {
    const std::string crlf = "\r\n";
    std::string text;
    auto line = [&](const std::string& s) { text += s + crlf; };
    line(kReportSeparator);
    line("This file includes a list of filename and you need to upload them to Web server");
    line("to get the script to work. All these files are saved into the same directory along");
    line("with the project file (*.lvx) as well as this file.");
    line("");
    line(kReportSeparator);
    line("");

    ProgressReset reset(progress_);
    progress_.setMaximum(101);
    progress_.setHint("Making Publish Report ... ...");
    progress_.setBusy(true);
    line("[Script file(s)]:");
    for (const TLinkedFileInfo& f : LinkedFiles) {
        line("  " + f.FileName);
        progress_.step(1);
    }
    line("");
    line("[Image File(s)]: They should be copied along with script files!");
    CollectResourceFiles();
    std::unordered_set<std::string> listed;
    for (const std::string& name : ResourceFiles) {
        if (!name.empty() && listed.insert(name).second)
            line("  " + name);
    }
    line("");
    line("");
    line(kReportSeparator);
    line("End of Publish Report");
    line(kReportSeparator);
    progress_.step(50);
    progress_.step(50);
    return text;
}

}  // namespace lumivex
