#include "Preview.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStyle>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <functional>
#include <utility>

#include "DeviceEmulation.h"
#include "Icons.h"
#include "Platform.h"
#include "PreviewUpdate.h"
#include "Translations.h"
#include "ui_Preview.h"

namespace lumivex::ui {

namespace {

// A page that never stops to ask: script dialogs, file choosers and permission requests are
// answered at once, so an edit never waits on a box hidden behind the editor.
class SilentPage final : public QWebEnginePage {
public:
    SilentPage(QObject* parent, std::function<void(const QString&)> said)
        : QWebEnginePage(parent), said_(std::move(said)) {
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl& origin, Feature feature) {
                    setFeaturePermission(origin, feature, PermissionDeniedByUser);
                });
    }

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    // Also asked before a page with an unload handler is left: yes, so reloads go ahead.
    bool javaScriptConfirm(const QUrl&, const QString&) override { return true; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
        return false;
    }
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override {
        return {};
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override {
        said_(message);
    }

private:
    std::function<void(const QString&)> said_;
};

// With a slide held, a click on its picture (not on a control) names the point clicked, as
// fractions of the picture, instead of following the slide's link.
constexpr const char* kPointingScript =
    "(function () {"
    "  if (window.lumivexPointing) return;"
    "  window.lumivexPointing = 1;"
    "  var css = document.createElement('style');"
    "  css.textContent = '.lumivex-held img { cursor: crosshair }';"
    "  (document.head || document.documentElement).appendChild(css);"
    "  document.addEventListener('click', function (e) {"
    "    var b = document.querySelector('[aria-roledescription=carousel]');"
    "    if (window.lumivexHeld == null || !b || !b.contains(e.target) ||"
    "        e.target.closest('button')) return;"
    "    var img = document.elementsFromPoint(e.clientX, e.clientY)"
    "      .find(function (x) { return x.tagName == 'IMG' && b.contains(x) });"
    "    if (!img) return;"
    "    var r = img.getBoundingClientRect();"
    "    e.preventDefault();"
    "    e.stopPropagation();"
    "    console.info('lumivex-focus ' + window.lumivexHeld + ' ' + (e.clientX - r.left) /"
    "      r.width + ' ' + (e.clientY - r.top) / r.height);"
    "  }, true);"
    "})()";

}  // namespace

TfrmPreview::TfrmPreview(Platform& platform, PreviewHost& host, const QString& programFolder,
                         QWidget* parent)
    : QWidget(parent),
      platform_(platform),
      host_(host),
      programFolder_(programFolder),
      ui_(std::make_unique<::Ui::TfrmPreview>()),
      timer1_(new QTimer(this)) {
    ui_->setupUi(this);
    // Customised, so that the frame offers no minimise or maximise box.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    move(91, 167);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    // Its labels stay readable on it when the desktop is dark.
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    ui_->spdbtnAutoReload->setIcon(AppIcon(IconId::AutoRefresh));
    ui_->spdbtnReload->setIcon(AppIcon(IconId::Refresh));
    ui_->spdbtnHelp->setIcon(AppIcon(IconId::HelpBook));
    connect(ui_->spdbtnAutoReload, &QToolButton::clicked, this,
            &TfrmPreview::spdbtnAutoReloadClick);
    connect(ui_->spdbtnReload, &QToolButton::clicked, this, &TfrmPreview::spdbtnReloadClick);
    connect(ui_->spdbtnHelp, &QToolButton::clicked, this, &TfrmPreview::spdbtnHelpClick);
    connect(ui_->cmbPreviewSize, &QComboBox::currentIndexChanged, this, &TfrmPreview::sizeChosen);

    // Fires once a second after start-up and after each showing, then rests.
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, &TfrmPreview::Timer1Timer);
    timer1_->start();
}

