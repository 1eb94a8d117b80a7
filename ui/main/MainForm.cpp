#include "MainForm.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "About.h"
#include "EngineErrors.h"
#include "ErrorReport.h"
#include "FileIO.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "PublishReport.h"
#include "TextBytes.h"
#include "TreeWidgetItemTree.h"
#include "WebBrowser.h"
#include "WidgetProgress.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {
const QString kProjectFilter = QStringLiteral("Lumivex Files (*.lvx)|*.lvx");
const QString kMenuStructureFilter = QStringLiteral("General Menu Structure File (*.gms)|*.gms");
}  // namespace

TMainForm::TMainForm(Platform& platform, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent),
      ui_(new Ui::MainForm),
      platform_(platform),
      programFolder_(programFolder) {
    ui_->setupUi(this);
    // The status bar's two widgets sit over its panels; Designer cannot place them there.
    auto* hint = new QLabel(ui_->StatusBar1);
    hint->setObjectName(QStringLiteral("stctxtHint"));
    // Designed 338 wide; a longer hint in a larger font widens it rather than being cut off.
    hint->setMinimumWidth(338);
    hint->setTextFormat(Qt::PlainText);
    auto* bar = new QProgressBar(ui_->StatusBar1);
    bar->setObjectName(QStringLiteral("prgrsbrMainFormBottom"));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setMaximumHeight(16);
    ui_->StatusBar1->addWidget(hint);
    ui_->StatusBar1->addWidget(bar, 1);
    ui_->StatusBar1->setFixedHeight(24);
    ui_->Splitter1->setSizes({337, 441});
    ui_->Splitter1->setStretchFactor(1, 1);

    tree_ = std::make_unique<TreeWidgetItemTree>(ui_->trvwDesignPanel);
    progress_ = std::make_unique<WidgetProgress>(hint, bar);
    messages_ = std::make_unique<DialogMessageSink>(platform_.dialogs, this);

    // Scratch files of this process, never the working folder a desktop happens to start in;
    // a new folder of a random name that only this user can enter, never one found in place.
    const QString scratchBase = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    scratchDir_ = std::make_unique<QTemporaryDir>(scratchBase + QStringLiteral("/lumivex-XXXXXX"));
    if (!scratchDir_->isValid())
        throw EngineError("Cannot create a scratch folder in " + pathBytes(scratchBase) + ": " +
                          scratchDir_->errorString().toStdString());
    scratch_ = scratchDir_->path() + '/';

    setUpIcons();
    connectCommands();
    connectTree();
    connectProperties();
    setUpHintLine();
    qApp->installEventFilter(this);
    FormCreate();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
}

QString TMainForm::scratchFolder() const {
    return scratch_;
}

std::string TMainForm::pathBytes(const QString& path) const {
    return QFile::encodeName(path).toStdString();
}

void TMainForm::SetModified(bool modified) {
    modified_ = modified;
    ui_->tlbtnSave->setEnabled(modified);
    ui_->Save1->setEnabled(modified);
}

void TMainForm::storePanel() {
    StoreAppletProperties();
    if (CurrentItemNode != nullptr)
        StoreItemProperties(itemIndexOf(CurrentItemNode));
}

