#include "ProjectDocument.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QUndoStack>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "ErrorReport.h"
#include "FileIO.h"

namespace lumivex::ui {

namespace {
const char* const kProjectFilter =
    QT_TRANSLATE_NOOP("lumivex::ui::ProjectDocument", "Lumivex Files (*.lvx)|*.lvx");
const char* const kMenuStructureFilter =
    QT_TRANSLATE_NOOP("lumivex::ui::ProjectDocument", "General Menu Structure File (*.gms)|*.gms");
}  // namespace

ProjectDocument::ProjectDocument(Dialogs& dialogs, QWidget* dialogParent, TzqxAppletAgent& agent,
                                 ItemTree& tree, ItemTree& publishTree,
                                 const QString& programFolder, DocumentView& view)
    : dialogs_(dialogs),
      dialogParent_(dialogParent),
      agent_(agent),
      tree_(tree),
      publishTree_(publishTree),
      programFolder_(programFolder),
      view_(view),
      // The one edit path: every change of the model is a command on this stack.
      history_(new QUndoStack(this)) {
    connect(history_, &QUndoStack::cleanChanged, this,
            [this] { Q_EMIT modifiedChanged(isModified()); });
}

ProjectDocument::~ProjectDocument() {
    // Its commands show their changes through the view, which may be going already.
    history_->disconnect(this);
}

std::string ProjectDocument::pathBytes(const QString& path) const {
    return QFile::encodeName(path).toStdString();
}

void ProjectDocument::warn(MessageKind kind, const QString& text) {
    dialogs_.message(dialogParent_, kind, text, {MessageButton::Ok});
}

QString ProjectDocument::folder() const {
    return fileName_.isEmpty() ? QString() : QFileInfo(fileName_).absolutePath();
}

QString ProjectDocument::dialogFolder() const {
    if (!fileName_.isEmpty())
        return folder();
    if (!lastFolder_.isEmpty() && QFileInfo(lastFolder_).isDir())
        return lastFolder_;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

bool ProjectDocument::isModified() const {
    return !history_->isClean();
}

void ProjectDocument::setModified(bool modified) {
    if (modified)
        history_->resetClean();
    else
        history_->setClean();
    Q_EMIT modifiedChanged(isModified());
}

void ProjectDocument::startHistory() {
    history_->clear();
    setModified(false);
    view_.historyChanged();
}

bool ProjectDocument::isTemplate(const QString& path) const {
    const QString templates = QDir(programFolder_ + QStringLiteral("templates")).canonicalPath();
    return !templates.isEmpty() && QFileInfo(path).absoluteDir().canonicalPath() == templates;
}

void ProjectDocument::newProject() {
    if (!askToSave())
        return;
    agent_.ClearPreviewFolder();
    fileName_.clear();
    incomplete_ = false;
    onDisk_ = {};
    view_.refillTree([] {});
    agent_.SetDefaults();
    view_.showNewProject();
    startHistory();
    view_.showInPreview();
}

void ProjectDocument::load(const QString& path) {
    const TAppletData previousSettings = agent_.AppletData;
    const TItemArray previousItems = agent_.Items;
    const auto putBack = [&] {
        agent_.AppletData = previousSettings;
        agent_.Items = previousItems;
        view_.refillTree([&] { agent_.ReadKeepingTreeInStep(tree_, [] {}); });
        view_.showLoadedProject();
        view_.historyChanged();
        // The preview folder was emptied for the file that was not taken.
        if (!fileName_.isEmpty())
            agent_.CopyResourceFilesToPreview(pathBytes(folder() + '/'));
    };
    ProjectRead read;
    try {
        view_.refillTree([&] { read = agent_.LoadFromFile(pathBytes(path), tree_); });
    } catch (...) {
        putBack();
        throw;
    }
    if (read.outcome == ProjectReadOutcome::Refused ||
        read.outcome == ProjectReadOutcome::NotAProject) {
        putBack();
        // Another product's file has had its message from the engine.
        if (read.outcome == ProjectReadOutcome::NotAProject)
            warn(MessageKind::Error,
                 tr("\"%1\" was not opened. %2").arg(path, QString::fromStdString(read.problem)));
        return;
    }
    opened(path, read.outcome == ProjectReadOutcome::Incomplete, read.problem);
}

void ProjectDocument::opened(const QString& path, bool incomplete, const std::string& problem) {
    // A template starts a new project: saving must never write over it or publish into the
    // templates folder, so it has no file name until the first save asks for one.
    const bool fromTemplate = isTemplate(path);
    fileName_ = fromTemplate ? QString() : path;
    if (!fromTemplate)
        lastFolder_ = QFileInfo(path).absolutePath();
    incomplete_ = incomplete;
    onDisk_ = fromTemplate ? DiskState{} : diskStateOf(path);
    agent_.CopyResourceFilesToPreview(pathBytes(QFileInfo(path).absolutePath() + '/'));
    view_.showLoadedProject();
    startHistory();
    if (fromTemplate) {
        // Nothing of it is saved anywhere yet.
        setModified(true);
        return;
    }
    if (incomplete_)
        warn(MessageKind::Warning,
             tr("The project \"%1\" is incomplete. %2 What it holds is shown; "
                "Save asks before writing over the file.")
                 .arg(path, QString::fromStdString(problem)));
    if (restoring_)
        return;
    // The project is open whatever becomes of the list.
    try {
        view_.addRecentFile(path);
    } catch (const std::exception& e) {
        warn(MessageKind::Warning,
             tr("The project was opened, but the list of recent files could not be "
                "updated. %1")
                 .arg(QString::fromLocal8Bit(e.what())));
    }
}

void ProjectDocument::openChosen() {
    if (!askToSave())
        return;
    agent_.ClearPreviewFolder();
    if (const auto path = dialogs_.openFile(dialogParent_, tr(kProjectFilter), dialogFolder()))
        load(*path);
    view_.showInPreview();
}

void ProjectDocument::restore(const QString& copy, const QString& original) {
    if (!askToSave())
        return;
    agent_.ClearPreviewFolder();
    {
        const QScopedValueRollback restoring(restoring_, true);
        load(copy);
    }
    if (fileName_ != copy)
        return;  // not taken: the open project stays
    fileName_ = original;
    onDisk_ = original.isEmpty() ? DiskState{} : diskStateOf(original);
    setModified(true);
    view_.showInPreview();
}

void ProjectDocument::openFile(const QString& path) {
    if (path.isEmpty() || !askToSave())
        return;
    agent_.ClearPreviewFolder();
    load(path);
    view_.showInPreview();
}

void ProjectDocument::importMenuStructure() {
    if (!askToSave())
        return;
    agent_.ClearPreviewFolder();
    CreateFolderQuietly(agent_.PreviewFolder());
    const auto path = dialogs_.openFile(dialogParent_, tr(kMenuStructureFilter), folder());
    if (!path)
        return;
    try {
        view_.refillTree([&] { agent_.ImportMenuStructure(pathBytes(*path), tree_); });
    } catch (...) {
        view_.showLoadedProject();
        view_.historyChanged();
        throw;
    }
    agent_.CopyResourceFilesToPreview(pathBytes(QFileInfo(*path).absolutePath() + '/'));
    view_.showLoadedProject();
    startHistory();
    view_.showInPreview();
}

void ProjectDocument::exportMenuStructure() {
    const auto path = dialogs_.saveFile(dialogParent_, tr(kMenuStructureFilter), folder());
    if (path)
        agent_.ExportMenuStructure(TzqxAppletAgent::MenuStructureFileName(pathBytes(*path)));
}

bool ProjectDocument::askToSave() {
    if (!isModified())
        return true;
    const MessageButton answer =
        dialogs_.message(dialogParent_, MessageKind::Warning, tr("Save changes to files?"),
                         {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    if (answer == MessageButton::Cancel)
        return false;
    // A save whose writing over the file was declined, or whose publish was stopped, keeps the
    // document and stops the command, rather than dropping the changes the user wanted saved.
    if (answer == MessageButton::Yes) {
        const SaveResult saved = save();
        if (saved == SaveResult::Declined || saved == SaveResult::Stopped)
            return false;
    }
    return true;
}

QString ProjectDocument::projectFileFor(const QString& path) {
    const QFileInfo file(path);
    const std::string base =
        TzqxAppletAgent::PublishBaseName(QFile::encodeName(file.fileName()).toStdString());
    return file.absolutePath() + '/' + QFile::decodeName(QByteArray::fromStdString(base)) +
           QStringLiteral(".lvx");
}

ProjectDocument::DiskState ProjectDocument::diskStateOf(const QString& path) {
    DiskState state;
    state.path = path;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        state.exists = true;
        state.size = st.st_size;
        state.seconds = st.st_mtim.tv_sec;
        state.nanoseconds = st.st_mtim.tv_nsec;
        state.inode = st.st_ino;
    }
    return state;
}

bool ProjectDocument::mayWriteOver(const QString& path) {
    const QString target = projectFileFor(path);
    QString question;
    if (incomplete_) {
        question = tr("\"%1\" was incomplete when it was opened. Saving writes the "
                      "project as it is shown over it. Save over it?")
                       .arg(target);
    } else if (onDisk_.path == target && diskStateOf(target) != onDisk_) {
        question = tr("\"%1\" was changed on disk since it was opened or last "
                      "saved, perhaps by another program. Save over it, losing those "
                      "changes?")
                       .arg(target);
    }
    if (question.isEmpty())
        return true;
    // Keeping the file is the default: a Return typed by habit loses nothing.
    return dialogs_.message(dialogParent_, MessageKind::Warning, question,
                            {MessageButton::No, MessageButton::Yes}) == MessageButton::Yes;
}

void ProjectDocument::named(const QString& path) {
    fileName_ = path;
    if (!isTemplate(path))
        lastFolder_ = QFileInfo(path).absolutePath();
    incomplete_ = false;
    Q_EMIT saved(projectFileFor(path));
}

void ProjectDocument::publishTo(const QString& path) {
    const QFileInfo file(path);
    const QString folder = file.absolutePath() + '/';
    // The project file was written although the publish failed: the edits are saved. A
    // cancelled publish wrote nothing.
    auto onDisk = qScopeGuard([&] { onDisk_ = diskStateOf(projectFileFor(path)); });
    try {
        view_.publishInBackground([&] {
            agent_.SaveAndPublish(pathBytes(folder), pathBytes(file.fileName()), publishTree_);
        });
    } catch (const PublishCancelledError&) {
        onDisk.dismiss();
        throw;
    }
}

void ProjectDocument::saveTo(const QString& path) {
    const auto saved = [&] {
        named(path);
        setModified(false);
    };
    try {
        publishTo(path);
    } catch (const NotPublishedError&) {
        saved();
        throw;
    }
    saved();
}

ProjectDocument::SaveResult ProjectDocument::save() {
    view_.storePanel();
    if (!fileName_.isEmpty() && !mayWriteOver(fileName_))
        return SaveResult::Declined;
    const auto path = fileName_.isEmpty()
                          ? dialogs_.saveFile(dialogParent_, tr(kProjectFilter), dialogFolder())
                          : std::optional<QString>(fileName_);
    if (!path)
        return SaveResult::Cancelled;
    try {
        saveTo(*path);
    } catch (const PublishCancelledError& e) {
        view_.showHint(e.what());
        return SaveResult::Stopped;
    }
    return SaveResult::Saved;
}

void ProjectDocument::saveAs(const QString& startFolder) {
    const auto path = dialogs_.saveFile(dialogParent_, tr(kProjectFilter),
                                        startFolder.isEmpty() ? dialogFolder() : startFolder);
    if (!path)
        return;
    view_.storePanel();
    auto naming = qScopeGuard([&] { named(*path); });
    try {
        publishTo(*path);
    } catch (const NotPublishedError&) {
        throw;  // saved all the same: the file name is the new one
    } catch (const PublishCancelledError& e) {
        naming.dismiss();
        view_.showHint(e.what());
    } catch (...) {
        naming.dismiss();
        throw;
    }
}

void ProjectDocument::saveAsTemplate() {
    // Only this dialog starts in the templates: later saves go where the project is.
    const QString templates = programFolder_ + QStringLiteral("templates");
    CreateFolderQuietly(pathBytes(templates));
    saveAs(templates);
}

bool ProjectDocument::mayClose() {
    if (!isModified()) {
        agent_.ClearPreviewFolder();
        return true;
    }
    const MessageButton answer = dialogs_.message(
        dialogParent_, MessageKind::Warning, tr("Save changes to files before Exit?"),
        {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    bool closes = answer == MessageButton::No;
    if (answer == MessageButton::Yes) {
        try {
            view_.storePanel();
            if (!fileName_.isEmpty()) {
                closes = mayWriteOver(fileName_);
                if (closes)
                    saveTo(fileName_);
            } else if (const auto path =
                           dialogs_.saveFile(dialogParent_, tr(kProjectFilter), dialogFolder())) {
                saveTo(*path);
                closes = true;
            }
        } catch (const std::exception& e) {
            // The window stays open with the project the save could not write.
            ErrorReport::show(QString::fromLocal8Bit(e.what()));
            closes = false;
        }
    }
    agent_.ClearPreviewFolder();
    return closes;
}

}  // namespace lumivex::ui
