// The preview of the project: the live preview dock, the page built, the publish report.
#include "PreviewController.h"

#include <QDockWidget>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSplitter>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "AppletAgent.h"
#include "ErrorReport.h"
#include "FileIO.h"
#include "FocalPointPicker.h"
#include "HTMLBuild.h"
#include "Platform.h"
#include "PropertyBinder.h"
#include "PublishReport.h"
#include "Publisher.h"
#include "SettingsStore.h"
#include "WebBrowser.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {

// The preview's own copy of the runtime (the readable one, whatever the output publishes) gets
// entry points that show one slide held, as a visitor's arrow keys would, and keep what the
// slideshow was started with, for captions edited in place; the program folder's copies, which
// publish, stay as they are. The page's first picture, there for a visitor's first paint, is
// hidden, so that a slide still being made shows no picture rather than the first slide's.
void addPreviewEntryPoints(const std::string& runtime, const std::string& preview) {
    static constexpr std::string_view kAnchor = "\n  if (!box) return;\n";
    if (!FileExists(runtime) || !FileExists(preview))
        return;
    std::string text = ReadWholeFile(runtime, 1 << 22);
    const std::size_t at = text.find(kAnchor);
    if (at == std::string::npos)
        return;
    text.insert(at + kAnchor.size(),
                "  box.lumivexPreviewShow = jump;\n"
                "  box.lumivexPreviewArgs = [].slice.call(arguments);\n"
                "  box.querySelectorAll('picture[aria-hidden]').forEach(function (p) {"
                " p.style.visibility = 'hidden' });\n");
    if (ReadWholeFile(preview, 1 << 22) != text)
        WriteFileAtomically(preview, text);
}

}  // namespace

PreviewController::PreviewController(Ui::MainForm& ui, Platform& platform, TzqxAppletAgent& agent,
                                     ItemTree& tree, PropertyBinder& binder,
                                     const Publisher& publisher, QMainWindow* window,
                                     const QString& programFolder, const QString& scratchFolder)
    : QObject(window),
      ui_(ui),
      platform_(platform),
      agent_(agent),
      tree_(tree),
      binder_(binder),
      publisher_(publisher),
      window_(window),
      programFolder_(programFolder),
      scratch_(scratchFolder) {
    connect(&binder_, &PropertyBinder::edited, this, [this] { RefreshPreview(); });
}

PreviewController::~PreviewController() {
    closing_ = true;
    stopMaking_ = true;
    if (slideMaker_)
        slideMaker_->wait();
}

std::string PreviewController::pathBytes(const QString& path) const {
    return QFile::encodeName(path).toStdString();
}

void PreviewController::createWindows() {
    formHTML_ = new TformHTML(window_);
    frmPreview_ = new TfrmPreview(platform_, *this, programFolder_, window_);
    // The held slide is the one selected, whose focal point the Item page shows.
    connect(frmPreview_, &TfrmPreview::slidePointed, this, [this](int, QPointF at) {
        ErrorReport::guarded([this, at] { ui_.pntFocalPoint->pointInSlide(at); })();
    });
    dock_ = new QDockWidget(tr("Preview"), window_);
    dock_->setObjectName(QStringLiteral("dckPreview"));
    dock_->setWidget(frmPreview_);
    dock_->setMinimumWidth(200);
    window_->addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();
    const SettingRead layout = platform_.settings.read(kSettingsKey, kWindowLayout);
    if (layout.status == ReadStatus::Present)
        window_->restoreState(layout.value.toByteArray());
    if (dock_->isHidden())
        frmPreview_->hide();
    else
        ui_.PreviewWindow1->setChecked(true);
    connect(dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            makeRoomForPreview();
        else if (dock_->isHidden())
            ui_.PreviewWindow1->setChecked(false);
    });
    // The View menu's own entry for it, which start-up does not hide.
    QAction* shown = dock_->toggleViewAction();
    shown->setObjectName(QStringLiteral("LivePreview1"));
    shown->setText(tr("Live Pre&view"));
    shown->setShortcut(QKeySequence(Qt::Key_F9));
    ui_.mnuView->insertAction(ui_.PreviewWindow1, shown);
}

