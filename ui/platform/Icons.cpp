#include "Icons.h"

#include <QHash>

// The bundled pictures live in a static library, whose resources must be registered by hand.
static void initBundledIcons() {
    Q_INIT_RESOURCE(lumivex);
}

namespace lumivex::ui {

namespace {

struct IconSource {
    const char* themeName;
    const char* bundled;
};

IconSource source(IconId id) {
    switch (id) {
        case IconId::New:
            return {"document-new", "new"};
        case IconId::Open:
            return {"document-open", "open"};
        case IconId::Save:
            return {"document-save", "save"};
        case IconId::Insert:
            return {"list-add", "insert"};
        case IconId::Delete:
            return {"list-remove", "delete"};
        case IconId::MoveUp:
            return {"go-up", "up"};
        case IconId::MoveDown:
            return {"go-down", "down"};
        case IconId::BuildHtml:
            return {"text-html", "build"};
        case IconId::Preview:
            return {"document-print-preview", "preview"};
        case IconId::Help:
            return {"help-contents", "help"};
        case IconId::TreeRoot:
            return {nullptr, "root"};
        case IconId::TreeItem:
            return {nullptr, "item"};
        case IconId::HelpBook:
            return {nullptr, "book"};
        case IconId::Bold:
            return {"format-text-bold", "bold"};
        case IconId::Italic:
            return {"format-text-italic", "italic"};
        case IconId::PickFile:
            return {"document-open-folder", "pick"};
        case IconId::Refresh:
            return {"view-refresh", "refresh"};
        case IconId::AutoRefresh:
            return {nullptr, "autorefresh"};
        case IconId::Program:
            return {"lumivex", "root"};
        case IconId::Undo:
            return {"edit-undo", "undo"};
        case IconId::Redo:
            return {"edit-redo", "redo"};
        case IconId::PhotoMissing:
            return {nullptr, "missing"};
    }
    return {nullptr, "item"};
}

}  // namespace

QIcon AppIcon(IconId id) {
    static const bool registered = (initBundledIcons(), true);
    Q_UNUSED(registered);
    static QHash<int, QIcon> cache;
    const auto key = static_cast<int>(id);
    if (auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    const IconSource s = source(id);
    const QIcon bundled(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(s.bundled)));
    // The tree's pictures and the help book are the program's own, the same on every desktop.
    const QIcon icon =
        s.themeName != nullptr ? QIcon::fromTheme(QLatin1String(s.themeName), bundled) : bundled;
    cache.insert(key, icon);
    return icon;
}

}  // namespace lumivex::ui
