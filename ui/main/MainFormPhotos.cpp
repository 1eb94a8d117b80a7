// Photos in: Add Photos, and files or folders dropped on the window or the tree.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>

#include "ErrorReport.h"
#include "Icons.h"
#include "MainForm.h"
#include "PhotoImport.h"
#include "Publisher.h"
#include "Text.h"
#include "Thumbnails.h"
#include "TreeWidgetItemTree.h"
#include "WidgetProgress.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {

// Which picture a node shows ("plain", "photo:" or "missing:" and the path).
constexpr int kShownPictureRole = Qt::UserRole + 1;

const QString kPhotoFilter = QStringLiteral(
    "Photos (*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp)|*.jpg;*.jpeg;*.png;"
    "*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp|All files (*)|*");

// The local files and folders a drag carries.
QStringList localPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr)
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

// Files from another program are taken as a copy, or a link when only that is offered, never
// as a move: a file manager that honours a move deletes the originals. False, taking nothing,
// when the source offers neither.
bool acceptAsCopy(QDropEvent* event) {
    const Qt::DropActions offered = event->possibleActions();
    if (offered.testFlag(Qt::CopyAction))
        event->setDropAction(Qt::CopyAction);
    else if (offered.testFlag(Qt::LinkAction))
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

}  // namespace

void TMainForm::AddPhotos1Click() {
    const QStringList paths = platform_.dialogs.openFiles(this, kPhotoFilter, projectFolder());
    if (!paths.isEmpty())
        addPhotos(paths, selectedNode());
}

void TMainForm::addPhotos(const QStringList& paths, QTreeWidgetItem* anchor) {
    // Folders bring their own photos, not their subfolders'; other files count when they are
    // photos.
    std::vector<std::string> files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            for (std::string& photo : PhotosInFolder(pathBytes(info.absoluteFilePath()) + "/"))
                files.push_back(std::move(photo));
        } else if (info.isFile() && HasPhotoExtension(pathBytes(info.fileName()))) {
            files.push_back(pathBytes(info.absoluteFilePath()));
        }
    }
    if (files.empty())
        return;
    std::vector<PhotoFacts> readable;
    QStringList unreadable;
    {
        const BusyScope busy(*progress_, "Adding Photos ... ...");
        for (PhotoFacts& facts : ReadPhotoFacts(files)) {
            if (facts.unreadable.empty())
                readable.push_back(std::move(facts));
            else
                unreadable << QString::fromStdString(facts.unreadable);
        }
    }
    if (!unreadable.isEmpty())
        reportUnreadablePhotos(unreadable, readable.size());
    if (readable.empty())
        return;
    TItemArray items = PhotoItems(OrderPhotos(std::move(readable)));
    // Under the root, or after the item the photos were added at, on its level.
    if (anchor == nullptr)
        anchor = ui_->trvwDesignPanel->topLevelItem(0);
    QTreeWidgetItem* parent = anchor->parent() != nullptr ? anchor->parent() : anchor;
    const int position =
        anchor->parent() != nullptr ? parent->indexOfChild(anchor) + 1 : parent->childCount();
    undoStack_->push(
        new AddItemsCommand(*this, tree_->absoluteIndex(parent), position, std::move(items)));
}

void TMainForm::reportUnreadablePhotos(const QStringList& reasons, std::size_t added) {
    // A folder of damaged files must not give a box taller than the screen.
    constexpr qsizetype kShown = 15;
    QString text = reasons.size() == 1
                       ? QStringLiteral("1 file was not added: it cannot be read as a picture.")
                       : QStringLiteral("%1 files were not added: they cannot be read as pictures.")
                             .arg(reasons.size());
    text += "\n\n" + reasons.mid(0, kShown).join('\n');
    if (reasons.size() > kShown)
        text += QStringLiteral("\n... and %1 more.").arg(reasons.size() - kShown);
    if (added > 0)
        text += QStringLiteral("\n\nThe other %1 photos were added.").arg(added);
    platform_.dialogs.message(this, MessageKind::Warning, text, {MessageButton::Ok});
}

bool TMainForm::acceptsDroppedFiles(const QMimeData* data) const {
    if (publisher_->running())
        return false;  // no edit while a publish reads the project
    for (const QString& path : localPaths(data)) {
        const QFileInfo info(path);
        if (info.isDir() || HasPhotoExtension(pathBytes(info.fileName())))
            return true;
    }
    return false;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptsDroppedFiles(event->mimeData()))
        acceptAsCopy(event);
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDroppedFiles(event->mimeData()))
        acceptAsCopy(event);
}

void TMainForm::dropEvent(QDropEvent* event) {
    if (!acceptsDroppedFiles(event->mimeData()) || !acceptAsCopy(event))
        return;
    const QStringList paths = localPaths(event->mimeData());
    ErrorReport::guarded([this, paths] { addPhotos(paths, selectedNode()); })();
}

