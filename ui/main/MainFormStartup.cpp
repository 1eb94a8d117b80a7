// Creation of the main window, its commands, recent files and the program's start.
#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>
#include <functional>

#include "EngineErrors.h"
#include "ErrorReport.h"
#include "FileIO.h"
#include "FileTypeRegistration.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "Icons.h"
#include "MainForm.h"
#include "MainFormFilters.h"
#include "MainFormStartup.h"
#include "ProgramFolder.h"
#include "PublishRecord.h"
#include "Publisher.h"
#include "RecentDocuments.h"
#include "SettingsStore.h"
#include "Text.h"
#include "TextBytes.h"
#include "Thumbnails.h"
#include "TreeWidgetItemTree.h"
#include "WidgetProgress.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

void TMainForm::setUpIcons() {
    const std::pair<QAction*, IconId> icons[] = {
        {ui_->tlbtnNew, IconId::New},
        {ui_->tlbtnOpen, IconId::Open},
        {ui_->tlbtnSave, IconId::Save},
        {ui_->tlbtnInsert, IconId::Insert},
        {ui_->tlbtnDelete, IconId::Delete},
        {ui_->tlbtnMoveUp, IconId::MoveUp},
        {ui_->tlbtnMoveDown, IconId::MoveDown},
        {ui_->tlbtnBuildHTML, IconId::BuildHtml},
        {ui_->tlbtnPreview, IconId::Preview},
        {ui_->tlbtnHelp, IconId::Help},
        // The menus and the context menu share the window's pictures.
        {ui_->New1, IconId::New},
        {ui_->Open1, IconId::Open},
        {ui_->Save1, IconId::Save},
        {ui_->Insert1, IconId::Insert},
        {ui_->Delete1, IconId::Delete},
        {ui_->MoveUp1, IconId::MoveUp},
        {ui_->MoveDown1, IconId::MoveDown},
        {ui_->Insert2, IconId::Insert},
        {ui_->Delete2, IconId::Delete},
        {ui_->MoveUp2, IconId::MoveUp},
        {ui_->MoveDown2, IconId::MoveDown},
        {ui_->BuildHTML1, IconId::BuildHtml},
        {ui_->Preview1, IconId::Preview},
        {ui_->Topic1, IconId::Help},
        {ui_->Undo1, IconId::Undo},
        {ui_->Redo1, IconId::Redo},
    };
    for (const auto& [action, id] : icons)
        action->setIcon(AppIcon(id));
    // Tool buttons carry the names of their commands, as the menu items do.
    for (QAction* action : ui_->tlbr1->actions()) {
        if (QWidget* button = ui_->tlbr1->widgetForAction(action);
            button != nullptr && !action->isSeparator())
            button->setObjectName(action->objectName());
    }
    for (QToolButton* bold :
         {ui_->spdbtn_SlideInfoTitleFontWeight, ui_->spdbtn_SlideInfoDescFontWeight})
        bold->setIcon(AppIcon(IconId::Bold));
    for (QToolButton* italic :
         {ui_->spdbtn_SlideInfoTitleFontStyle, ui_->spdbtn_SlideInfoDescFontStyle})
        italic->setIcon(AppIcon(IconId::Italic));
    setWindowIcon(AppIcon(IconId::Program));
}

void TMainForm::connectCommands() {
    const std::pair<QAction*, void (TMainForm::*)()> commands[] = {
        {ui_->New1, &TMainForm::New1Click},
        {ui_->tlbtnNew, &TMainForm::New1Click},
        {ui_->Open1, &TMainForm::Open1Click},
        {ui_->tlbtnOpen, &TMainForm::Open1Click},
        {ui_->Save1, &TMainForm::Save1Click},
        {ui_->tlbtnSave, &TMainForm::Save1Click},
        {ui_->Save2, &TMainForm::Save2Click},
        {ui_->actPublishToServer, &TMainForm::PublishToServer1Click},
        {ui_->Templet1, &TMainForm::Templet1Click},
        {ui_->SaveAsTemplate1, &TMainForm::SaveAsTemplate1Click},
        {ui_->ImportMenuStructure1, &TMainForm::ImportMenuStructure1Click},
        {ui_->ExportMenuStructure1, &TMainForm::ExportMenuStructure1Click},
        {ui_->Exit1, &TMainForm::Exit1Click},
        {ui_->ToolBar1, &TMainForm::ToolBar1Click},
        {ui_->StatusBar2, &TMainForm::StatusBar2Click},
        {ui_->PreviewWindow1, &TMainForm::PreviewWindow1Click},
        {ui_->Preview1, &TMainForm::Preview1Click},
        {ui_->tlbtnPreview, &TMainForm::Preview1Click},
        {ui_->BuildHTML1, &TMainForm::BuildHTML1Click},
        {ui_->tlbtnBuildHTML, &TMainForm::BuildHTML1Click},
        {ui_->Publish1, &TMainForm::Publish1Click},
        {ui_->WebBrowser1, &TMainForm::WebBrowser1Click},
        {ui_->Topic1, &TMainForm::Topic1Click},
        {ui_->tlbtnHelp, &TMainForm::Topic1Click},
        {ui_->ViewSample1, &TMainForm::ViewSample1Click},
        {ui_->Homepage1, &TMainForm::Homepage1Click},
        {ui_->ContactUs1, &TMainForm::ContactUs1Click},
        {ui_->About1, &TMainForm::About1Click},
    };
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this,
                ErrorReport::guarded([this, handler = handler] { (this->*handler)(); }));
    for (QToolButton* help : ui_->pgcntrl1->findChildren<QToolButton*>(
             QRegularExpression(QStringLiteral("^SpeedButton\\d+$")))) {
        help->setIcon(AppIcon(IconId::HelpBook));
        connect(help, &QToolButton::clicked, this,
                ErrorReport::guarded([this, help] { SpeedButton1Click(help); }));
    }
}

