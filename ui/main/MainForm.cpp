#include "MainForm.h"

#include <sys/stat.h>

#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>

#include "About.h"
#include "EngineErrors.h"
#include "ErrorReport.h"
#include "FileIO.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "MainFormFilters.h"
#include "PublishReport.h"
#include "Publisher.h"
#include "TextBytes.h"
#include "Thumbnails.h"
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
    publisher_ = new Publisher(*progress_, this);
    agentTree_ = std::make_unique<SwitchableItemTree>(*tree_);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancelPublish"));
    cancel->setToolTip(QStringLiteral("Stop the publish (Esc)"));
    cancel->hide();
    ui_->StatusBar1->addPermanentWidget(cancel);
    connect(cancel, &QPushButton::clicked, publisher_, &Publisher::cancel);
    connect(publisher_, &Publisher::runningChanged, this, &TMainForm::showPublishing);
    messages_ = std::make_unique<DialogMessageSink>(platform_.dialogs, this);

    // Scratch files of this process, never the working folder a desktop happens to start in;
    // a new folder of a random name that only this user can enter, never one found in place.
    const QString scratchBase = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    scratchDir_ = std::make_unique<QTemporaryDir>(scratchBase + QStringLiteral("/lumivex-XXXXXX"));
    if (!scratchDir_->isValid())
        throw EngineError("Cannot create a scratch folder in " + pathBytes(scratchBase) + ": " +
                          scratchDir_->errorString().toStdString());
    scratch_ = scratchDir_->path() + '/';

    // The one edit path: every change of the model is a command on this stack.
    undoStack_ = new QUndoStack(this);
    connect(undoStack_, &QUndoStack::cleanChanged, this, [this] { showModified(); });
    connect(undoStack_, &QUndoStack::canUndoChanged, ui_->Undo1, &QAction::setEnabled);
    connect(undoStack_, &QUndoStack::canRedoChanged, ui_->Redo1, &QAction::setEnabled);
    ui_->Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    ui_->Undo1->setEnabled(false);
    ui_->Redo1->setEnabled(false);
    connect(ui_->Undo1, &QAction::triggered, this, ErrorReport::guarded([this] { Undo1Click(); }));
    connect(ui_->Redo1, &QAction::triggered, this, ErrorReport::guarded([this] { Redo1Click(); }));
    connect(ui_->AddPhotos1, &QAction::triggered, this,
            ErrorReport::guarded([this] { AddPhotos1Click(); }));
    // Photos and folders dropped anywhere on the window are added.
    setAcceptDrops(true);

    setUpIcons();
    connectCommands();
    connectTree();
    connectProperties();
    setUpHintLine();
    history_ = new OneHistoryInFields(this, ui_->Redo1);
    escape_ = new EscapeLeavesFields(this, ui_->centralwidget, ui_->trvwDesignPanel, *publisher_);
    qApp->installEventFilter(history_);
    qApp->installEventFilter(escape_);
    FormCreate();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(history_);
    qApp->removeEventFilter(escape_);
    // Before the form it reports to goes.
    delete undoStack_;
}

QString TMainForm::scratchFolder() const {
    return scratch_;
}

std::string TMainForm::pathBytes(const QString& path) const {
    return QFile::encodeName(path).toStdString();
}

bool TMainForm::FModified() const {
    return !undoStack_->isClean();
}

void TMainForm::SetModified(bool modified) {
    // Clean where the history stands now; or clean nowhere, until the next save.
    if (modified)
        undoStack_->resetClean();
    else
        undoStack_->setClean();
    showModified();
}

void TMainForm::showModified() {
    const bool modified = FModified();
    ui_->tlbtnSave->setEnabled(modified);
    ui_->Save1->setEnabled(modified);
}

void TMainForm::Undo1Click() {
    // What is typed after an undo is a step of its own.
    ++typingSession_;
    undoStack_->undo();
    UpdateItemCommands();
}

void TMainForm::Redo1Click() {
    ++typingSession_;
    undoStack_->redo();
    UpdateItemCommands();
}

void TMainForm::startHistory() {
    undoStack_->clear();
    SetModified(false);
    UpdateItemCommands();
}

void TMainForm::storePanel() {
    StoreAppletProperties();
    if (CurrentItemNode != nullptr)
        StoreItemProperties(itemIndexOf(CurrentItemNode));
}

QString TMainForm::projectFolder() const {
    return CurrentFileName.isEmpty() ? QString() : QFileInfo(CurrentFileName).absolutePath();
}