bool TMainForm::treeDragEvent(QEvent* event) {
    QTreeWidget* tree = ui_->trvwDesignPanel;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        // Files from elsewhere; a drag inside the tree is the tree's own to draw.
        if (drag->source() == tree || !acceptsDroppedFiles(drag->mimeData()))
            return false;
        if (!acceptAsCopy(drag))
            drag->ignore();
        return true;
    }
    if (event->type() != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QPoint at = drop->position().toPoint();
    if (drop->source() != tree) {
        if (!acceptsDroppedFiles(drop->mimeData()))
            return false;
        if (!acceptAsCopy(drop)) {
            drop->ignore();
            return true;
        }
        const QStringList paths = localPaths(drop->mimeData());
        QTreeWidgetItem* anchor = tree->itemAt(at);
        ErrorReport::guarded([this, paths, anchor] {
            addPhotos(paths, anchor != nullptr ? anchor : selectedNode());
        })();
        return true;
    }
    // Inside the tree: the item moves as a command, and the view must not move it too.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    ErrorReport::guarded([this, tree, at] { moveDraggedItem(tree->itemAt(at), at); })();
    tree->viewport()->update();
    return true;
}

void TMainForm::moveDraggedItem(QTreeWidgetItem* over, const QPoint& at) {
    QTreeWidgetItem* moving = selectedNode();
    QTreeWidgetItem* root = ui_->trvwDesignPanel->topLevelItem(0);
    if (moving == nullptr || moving == root)
        return;
    // Where it goes: before or after the item under the pointer near its edges, into it in its
    // middle; below every item, last under the root.
    QTreeWidgetItem* parent = root;
    QTreeWidgetItem* before = nullptr;
    if (over != nullptr && over != root) {
        const QRect rect = ui_->trvwDesignPanel->visualItemRect(over);
        const int margin = std::clamp(static_cast<int>(rect.height() / 5.5), 2, 12);
        if (at.y() - rect.top() < margin) {
            parent = over->parent();
            before = over;
        } else if (rect.bottom() - at.y() < margin || tree_->depth(over) >= 2) {
            parent = over->parent();
            before = TreeWidgetItemTree::item(tree_->nextSibling(over));
        } else {
            parent = over;
        }
    }
    // Never into itself, and never deeper than the two levels the commands make.
    for (QTreeWidgetItem* up = parent; up != nullptr; up = up->parent()) {
        if (up == moving)
            return;
    }
    const int height = moving->childCount() > 0 ? 1 : 0;
    if (tree_->depth(parent) + height >= 2)
        return;
    if (parent == moving->parent() &&
        (before == moving || before == TreeWidgetItemTree::item(tree_->nextSibling(moving))))
        return;
    // The place as it is once the item is taken out.
    const int first = tree_->absoluteIndex(moving);
    const int size = tree_->subtreeSize(moving);
    const int parentIndex = tree_->absoluteIndex(parent);
    const int parentAfter = parentIndex > first ? parentIndex - size : parentIndex;
    int position = before != nullptr ? parent->indexOfChild(before) : parent->childCount();
    if (moving->parent() == parent && parent->indexOfChild(moving) < position)
        --position;
    undoStack_->push(new MoveItemToCommand(*this, first, parentAfter, position));
}

void TMainForm::showThumbnails(const QString& only) {
    if (thumbnails_ == nullptr)
        return;
    const std::vector<ItemTree::Node> nodes = tree_->itemNodes();
    for (std::size_t k = 0; k < nodes.size() && k < FAgent->Items.size(); ++k) {
        const QString path =
            QFile::decodeName(QByteArray::fromStdString(Trim(FAgent->Items[k].OriginalImagePath)));
        if (!only.isNull() && path != only)
            continue;
        // What the node shows now, so that an unchanged picture is not set again.
        QString shown;
        QIcon icon;
        if (path.isEmpty()) {
            shown = QStringLiteral("plain");
            icon = TreeWidgetItemTree::image(TreeWidgetItemTree::kItemImage);
        } else if (const std::optional<QIcon> made = thumbnails_->find(path)) {
            shown = (made->isNull() ? QStringLiteral("missing:") : QStringLiteral("photo:")) + path;
            icon = made->isNull() ? AppIcon(IconId::PhotoMissing) : *made;
        } else if (!QFileInfo::exists(path)) {
            shown = QStringLiteral("missing:") + path;
            icon = AppIcon(IconId::PhotoMissing);
        } else {
            // Being made; the plain picture until then.
            shown = QStringLiteral("plain");
            icon = TreeWidgetItemTree::image(TreeWidgetItemTree::kItemImage);
        }
        QTreeWidgetItem* node = TreeWidgetItemTree::item(nodes[k]);
        // A new node shows the plain picture already.
        QString current = node->data(0, kShownPictureRole).toString();
        if (current.isEmpty())
            current = QStringLiteral("plain");
        if (current != shown) {
            node->setData(0, kShownPictureRole, shown);
            node->setIcon(0, icon);
        }
    }
}

}  // namespace lumivex::ui
