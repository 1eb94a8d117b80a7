#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "RuntimeContract.h"
#include "Text.h"

namespace lumivex {

namespace {

// Names read from a project file (slide images, the loading image) are joined to a folder;
// one that could leave it is never copied, but it is listed like any other copy.
void copyNamedFile(TzqxAppletAgent& agent, const std::string& folder, const std::string& name) {
    if (IsPlainFileName(name)) {
        agent.CopyToPreview(folder + name);
    } else {
        agent.PreviewCopies.push_back(FileNamePart(folder + name));
    }
}

}  // namespace

void TzqxAppletAgent::CopyToPreview(const std::string& path) {
    const std::string folder = PreviewFolder();
    if (!FolderExists(folder))
        CreateFolderQuietly(folder);
    const std::string name = FileNamePart(path);
    if (IsPlainFileName(name)) {
        try {
            if (CopyFileIfPresent(path, folder + name))
                previewCopyFailures_.erase(name);
        } catch (const std::exception& e) {
            // Quiet, as a copy for the preview is; a publish that needs the file says why it
            // is not there.
            previewCopyFailures_[name] = e.what();
        }
    }
    PreviewCopies.push_back(name);
}

void TzqxAppletAgent::ClearPreviewFolder() {
    const std::string folder = PreviewFolder();
    for (const std::string& name : PreviewCopies) {
        if (IsPlainFileName(name) && FileExists(folder + name))
            DeleteFileQuietly(folder + name);
    }
    PreviewCopies.clear();
    previewCopyFailures_.clear();
    // Fails, silently, while files that came another way are still there.
    RemoveEmptyFolderQuietly(folder);
}

void TzqxAppletAgent::CopyLinkedFilesToPreview(const std::string& folder) {
    for (const TLinkedFileInfo& entry : LinkedFiles) {
        copyNamedFile(*this, folder, entry.FileName);
        if (entry.IsGenerated && IsPlainFileName(entry.FileName)) {
            DeleteFileQuietly(folder + entry.FileName);
        }
    }
}

void TzqxAppletAgent::CollectResourceFiles() {
    ResourceFiles.clear();
    for (std::size_t k = 0; k < Items.size(); ++k) {
        const std::string& slide = Items[k].SlideImageFile;
        if (Trim(slide).empty())
            continue;
        ResourceFiles.push_back(slide);
        if (k >= SlideExtraFiles.size())
            continue;
        const SlideExtras& extras = SlideExtraFiles[k];
        if (extras.avif)
            ResourceFiles.push_back(runtime::AvifName(slide));
        for (const SlideExtras::Width& w : extras.widths) {
            const std::string name = runtime::WidthName(slide, w.tenths);
            ResourceFiles.push_back(name);
            if (w.avif)
                ResourceFiles.push_back(runtime::AvifName(name));
        }
    }
    if (!Trim(AppletData.SlideShowLoadingBgImage).empty()) {
        ResourceFiles.push_back(AppletData.SlideShowLoadingBgImage);
    }
}

void TzqxAppletAgent::CopyResourceFilesToPreview(const std::string& folder) {
    progress_.setMaximum(100);
    progress_.setHint("Copying Resource Files ... ...");
    progress_.setBusy(true);
    CollectResourceFiles();
    for (const std::string& name : ResourceFiles)
        copyNamedFile(*this, folder, name);
    progress_.step(50);
    progress_.step(50);
    progress_.setPosition(0);
    progress_.setHint("");
    progress_.setBusy(false);
}

}  // namespace lumivex
