#include "ProjectFromPhotos.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "FileIO.h"
#include "PhotoImport.h"
#include "Text.h"

namespace lumivex {

namespace {

namespace fs = std::filesystem;

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

// The settings and options of a template, read into an engine of its own, so that a template
// that cannot be used leaves the model untouched.
void readTemplate(const TzqxAppletAgent& agent, const std::string& file, TAppletData& data,
                  ProjectOptions& options) {
    MemoryItemTree tree;
    TzqxAppletAgent scratch(tree, agent.progress(), agent.messages(), agent.ProgramFolder);
    scratch.SetDefaults();
    const ProjectRead read = scratch.LoadFromFile(file, tree);
    if (read.outcome == ProjectReadOutcome::Refused)
        throw PhotoProjectError("the template \"" + file + "\" is not a Lumivex project.");
    if (read.outcome != ProjectReadOutcome::Complete)
        throw PhotoProjectError("the template \"" + file +
                                "\" is not a whole project: " + read.problem);
    data = scratch.AppletData;
    options = scratch.Options;
}

}  // namespace

std::vector<std::string> PhotoFilesOf(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    std::vector<std::string> problems;
    for (const std::string& path : paths) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            problems.push_back(path + ": " + std::strerror(errno));
        } else if (S_ISDIR(st.st_mode)) {
            const std::string folder = fs::absolute(path).lexically_normal().string();
            for (std::string& photo : PhotosInFolder(folder.ends_with('/') ? folder : folder + "/"))
                files.push_back(std::move(photo));
        } else if (!S_ISREG(st.st_mode) || !HasPhotoExtension(FileNamePart(path))) {
            problems.push_back(path +
                               ": not a photo (.jpg, .jpeg, .png, .webp, .heic, .heif, .avif, "
                               ".gif or .bmp) nor a folder");
        } else {
            files.push_back(fs::absolute(path).lexically_normal().string());
        }
    }
    if (!problems.empty())
        throw PhotoProjectError(joinLines(problems));
    return files;
}

void MakeProjectFromPhotos(TzqxAppletAgent& agent, const std::vector<std::string>& paths,
                           const PhotoProjectSettings& settings) {
    for (const std::optional<int>& side : {settings.width, settings.height}) {
        if (side && (*side < 1 || *side > kMaxBoxSide))
            throw PhotoProjectError("the box's width and height are 1 to " +
                                    std::to_string(kMaxBoxSide) + " pixels.");
    }
    if (settings.webOutput && *settings.webOutput != "Classic" && *settings.webOutput != "Modern")
        throw PhotoProjectError("the web output is Classic or Modern, not \"" +
                                *settings.webOutput + "\".");

    const std::vector<std::string> files = PhotoFilesOf(paths);
    if (files.empty())
        throw PhotoProjectError("no photos: the folders given hold none.");
    std::vector<PhotoFacts> readable;
    std::vector<std::string> unreadable;
    for (PhotoFacts& facts : ReadPhotoFacts(files)) {
        if (facts.unreadable.empty())
            readable.push_back(std::move(facts));
        else
            unreadable.push_back(facts.unreadable);
    }
    if (!unreadable.empty())
        throw PhotoProjectError(joinLines(unreadable));
    TItemArray items = PhotoItems(OrderPhotos(std::move(readable)));

    TAppletData data = DefaultAppletData();
    ProjectOptions options;
    if (!settings.templateFile.empty())
        readTemplate(agent, settings.templateFile, data, options);
    if (settings.width)
        data.SlideShowWidth = std::to_string(*settings.width);
    if (settings.height)
        data.SlideShowHeight = std::to_string(*settings.height);
    if (settings.webOutput)
        options.set(ProjectOptions::kWebOutput, *settings.webOutput);

    agent.SetDefaults();
    agent.AppletData = std::move(data);
    agent.Options = std::move(options);
    agent.Tree().clear();
    TzqxAppletAgent::Subtree photos;
    photos.depths.assign(items.size(), 0);
    photos.items = std::move(items);
    agent.RestoreSubtree(photos);
}

void SaveNewPhotoProject(TzqxAppletAgent& agent, const std::string& projectFile,
                         const std::string& templateFile) {
    struct stat st {};
    if (::lstat(projectFile.c_str(), &st) == 0)
        throw PhotoProjectError("\"" + projectFile + "\" exists already; nothing was written.");
    // The loading image is a file name beside the project; the template's goes along.
    const std::string& loading = agent.AppletData.SlideShowLoadingBgImage;
    std::string copied;
    if (!templateFile.empty() && IsPlainFileName(Trim(loading))) {
        const std::string name = Trim(loading);
        const std::string to = FolderPart(projectFile) + name;
        if (::lstat(to.c_str(), &st) != 0 && CopyFileIfPresent(FolderPart(templateFile) + name, to))
            copied = to;
    }
    try {
        agent.SaveToFile(projectFile);
    } catch (...) {
        if (!copied.empty())
            DeleteFileQuietly(copied);
        throw;
    }
}

}  // namespace lumivex