bool TMainForm::AskToSave() {
    if (!modified_)
        return true;
    const MessageButton answer = platform_.dialogs.message(
        this, MessageKind::Warning, QStringLiteral("Save changes to files?"),
        {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    if (answer == MessageButton::Cancel)
        return false;
    if (answer == MessageButton::Yes)
        Save1Click();
    return true;
}

void TMainForm::resetTree() {
    CurrentItemNode = nullptr;
    TreeUpdating = true;
    tree_->clear();
    ui_->trvwDesignPanel->setCurrentItem(ui_->trvwDesignPanel->topLevelItem(0));
}

void TMainForm::selectRoot() {
    const bool wasUpdating = TreeUpdating;
    TreeUpdating = true;
    ui_->trvwDesignPanel->setCurrentItem(ui_->trvwDesignPanel->topLevelItem(0));
    TreeUpdating = wasUpdating;
}

void TMainForm::New1Click() {
    if (!AskToSave())
        return;
    FAgent->ClearPreviewFolder();
    CurrentItemNode = nullptr;
    CurrentFileName.clear();
    resetTree();
    TreeUpdating = false;
    // Selected with the handling active, so the pages are arranged for the root.
    ui_->trvwDesignPanel->setCurrentItem(nullptr);
    ui_->trvwDesignPanel->setCurrentItem(ui_->trvwDesignPanel->topLevelItem(0));
    FAgent->SetDefaults();
    LoadAppletProperties();
    SetModified(false);
    PreviewRefreshArmed = true;
    RefreshPreview();
}

void TMainForm::loadProject(const QString& path) {
    resetTree();
    const int refusalsBefore = messages_->count();
    try {
        FAgent->LoadFromFile(pathBytes(path), *tree_);
    } catch (...) {
        // Unreadable: the engine kept the project it had and the tree shows it again; the window
        // goes on working with it.
        TreeUpdating = false;
        selectRoot();
        UpdatePropertyPages(true);
        throw;
    }
    if (messages_->count() != refusalsBefore) {
        // A refused file leaves whatever the engine held before; a fresh project is what the
        // user sees instead, under the refused file's name as the command goes on.
        FAgent->SetDefaults();
        tree_->clear();
        selectRoot();
    }
    AddRecentFile(path);
    TreeUpdating = false;
    LoadAppletProperties();
    CurrentFileName = path;
    FAgent->CopyResourceFilesToPreview(pathBytes(QFileInfo(path).absolutePath() + '/'));
    finishLoad({});
}

void TMainForm::finishLoad(const QString&) {
    // The items of an opened project are in view at once.
    ui_->trvwDesignPanel->expandAll();
    selectRoot();
    UpdatePropertyPages(true);
    SetModified(false);
}

void TMainForm::Open1Click() {
    if (!AskToSave())
        return;
    FAgent->ClearPreviewFolder();
    if (const auto path = platform_.dialogs.openFile(this, kProjectFilter))
        loadProject(*path);
    PreviewRefreshArmed = true;
    RefreshPreview();
}

void TMainForm::OpenProjectFile(const QString& path) {
    if (path.isEmpty())
        return;
    if (!AskToSave())
        return;
    FAgent->ClearPreviewFolder();
    loadProject(path);
    PreviewRefreshArmed = true;
    RefreshPreview();
}

bool TMainForm::savePublishing(const QString& path) {
    const QFileInfo file(path);
    const QString folder = file.absolutePath() + '/';
    return FAgent->SaveAndPublish(pathBytes(folder), pathBytes(file.fileName()), *tree_);
}

void TMainForm::Save1Click() {
    storePanel();
    if (!CurrentFileName.isEmpty()) {
        savePublishing(CurrentFileName);
        SetModified(false);
        return;
    }
    const auto path = platform_.dialogs.saveFile(this, kProjectFilter, saveDialogFolder_);
    if (!path)
        return;
    savePublishing(*path);
    SetModified(false);
    CurrentFileName = *path;
}

void TMainForm::Save2Click() {
    const auto path = platform_.dialogs.saveFile(this, kProjectFilter, saveDialogFolder_);
    if (!path)
        return;
    storePanel();
    savePublishing(*path);
    CurrentFileName = *path;
}

void TMainForm::SaveAsTemplate1Click() {
    const QString templates = programFolder_ + QStringLiteral("templates");
    CreateFolderQuietly(pathBytes(templates));
    saveDialogFolder_ = templates;
    Save2Click();
}

void TMainForm::Templet1Click() {
    TfrmTemplet chooser(platform_, *this, programFolder_, this);
    chooser.exec();
}

void TMainForm::ImportMenuStructure1Click() {
    if (!AskToSave())
        return;
    FAgent->ClearPreviewFolder();
    CreateFolderQuietly(FAgent->PreviewFolder());
    const auto path = platform_.dialogs.openFile(this, kMenuStructureFilter);
    if (!path)
        return;
    resetTree();
    try {
        FAgent->ImportMenuStructure(pathBytes(*path), *tree_);
    } catch (...) {
        TreeUpdating = false;
        selectRoot();
        UpdatePropertyPages(true);
        throw;
    }
    TreeUpdating = false;
    LoadAppletProperties();
    FAgent->CopyResourceFilesToPreview(pathBytes(QFileInfo(*path).absolutePath() + '/'));
    finishLoad({});
    PreviewRefreshArmed = true;
    RefreshPreview();
}

void TMainForm::ExportMenuStructure1Click() {
    const auto path = platform_.dialogs.saveFile(this, kMenuStructureFilter, {});
    if (!path)
        return;
    FAgent->ExportMenuStructure(TzqxAppletAgent::MenuStructureFileName(pathBytes(*path)));
}

void TMainForm::Exit1Click() {
    close();
}

bool TMainForm::FormCloseQuery() {
    if (!modified_) {
        FAgent->ClearPreviewFolder();
        return true;
    }
    const MessageButton answer = platform_.dialogs.message(
        this, MessageKind::Warning, QStringLiteral("Save changes to files before Exit?"),
        {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    bool closes = answer == MessageButton::No;
    if (answer == MessageButton::Yes) {
        try {
            storePanel();
            if (!CurrentFileName.isEmpty()) {
                closes = savePublishing(CurrentFileName);
            } else if (const auto path =
                           platform_.dialogs.saveFile(this, kProjectFilter, saveDialogFolder_)) {
                closes = savePublishing(*path);
            }
        } catch (const std::exception& e) {
            // The window stays open with the project the save could not write.
            ErrorReport::show(QString::fromLocal8Bit(e.what()));
            closes = false;
        }
    }
    FAgent->ClearPreviewFolder();
    return closes;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    // The lasting windows go with the main window: closing it ends the program.
    for (QWidget* w : {static_cast<QWidget*>(formHTML_), static_cast<QWidget*>(frmHelp_),
                       static_cast<QWidget*>(frmPreview_)}) {
        if (w != nullptr)
            w->hide();
    }
}

void TMainForm::BuildGeneratedCode() {
    if (tree_->childCount(tree_->root()) == 0) {
        platform_.dialogs.message(
            this, MessageKind::Error,
            QStringLiteral("No item to build. Please add item to left pane and try again."),
            {MessageButton::Ok});
        return;
    }
    storePanel();
    FAgent->GenerateCode("~tmp0001.txt");
    const std::string page = pathBytes(scratch_) + "~tmp0001.txt";
    if (FileExists(page)) {
        formHTML_->SetPageBytes(ReadWholeFile(page));
        DeleteFileQuietly(page);
    }
}

void TMainForm::BuildHTML1Click() {
    BuildGeneratedCode();
    formHTML_->exec();
}

void TMainForm::stagePreviewPage() {
    const std::string folder = pathBytes(programFolder_);
    BuildGeneratedCode();
    FAgent->CopyLinkedFilesToPreview(folder);
    FAgent->CopyResourceFilesToPreview(folder);
    const std::string page = pathBytes(scratch_) + "~preview.html";
    WriteFileAtomically(page, formHTML_->PageBytes());
    FAgent->CopyToPreview(page);
    DeleteFileQuietly(page);
}

void TMainForm::Preview1Click() {
    stagePreviewPage();
    TformWebBrowser browser(platform_, this);
    browser.OpenInBrowser(programFolder_ + QStringLiteral("preview/"),
                          QStringLiteral("~preview.html"));
}

void TMainForm::Publish1Click() {
    storePanel();
    FAgent->WritePublishReport("", "PublishReport.txt");
    const std::string report = pathBytes(scratch_) + "PublishReport.txt";
    FAgent->CopyToPreview(report);
    DeleteFileQuietly(report);
    TfrmPublishReport window(this);
    window.LoadReport(programFolder_ + QStringLiteral("preview/PublishReport.txt"));
    window.exec();
}

void TMainForm::RefreshPreview() {
    if (!PreviewRefreshArmed || frmPreview_ == nullptr || !frmPreview_->isVisible())
        return;
    CreateFolderQuietly(FAgent->PreviewFolder());
    stagePreviewPage();
    PreviewRefreshArmed = false;
    frmPreview_->Navigate(programFolder_ + QStringLiteral("preview/~preview.html"));
    activateWindow();
}

void TMainForm::ClearPreviewWindowMark() {
    ui_->PreviewWindow1->setChecked(false);
}

void TMainForm::ToolBar1Click() {
    ui_->tlbr1->setVisible(ui_->ToolBar1->isChecked());
}

void TMainForm::StatusBar2Click() {
    ui_->StatusBar1->setVisible(ui_->StatusBar2->isChecked());
}

void TMainForm::PreviewWindow1Click() {
    // The action has already taken its new check state.
    if (!ui_->PreviewWindow1->isChecked()) {
        frmPreview_->hide();
        return;
    }
    frmPreview_->show();
    RefreshPreview();
}

void TMainForm::WebBrowser1Click() {
    TformWebBrowser dialog(platform_, this);
    dialog.exec();
}

void TMainForm::About1Click() {
    TformAbout about(platform_, this);
    about.exec();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this &&
            QApplication::activePopupWidget() == nullptr &&
            QApplication::activeModalWidget() == nullptr) {
            close();
            return true;
        }
    }
    if ((event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) &&
        watched->property("lumivexHint").toBool() && !TreeUpdating) {
        auto* widget = qobject_cast<QWidget*>(watched);
        findChild<QLabel*>(QStringLiteral("stctxtHint"))->setText(widget->toolTip());
    }
    if (event->type() == QEvent::MouseButtonPress && watched == ui_->trvwDesignPanel->viewport()) {
        auto* press = static_cast<QMouseEvent*>(event);
        // A right click selects the node under the pointer before its menu opens.
        if (press->button() == Qt::RightButton) {
            if (QTreeWidgetItem* under = ui_->trvwDesignPanel->itemAt(press->position().toPoint()))
                ui_->trvwDesignPanel->setCurrentItem(under);
        }
        if (ui_->trvwDesignPanel->itemAt(press->position().toPoint()) == nullptr)
            trvwDesignPanelMouseDown();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace lumivex::ui