TfrmPreview::~TfrmPreview() {
    // A page going away answers the scripts it still runs, and their answers come here: they
    // find no browser, rather than one half destroyed.
    QWebEngineView* browser = std::exchange(webBrowser_, nullptr);
    emulation_ = nullptr;
    delete browser;
}

void TfrmPreview::createWebBrowser() {
    webBrowser_ = new QWebEngineView(this);
    webBrowser_->setObjectName(QStringLiteral("WebBrowser"));
    webBrowser_->setPage(
        new SilentPage(webBrowser_, [this](const QString& message) { pageSaid(message); }));
    connect(webBrowser_, &QWebEngineView::loadFinished, this, [this](bool loaded) {
        pageLoaded_ = loaded;
        WebBrowserDocumentComplete();
    });
    emulation_ = new DeviceEmulation(webBrowser_->page(), webBrowser_);
    // Loaded again, so that its pictures and targets are the ones that screen takes.
    connect(emulation_, &DeviceEmulation::emulationApplied, this, [this] {
        if (webBrowser_ == nullptr)
            return;
        pageLoaded_ = false;
        webBrowser_->reload();
    });
    sizeChosen();
    webBrowser_->show();
}

void TfrmPreview::Navigate(const QString& path) {
    if (webBrowser_ == nullptr)
        createWebBrowser();
    const QUrl page = QUrl::fromLocalFile(path);
    StagedFiles staged = ReadStagedFiles(QFileInfo(path).absolutePath(), &digests_);
    std::optional<PageUpdate> update;
    if (pageLoaded_ && !reloadNext_ && webBrowser_->url() == page)
        update = PlanPageUpdate(shownFiles_, staged, shownSlide_ >= 0);
    reloadNext_ = false;
    shownFiles_ = std::move(staged);
    if (!update) {
        pageLoaded_ = false;
        webBrowser_->load(page);
        return;
    }
    // Done as the load would end, or, when the page cannot take it, by the load after all.
    webBrowser_->page()->runJavaScript(PageUpdateScript(*update),
                                       [this, page](const QVariant& done) {
                                           if (webBrowser_ == nullptr)
                                               return;
                                           if (done.toBool()) {
                                               WebBrowserDocumentComplete();
                                               return;
                                           }
                                           pageLoaded_ = false;
                                           webBrowser_->load(page);
                                       });
}

void TfrmPreview::ensurePreviewFolder() const {
    QDir().mkdir(programFolder_ + QStringLiteral("preview/"));
}

void TfrmPreview::FormShow() {
    timer1_->start();
    if (webBrowser_ == nullptr)
        createWebBrowser();
}

int TfrmPreview::PageWidth() const {
    // A tablet held upright, and a common phone.
    static constexpr int kWidths[] = {0, 768, 390};
    const int size = ui_->cmbPreviewSize->currentIndex();
    return size >= 0 && size < 3 ? kWidths[size] : 0;
}

void TfrmPreview::sizeChosen() {
    FormResize();
    // A phone's touch screen and density, so the page picks what a phone fetches and shows.
    if (emulation_ != nullptr)
        emulation_->emulateTouchScreen(ui_->cmbPreviewSize->currentIndex() == 2 ? 3 : 0);
}

void TfrmPreview::FormResize() {
    const int width = this->width();
    // The designed places, from the right in a right-to-left language; the size box as wide
    // as its longest choice needs.
    const auto place = [this](QWidget* control, QRect designed) {
        control->setGeometry(QStyle::visualRect(layoutDirection(), rect(), designed));
    };
    place(ui_->spdbtnAutoReload, {0, 0, 23, 22});
    place(ui_->spdbtnReload, {24, 0, 23, 22});
    place(ui_->cmbPreviewSize, {52, 0, std::max(96, ui_->cmbPreviewSize->sizeHint().width()), 22});
    place(ui_->spdbtnHelp, {width - 26, 0, 23, 22});
    if (webBrowser_ == nullptr)
        return;
    // A narrower page is centred; one wider than the window is cut at its end.
    const int page = PageWidth();
    if (page == 0)
        place(webBrowser_, {-1, 25, width, height() - 23});
    else
        place(webBrowser_, {std::max(0, (width - page) / 2), 25, page, height() - 23});
}