void TMainForm::setUpHintLine() {
    auto* hintLine = new HintLine(findChild<QLabel*>(QStringLiteral("stctxtHint")), TreeUpdating);
    hintLine->setParent(this);
    QList<QWidget*> hinted{ui_->trvwDesignPanel,
                           ui_->trvwDesignPanel->viewport(),
                           ui_->pnlTreeView,
                           ui_->tbshtScript,
                           ui_->edt_ctrlId,
                           ui_->spdbtn_SlideShowLoadingBgImage,
                           ui_->cmbWebOutput,
                           ui_->GroupBox29,
                           ui_->spdbtnOriginalImagePath,
                           ui_->GroupBox7,
                           ui_->spdbtnItURL,
                           ui_->edt_IToolTip,
                           ui_->edt_Text,
                           ui_->edt_Description};
    for (QAction* action : ui_->tlbr1->actions()) {
        if (QWidget* button = ui_->tlbr1->widgetForAction(action);
            button != nullptr && !action->isSeparator())
            hinted << button;
    }
    ui_->trvwDesignPanel->viewport()->setToolTip(ui_->trvwDesignPanel->toolTip());
    for (QWidget* widget : hinted) {
        widget->setProperty("lumivexHint", true);
        widget->setMouseTracking(true);
        widget->installEventFilter(hintLine);
    }
}

void TMainForm::FormCreate() {
    FAgent = std::make_unique<TzqxAppletAgent>(*agentTree_, *publisher_, *messages_,
                                               pathBytes(programFolder_));
    FAgent->ScratchFolder = pathBytes(scratch_);
    FAgent->ImageCacheFolder = DefaultImageCacheFolder(ProgramFolderContext::FromEnvironment());
    FAgent->PublishRecordsFolder = DefaultPublishRecordsFolder();
    // The photos as pictures in the tree, about 48 pixels on screen whatever its scale.
    constexpr int kThumbnailSide = 48;
    ui_->trvwDesignPanel->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    thumbnails_ = new Thumbnails(
        FAgent->ImageCacheFolder.empty() ? std::string() : FAgent->ImageCacheFolder + "thumbnails/",
        static_cast<int>(kThumbnailSide * devicePixelRatioF() + 0.5), this);
    connect(thumbnails_, &Thumbnails::ready, this, [this](const QString& path) {
        ErrorReport::guarded([this, path] { showThumbnails(path); })();
    });
    CurrentItemNode = nullptr;
    CurrentFileName.clear();
    resetTree();
    FAgent->SetDefaults();
    LoadAppletProperties();
    setWindowTitle(QStringLiteral("Lumivex"));
    RegisterFileType(platform_.shell, QCoreApplication::applicationFilePath());
    try {
        LoadRecentFiles();
    } catch (const std::exception& e) {
        // The editor starts all the same, with an empty list.
        ErrorReport::show(QString::fromLocal8Bit(e.what()));
    }
    SetModified(false);
    FAppletTabs = {ui_->tbshtScript, ui_->tbshtMainGroup, ui_->tbshtPath};
    FParentTabs = {};
    FItemTabs = {ui_->tbshtItem};
    if (static_cast<size_t>(ui_->pgcntrl1->count()) <
        FAppletTabs.size() + FParentTabs.size() + FItemTabs.size())
        throw EngineError("Tab list array's capacity is incorrect!");
    FLastSelectedIndex = -1;
    UpdatePropertyPages(false);
    PreviewRefreshArmed = true;
}

void TMainForm::makeRoomForPreview() {
    frmPreview_->show();
    if (previewDock_->isFloating() || isMaximized() || isFullScreen())
        return;
    // The window grows by the preview rather than squeezing the tree and the pages.
    constexpr int kPreviewWidth = 420, kTreeWidth = 337, kPagesWidth = 441;
    const int needed = kTreeWidth + kPagesWidth + 16 + kPreviewWidth;
    if (width() < needed && screen() != nullptr)
        resize(std::min(needed, screen()->availableGeometry().width()), height());
    resizeDocks({previewDock_}, {kPreviewWidth}, Qt::Horizontal);
    const QList<int> panes = ui_->Splitter1->sizes();
    if (panes.size() == 2 && panes[0] < kTreeWidth / 2)
        ui_->Splitter1->setSizes({kTreeWidth, std::max(panes[0] + panes[1] - kTreeWidth, 0)});
}

