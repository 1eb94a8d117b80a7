#include <sys/stat.h>

#include <unordered_set>

#include "AppletAgent.h"
#include "FileIO.h"
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

bool TzqxAppletAgent::SaveAndPublish(const std::string& folder, const std::string& fileName,
                                     ItemTree&) {
    const std::string base = PublishBaseName(fileName);
    GenerateCode(folder + base + ".html");
    for (const TLinkedFileInfo& f : LinkedFiles)
        CopyFileQuietly(ProgramFolder + f.FileName, folder + f.FileName);
    SaveToFile(folder + base + ".lvx");
    WritePublishReport(folder, base + "_PublishReport.txt");

    ProgressReset reset(progress_);
    progress_.setMaximum(100);
    progress_.setHint("Copying Publishable Files ... ...");
    progress_.setBusy(true);
    CollectResourceFiles();
    for (const std::string& name : ResourceFiles) {
        if (IsPlainFileName(name))
            CopyFileQuietly(PreviewFolder() + name, folder + name);
    }
    // Saving into the program folder itself must not delete the files just published there.
    const bool intoProgramFolder = sameFolder(folder.empty() ? "." : folder, ProgramFolder);
    for (const TLinkedFileInfo& f : LinkedFiles) {
        if (f.IsGenerated && !intoProgramFolder)
            DeleteFileQuietly(ProgramFolder + f.FileName);
    }
    progress_.step(50);
    progress_.step(50);
    return true;
}

void TzqxAppletAgent::WritePublishReport(const std::string& folder,
                                         const std::string& reportFileName) {
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

    const std::string where = !folder.empty() ? folder : ScratchFolder;
    WriteFileAtomically(where + reportFileName, text);
}

}  // namespace lumivex
