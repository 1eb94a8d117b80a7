#pragma once

#include "Dialogs.h"
#include "SettingsStore.h"
#include "Shell.h"

namespace lumivex::ui {

// The seams every window gets at construction; nothing else reaches the desktop.
struct Platform {
    Dialogs& dialogs;
    Shell& shell;
    SettingsStore& settings;
};

}  // namespace lumivex::ui
