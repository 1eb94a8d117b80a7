#include "CodeGeneration.h"

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "RuntimeContract.h"
#include "Text.h"

namespace lumivex {

GeneratedCode TzqxAppletAgent::PrepareGeneratedCode() {
    // The id becomes file names, classes and identifiers; a bad one would write outside the
    // program folder or give a page that silently shows nothing, so refuse it before any change.
    if (!IsValidSlideshowId(AppletData.CtrlId)) {
        throw InvalidProjectError(InvalidSlideshowIdMessage(AppletData.CtrlId));
    }
    // Settings reach the script and the style sheet only in the form of their field.
    const TAppletData settings = OutputSettings(AppletData);
    PrepareItemsForOutput();
    GeneratedCode code;
    PrepareSlideImages(&code.slides);

    const std::string& id = AppletData.CtrlId;
    LinkedFiles[kStyleSheetEntry].FileName = runtime::StyleSheetFileName(id);
    const bool modern = Options.modernWebOutput();
    code.styleSheet = StyleSheetText(settings, modern);
    LinkedFiles[kConfigScriptEntry].FileName = runtime::ConfigScriptFileName(id);
    const std::string look = RuntimeLook(Options, SlideExtraFiles);
    if (modern) {
        code.configScript = ConfigScriptText(settings, Items, &SlideExtraFiles, look);
        code.page = ModernPageText(id, LinkedFiles, settings, Items, SlideExtraFiles);
    } else {
        code.configScript = ConfigScriptText(settings, Items, nullptr, look);
        code.page = PageText(id, LinkedFiles);
    }
    return code;
}

void TzqxAppletAgent::GenerateCode(const std::string& pagePath) {
    BusyScope busy(progress_, "Making HTML Codes ... ...");
    const GeneratedCode code = PrepareGeneratedCode();
    WriteFileAtomically(ProgramFolder + LinkedFiles[kStyleSheetEntry].FileName, code.styleSheet);
    WriteFileAtomically(ProgramFolder + LinkedFiles[kConfigScriptEntry].FileName,
                        code.configScript);
    const bool relative = pagePath.empty() || pagePath[0] != '/';
    WriteFileAtomically(relative && !ScratchFolder.empty() ? ScratchFolder + pagePath : pagePath,
                        code.page);
}

}  // namespace lumivex
