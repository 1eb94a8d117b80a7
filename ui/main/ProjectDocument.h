#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "Dialogs.h"

class QUndoStack;
class QWidget;

namespace lumivex {
class ItemTree;
class TzqxAppletAgent;
}  // namespace lumivex

namespace lumivex::ui {

// What the document asks of the window that shows it.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // The pages' values into the model before it is written.
    virtual void storePanel() = 0;
    // Empties the tree and runs `fill` with the selection handling held.
    virtual void refillTree(const std::function<void()>& fill) = 0;
    // After New: the root selected, the settings shown.
    virtual void showNewProject() = 0;
    // After a load or import: the settings shown, the tree open, the root selected.
    virtual void showLoadedProject() = 0;
    // The history was reset or moved: the commands follow it.
    virtual void historyChanged() = 0;
    // The project shown changed as a whole: the preview shows it from the start.
    virtual void showInPreview() = 0;
    // Runs `work` (a publish reading the model) with the window paused; raises what it raised.
    virtual void publishInBackground(const std::function<void()>& work) = 0;
    virtual void showHint(const std::string& text) = 0;
    virtual void addRecentFile(const QString& path) = 0;
};

// The project as a file: its name, whether it is modified (the history's clean state) or was
// opened incomplete, what it is on disk, and the commands that open and save it.
class ProjectDocument final : public QObject {
    Q_OBJECT
public:
    // `programFolder` ends with "/". `tree` is what a load fills; `publishTree` what a save reads.
    ProjectDocument(Dialogs& dialogs, QWidget* dialogParent, TzqxAppletAgent& agent, ItemTree& tree,
                    ItemTree& publishTree, const QString& programFolder, DocumentView& view);
    ~ProjectDocument() override;

    QUndoStack& history() const { return *history_; }
    const QString& fileName() const { return fileName_; }
    // The folder file dialogs start in: the current project's.
    QString folder() const;
    // Where Open and Save As start: the project's folder, else the one a project was last
    // opened from or saved to, else the user's documents; never the templates.
    QString dialogFolder() const;
    void setLastFolder(const QString& folder) { lastFolder_ = folder; }
    bool isModified() const;
    // Clean where the history stands now; or clean nowhere, until the next save.
    void setModified(bool modified);

    void newProject();
    // Opens `path` after the save question (nothing when it is empty).
    void openFile(const QString& path);
    // Opens the project the user picks.
    void openChosen();
    // Opens the recovery copy `copy` as the unsaved state of `original` (empty: untitled).
    void restore(const QString& copy, const QString& original);
    void importMenuStructure();
    void exportMenuStructure();
    // The save question; false when the user cancelled the command, or declined to write over
    // the file, or stopped its publish.
    bool askToSave();
    // How a save ended: written, its dialog cancelled, writing over the file declined, or its
    // publish stopped by the user (nothing written).
    enum class SaveResult { Saved, Cancelled, Declined, Stopped };
    SaveResult save();
    // Save As, its dialog starting in `startFolder` (the project's folder when empty).
    void saveAs(const QString& startFolder);
    void saveAsTemplate();
    // The exit question; true when the window may close.
    bool mayClose();
    // After New, Open or Import: a fresh history, clean.
    void startHistory();

    // The project file a save to `path` writes: its folder, base name and ".lvx".
    static QString projectFileFor(const QString& path);
    // Whether `path` lies in the program's templates folder.
    bool isTemplate(const QString& path) const;

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // The project file was written to `path`.
    void saved(const QString& path);

private:
    // The project file as last read or written (path, size, time, inode), to see a change made
    // by another program before writing over it.
    struct DiskState {
        QString path;
        bool exists = false;
        long long size = 0, seconds = 0, nanoseconds = 0;
        unsigned long long inode = 0;
        friend bool operator==(const DiskState&, const DiskState&) = default;
    };
    static DiskState diskStateOf(const QString& path);
    // A load either completes or leaves the project that was open fully in place.
    void load(const QString& path);
    void opened(const QString& path, bool incomplete, const std::string& problem);
    // Asks before a save writes over a project that was opened incomplete or changed on disk
    // since it was opened or saved; true when the save may go on.
    bool mayWriteOver(const QString& path);
    // Saves to `path` and makes it the saved current file, also when the project file was
    // written but the publish failed (NotPublishedError, raised on).
    void saveTo(const QString& path);
    // The save and publish itself; the project file's state on disk is remembered after it.
    void publishTo(const QString& path);
    void named(const QString& path);
    std::string pathBytes(const QString& path) const;
    void warn(MessageKind kind, const QString& text);

    Dialogs& dialogs_;
    QWidget* dialogParent_;
    TzqxAppletAgent& agent_;
    ItemTree& tree_;
    ItemTree& publishTree_;
    QString programFolder_;
    DocumentView& view_;
    QUndoStack* history_;
    QString lastFolder_;
    QString fileName_;
    // The current file was opened although it ends early; Save asks before writing over it.
    bool incomplete_ = false;
    DiskState onDisk_;
    // Set while a recovery copy is opened: it is no document of the user's own.
    bool restoring_ = false;
};

}  // namespace lumivex::ui
