#pragma once

#include <QIcon>

namespace lumivex::ui {

enum class IconId {
    New,
    Open,
    Save,
    Insert,
    Delete,
    MoveUp,
    MoveDown,
    BuildHtml,
    Preview,
    Help,
    TreeRoot,
    TreeItem,
    HelpBook,
    Bold,
    Italic,
    PickFile,
    Refresh,
    AutoRefresh,
    Program,
    Undo,
    Redo,
    // An item whose photo is not there.
    PhotoMissing,
};

// The desktop theme's icon where it has one, else the picture bundled with the program, so no
// button is ever blank.
QIcon AppIcon(IconId id);

}  // namespace lumivex::ui
