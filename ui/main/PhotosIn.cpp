#include "PhotosIn.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>

#include "Dialogs.h"
#include "EditCommands.h"
#include "ErrorReport.h"
#include "PhotoImport.h"
#include "PhotoRelink.h"
#include "ProjectDocument.h"
#include "Publisher.h"
#include "SettingsStore.h"
#include "TreePanel.h"
#include "TreeWidgetItemTree.h"
#include "WidgetProgress.h"

namespace lumivex::ui {

namespace {

const char* const kPhotoFilter = QT_TRANSLATE_NOOP(
    "lumivex::ui::PhotosIn",
    "Photos (*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp)|*.jpg;*.jpeg;*.png;"
    "*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp|All files (*)|*");

const QString kPhotoFolder = QStringLiteral("Photo Folder");

std::string pathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

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

// Folders bring their own photos, not their subfolders'; other files count when they are
// photos.
std::vector<std::string> photoFiles(const QStringList& paths) {
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
    return files;
}

bool isDrag(const QEvent* event) {
    return event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
           event->type() == QEvent::Drop;
}

}  // namespace

PhotosIn::PhotosIn(Dialogs& dialogs, SettingsStore& settings, const ProjectDocument& document,
                   TreePanel& tree, QTreeWidget* treeWidget, WidgetProgress& progress,
                   const Publisher& publisher, QWidget* window)
    : QObject(window),
      dialogs_(dialogs),
      settings_(settings),
      document_(document),
      tree_(tree),
      treeWidget_(treeWidget),
      progress_(progress),
      publisher_(publisher),
      window_(window) {
    // Photos and folders dropped anywhere on the window are added.
    window_->setAcceptDrops(true);
    window_->installEventFilter(this);
    treeWidget_->viewport()->installEventFilter(this);
}

QString PhotosIn::photoFolder() const {
    const SettingRead last = settings_.read(kSettingsKey, kPhotoFolder);
    if (last.status == ReadStatus::Present && QFileInfo(last.value.toString()).isDir())
        return last.value.toString();
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

void PhotosIn::AddPhotos1Click() {
    const QStringList paths = dialogs_.openFiles(window_, tr(kPhotoFilter), photoFolder());
    if (paths.isEmpty())
        return;
    settings_.write(kSettingsKey, kPhotoFolder, QFileInfo(paths.first()).absolutePath());
    addPhotos(paths, tree_.selectedNode());
}

void PhotosIn::FindMissingPhotos1Click() {
    if (publisher_.running())
        return;  // no edit while a publish reads the project
    const TItemArray& items = tree_.model().Items;
    const std::size_t missing = FindMissingPhotos(items, std::string()).notFound.size();
    if (missing == 0) {
        dialogs_.message(window_, MessageKind::Information,
                         tr("No photo of this project is missing."), {MessageButton::Ok});
        return;
    }
    const std::optional<QString> folder = dialogs_.pickFolder(window_, photoFolder());
    if (!folder)
        return;
    PhotoRelink relink;
    {
        const BusyScope busy(progress_, tr("Looking for the missing photos ...").toStdString());
        relink = FindMissingPhotos(items, pathBytes(QDir::cleanPath(*folder)) + "/");
    }
    if (!relink.found.empty()) {
        std::vector<SetItemFieldsCommand::Change> changes;
        for (PhotoRelink::Found& found : relink.found)
            changes.push_back({found.index, std::move(found.path)});
        auto* step = new SetItemFieldsCommand(tree_, &TItemData::OriginalImagePath,
                                              std::move(changes), nullptr, -1);
        step->setText(tr("Find Missing Photos"));
        document_.history().push(step);
    }
    const int found = static_cast<int>(relink.found.size());
    const QString text =
        relink.notFound.empty()
            ? tr("All %n missing photos were found in \"%1\" and relinked.", "", found)
            : tr("%1 of %2 missing photos were found in \"%3\" and relinked; %4 were not found.")
                  .arg(found)
                  .arg(missing)
                  .arg(*folder)
                  .arg(relink.notFound.size());
    dialogs_.message(window_, found > 0 ? MessageKind::Information : MessageKind::Warning,
                     relink.notFound.empty() ? text.arg(*folder) : text, {MessageButton::Ok});
}

void PhotosIn::addPhotos(const QStringList& paths, QTreeWidgetItem* anchor) {
    const std::vector<std::string> files = photoFiles(paths);
    if (files.empty())
        return;
    std::vector<PhotoFacts> readable;
    QStringList unreadable;
    {
        const BusyScope busy(progress_, "Adding Photos ... ...");
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
        anchor = treeWidget_->topLevelItem(0);
    QTreeWidgetItem* parent = anchor->parent() != nullptr ? anchor->parent() : anchor;
    const int position =
        anchor->parent() != nullptr ? parent->indexOfChild(anchor) + 1 : parent->childCount();
    document_.history().push(new AddItemsCommand(tree_, tree_.items().absoluteIndex(parent),
                                                 position, std::move(items)));
}

void PhotosIn::reportUnreadablePhotos(const QStringList& reasons, std::size_t added) {
    // A folder of damaged files must not give a box taller than the screen.
    constexpr qsizetype kShown = 15;
    QString text =
        reasons.size() == 1
            ? tr("1 file was not added: it cannot be read as a picture.")
            : tr("%1 files were not added: they cannot be read as pictures.").arg(reasons.size());
    text += "\n\n" + reasons.mid(0, kShown).join('\n');
    if (reasons.size() > kShown)
        text += tr("\n... and %1 more.").arg(reasons.size() - kShown);
    if (added > 0)
        text += tr("\n\nThe other %1 photos were added.").arg(added);
    dialogs_.message(window_, MessageKind::Warning, text, {MessageButton::Ok});
}

bool PhotosIn::acceptsDroppedFiles(const QMimeData* data) const {
    if (publisher_.running())
        return false;  // no edit while a publish reads the project
    for (const QString& path : localPaths(data)) {
        const QFileInfo info(path);
        if (info.isDir() || HasPhotoExtension(pathBytes(info.fileName())))
            return true;
    }
    return false;
}

bool PhotosIn::eventFilter(QObject* watched, QEvent* event) {
    if (!isDrag(event))
        return false;
    if (watched == window_)
        return takeWindowDrag(event);
    if (watched == treeWidget_->viewport())
        return takeTreeDrag(event);
    return false;
}

bool PhotosIn::takeWindowDrag(QEvent* event) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (!acceptsDroppedFiles(drag->mimeData()) || !acceptAsCopy(drag))
        return true;
    if (event->type() == QEvent::Drop) {
        const QStringList paths = localPaths(drag->mimeData());
        ErrorReport::guarded([this, paths] { addPhotos(paths, tree_.selectedNode()); })();
    }
    return true;
}

bool PhotosIn::takeTreeDrag(QEvent* event) {
    auto* drag = static_cast<QDropEvent*>(event);
    // Files from elsewhere; a drag inside the tree is the tree's own.
    if (drag->source() == treeWidget_ || !acceptsDroppedFiles(drag->mimeData()))
        return false;
    if (!acceptAsCopy(drag)) {
        drag->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        const QStringList paths = localPaths(drag->mimeData());
        QTreeWidgetItem* anchor = treeWidget_->itemAt(drag->position().toPoint());
        ErrorReport::guarded([this, paths, anchor] {
            addPhotos(paths, anchor != nullptr ? anchor : tree_.selectedNode());
        })();
    }
    return true;
}

}  // namespace lumivex::ui
