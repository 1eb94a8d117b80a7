#pragma once

#include "Doubles.h"
#include "Platform.h"

namespace lumivex::ui::testing {

// The doubles of every seam, bundled as the windows take them.
struct FakePlatform {
    FakeDialogs dialogs;
    FakeShell shell;
    MemorySettingsStore settings;
    Platform platform{dialogs, shell, settings};
};

}  // namespace lumivex::ui::testing
