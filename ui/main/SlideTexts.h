#pragma once

#include <QString>

class QAction;
class QUndoStack;
class QWidget;

namespace lumivex::ui {

class Dialogs;
class EditTarget;

// Every `find` in the slides' titles, descriptions, tooltips and links replaced by `replace`,
// one field after another in a single step; the number of slides changed. A replacement that
// would put the field separator into the project is refused with its message, changing nothing.
int ReplaceInSlides(EditTarget& target, QUndoStack& history, Dialogs& dialogs, QWidget* window,
                    const QString& find, const QString& replace, Qt::CaseSensitivity matchCase);

// Edit > Find and Replace opens its window over `window`.
void ConnectFindAndReplace(QAction* command, EditTarget& target, QUndoStack& history,
                           Dialogs& dialogs, QWidget* window);

}  // namespace lumivex::ui
