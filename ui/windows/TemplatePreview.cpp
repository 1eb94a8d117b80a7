#include "TemplatePreview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QUrl>
#include <QWebEngineView>
#include <algorithm>
#include <exception>

#include "AppletAgent.h"
#include "FileIO.h"
#include "ItemTree.h"
#include "ProgramFolder.h"
#include "Progress.h"
#include "ui_TemplatePreview.h"

namespace lumivex::ui {

namespace {

std::string bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

struct StagedPage {
    QString page;
    QString problem;
};

// Publishes the template as lumivex-cli would, into `folder`: a program folder of its own, so
// the editor's preview folder is never touched, and the page beside it.
StagedPage publishTemplate(const QString& path, const QString& programFolder,
                           const QString& folder) {
    const std::string program = bytes(folder) + "program/";
    const std::string page = bytes(folder) + "page/";
    if (!QDir().mkpath(folder + "program") || !QDir().mkpath(folder + "page"))
        return {{},
                QCoreApplication::translate("TfrmTemplatePreview", "Cannot create %1").arg(folder)};
    for (const char* runtime : {"lumivex.js", "lumivex.min.js"})
        CopyFileIfPresent(bytes(programFolder) + runtime, program + runtime);
    MemoryItemTree tree;
    NullProgress progress;
    NullMessageSink quiet;
    TzqxAppletAgent agent(tree, progress, quiet, program);
    agent.SetDefaults();
    agent.ScratchFolder = program;
    agent.ImageCacheFolder = DefaultImageCacheFolder(ProgramFolderContext::FromEnvironment());
    if (agent.LoadFromFile(bytes(path), tree).outcome != ProjectReadOutcome::Complete)
        return {
            {},
            QCoreApplication::translate("TfrmTemplatePreview", "This template cannot be read.")};
    agent.CopyResourceFilesToPreview(bytes(QFileInfo(path).absolutePath() + '/'));
    const std::string name = bytes(QFileInfo(path).fileName());
    agent.SaveAndPublish(page, name, tree);
    agent.ClearPreviewFolder();
    return {QFile::decodeName(
                QByteArray::fromStdString(page + TzqxAppletAgent::PublishBaseName(name) + ".html")),
            {}};
}

}  // namespace

TfrmTemplatePreview::TfrmTemplatePreview(const QString& programFolder, QWidget* chooser)
    : QWidget(chooser,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      programFolder_(programFolder),
      work_(QDir::tempPath() + QStringLiteral("/lumivex-templates-XXXXXX")),
      ui_(std::make_unique<::Ui::TfrmTemplatePreview>()),
      webBrowser_(new QWebEngineView(this)) {
    ui_->setupUi(this);
    // The chooser keeps the keyboard; this window only shows.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    webBrowser_->setObjectName(QStringLiteral("WebBrowser"));
    webBrowser_->setFocusPolicy(Qt::NoFocus);
    webBrowser_->setContextMenuPolicy(Qt::NoContextMenu);
    webBrowser_->hide();
    layout()->addWidget(webBrowser_);
    connect(webBrowser_, &QWebEngineView::loadFinished, this, [this](bool ok) {
        ui_->lblPreviewState->setVisible(!ok);
        webBrowser_->setVisible(ok);
        if (!ok)
            ui_->lblPreviewState->setText(tr("The preview cannot be shown."));
    });
}

TfrmTemplatePreview::~TfrmTemplatePreview() {
    // The folder goes with this window; a publish into it must end first.
    if (staging_)
        staging_->wait();
}

void TfrmTemplatePreview::ShowTemplate(const QString& path, QSize box) {
    wanted_ = path;
    placeBesideChooser(box);
    show();
    if (const auto known = pages_.constFind(path); known != pages_.constEnd()) {
        staged(path, *known, {});
        return;
    }
    ui_->lblPreviewState->setText(tr("Preparing the preview…"));
    ui_->lblPreviewState->show();
    webBrowser_->hide();
    if (!staging_)
        startStaging(path);
}

void TfrmTemplatePreview::startStaging(const QString& path) {
    if (!work_.isValid()) {
        staged(path, {}, tr("Cannot create %1").arg(work_.path()));
        return;
    }
    const QString folder = work_.path() + QStringLiteral("/%1/").arg(++stagings_);
    QPointer<TfrmTemplatePreview> self(this);
    staging_.reset(QThread::create([self, path, folder, program = programFolder_] {
        StagedPage result;
        try {
            result = publishTemplate(path, program, folder);
        } catch (const std::exception& e) {
            result.problem = QString::fromStdString(e.what());
        }
        // Queued to this window's thread, which waits for this one before it goes.
        QMetaObject::invokeMethod(self.data(), [self, path, result] {
            if (self)
                self->stagingDone(path, result.page, result.problem);
        });
    }));
    staging_->start();
}

void TfrmTemplatePreview::stagingDone(const QString& path, const QString& page,
                                      const QString& problem) {
    staging_->wait();
    staging_.reset();
    if (!page.isEmpty())
        pages_.insert(path, page);
    staged(path, page, problem);
}

void TfrmTemplatePreview::staged(const QString& path, const QString& page, const QString& problem) {
    if (path != wanted_) {
        // The selection moved on while this one was published.
        if (!pages_.contains(wanted_) && !staging_)
            startStaging(wanted_);
        else if (pages_.contains(wanted_))
            staged(wanted_, pages_.value(wanted_), {});
        return;
    }
    if (page.isEmpty()) {
        ui_->lblPreviewState->setText(problem);
        ui_->lblPreviewState->show();
        webBrowser_->hide();
        return;
    }
    if (shownPage_ != page) {
        shownPage_ = page;
        webBrowser_->setUrl(QUrl::fromLocalFile(page));
    }
}

void TfrmTemplatePreview::placeBesideChooser(QSize box) {
    const QWidget* chooser = parentWidget();
    QScreen* screen = chooser->screen() != nullptr ? chooser->screen() : qApp->primaryScreen();
    const QRect room = screen->availableGeometry();
    const QRect frame = chooser->frameGeometry();
    // The box as designed with the page's own margin around it, zoomed down to the room on the
    // side of the chooser where it shows largest: right, below, left or above.
    constexpr int kMargin = 8, kGap = 8;
    const QSize wanted = box.isEmpty() ? QSize(480, 240) : box + QSize(2 * kMargin, 2 * kMargin);
    const QRect sides[] = {QRect(QPoint(frame.right() + kGap, room.top()), room.bottomRight()),
                           QRect(QPoint(room.left(), frame.bottom() + kGap), room.bottomRight()),
                           QRect(room.topLeft(), QPoint(frame.left() - kGap, room.bottom())),
                           QRect(room.topLeft(), QPoint(room.right(), frame.top() - kGap))};
    double zoom = 0;
    QRect best = sides[0];
    // This window's frame is taken to be as wide as the chooser's.
    const QSize framing = frame.size() - chooser->geometry().size();
    for (const QRect& side : sides) {
        const QSize inside = side.size() - framing;
        const double fits = std::min({1.0, double(inside.width()) / wanted.width(),
                                      double(inside.height()) / wanted.height()});
        if (fits > zoom + 0.01) {
            zoom = fits;
            best = side;
        }
    }
    zoom = std::max(zoom, 0.25);
    const QSize size = (QSizeF(wanted) * zoom).toSize();
    webBrowser_->setZoomFactor(zoom);
    resize(size);
    // Beside the chooser along that side, within the screen.
    const QPoint near(best == sides[2] ? best.right() - size.width() : best.left(),
                      best == sides[3] ? best.bottom() - size.height() : best.top());
    const QPoint along = best == sides[0] || best == sides[2]
                             ? QPoint(near.x(), std::max(frame.top(), room.top()))
                             : QPoint(std::max(frame.left(), room.left()), near.y());
    const QSize outside = size + framing;
    move(std::clamp(along.x(), room.left(), std::max(room.left(), room.right() - outside.width())),
         std::clamp(along.y(), room.top(), std::max(room.top(), room.bottom() - outside.height())));
}

}  // namespace lumivex::ui
