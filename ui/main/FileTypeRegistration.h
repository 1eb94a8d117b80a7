#pragma once

#include <QByteArray>
#include <QString>

namespace lumivex::ui {

class Shell;

// The shared-mime-info package that declares `*.lvx` as a Lumivex project.
QByteArray MimePackageText();
// The desktop entry that opens projects with `program`, quoted by freedesktop.org's rules for
// desktop entries, so that a blank, "%", a quote or a backslash in either path reaches the
// program unchanged.
QByteArray DesktopEntryText(const QString& program);

// Writes both under the user's data folder and refreshes the desktop's caches through `shell`
// when a file changed. Every failure is ignored: the registration is a convenience.
void RegisterFileType(Shell& shell, const QString& program);

}  // namespace lumivex::ui
