// Creation of the main window and its subjects, and the program's start.
#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QWindow>
#include <functional>

#include "BackgroundPublish.h"
#include "DocumentShown.h"
#include "EngineErrors.h"
#include "ErrorReport.h"
#include "FileIO.h"
#include "FileTypeRegistration.h"
#include "HTMLBuild.h"
#include "HelpCommands.h"
#include "HelpWindow.h"
#include "Icons.h"
#include "MainForm.h"
#include "MainFormFilters.h"
#include "MainFormStartup.h"
#include "PhotosIn.h"
#include "PreviewController.h"
#include "ProgramFolder.h"
#include "ProjectDocument.h"
#include "PropertyBinder.h"
#include "PublishRecord.h"
#include "Publisher.h"
#include "RecentDocuments.h"
#include "RecentFiles.h"
#include "RecoveryCopy.h"
#include "ServerUpload.h"
#include "SettingsStore.h"
#include "SlideTexts.h"
#include "Text.h"
#include "TextBytes.h"
#include "Thumbnails.h"
#include "TreePanel.h"
#include "TreeWidgetItemTree.h"
#include "WidgetProgress.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {

void setUpIcons(Ui::MainForm& ui, QWidget* window) {
    const std::pair<QAction*, IconId> icons[] = {
        {ui.tlbtnNew, IconId::New},
        {ui.tlbtnOpen, IconId::Open},
        {ui.tlbtnSave, IconId::Save},
        {ui.tlbtnInsert, IconId::Insert},
        {ui.tlbtnDelete, IconId::Delete},
        {ui.tlbtnMoveUp, IconId::MoveUp},
        {ui.tlbtnMoveDown, IconId::MoveDown},
        {ui.tlbtnBuildHTML, IconId::BuildHtml},
        {ui.tlbtnPreview, IconId::Preview},
        {ui.tlbtnHelp, IconId::Help},
        // The menus and the context menu share the window's pictures.
        {ui.New1, IconId::New},
        {ui.Open1, IconId::Open},
        {ui.Save1, IconId::Save},
        {ui.Insert1, IconId::Insert},
        {ui.Delete1, IconId::Delete},
        {ui.MoveUp1, IconId::MoveUp},
        {ui.MoveDown1, IconId::MoveDown},
        {ui.Insert2, IconId::Insert},
        {ui.Delete2, IconId::Delete},
        {ui.MoveUp2, IconId::MoveUp},
        {ui.MoveDown2, IconId::MoveDown},
        {ui.BuildHTML1, IconId::BuildHtml},
        {ui.Preview1, IconId::Preview},
        {ui.Topic1, IconId::Help},
        {ui.Undo1, IconId::Undo},
        {ui.Redo1, IconId::Redo},
    };
    for (const auto& [action, id] : icons)
        action->setIcon(AppIcon(id));
    // Tool buttons carry the names of their commands, as the menu items do.
    for (QAction* action : ui.tlbr1->actions()) {
        if (QWidget* button = ui.tlbr1->widgetForAction(action);
            button != nullptr && !action->isSeparator())
            button->setObjectName(action->objectName());
    }
    for (QToolButton* bold :
         {ui.spdbtn_SlideInfoTitleFontWeight, ui.spdbtn_SlideInfoDescFontWeight})
        bold->setIcon(AppIcon(IconId::Bold));
    for (QToolButton* italic :
         {ui.spdbtn_SlideInfoTitleFontStyle, ui.spdbtn_SlideInfoDescFontStyle})
        italic->setIcon(AppIcon(IconId::Italic));
    window->setWindowIcon(AppIcon(IconId::Program));
}

