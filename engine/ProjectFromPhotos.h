#pragma once

// A new project made of photos and folders, as Add Photos would make it in an empty project:
// the same files, order and titles, optionally on a template's settings.

#include <optional>
#include <string>
#include <vector>

#include "AppletAgent.h"
#include "EngineErrors.h"

namespace lumivex {

// Input that gives no project: missing or unreadable photos, no photos at all, a template that
// cannot be used. The text names each file with its reason, one line per file.
class PhotoProjectError : public EngineError {
public:
    using EngineError::EngineError;
};

// The files that Add Photos takes from `paths`: a folder's own photos (not its subfolders'), a
// file with a photo extension. Unlike a drop, which takes what it can, every path must count:
// a missing path, or a file that is not a photo, raises PhotoProjectError naming it.
std::vector<std::string> PhotoFilesOf(const std::vector<std::string>& paths);

struct PhotoProjectSettings {
    std::string templateFile;              // a project whose settings the new one takes; "" none
    std::optional<int> width, height;      // the box, over the template's or the defaults'
    std::optional<std::string> webOutput;  // "Classic" or "Modern"
};

// The box sizes a project can hold, as the Script page's spin boxes take them.
inline constexpr int kMaxBoxSide = 9999;

// Replaces the model and the agent's tree with a project of the photos: the template's settings
// (or the defaults), then one item per photo under the root, ordered and titled as Add Photos
// does. Everything is read and checked first: on an error the model is left as it was.
void MakeProjectFromPhotos(TzqxAppletAgent& agent, const std::vector<std::string>& paths,
                           const PhotoProjectSettings& settings);

// Saves a project made by MakeProjectFromPhotos as `projectFile`, without publishing, together
// with the template's loading image beside it when no file of that name is there, so that a
// later publish finds it. An existing `projectFile` is refused, and nothing is written.
void SaveNewPhotoProject(TzqxAppletAgent& agent, const std::string& projectFile,
                         const std::string& templateFile);

}  // namespace lumivex