void PreviewController::makeRoomForPreview() {
    frmPreview_->show();
    if (dock_->isFloating() || window_->isMaximized() || window_->isFullScreen())
        return;
    // The window grows by the preview rather than squeezing the tree and the pages.
    constexpr int kPreviewWidth = 420, kTreeWidth = 337, kPagesWidth = 441;
    const int needed = kTreeWidth + kPagesWidth + 16 + kPreviewWidth;
    if (window_->width() < needed && window_->screen() != nullptr)
        window_->resize(std::min(needed, window_->screen()->availableGeometry().width()),
                        window_->height());
    window_->resizeDocks({dock_}, {kPreviewWidth}, Qt::Horizontal);
    const QList<int> panes = ui_.Splitter1->sizes();
    if (panes.size() == 2 && panes[0] < kTreeWidth / 2)
        ui_.Splitter1->setSizes({kTreeWidth, std::max(panes[0] + panes[1] - kTreeWidth, 0)});
}

void PreviewController::BuildGeneratedCode() {
    if (tree_.childCount(tree_.root()) == 0) {
        platform_.dialogs.message(
            window_, MessageKind::Error,
            tr("No item to build. Please add item to left pane and try again."),
            {MessageButton::Ok});
        return;
    }
    binder_.storePanel();
    agent_.GenerateCode("~tmp0001.txt");
    const std::string page = pathBytes(scratch_) + "~tmp0001.txt";
    if (FileExists(page)) {
        formHTML_->SetPageBytes(ReadWholeFile(page));
        DeleteFileQuietly(page);
    }
}

void PreviewController::BuildHTML1Click() {
    BuildGeneratedCode();
    formHTML_->exec();
}

void PreviewController::stagePreviewPage(bool deferSlides) {
    const std::string folder = pathBytes(programFolder_);
    {
        // Slides the cache does not have yet are made behind the live page, not before it.
        const QScopedValueRollback deferring(agent_.DeferUncachedSlides, deferSlides);
        agent_.SlideOnView = shownSlide_;
        // What the maker makes shows when it says, so an edit meanwhile changes no picture.
        agent_.SlidesBeingMade.clear();
        if (deferSlides && slideMaker_ && !std::exchange(madeToShow_, false))
            agent_.SlidesBeingMade = making_;
        BuildGeneratedCode();
    }
    if (deferSlides)
        makePendingSlides();
    agent_.CopyLinkedFilesToPreview(folder);
    addPreviewEntryPoints(pathBytes(programFolder_) + "lumivex.js",
                          agent_.PreviewFolder() + "lumivex.js");
    agent_.CopyResourceFilesToPreview(folder);
    const std::string page = pathBytes(scratch_) + "~preview.html";
    WriteFileAtomically(page, formHTML_->PageBytes());
    agent_.CopyToPreview(page);
    DeleteFileQuietly(page);
}

void PreviewController::makePendingSlides() {
    const std::vector<PendingSlide>& pending = agent_.PendingSlides;
    if (pending.empty())
        return;
    // One maker at a time. One that lacks a slide now pending (a new photo, say, behind the
    // slides of a new box, or a new focal point) stops at its next step, and the staging after
    // it starts the next with all that is pending then.
    const bool allGiven = std::all_of(pending.begin(), pending.end(), [this](const auto& s) {
        return std::find(making_.begin(), making_.end(), s) != making_.end();
    });
    if (slideMaker_) {
        if (!allGiven)
            stopMaking_ = true;
        return;
    }
    // What the last maker went through and could not make is not tried again behind.
    if (allGiven && !makerStopped_)
        return;
    making_ = pending;
    // The slide on view first.
    std::stable_partition(making_.begin(), making_.end(), [this](const PendingSlide& s) {
        return static_cast<int>(s.item) == shownSlide_;
    });
    // Shown once their first pictures are made, and again when they are done.
    const auto shown = ErrorReport::guarded([this] {
        if (stopMaking_)
            return;
        madeToShow_ = true;
        RefreshPreview();
    });
    slideMaker_.reset(
        QThread::create([this, shown, slides = making_, cache = agent_.ImageCacheFolder] {
            MakePendingSlides(slides, cache, stopMaking_, [this, shown] {
                QMetaObject::invokeMethod(this, shown, Qt::QueuedConnection);
            });
        }));
    // Slides without their pictures yet are not a fault of the page.
    dock_->setWindowTitle(tr("Preview (slides to make: %1)").arg(making_.size()));
    connect(slideMaker_.get(), &QThread::finished, this, ErrorReport::guarded([this] {
                slideMaker_->wait();
                slideMaker_.reset();
                if (closing_)
                    return;
                dock_->setWindowTitle(tr("Preview"));
                makerStopped_ = stopMaking_;
                stopMaking_ = false;
                RefreshPreview();
            }));
    slideMaker_->start(QThread::LowPriority);
}