// The menu commands of the window itself; the subjects connect their own.
void connectCommands(Ui::MainForm& ui, TMainForm& form) {
    const std::pair<QAction*, void (TMainForm::*)()> commands[] = {
        {ui.New1, &TMainForm::New1Click},
        {ui.tlbtnNew, &TMainForm::New1Click},
        {ui.Open1, &TMainForm::Open1Click},
        {ui.tlbtnOpen, &TMainForm::Open1Click},
        {ui.Save1, &TMainForm::Save1Click},
        {ui.tlbtnSave, &TMainForm::Save1Click},
        {ui.Save2, &TMainForm::Save2Click},
        {ui.actPublishToServer, &TMainForm::PublishToServer1Click},
        {ui.Templet1, &TMainForm::Templet1Click},
        {ui.SaveAsTemplate1, &TMainForm::SaveAsTemplate1Click},
        {ui.ImportMenuStructure1, &TMainForm::ImportMenuStructure1Click},
        {ui.ExportMenuStructure1, &TMainForm::ExportMenuStructure1Click},
        {ui.Exit1, &TMainForm::Exit1Click},
        {ui.ToolBar1, &TMainForm::ToolBar1Click},
        {ui.StatusBar2, &TMainForm::StatusBar2Click},
        {ui.PreviewWindow1, &TMainForm::PreviewWindow1Click},
        {ui.Preview1, &TMainForm::Preview1Click},
        {ui.tlbtnPreview, &TMainForm::Preview1Click},
        {ui.BuildHTML1, &TMainForm::BuildHTML1Click},
        {ui.tlbtnBuildHTML, &TMainForm::BuildHTML1Click},
        {ui.Publish1, &TMainForm::Publish1Click},
        {ui.WebBrowser1, &TMainForm::WebBrowser1Click},
        {ui.About1, &TMainForm::About1Click},
        {ui.Undo1, &TMainForm::Undo1Click},
        {ui.Redo1, &TMainForm::Redo1Click},
    };
    for (const auto& [action, handler] : commands)
        QObject::connect(action, &QAction::triggered, &form,
                         ErrorReport::guarded([&form, handler = handler] { (form.*handler)(); }));
}

// The status bar's two widgets sit over its panels; Designer cannot place them there.
std::unique_ptr<WidgetProgress> setUpStatusBar(Ui::MainForm& ui) {
    auto* hint = new QLabel(ui.StatusBar1);
    hint->setObjectName(QStringLiteral("stctxtHint"));
    // Designed 338 wide; a longer hint in a larger font widens it rather than being cut off.
    hint->setMinimumWidth(338);
    hint->setTextFormat(Qt::PlainText);
    auto* bar = new QProgressBar(ui.StatusBar1);
    bar->setObjectName(QStringLiteral("prgrsbrMainFormBottom"));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setMaximumHeight(16);
    ui.StatusBar1->addWidget(hint);
    ui.StatusBar1->addWidget(bar, 1);
    ui.StatusBar1->setFixedHeight(24);
    ui.Splitter1->setSizes({337, 441});
    ui.Splitter1->setStretchFactor(1, 1);
    return std::make_unique<WidgetProgress>(hint, bar);
}

void setUpHintLine(Ui::MainForm& ui, QWidget* window, const bool& paused) {
    auto* hintLine = new HintLine(window->findChild<QLabel*>(QStringLiteral("stctxtHint")), paused);
    hintLine->setParent(window);
    QList<QWidget*> hinted{ui.trvwDesignPanel,
                           ui.trvwDesignPanel->viewport(),
                           ui.pnlTreeView,
                           ui.tbshtScript,
                           ui.edt_ctrlId,
                           ui.spdbtn_SlideShowLoadingBgImage,
                           ui.cmbWebOutput,
                           ui.GroupBox29,
                           ui.spdbtnOriginalImagePath,
                           ui.GroupBox7,
                           ui.spdbtnItURL,
                           ui.edt_IToolTip,
                           ui.edt_Text,
                           ui.edt_Description};
    for (QAction* action : ui.tlbr1->actions()) {
        if (QWidget* button = ui.tlbr1->widgetForAction(action);
            button != nullptr && !action->isSeparator())
            hinted << button;
    }
    ui.trvwDesignPanel->viewport()->setToolTip(ui.trvwDesignPanel->toolTip());
    for (QWidget* widget : hinted) {
        widget->setProperty("lumivexHint", true);
        widget->setMouseTracking(true);
        widget->installEventFilter(hintLine);
    }
}

// Scratch files of this process, never the working folder a desktop happens to start in;
// a new folder of a random name that only this user can enter, never one found in place.
std::unique_ptr<QTemporaryDir> makeScratchFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    auto scratch = std::make_unique<QTemporaryDir>(base + QStringLiteral("/lumivex-XXXXXX"));
    if (!scratch->isValid())
        throw EngineError("Cannot create a scratch folder in " +
                          QFile::encodeName(base).toStdString() + ": " +
                          scratch->errorString().toStdString());
    return scratch;
}

// The desktop learns the file type once the window is up; it is not needed before.
void registerFileTypeLater(QObject* window, Shell& shell) {
    QTimer::singleShot(0, window, ErrorReport::guarded([&shell] {
                           RegisterFileType(shell, QCoreApplication::applicationFilePath());
                       }));
}

}  // namespace

