#pragma once

#include <string>

namespace lumivex {

// What the program folder is chosen from; the default is the running process's own view.
struct ProgramFolderContext {
    std::string executableFolder;     // with a trailing "/"
    std::string installedDataFolder;  // the installed lumivex.js, templates/, help/, samples/
    std::string dataHome;             // $XDG_DATA_HOME, "" when unset
    std::string cacheHome;            // $XDG_CACHE_HOME, "" when unset
    std::string home;                 // $HOME

    static ProgramFolderContext FromEnvironment();
};

// The folder of the runtime lumivex.js and the parent of the preview folder, with a trailing
// "/": the executable's folder when it holds lumivex.js and is writable (a build tree, a
// portable unpack); otherwise <data home>/lumivex/, created and seeded from the installed data
// folder: lumivex.js refreshed whenever it differs, templates copied once (the user's edits
// stay), help and samples linked. Seeding failures are silent; the folder is returned anyway.
std::string ResolveProgramFolder(const ProgramFolderContext& context);

// <cache home>/lumivex/ ($XDG_CACHE_HOME, else ~/.cache), with a trailing "/"; not created.
std::string DefaultImageCacheFolder(const ProgramFolderContext& context);

}  // namespace lumivex
