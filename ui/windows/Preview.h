#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <memory>

#include "PreviewUpdate.h"

class QTimer;
class QWebEngineView;

namespace Ui {
class TfrmPreview;
}

namespace lumivex::ui {

struct Platform;
class DeviceEmulation;

// What the preview window asks of the main window, which does the rebuilding.
class PreviewHost {
public:
    virtual ~PreviewHost() = default;
    virtual void RefreshPreview() = 0;
    virtual void SetPreviewRefreshArmed(bool armed) = 0;
    virtual void ClearPreviewWindowMark() = 0;
};

// The live preview beside the editor: an embedded browser that the main window reloads while
// the user edits. Lives as long as the program; closing only hides it.
class TfrmPreview : public QWidget {
    Q_OBJECT

public:
    TfrmPreview(Platform& platform, PreviewHost& host, const QString& programFolder,
                QWidget* parent = nullptr);
    ~TfrmPreview() override;

    // Loads a local page (a plain file path); the same page again, staged anew, is updated in
    // place when only its captions or style sheets changed.
    void Navigate(const QString& path);
    // The slide of item `index` held with its caption in, or the slideshow running (-1), now
    // and after every load.
    void ShowSlide(int index);
    // CSS pixels the page is laid out in: 0 for the whole width of the window.
    int PageWidth() const;
    // Made on the first showing, so start-up costs no browser process; it never opens a
    // dialog of its own.
    QWebEngineView* WebBrowser() const { return webBrowser_; }
    QTimer* Timer1() const { return timer1_; }

Q_SIGNALS:
    // A click on the held slide's picture in the page, at `at` (fractions of the picture).
    void slidePointed(int slide, QPointF at);

public Q_SLOTS:
    void spdbtnAutoReloadClick();
    void spdbtnReloadClick();
    void spdbtnHelpClick();
    void Timer1Timer();
    void WebBrowserDocumentComplete();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void FormResize();
    void sizeChosen();
    void ensurePreviewFolder() const;
    void createWebBrowser();
    void applyShownSlide();
    void pageSaid(const QString& message);

    Platform& platform_;
    PreviewHost& host_;
    QString programFolder_;
    std::unique_ptr<::Ui::TfrmPreview> ui_;
    QTimer* timer1_;
    QWebEngineView* webBrowser_ = nullptr;
    DeviceEmulation* emulation_ = nullptr;  // made with the browser
    int shownSlide_ = -1;
    bool pageLoaded_ = false;
    bool reloadNext_ = false;                // Refresh reloads whatever changed
    QHash<QString, QByteArray> shownFiles_;  // the preview folder as the page was loaded
    FileDigests digests_;
};

}  // namespace lumivex::ui