TMainForm::TMainForm(Platform& platform, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent),
      ui_(new Ui::MainForm),
      platform_(platform),
      programFolder_(programFolder),
      scratchDir_(makeScratchFolder()),
      scratch_(scratchDir_->path() + '/') {
    ui_->setupUi(this);
    progress_ = setUpStatusBar(*ui_);
    itemTree_ = std::make_unique<TreeWidgetItemTree>(ui_->trvwDesignPanel);
    publisher_ = new Publisher(*progress_, this);
    agentTree_ = std::make_unique<SwitchableItemTree>(*itemTree_);
    messages_ = std::make_unique<DialogMessageSink>(platform_.dialogs, this);
    ui_->Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    ui_->Undo1->setEnabled(false);
    ui_->Redo1->setEnabled(false);
    setUpIcons(*ui_, this);
    new PagesFitSideways(ui_->pgcntrl1);
    createSubjects();
    connectCommands(*ui_, *this);
    setUpHintLine(*ui_, this, treePanel_->updating());
    historyFilter_ = new OneHistoryInFields(this, ui_->Redo1);
    escapeFilter_ =
        new EscapeLeavesFields(this, ui_->centralwidget, ui_->trvwDesignPanel, *publisher_);
    qApp->installEventFilter(historyFilter_);
    qApp->installEventFilter(escapeFilter_);
    setWindowTitle(tr("Lumivex"));
    registerFileTypeLater(this, platform_.shell);
    try {
        recentFiles_->LoadRecentFiles();
        if (const QString newest = recentFiles_->newest(); !newest.isEmpty())
            document_->setLastFolder(QFileInfo(newest).absolutePath());
    } catch (const std::exception& e) {
        // The editor starts all the same, with an empty list.
        ErrorReport::show(QString::fromLocal8Bit(e.what()));
    }
    treePanel_->refill([] {});
    agent_->SetDefaults();
    binder_->LoadAppletProperties();
    document_->setModified(false);
    treePanel_->UpdatePropertyPages(false);
    // Where the user left the window last time.
    if (const SettingRead geometry = platform_.settings.read(kSettingsKey, kWindowGeometry);
        geometry.status == ReadStatus::Present)
        restoreGeometry(geometry.value.toByteArray());
    if (const SettingRead split = platform_.settings.read(kSettingsKey, kSplitterLayout);
        split.status == ReadStatus::Present)
        ui_->Splitter1->restoreState(split.value.toByteArray());
}

namespace {

void connectHistoryCommands(Ui::MainForm& ui, QUndoStack& history) {
    QObject::connect(&history, &QUndoStack::canUndoChanged, ui.Undo1, &QAction::setEnabled);
    QObject::connect(&history, &QUndoStack::canRedoChanged, ui.Redo1, &QAction::setEnabled);
    // The commands name the step they take back or do again: "Undo Typing Title".
    const std::pair<QAction*, void (QUndoStack::*)(const QString&)> named[] = {
        {ui.Undo1, &QUndoStack::undoTextChanged}, {ui.Redo1, &QUndoStack::redoTextChanged}};
    for (const auto& [action, changed] : named) {
        QObject::connect(&history, changed, action,
                         [action, plain = action->text()](const QString& step) {
                             action->setText(step.isEmpty() ? plain : plain + ' ' + step);
                         });
    }
}

}  // namespace

