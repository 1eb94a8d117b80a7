#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;

namespace lumivex::ui {

// The File menu's list of the last four projects, kept in "recentfile.dat" in the program
// folder ("&n path" lines, the newest first).
class RecentFiles final : public QObject {
    Q_OBJECT
public:
    static QString RecentFilesName() { return QStringLiteral("recentfile.dat"); }
    // `programFolder` ends with "/"; `open` opens a chosen entry.
    RecentFiles(QMenu* menu, const QString& programFolder, std::function<void(const QString&)> open,
                QObject* parent);

    void LoadRecentFiles();
    void AddRecentFile(const QString& path);
    // The newest file of the list, or nothing.
    QString newest() const;
    void RecentFileClick(QAction* entry);

private:
    QMenu* menu_;
    QString programFolder_;
    std::function<void(const QString&)> open_;
};

}  // namespace lumivex::ui