void TMainForm::CreateLastingWindows() {
    formHTML_ = new TformHTML(this);
    frmHelp_ = new TfrmHelp(this);
    frmPreview_ = new TfrmPreview(platform_, *this, programFolder_, this);
    // The preview beside the pages, where the designer last put it.
    previewDock_ = new QDockWidget(QStringLiteral("Preview"), this);
    previewDock_->setObjectName(QStringLiteral("dckPreview"));
    previewDock_->setWidget(frmPreview_);
    previewDock_->setMinimumWidth(200);
    addDockWidget(Qt::RightDockWidgetArea, previewDock_);
    previewDock_->hide();
    const SettingRead layout = platform_.settings.read(kSettingsKey, kWindowLayout);
    if (layout.status == ReadStatus::Present)
        restoreState(layout.value.toByteArray());
    if (previewDock_->isHidden())
        frmPreview_->hide();
    else
        ui_->PreviewWindow1->setChecked(true);
    connect(previewDock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            makeRoomForPreview();
        else if (previewDock_->isHidden())
            ui_->PreviewWindow1->setChecked(false);
    });
    // The View menu's own entry for it, which start-up does not hide.
    QAction* shown = previewDock_->toggleViewAction();
    shown->setObjectName(QStringLiteral("LivePreview1"));
    shown->setText(QStringLiteral("Live Pre&view"));
    shown->setShortcut(QKeySequence(Qt::Key_F9));
    ui_->mnuView->insertAction(ui_->PreviewWindow1, shown);
}

namespace {

// Up to four lines of the recent files list; a missing file is created empty first.
QList<std::string> readRecentLines(const std::string& path) {
    if (!FileExists(path))
        WriteFileAtomically(path, "");
    const std::string text = ReadWholeFile(path);
    QList<std::string> lines;
    size_t start = 0;
    while (lines.size() < 4 && start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines << line;
        start = end + 1;
    }
    return lines;
}

}  // namespace

void TMainForm::LoadRecentFiles() {
    const QList<std::string> lines = readRecentLines(pathBytes(programFolder_ + RecentFilesName()));
    ui_->mnitRecentFiles->clear();
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        const QString caption = BytesToText(line);
        // "&n " is the access key; any "&" in the path itself is shown as it is.
        QString shown = caption.left(3) + QString(caption.mid(3)).replace('&', QLatin1String("&&"));
        QAction* entry = ui_->mnitRecentFiles->addAction(shown);
        entry->setData(QByteArray::fromStdString(line));
        connect(entry, &QAction::triggered, this,
                ErrorReport::guarded([this, entry] { RecentFileClick(entry); }));
    }
}

void TMainForm::AddRecentFile(const QString& path) {
    if (path.isEmpty())
        return;
    RecentDocuments::forDesktop().record(path);
    const std::string file = pathBytes(programFolder_ + RecentFilesName());
    std::string slots[4];
    int n = 0;
    for (const std::string& line : readRecentLines(file))
        slots[n++] = line.empty() ? std::string() : line.substr(std::min<size_t>(3, line.size()));
    const std::string added = pathBytes(path);
    for (const std::string& slot : slots) {
        if (slot == added)
            return;
    }
    for (int k = 3; k > 0; --k)
        slots[k] = slots[k - 1];
    slots[0] = added;
    std::string text;
    for (int k = 0; k < 4; ++k) {
        if (!slots[k].empty())
            text += "&" + std::to_string(k + 1) + " " + slots[k] + "\r\n";
    }
    WriteFileAtomically(file, text);
    LoadRecentFiles();
}

void TMainForm::RecentFileClick(QAction* entry) {
    const std::string line = entry->data().toByteArray().toStdString();
    OpenProjectFile(QFile::decodeName(
        QByteArray::fromStdString(line.substr(std::min<size_t>(3, line.size())))));
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
    if (!commandLine.isEmpty()) {
        form.SetModified(false);
        try {
            form.OpenProjectFile(commandLine);
        } catch (const FileError& e) {
            // The failed open has left the project that was open in place; the user learns why
            // the named one is not shown. The engine's text names the file and the reason.
            platform.dialogs.message(&form, MessageKind::Warning, QString::fromLocal8Bit(e.what()),
                                     {MessageButton::Ok});
        } catch (const std::exception& e) {
            platform.dialogs.message(&form, MessageKind::Warning,
                                     QStringLiteral("\"%1\" was not opened. %2")
                                         .arg(commandLine, QString::fromLocal8Bit(e.what())),
                                     {MessageButton::Ok});
        }
    } else if (ReadBoolOr(platform.settings, kSettingsKey, QStringLiteral("ShowTempletsDialog"),
                          true)) {
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