void TMainForm::createSubjects() {
    agent_ = std::make_unique<TzqxAppletAgent>(*agentTree_, *publisher_, *messages_,
                                               QFile::encodeName(programFolder_).toStdString());
    agent_->ScratchFolder = QFile::encodeName(scratch_).toStdString();
    agent_->ImageCacheFolder = DefaultImageCacheFolder(ProgramFolderContext::FromEnvironment());
    agent_->PublishRecordsFolder = DefaultPublishRecordsFolder();
    documentShown_ = std::make_unique<DocumentShown>();
    document_ = new ProjectDocument(platform_.dialogs, this, *agent_, *itemTree_, *agentTree_,
                                    programFolder_, *documentShown_);
    QUndoStack& history = document_->history();
    // Saved projects join the desktop's recent documents, as opened ones do.
    connect(document_, &ProjectDocument::saved, this,
            [](const QString& path) { RecentDocuments::forDesktop().record(path); });
    connect(document_, &ProjectDocument::modifiedChanged, this, [this](bool modified) {
        ui_->tlbtnSave->setEnabled(modified);
        ui_->Save1->setEnabled(modified);
    });
    connectHistoryCommands(*ui_, history);
    treePanel_ = new TreePanel(*ui_, platform_.dialogs, *agent_, *itemTree_, history, this);
    ConnectFindAndReplace(ui_->FindReplace1, *treePanel_, history, platform_.dialogs, this);
    binder_ = new PropertyBinder(*ui_, platform_, *agent_, *treePanel_, *document_, this);
    publishing_ = new BackgroundPublish(*publisher_, *agentTree_, ui_->centralwidget, this);
    preview_ = new PreviewController(*ui_, platform_, *agent_, *itemTree_, *binder_, *publisher_,
                                     this, programFolder_, scratch_);
    // The photos as pictures in the tree, about 48 pixels on screen whatever its scale.
    constexpr int kThumbnailSide = 48;
    ui_->trvwDesignPanel->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    thumbnails_ = new Thumbnails(
        agent_->ImageCacheFolder.empty() ? std::string() : agent_->ImageCacheFolder + "thumbnails/",
        static_cast<int>(kThumbnailSide * devicePixelRatioF() + 0.5), this);
    treePanel_->attach(*binder_, *preview_, *thumbnails_);
    photos_ = new PhotosIn(platform_.dialogs, platform_.settings, *document_, *treePanel_,
                           ui_->trvwDesignPanel, *progress_, *publisher_, this);
    connect(ui_->AddPhotos1, &QAction::triggered, photos_,
            ErrorReport::guarded([this] { photos_->AddPhotos1Click(); }));
    connect(ui_->FindMissingPhotos1, &QAction::triggered, photos_,
            ErrorReport::guarded([this] { photos_->FindMissingPhotos1Click(); }));
    help_ = new HelpCommands(*ui_, platform_.shell, programFolder_, this);
    recentFiles_ = new RecentFiles(
        ui_->mnitRecentFiles, programFolder_,
        [this](const QString& path) { OpenProjectFile(path); }, this);
    upload_ = new ServerUpload({platform_, *agent_, *agentTree_, *treePanel_, *document_, *binder_,
                                *publishing_, *progress_},
                               scratch_, this);
    recovery_ =
        new RecoveryCopy(*document_, *agent_, *publishing_, RecoveryCopy::DefaultFolder(), this);
    documentShown_->attach({*treePanel_, ui_->trvwDesignPanel, *binder_, *preview_, *publishing_,
                            *progress_, *recentFiles_});
}

void TMainForm::CreateLastingWindows() {
    help_->createWindow();
    preview_->createWindows();
}

QString CommandLine(const QStringList& arguments) {
    QString line;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        line += arguments[i] + ' ';
    return line.trimmed();
}

void StartWithCommandLine(TMainForm& form, Platform& platform, const QString& programFolder,
                          const QStringList& arguments) {
    const QString commandLine = CommandLine(arguments);
    // What a crash left unsaved comes first; restored, it is the project to work on.
    const bool restored = form.recovery().offerLeftCopies(platform.dialogs, &form);
    if (!restored && !commandLine.isEmpty()) {
        form.document().setModified(false);
        try {
            form.OpenProjectFile(commandLine);
        } catch (const FileError& e) {
            // The failed open has left the project that was open in place; the user learns why
            // the named one is not shown. The engine's text names the file and the reason.
            platform.dialogs.message(&form, MessageKind::Warning, QString::fromLocal8Bit(e.what()),
                                     {MessageButton::Ok});
        } catch (const std::exception& e) {
            platform.dialogs.message(&form, MessageKind::Warning,
                                     QCoreApplication::translate("lumivex::ui::ProjectDocument",
                                                                 "\"%1\" was not opened. %2")
                                         .arg(commandLine, QString::fromLocal8Bit(e.what())),
                                     {MessageButton::Ok});
        }
    } else if (!restored && ReadBoolOr(platform.settings, kSettingsKey,
                                       QStringLiteral("ShowTempletsDialog"), true)) {
        TfrmTemplet chooser(platform, form, programFolder, &form);
        chooser.exec();
    }
    form.form()->PreviewWindow1->setVisible(false);
}

namespace {

// Runs `start` once, as soon as the window system has shown `window` (or after a second at the
// latest), so the main window appears before a project is opened or the chooser is built.
class WhenExposed : public QObject {
public:
    WhenExposed(QWindow* window, std::function<void()> start)
        : window_(window), start_(std::move(start)) {
        window_->installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { run(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed())
            QTimer::singleShot(0, this, [this] { run(); });
        return false;
    }

private:
    void run() {
        if (!start_)
            return;
        window_->removeEventFilter(this);
        const std::function<void()> start = std::move(start_);
        start_ = nullptr;
        start();
    }

    QWindow* window_;
    std::function<void()> start_;
};

}  // namespace

int RunProgram(Platform& platform, const QString& programFolder, const QStringList& arguments) {
    TMainForm form(platform, programFolder);
    form.CreateLastingWindows();
    form.show();
    WhenExposed starter(form.windowHandle(),
                        [&] { StartWithCommandLine(form, platform, programFolder, arguments); });
    return QApplication::exec();
}

}  // namespace lumivex::ui
