#pragma once

#include <string>
#include <vector>

#include "AppletData.h"

namespace lumivex {

// Photos of a project that moved, found again under a folder the user names.
struct PhotoRelink {
    struct Found {
        int index;         // the item
        std::string path;  // where its photo is now
    };
    std::vector<Found> found;
    std::vector<int> notFound;  // items whose photo is missing and was not found
};

// Every item whose photo path names no file is looked for under `folder`: a file of the same
// name in the folder itself, else in its subfolders. Of several there, the one whose folders
// match the old path's last folders best is taken; a tie between files of different sizes is
// left unfound rather than guessed. Links are not followed; unreadable folders are passed over.
PhotoRelink FindMissingPhotos(const TItemArray& items, const std::string& folder);

}  // namespace lumivex
