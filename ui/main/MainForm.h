#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "AppletAgent.h"
#include "Platform.h"
#include "templet.h"

class QTemporaryDir;

namespace Ui {
class MainForm;
}

namespace lumivex::ui {

class BackgroundPublish;
class DialogMessageSink;
class DocumentShown;
class HelpCommands;
class PhotosIn;
class PreviewController;
class ProjectDocument;
class PropertyBinder;
class Publisher;
class RecentFiles;
class RecoveryCopy;
class ServerUpload;
class SwitchableItemTree;
class Thumbnails;
class TreePanel;
class TreeWidgetItemTree;
class WidgetProgress;

// The main window: the item tree on the left, the property pages on the right, the preview
// beside them. It owns the engine and the subjects that own their state and actions:
//   ProjectDocument    the project as a file: name, modified, open, save
//   TreePanel          the item tree, its commands and the pages it shows
//   PropertyBinder     the property pages bound to the model
//   PreviewController  the live preview, the generated page and the publish report
//   BackgroundPublish  publishing off the window's thread, with Cancel
//   PhotosIn           Add Photos and dropped photos
//   ServerUpload       File > Publish to Server
//   RecoveryCopy       the unsaved project copied every 30 s, offered after a crash
//   HelpCommands, RecentFiles
// Its own handlers are the menu commands, each handed to the subject it belongs to.
class TMainForm : public QMainWindow, public TemplateHost {
    Q_OBJECT
public:
    // `programFolder` ends with "/"; generated and scratch files pass through it.
    TMainForm(Platform& platform, const QString& programFolder, QWidget* parent = nullptr);
    ~TMainForm() override;
    // The windows that live from start to end, created hidden after this one.
    void CreateLastingWindows();

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
    void PublishToServer1Click();
    void ToolBar1Click();
    void StatusBar2Click();
    void PreviewWindow1Click();
    void WebBrowser1Click();
    void About1Click();
    void Undo1Click();
    void Redo1Click();

    ProjectDocument& document() const { return *document_; }
    TreePanel& tree() const { return *treePanel_; }
    PropertyBinder& binder() const { return *binder_; }
    PreviewController& preview() const { return *preview_; }
    PhotosIn& photos() const { return *photos_; }
    HelpCommands& help() const { return *help_; }
    RecentFiles& recentFiles() const { return *recentFiles_; }
    RecoveryCopy& recovery() const { return *recovery_; }
    Thumbnails* thumbnails() const { return thumbnails_; }
    TzqxAppletAgent& agent() const { return *agent_; }
    TreeWidgetItemTree& itemTree() const { return *itemTree_; }
    Ui::MainForm* form() const { return ui_.get(); }
    const QString& scratchFolder() const { return scratch_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The engine and the subjects, in the order they need each other.
    void createSubjects();
    // Undo or redo one step; what is typed afterwards is a step of its own.
    void moveHistory(bool back);

    std::unique_ptr<Ui::MainForm> ui_;
    Platform& platform_;
    QString programFolder_;
    // Removed with its files when the window goes.
    std::unique_ptr<QTemporaryDir> scratchDir_;
    QString scratch_;
    std::unique_ptr<TreeWidgetItemTree> itemTree_;
    std::unique_ptr<WidgetProgress> progress_;
    std::unique_ptr<DialogMessageSink> messages_;
    // What the engine reads of the tree: the tree itself, or its copy while a publish runs.
    std::unique_ptr<SwitchableItemTree> agentTree_;
    Publisher* publisher_ = nullptr;
    std::unique_ptr<TzqxAppletAgent> agent_;
    std::unique_ptr<DocumentShown> documentShown_;
    ProjectDocument* document_ = nullptr;
    TreePanel* treePanel_ = nullptr;
    PropertyBinder* binder_ = nullptr;
    PreviewController* preview_ = nullptr;
    BackgroundPublish* publishing_ = nullptr;
    PhotosIn* photos_ = nullptr;
    ServerUpload* upload_ = nullptr;
    HelpCommands* help_ = nullptr;
    RecentFiles* recentFiles_ = nullptr;
    RecoveryCopy* recovery_ = nullptr;
    Thumbnails* thumbnails_ = nullptr;
    QObject* historyFilter_ = nullptr;
    QObject* escapeFilter_ = nullptr;
};

}  // namespace lumivex::ui
