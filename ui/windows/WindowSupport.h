#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace lumivex::ui {

class SettingsStore;

// The frame of the small windows that are dialogs: a title and a close box, nothing to
// minimise or maximise.
inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Fixes a dialog at its designed client size, or larger where the desktop's font needs more
// room, so no text is ever cut off.
void FixSizeAtLeast(QWidget* window, QSize designed);

// The "Do not show this dialog again." boxes: writes `name` under the settings key as the
// opposite of `dontShow`. A failed write matters only when the user asks to see the dialog
// again; then it is thrown to the general error report.
void WriteShowDialogSetting(SettingsStore& settings, const QString& name, bool dontShow);

}  // namespace lumivex::ui
