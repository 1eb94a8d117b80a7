#include "CodeGeneration.h"

#include <cstdio>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "RuntimeContract.h"
#include "Text.h"

namespace lumivex {

namespace {

// Resets the hint line and the cursor however the operation ends.
class BusyScope {
public:
    BusyScope(Progress& progress, const std::string& hint) : progress_(progress) {
        progress_.setHint(hint);
        progress_.setBusy(true);
    }
    ~BusyScope() {
        progress_.setHint("");
        progress_.setBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Progress& progress_;
};

}  // namespace

void TzqxAppletAgent::GenerateCode(const std::string& pagePath) {
    BusyScope busy(progress_, "Making HTML Codes ... ...");
    // The id becomes file names, classes and identifiers; a bad one would write outside the
    // program folder or give a page that silently shows nothing, so refuse it before any change.
    if (!IsValidSlideshowId(AppletData.CtrlId)) {
        throw InvalidProjectError(InvalidSlideshowIdMessage(AppletData.CtrlId));
    }
    PrepareItemsForOutput();
    PrepareSlideImages();

    const std::string& id = AppletData.CtrlId;
    LinkedFiles[kStyleSheetEntry].FileName = runtime::StyleSheetFileName(id);
    const std::string styleSheet = StyleSheetText(AppletData);
    WriteFileAtomically(ProgramFolder + LinkedFiles[kStyleSheetEntry].FileName, styleSheet);

    LinkedFiles[kConfigScriptEntry].FileName = runtime::ConfigScriptFileName(id);
    WriteFileAtomically(ProgramFolder + LinkedFiles[kConfigScriptEntry].FileName,
                        ConfigScriptText(AppletData, Items));

    const bool relative = pagePath.empty() || pagePath[0] != '/';
    WriteFileAtomically(relative && !ScratchFolder.empty() ? ScratchFolder + pagePath : pagePath,
                        PageText(id, LinkedFiles));
}

}  // namespace lumivex
