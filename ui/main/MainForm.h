#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "AppletAgent.h"
#include "EditCommands.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "Platform.h"
#include "Preview.h"
#include "templet.h"

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDockWidget;
class QDropEvent;
class QMimeData;
class QTemporaryDir;
class QTreeWidgetItem;
class QWidget;

namespace Ui {
class MainForm;
}

namespace lumivex::ui {

class ColorSwatch;
class Publisher;
class SwitchableItemTree;
class Thumbnails;
class TformHTML;
class TfrmHelp;
class TreeWidgetItemTree;
class WidgetProgress;
class DialogMessageSink;

// The main window: the item tree on the left, the property pages on the right, and every
// command of the program. It owns the engine. Its code is split by subject:
//   MainForm.cpp            frame and document commands
//   MainFormTree.cpp        item tree panel
//   MainFormProperties.cpp  property pages and their binding
//   MainFormStartup.cpp     creation, recent files, program start
//   MainFormHelp.cpp        help buttons and web commands
//   MainFormUpload.cpp      publishing to a web server
//   MainFormPublish.cpp     publishing in the background
class TMainForm : public QMainWindow, public PreviewHost, public TemplateHost, private EditTarget {
    Q_OBJECT
public:
    // `programFolder` ends with "/"; generated and scratch files pass through it.
    TMainForm(Platform& platform, const QString& programFolder, QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- document commands ----
    void New1Click() override;
    void Open1Click();
    void OpenProjectFile(const QString& path) override;
    void Save1Click();
    void Save2Click();
    void SaveAsTemplate1Click();
    void Templet1Click();
    void ImportMenuStructure1Click();
    void ExportMenuStructure1Click();
    void Exit1Click();
    void BuildHTML1Click();
    void Preview1Click();
    void Publish1Click();
    // File > Publish to Server: the destination asked (kept in the project's options), then
    // the project published into a staging folder and uploaded with progress (MainFormUpload.cpp).
    void PublishToServer1Click();
    void ToolBar1Click();
    void StatusBar2Click();
    void PreviewWindow1Click();
    void WebBrowser1Click();
    void About1Click();
    // The save question; false when the user cancelled the command, or declined to write over
    // the file at the question of a save.
    bool AskToSave();
    void BuildGeneratedCode();

    // ---- preview protocol ----
    void RefreshPreview() override;
    // Armed again after a load: an edit made meanwhile is shown now.
    void SetPreviewRefreshArmed(bool armed) override;
    void ClearPreviewWindowMark() override;

    // ---- item tree ----
    void trvwDesignPanelChange();
    void trvwDesignPanelMouseDown();
    void Insert1Click();
    void Delete1Click();
    void MoveUp1Click();
    void MoveDown1Click();
    void UpdateItemCommands();
    void UpdatePropertyPages(bool force);

    // ---- photos in ----
    void AddPhotos1Click();
    // The photos of `paths` (files, and the photos of folders) as new items, in one step:
    // under the root, or after `anchor` on its level. Files that cannot be read as pictures are
    // named in one message and left out.
    void addPhotos(const QStringList& paths, QTreeWidgetItem* anchor);
    void reportUnreadablePhotos(const QStringList& reasons, std::size_t added);
    // Each item's photo as its picture in the tree, where it is made already (all items, or
    // those of the photo `only`).
    void showThumbnails(const QString& only = QString());
    Thumbnails* thumbnails() const { return thumbnails_; }
    // The selected item, dragged and dropped at `at` (viewport coordinates) over `over`.
    void moveDraggedItem(QTreeWidgetItem* over, const QPoint& at);
    // Drags over the tree's viewport: files from elsewhere are added, an item dragged inside
    // moves. True when the event was taken.
    bool treeDragEvent(QEvent* event);
    // Photos and folders dropped anywhere on the window are added.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // ---- undo and redo ----
    void Undo1Click();
    void Redo1Click();
    QUndoStack& undoStack() const { return *undoStack_; }

    // ---- property pages ----
    // How a control holds its field: by its value, a combo box by its text, a "T" button as
    // the transparency of a colour field.
    enum class BindMode { Value, ComboText, Transparency };
    // Every control the pages bind, by name, in field order.
    static QStringList BoundControlNames();
    // Storing goes through the edit path: a control that differs from its field is an edit.
    void StoreAppletProperties();
    void LoadAppletProperties();
    void StoreItemProperties(int index);
    void LoadItemProperties(int index);
    void GetControlValue(std::string& value, QWidget* control, BindMode mode);
    void SetControlValue(const std::string& value, QWidget* control, BindMode mode);
    void pnl_BgColorClick(ColorSwatch* swatch);
    void PickColor(ColorSwatch* swatch);
    void spdbtnItemImageNormalClick(QObject* sender);
    void spdbtnItURLClick();
    void CheckReservedText(QWidget* control);
    static QString PathToFileUrl(const QString& path);

    // ---- start-up and recent files ----
    void LoadRecentFiles();
    void AddRecentFile(const QString& path);
    void RecentFileClick(QAction* entry);
    static QString RecentFilesName() { return QStringLiteral("recentfile.dat"); }

    // ---- help ----
    void SpeedButton1Click(QObject* sender);
    void Topic1Click();
    void ViewSample1Click();
    void Homepage1Click();
    void ContactUs1Click();
    static QString HelpPageForTag(int tag);

    // ---- state, as the other windows and the tests see it ----
    // Modified is the undo stack's clean state: undoing back to the last save clears it.
    bool FModified() const;
    void SetModified(bool modified);
    QString CurrentFileName;
    bool PreviewRefreshArmed = false;
    // Set while the tree's shape changes; the selection, mouse and hint handlers wait.
    bool TreeUpdating = false;
    QTreeWidgetItem* CurrentItemNode = nullptr;
    int FLastSelectedIndex = -1;
    std::vector<QWidget*> FAppletTabs;
    std::vector<QWidget*> FParentTabs;
    std::vector<QWidget*> FItemTabs;

    TzqxAppletAgent& agent() { return *FAgent; }
    TreeWidgetItemTree& itemTree() { return *tree_; }
    const QString& programFolder() const { return programFolder_; }
    QString scratchFolder() const;
    TformHTML* formHTML() const { return formHTML_; }
    TfrmHelp* frmHelp() const { return frmHelp_; }
    TfrmPreview* frmPreview() const { return frmPreview_; }
    Ui::MainForm* form() const { return ui_.get(); }
    // The windows that live from start to end, created hidden after this one.
    void CreateLastingWindows();
    // Shows the preview in its dock, the window wide enough for it and the pages.
    void makeRoomForPreview();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Holds TreeUpdating for a scope.
    class TreeUpdate {
    public:
        explicit TreeUpdate(TMainForm& form) : form_(form), was_(form.TreeUpdating) {
            form_.TreeUpdating = true;
        }
        ~TreeUpdate() { form_.TreeUpdating = was_; }
        TreeUpdate(const TreeUpdate&) = delete;
        TreeUpdate& operator=(const TreeUpdate&) = delete;

    private:
        TMainForm& form_;
        bool was_;
    };
    // Set while the controls are loaded from the model: their changes are no edits.
    class ShowingModel {
    public:
        explicit ShowingModel(TMainForm& form) : form_(form), was_(form.showingModel_) {
            form_.showingModel_ = true;
        }
        ~ShowingModel() { form_.showingModel_ = was_; }
        ShowingModel(const ShowingModel&) = delete;
        ShowingModel& operator=(const ShowingModel&) = delete;

    private:
        TMainForm& form_;
        bool was_;
    };

    // ---- the edit path (EditTarget) ----
    TzqxAppletAgent& model() override { return *FAgent; }
    ItemTree& items() override;
    void showSetting(std::string TAppletData::*field, const QWidget* source, bool reveal) override;
    void showItemField(int index, std::string TItemData::*field, const QWidget* source,
                       bool reveal) override;
    void changeTree(const std::function<int()>& change) override;
    void showOption(const std::string& name, bool reveal) override;
    // Selects the root and the page that holds a setting's control.
    void revealSetting(QWidget* control);
    bool acceptsDroppedFiles(const QMimeData* data) const;
    // A bound control changed: the edit goes on the undo stack.
    void controlEdited(QWidget* control);
    // The value a colour field's swatch and "T" button give together.
    std::string colourValue(std::string TAppletData::*field);
    // After New, Open or Import: a fresh history, clean.
    void startHistory();
    // Save is enabled exactly while the project is modified.
    void showModified();

    // Whether the window may close; runs the exit question.
    bool FormCloseQuery();
    void FormCreate();
    void connectCommands();
    void connectTree();
    void connectProperties();
    void setUpHintLine();
    void setUpIcons();
    // Storing the panel: the settings, then the item on the Item page.
    void storePanel();
    // The build step, then the page and its files into the preview folder.
    void stagePreviewPage();
    void resetTree();
    // After a load or import: tree and list in step, the root selected, pages for the root.
    void finishLoad();
    // Save As, its dialog starting in `startFolder`.
    void saveAs(const QString& startFolder);
    void loadProject(const QString& path);
    // Whether `path` lies in the program's templates folder.
    bool isTemplate(const QString& path) const;
    // How a save ended: written, its dialog cancelled, writing over the file declined, or its
    // publish stopped by the user (nothing written).
    enum class SaveResult { Saved, Cancelled, Declined, Stopped };
    SaveResult saveDocument();
    // Asks before a save writes over a project that was opened incomplete or changed on disk
    // since it was opened or saved; true when the save may go on.
    bool mayWriteOver(const QString& path);
    // Remembers the project file as it is on disk now, after an open or a save.
    void rememberOnDisk(const QString& path);
    void selectRoot();
    QTreeWidgetItem* selectedNode() const;
    int itemIndexOf(QTreeWidgetItem* node) const;
    bool savePublishing(const QString& path);
    // Runs `work` (a publish reading the model) off the window's thread: the window answers
    // and repaints but takes no edit and no command until it ends; Cancel and Escape stop it.
    void publishInBackground(const std::function<void()>& work);
    // While a publish runs: commands and pages paused, Cancel shown.
    void showPublishing(bool running);
    // Saves to `path` and makes it the saved current file, also when the project file was
    // written but the publish failed (NotPublishedError, raised on).
    void saveDocumentAs(const QString& path);
    // The project file a save to `path` writes: its folder, base name and ".lvx".
    static QString projectFileFor(const QString& path);
    std::string pathBytes(const QString& path) const;
    void setRadio(QWidget* radio, bool checked);
    // The folder file dialogs start in: the current project's.
    QString projectFolder() const;

    std::unique_ptr<Ui::MainForm> ui_;
    Platform& platform_;
    QString programFolder_;
    // Removed with its files when the window goes.
    std::unique_ptr<QTemporaryDir> scratchDir_;
    QString scratch_;
    std::unique_ptr<TreeWidgetItemTree> tree_;
    std::unique_ptr<WidgetProgress> progress_;
    std::unique_ptr<DialogMessageSink> messages_;
    // What the engine reads of the tree: the tree itself, or its copy while a publish runs.
    std::unique_ptr<SwitchableItemTree> agentTree_;
    Publisher* publisher_ = nullptr;
    QObject* history_ = nullptr;
    QObject* escape_ = nullptr;
    QList<QPointer<QAction>> pausedActions_;
    // The window was asked to close while a publish ran: it closes when the publish stopped.
    bool closeAfterPublish_ = false;
    // An edit came while the preview could not refresh; and whether it is refreshing now.
    bool previewStale_ = false;
    bool stagingPreview_ = false;
    std::unique_ptr<TzqxAppletAgent> FAgent;
    QUndoStack* undoStack_ = nullptr;
    Thumbnails* thumbnails_ = nullptr;
    bool showingModel_ = false;
    // Edits of one field merge while the focus stays; a focus change starts a new session.
    int typingSession_ = 0;
    // The current file was opened although it ends early; Save asks before writing over it.
    bool currentFileIncomplete_ = false;
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
    DiskState onDisk_;
    QPointer<TformHTML> formHTML_;
    QPointer<TfrmHelp> frmHelp_;
    QPointer<TfrmPreview> frmPreview_;
    QDockWidget* previewDock_ = nullptr;
};

}  // namespace lumivex::ui
