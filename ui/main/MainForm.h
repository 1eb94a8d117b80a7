#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "AppletAgent.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "Platform.h"
#include "Preview.h"
#include "templet.h"

class QAction;
class QTemporaryDir;
class QTreeWidgetItem;
class QWidget;

namespace Ui {
class MainForm;
}

namespace lumivex::ui {

class ColorSwatch;
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
class TMainForm : public QMainWindow, public PreviewHost, public TemplateHost {
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
    void SetPreviewRefreshArmed(bool armed) override { PreviewRefreshArmed = armed; }
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
    void CountDescendants(QTreeWidgetItem* node);

    // ---- property pages ----
    void StoreAppletProperties();
    void LoadAppletProperties();
    void StoreItemProperties(int index);
    void LoadItemProperties(int index);
    void GetControlValue(std::string& value, QWidget* control, int mode);
    void SetControlValue(const std::string& value, QWidget* control, int mode);
    void edt_ICaptionChange();
    void spnedtApWidthChange();
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
    bool FModified() const { return modified_; }
    void SetModified(bool modified);
    QString CurrentFileName;
    bool PreviewRefreshArmed = false;
    bool TreeUpdating = false;
    QTreeWidgetItem* CurrentItemNode = nullptr;
    int FDescendantCount = 0;
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

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
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
    void finishLoad(const QString& folder);
    void loadProject(const QString& path);
    // How a save ended: written, its dialog cancelled, or writing over the file declined.
    enum class SaveResult { Saved, Cancelled, Declined };
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
    // The project file a save to `path` writes: its folder, base name and ".lvx".
    static QString projectFileFor(const QString& path);
    void publishInto(const QString& path);
    std::string pathBytes(const QString& path) const;
    QList<QWidget*> boundAppletControls() const;
    QList<QWidget*> textControlsChecked() const;
    void setRadio(QWidget* radio, bool checked);
    void markModifiedOnChange(QWidget* control);

    std::unique_ptr<Ui::MainForm> ui_;
    Platform& platform_;
    QString programFolder_;
    // Removed with its files when the window goes.
    std::unique_ptr<QTemporaryDir> scratchDir_;
    QString scratch_;
    std::unique_ptr<TreeWidgetItemTree> tree_;
    std::unique_ptr<WidgetProgress> progress_;
    std::unique_ptr<DialogMessageSink> messages_;
    std::unique_ptr<TzqxAppletAgent> FAgent;
    bool modified_ = false;
    bool closing_ = false;
    QString saveDialogFolder_;
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
};

}  // namespace lumivex::ui