bool TMainForm::AskToSave() {
    if (!FModified())
        return true;
    const MessageButton answer = platform_.dialogs.message(
        this, MessageKind::Warning, QStringLiteral("Save changes to files?"),
        {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    if (answer == MessageButton::Cancel)
        return false;
    // A save whose writing over the file was declined, or whose publish was stopped, keeps the
    // document and stops the command, rather than dropping the changes the user wanted saved.
    if (answer == MessageButton::Yes) {
        const SaveResult saved = saveDocument();
        if (saved == SaveResult::Declined || saved == SaveResult::Stopped)
            return false;
    }
    return true;
}

void TMainForm::resetTree() {
    TreeUpdate updating(*this);
    CurrentItemNode = nullptr;
    tree_->clear();
    ui_->trvwDesignPanel->setCurrentItem(ui_->trvwDesignPanel->topLevelItem(0));
}

void TMainForm::selectRoot() {
    TreeUpdate updating(*this);
    ui_->trvwDesignPanel->setCurrentItem(ui_->trvwDesignPanel->topLevelItem(0));
}

void TMainForm::New1Click() {
    if (!AskToSave())
        return;
    FAgent->ClearPreviewFolder();
    thumbnails_->forgetPending();
    CurrentItemNode = nullptr;
    CurrentFileName.clear();
    currentFileIncomplete_ = false;
    onDisk_ = {};
    resetTree();
    // Selected with the handling active, so the pages are arranged for the root.
    ui_->trvwDesignPanel->setCurrentItem(nullptr);
    ui_->trvwDesignPanel->setCurrentItem(ui_->trvwDesignPanel->topLevelItem(0));
    FAgent->SetDefaults();
    LoadAppletProperties();
    startHistory();
    PreviewRefreshArmed = true;
    RefreshPreview();
}

void TMainForm::loadProject(const QString& path) {
    // An open either completes or leaves the project that was open fully in place.
    const TAppletData previousSettings = FAgent->AppletData;
    const TItemArray previousItems = FAgent->Items;
    const auto putBack = [&] {
        FAgent->AppletData = previousSettings;
        FAgent->Items = previousItems;
        {
            TreeUpdate updating(*this);
            resetTree();
            FAgent->ReadKeepingTreeInStep(*tree_, [] {});
        }
        LoadAppletProperties();
        ui_->trvwDesignPanel->expandAll();
        selectRoot();
        UpdatePropertyPages(true);
        UpdateItemCommands();
        showThumbnails();
        // The preview folder was emptied for the file that was not taken.
        if (!CurrentFileName.isEmpty())
            FAgent->CopyResourceFilesToPreview(
                pathBytes(QFileInfo(CurrentFileName).absolutePath() + '/'));
    };
    thumbnails_->forgetPending();
    ProjectRead read;
    try {
        {
            TreeUpdate updating(*this);
            resetTree();
            read = FAgent->LoadFromFile(pathBytes(path), *tree_);
        }
        if (read.outcome == ProjectReadOutcome::Refused ||
            read.outcome == ProjectReadOutcome::NotAProject) {
            putBack();
            // Another product's file has had its message from the engine.
            if (read.outcome == ProjectReadOutcome::NotAProject) {
                platform_.dialogs.message(this, MessageKind::Error,
                                          QStringLiteral("\"%1\" was not opened. %2")
                                              .arg(path, QString::fromStdString(read.problem)),
                                          {MessageButton::Ok});
            }
            return;
        }
        LoadAppletProperties();
    } catch (...) {
        putBack();
        throw;
    }
    // A template starts a new project: saving must never write over it or publish into the
    // templates folder, so it has no file name until the first save asks for one.
    const bool fromTemplate = isTemplate(path);
    CurrentFileName = fromTemplate ? QString() : path;
    currentFileIncomplete_ = read.outcome == ProjectReadOutcome::Incomplete;
    if (fromTemplate)
        onDisk_ = {};
    else
        rememberOnDisk(path);
    FAgent->CopyResourceFilesToPreview(pathBytes(QFileInfo(path).absolutePath() + '/'));
    finishLoad();
    if (fromTemplate) {
        // Nothing of it is saved anywhere yet.
        SetModified(true);
        return;
    }
    if (currentFileIncomplete_) {
        platform_.dialogs.message(
            this, MessageKind::Warning,
            QStringLiteral("The project \"%1\" is incomplete. %2 What it holds is shown; "
                           "Save asks before writing over the file.")
                .arg(path, QString::fromStdString(read.problem)),
            {MessageButton::Ok});
    }
    // The project is open whatever becomes of the list.
    try {
        AddRecentFile(path);
    } catch (const std::exception& e) {
        platform_.dialogs.message(
            this, MessageKind::Warning,
            QStringLiteral("The project was opened, but the list of recent files could not be "
                           "updated. %1")
                .arg(QString::fromLocal8Bit(e.what())),
            {MessageButton::Ok});
    }
}

bool TMainForm::isTemplate(const QString& path) const {
    const QString templates = QDir(programFolder_ + QStringLiteral("templates")).canonicalPath();
    return !templates.isEmpty() && QFileInfo(path).absoluteDir().canonicalPath() == templates;
}

void TMainForm::finishLoad() {
    // The items of an opened project are in view at once; their pictures follow.
    ui_->trvwDesignPanel->expandAll();
    selectRoot();
    UpdatePropertyPages(true);
    startHistory();
    showThumbnails();
}

void TMainForm::Open1Click() {
    if (!AskToSave())
        return;
    FAgent->ClearPreviewFolder();
    if (const auto path = platform_.dialogs.openFile(this, kProjectFilter, projectFolder()))
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

void TMainForm::saveDocumentAs(const QString& path) {
    const auto saved = [&] {
        CurrentFileName = path;
        currentFileIncomplete_ = false;
        SetModified(false);
    };
    try {
        savePublishing(path);
    } catch (const NotPublishedError&) {
        saved();
        throw;
    }
    saved();
}

QString TMainForm::projectFileFor(const QString& path) {
    const QFileInfo file(path);
    const std::string base =
        TzqxAppletAgent::PublishBaseName(QFile::encodeName(file.fileName()).toStdString());
    return file.absolutePath() + '/' + QFile::decodeName(QByteArray::fromStdString(base)) +
           QStringLiteral(".lvx");
}

TMainForm::DiskState TMainForm::diskStateOf(const QString& path) {
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

void TMainForm::rememberOnDisk(const QString& path) {
    onDisk_ = diskStateOf(path);
}

bool TMainForm::mayWriteOver(const QString& path) {
    const QString target = projectFileFor(path);
    QString question;
    if (currentFileIncomplete_) {
        question = QStringLiteral(
                       "\"%1\" was incomplete when it was opened. Saving writes the "
                       "project as it is shown over it. Save over it?")
                       .arg(target);
    } else if (onDisk_.path == target && diskStateOf(target) != onDisk_) {
        question = QStringLiteral(
                       "\"%1\" was changed on disk since it was opened or last "
                       "saved, perhaps by another program. Save over it, losing those "
                       "changes?")
                       .arg(target);
    }
    if (question.isEmpty())
        return true;
    // Keeping the file is the default: a Return typed by habit loses nothing.
    return platform_.dialogs.message(this, MessageKind::Warning, question,
                                     {MessageButton::No, MessageButton::Yes}) == MessageButton::Yes;
}

TMainForm::SaveResult TMainForm::saveDocument() {
    storePanel();
    if (!CurrentFileName.isEmpty()) {
        if (!mayWriteOver(CurrentFileName))
            return SaveResult::Declined;
    }
    const auto path = CurrentFileName.isEmpty()
                          ? platform_.dialogs.saveFile(this, kProjectFilter, projectFolder())
                          : std::optional<QString>(CurrentFileName);
    if (!path)
        return SaveResult::Cancelled;
    try {
        saveDocumentAs(*path);
    } catch (const PublishCancelledError& e) {
        progress_->setHint(e.what());
        return SaveResult::Stopped;
    }
    return SaveResult::Saved;
}

void TMainForm::Save1Click() {
    saveDocument();
}

void TMainForm::Save2Click() {
    saveAs(projectFolder());
}

void TMainForm::saveAs(const QString& startFolder) {
    const auto path = platform_.dialogs.saveFile(this, kProjectFilter, startFolder);
    if (!path)
        return;
    storePanel();
    auto named = qScopeGuard([&] {
        CurrentFileName = *path;
        currentFileIncomplete_ = false;
    });
    try {
        savePublishing(*path);
    } catch (const NotPublishedError&) {
        throw;  // saved all the same: the file name is the new one
    } catch (const PublishCancelledError& e) {
        named.dismiss();
        progress_->setHint(e.what());
    } catch (...) {
        named.dismiss();
        throw;
    }
}

void TMainForm::SaveAsTemplate1Click() {
    // Only this dialog starts in the templates: later saves go where the project is.
    const QString templates = programFolder_ + QStringLiteral("templates");
    CreateFolderQuietly(pathBytes(templates));
    saveAs(templates);
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
    const auto path = platform_.dialogs.openFile(this, kMenuStructureFilter, projectFolder());
    if (!path)
        return;
    try {
        TreeUpdate updating(*this);
        resetTree();
        FAgent->ImportMenuStructure(pathBytes(*path), *tree_);
    } catch (...) {
        selectRoot();
        UpdatePropertyPages(true);
        UpdateItemCommands();
        throw;
    }
    LoadAppletProperties();
    FAgent->CopyResourceFilesToPreview(pathBytes(QFileInfo(*path).absolutePath() + '/'));
    finishLoad();
    PreviewRefreshArmed = true;
    RefreshPreview();
}

void TMainForm::ExportMenuStructure1Click() {
    const auto path = platform_.dialogs.saveFile(this, kMenuStructureFilter, projectFolder());
    if (!path)
        return;
    FAgent->ExportMenuStructure(TzqxAppletAgent::MenuStructureFileName(pathBytes(*path)));
}

void TMainForm::Exit1Click() {
    close();
}

bool TMainForm::FormCloseQuery() {
    if (!FModified()) {
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
                closes = mayWriteOver(CurrentFileName);
                if (closes)
                    saveDocumentAs(CurrentFileName);
            } else if (const auto path =
                           platform_.dialogs.saveFile(this, kProjectFilter, projectFolder())) {
                saveDocumentAs(*path);
                closes = true;
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
    if (publisher_->running()) {
        // The publish must stop before the window can ask about saving and go.
        event->ignore();
        if (platform_.dialogs.message(this, MessageKind::Confirmation,
                                      QStringLiteral("A publish is running. Stop it and close?"),
                                      {MessageButton::Yes, MessageButton::No}) ==
            MessageButton::Yes) {
            closeAfterPublish_ = true;
            publisher_->cancel();
        }
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    platform_.settings.write(kSettingsKey, kWindowLayout, saveState());
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

namespace {

// The preview's own copy of the runtime gets an entry point that shows one slide held, as a
// visitor's arrow keys would; the copy in the program folder, which publishes, stays as it is.
void addPreviewEntryPoint(const std::string& runtime) {
    static constexpr std::string_view kAnchor = "\n  if (!box) return;\n";
    if (!FileExists(runtime))
        return;
    std::string text = ReadWholeFile(runtime, 1 << 22);
    const std::size_t at = text.find(kAnchor);
    if (at == std::string::npos)
        return;
    text.insert(at + kAnchor.size(), "  box.lumivexPreviewShow = jump;\n");
    WriteFileAtomically(runtime, text);
}

}  // namespace

void TMainForm::stagePreviewPage() {
    const std::string folder = pathBytes(programFolder_);
    BuildGeneratedCode();
    FAgent->CopyLinkedFilesToPreview(folder);
    addPreviewEntryPoint(FAgent->PreviewFolder() + "lumivex.js");
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
    if (frmPreview_ == nullptr || !frmPreview_->isVisible() || publisher_->running())
        return;
    if (!PreviewRefreshArmed) {
        // A load under way (or Auto Refresh off): the edit shows when the preview is armed
        // again, so the last keys typed are never left out.
        if (!stagingPreview_)
            previewStale_ = true;
        return;
    }
    CreateFolderQuietly(FAgent->PreviewFolder());
    // Disarmed while it stages: storing the panel for the build may make an edit, which asks
    // for a refresh of its own.
    PreviewRefreshArmed = false;
    previewStale_ = false;
    const QScopedValueRollback staging(stagingPreview_, true);
    try {
        stagePreviewPage();
    } catch (...) {
        PreviewRefreshArmed = true;
        throw;
    }
    frmPreview_->Navigate(programFolder_ + QStringLiteral("preview/~preview.html"));
    activateWindow();
}

void TMainForm::SetPreviewRefreshArmed(bool armed) {
    PreviewRefreshArmed = armed;
    if (!armed || !previewStale_)
        return;
    previewStale_ = false;
    QTimer::singleShot(0, this, ErrorReport::guarded([this] {
                           if (PreviewRefreshArmed)
                               RefreshPreview();
                       }));
}

void TMainForm::ClearPreviewWindowMark() {
    ui_->PreviewWindow1->setChecked(false);
    previewDock_->hide();
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
        previewDock_->hide();
        return;
    }
    frmPreview_->show();
    previewDock_->show();
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
    // The tree's viewport: drags, and presses (see connectTree).
    if (watched == ui_->trvwDesignPanel->viewport() && treeDragEvent(event))
        return true;
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
