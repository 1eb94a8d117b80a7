#pragma once

#include <QObject>
#include <QStringList>
#include <cstddef>

class QEvent;
class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;
class QWidget;

namespace lumivex::ui {

class Dialogs;
class SettingsStore;
class ProjectDocument;
class Publisher;
class TreePanel;
class WidgetProgress;

// Photos in: Add Photos, and photos or folders dropped on the window or the tree.
class PhotosIn final : public QObject {
    Q_OBJECT
public:
    PhotosIn(Dialogs& dialogs, SettingsStore& settings, const ProjectDocument& document,
             TreePanel& tree, QTreeWidget* treeWidget, WidgetProgress& progress,
             const Publisher& publisher, QWidget* window);

    void AddPhotos1Click();
    // Relinks the photos that moved, from a folder the user picks, in one step.
    void FindMissingPhotos1Click();
    // The photos of `paths` (files, and the photos of folders) as new items, in one step:
    // under the root, or after `anchor` on its level. Files that cannot be read as pictures are
    // named in one message and left out.
    void addPhotos(const QStringList& paths, QTreeWidgetItem* anchor);
    // A drag over the window or the tree's viewport that carries photos; true when taken.
    bool takeWindowDrag(QEvent* event);
    bool takeTreeDrag(QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reportUnreadablePhotos(const QStringList& reasons, std::size_t added);
    bool acceptsDroppedFiles(const QMimeData* data) const;

    // Where Add Photos starts: the folder photos last came from, else the user's pictures.
    QString photoFolder() const;
    Dialogs& dialogs_;
    SettingsStore& settings_;
    const ProjectDocument& document_;
    TreePanel& tree_;
    QTreeWidget* treeWidget_;
    WidgetProgress& progress_;
    const Publisher& publisher_;
    QWidget* window_;
};

}  // namespace lumivex::ui
