#pragma once

#include <QString>
#include <QStringList>

#include "Platform.h"

namespace lumivex::ui {

class TMainForm;

// The program's arguments, each followed by one space, trimmed: a path split at its blanks by
// an unquoted association command comes together again.
QString CommandLine(const QStringList& arguments);
// After the main window is shown: open the project named on the command line, or offer the
// template chooser; then hide the preview window's menu entry.
void StartWithCommandLine(TMainForm& form, Platform& platform, const QString& programFolder,
                          const QStringList& arguments);

// The program's start: the main window and the windows that live with it, the project named on
// the command line or the template chooser, then the event loop until the main window closes.
int RunProgram(Platform& platform, const QString& programFolder, const QStringList& arguments);

}  // namespace lumivex::ui