void PreviewController::Preview1Click() {
    stagePreviewPage();
    TformWebBrowser browser(platform_, window_);
    browser.OpenInBrowser(programFolder_ + QStringLiteral("preview/"),
                          QStringLiteral("~preview.html"));
}

void PreviewController::Publish1Click() {
    binder_.storePanel();
    agent_.WritePublishReport("", "PublishReport.txt");
    const std::string report = pathBytes(scratch_) + "PublishReport.txt";
    agent_.CopyToPreview(report);
    DeleteFileQuietly(report);
    TfrmPublishReport window(window_);
    window.LoadReport(programFolder_ + QStringLiteral("preview/PublishReport.txt"));
    window.exec();
}

void PreviewController::RefreshPreview() {
    if (frmPreview_ == nullptr || !frmPreview_->isVisible() || publisher_.running())
        return;
    if (!refreshArmed_) {
        // A load under way (or Auto Refresh off): the edit shows when the preview is armed
        // again, so the last keys typed are never left out.
        if (!staging_)
            stale_ = true;
        return;
    }
    CreateFolderQuietly(agent_.PreviewFolder());
    // Disarmed while it stages: storing the panel for the build may make an edit, which asks
    // for a refresh of its own.
    refreshArmed_ = false;
    stale_ = false;
    const QScopedValueRollback staging(staging_, true);
    try {
        stagePreviewPage(true);
    } catch (...) {
        refreshArmed_ = true;
        throw;
    }
    frmPreview_->Navigate(programFolder_ + QStringLiteral("preview/~preview.html"));
    window_->activateWindow();
}

void PreviewController::SetPreviewRefreshArmed(bool armed) {
    refreshArmed_ = armed;
    if (!armed || !stale_)
        return;
    stale_ = false;
    QTimer::singleShot(0, this, ErrorReport::guarded([this] {
                           if (refreshArmed_)
                               RefreshPreview();
                       }));
}

void PreviewController::showFromStart() {
    refreshArmed_ = true;
    RefreshPreview();
}

void PreviewController::showSlide(int index) {
    shownSlide_ = index;
    if (frmPreview_ == nullptr)
        return;
    frmPreview_->ShowSlide(index);
    // One still to be made behind, without a picture yet, is made now that it is on view.
    const auto unmade = [this, index](const PendingSlide& s) {
        return static_cast<int>(s.item) == index &&
               static_cast<std::size_t>(index) < agent_.Items.size() &&
               !FileExists(agent_.PreviewFolder() + agent_.Items[s.item].SlideImageFile);
    };
    if (std::any_of(agent_.PendingSlides.begin(), agent_.PendingSlides.end(), unmade))
        RefreshPreview();
}

void PreviewController::ClearPreviewWindowMark() {
    ui_.PreviewWindow1->setChecked(false);
    dock_->hide();
}

void PreviewController::PreviewWindow1Click() {
    // The action has already taken its new check state.
    if (!ui_.PreviewWindow1->isChecked()) {
        dock_->hide();
        return;
    }
    frmPreview_->show();
    dock_->show();
    RefreshPreview();
}

}  // namespace lumivex::ui
