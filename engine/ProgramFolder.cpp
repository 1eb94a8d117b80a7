#include "ProgramFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "FileIO.h"

namespace lumivex {

namespace fs = std::filesystem;

namespace {

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A base folder of the XDG kind counts only when absolute.
std::string baseFolder(const std::string& configured, const std::string& home,
                       const char* fallback) {
    if (!configured.empty() && configured.front() == '/')
        return withSlash(configured);
    return withSlash(home) + fallback;
}

void refreshFile(const std::string& from, const std::string& to) {
    if (!FileExists(from))
        return;
    try {
        if (FileExists(to) && ReadWholeFile(to) == ReadWholeFile(from))
            return;
    } catch (const std::exception&) {
    }
    CopyFileQuietly(from, to);
}

void copyTreeOnce(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec) || fs::exists(fs::symlink_status(to, ec)))
        return;
    fs::copy(from, to, fs::copy_options::recursive, ec);
}

void linkOnce(const fs::path& target, const fs::path& link) {
    std::error_code ec;
    if (!fs::is_directory(target, ec) || fs::exists(fs::symlink_status(link, ec)))
        return;
    fs::create_directory_symlink(target, link, ec);
}

}  // namespace

ProgramFolderContext ProgramFolderContext::FromEnvironment() {
    ProgramFolderContext c;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        c.executableFolder = withSlash(exe.parent_path().string());
    c.dataHome = environment("XDG_DATA_HOME");
    c.cacheHome = environment("XDG_CACHE_HOME");
    c.home = environment("HOME");
    if (c.home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
            c.home = pw->pw_dir;
    }
    // An installed program finds its data in <prefix>/share/lumivex beside <prefix>/bin; a
    // build tree uses the source tree's share folder.
    const std::string installed = c.executableFolder + "../share/lumivex/";
    c.installedDataFolder =
        FileExists(installed + "lumivex.js") ? installed : withSlash(LUMIVEX_SHARE_DIR);
    return c;
}

std::string ResolveProgramFolder(const ProgramFolderContext& context) {
    const std::string exeFolder = withSlash(context.executableFolder);
    if (!exeFolder.empty() && FileExists(exeFolder + "lumivex.js") &&
        ::access(exeFolder.c_str(), W_OK) == 0) {
        return exeFolder;
    }
    const std::string folder =
        baseFolder(context.dataHome, context.home, ".local/share/") + "lumivex/";
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string data = withSlash(context.installedDataFolder);
    if (!data.empty()) {
        refreshFile(data + "lumivex.js", folder + "lumivex.js");
        refreshFile(data + "lumivex.min.js", folder + "lumivex.min.js");
        copyTreeOnce(data + "templates", folder + "templates");
        linkOnce(data + "help", folder + "help");
        linkOnce(data + "samples", folder + "samples");
    }
    return folder;
}

std::string DefaultImageCacheFolder(const ProgramFolderContext& context) {
    return baseFolder(context.cacheHome, context.home, ".cache/") + "lumivex/";
}

}  // namespace lumivex