void TfrmPreview::ShowSlide(int index) {
    const bool wasSlide = shownSlide_ >= 0;
    shownSlide_ = index;
    if (webBrowser_ == nullptr)
        return;
    if (index < 0) {
        if (wasSlide) {
            pageLoaded_ = false;
            webBrowser_->reload();  // running again from its start
        }
        return;
    }
    applyShownSlide();
}

void TfrmPreview::applyShownSlide() {
    if (webBrowser_ == nullptr || shownSlide_ < 0)
        return;
    // Through the preview runtime's entry point, at once; else as a visitor's keys move it,
    // once the first slide is on the screen: to the first slide, then on to the chosen one.
    // Either stops the rotation with the caption in.
    webBrowser_->page()->runJavaScript(
        QStringLiteral(
            "window.lumivexHeld = %1;"
            "(function go(k, tries) {"
            "  var b = document.querySelector('[aria-roledescription=carousel]');"
            "  if (b) b.classList.add('lumivex-held');"
            "  if (b && b.lumivexPreviewShow) return b.lumivexPreviewShow(k);"
            "  if (!b || b.hasAttribute('aria-busy')) {"
            "    if (tries > 0) setTimeout(go, 100, k, tries - 1);"
            "    return;"
            "  }"
            "  function key(name) {"
            "    b.dispatchEvent(new KeyboardEvent('keydown', {key: name, bubbles: true}));"
            "  }"
            "  key('Home');"
            "  for (var i = 0; i < k; i++) key('ArrowRight');"
            "})(%1, 50)")
            .arg(shownSlide_));
}

void TfrmPreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmPreview::closeEvent(QCloseEvent* event) {
    host_.ClearPreviewWindowMark();
    event->accept();
}

void TfrmPreview::Timer1Timer() {
    ensurePreviewFolder();
    spdbtnReloadClick();
    timer1_->stop();
}

void TfrmPreview::spdbtnReloadClick() {
    ensurePreviewFolder();
    reloadNext_ = true;
    host_.SetPreviewRefreshArmed(true);
    host_.RefreshPreview();
}

void TfrmPreview::spdbtnAutoReloadClick() {
    host_.SetPreviewRefreshArmed(ui_->spdbtnAutoReload->isChecked());
}

void TfrmPreview::pageSaid(const QString& message) {
    static const QRegularExpression kPointed(
        QStringLiteral("^lumivex-focus (\\d+) ([-+.eE0-9]+) ([-+.eE0-9]+)$"));
    const QRegularExpressionMatch pointed = kPointed.match(message);
    bool slideRead = false, xRead = false, yRead = false;
    const int slide = pointed.captured(1).toInt(&slideRead);
    const QPointF at(pointed.captured(2).toDouble(&xRead), pointed.captured(3).toDouble(&yRead));
    if (pointed.hasMatch() && slideRead && xRead && yRead && slide == shownSlide_)
        Q_EMIT slidePointed(slide, at);
}

void TfrmPreview::WebBrowserDocumentComplete() {
    if (webBrowser_ == nullptr)
        return;
    webBrowser_->page()->runJavaScript(QString::fromLatin1(kPointingScript));
    applyShownSlide();
    host_.SetPreviewRefreshArmed(ui_->spdbtnAutoReload->isChecked());
    ui_->spdbtnReload->setChecked(false);
}

void TfrmPreview::spdbtnHelpClick() {
    const QString help = programFolder_ + QStringLiteral("help/");
    platform_.shell.open(help + LocalizedHelpPage(help, QStringLiteral("index.html")));
    ui_->spdbtnHelp->setChecked(false);
}

}  // namespace lumivex::ui
