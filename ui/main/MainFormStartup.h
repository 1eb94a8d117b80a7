#pragma once

#include <QString>
#include <QStringList>

#include "Platform.h"

namespace lumivex::ui {

// The program's start: the main window and the windows that live with it, the project named on
// the command line or the template chooser, then the event loop until the main window closes.
int RunProgram(Platform& platform, const QString& programFolder, const QStringList& arguments);

}  // namespace lumivex::ui
