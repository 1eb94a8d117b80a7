#include "SlideTexts.h"

#include <QAction>
#include <QCoreApplication>
#include <QUndoStack>
#include <set>

#include "Dialogs.h"
#include "EditCommands.h"
#include "ErrorReport.h"
#include "FindReplace.h"
#include "TextBytes.h"

namespace lumivex::ui {

int ReplaceInSlides(EditTarget& target, QUndoStack& history, Dialogs& dialogs, QWidget* window,
                    const QString& find, const QString& replace, Qt::CaseSensitivity matchCase) {
    if (find.isEmpty())
        return 0;
    if (replace.contains(QLatin1String(kFieldSeparator))) {
        dialogs.message(
            window, MessageKind::Warning,
            QCoreApplication::translate("lumivex::ui::PropertyBinder",
                                        "The text can't include \"#$@\", it is used by system!"),
            {MessageButton::Yes});
        return 0;
    }
    std::vector<std::pair<std::string TItemData::*, std::vector<SetItemFieldsCommand::Change>>>
        fields = {{&TItemData::Title, {}},
                  {&TItemData::Description, {}},
                  {&TItemData::ToolTip, {}},
                  {&TItemData::LinkUrl, {}}};
    std::set<int> changed;
    const TItemArray& items = target.model().Items;
    for (auto& [field, changes] : fields) {
        for (std::size_t k = 0; k < items.size(); ++k) {
            const QString text = BytesToText(items[k].*field);
            QString replaced = text;
            replaced.replace(find, replace, matchCase);
            // A replacement that joins text into the separator is refused as typing is.
            if (replaced == text || replaced.contains(QLatin1String(kFieldSeparator)))
                continue;
            changes.push_back({static_cast<int>(k), TextToBytes(replaced)});
            changed.insert(static_cast<int>(k));
        }
    }
    if (changed.empty())
        return 0;
    history.beginMacro(
        QCoreApplication::translate("lumivex::ui::SlideTexts", "Replace \"%1\"").arg(find));
    for (auto& [field, changes] : fields) {
        if (!changes.empty())
            history.push(new SetItemFieldsCommand(target, field, std::move(changes), nullptr, -1));
    }
    history.endMacro();
    return static_cast<int>(changed.size());
}

void ConnectFindAndReplace(QAction* command, EditTarget& target, QUndoStack& history,
                           Dialogs& dialogs, QWidget* window) {
    QObject::connect(
        command, &QAction::triggered, window,
        ErrorReport::guarded([&target, &history, &dialogs, window] {
            TfrmFindReplace chooser(
                [&](const QString& find, const QString& replace, Qt::CaseSensitivity matchCase) {
                    return ReplaceInSlides(target, history, dialogs, window, find, replace,
                                           matchCase);
                },
                window);
            chooser.exec();
        }));
}

}  // namespace lumivex::ui
