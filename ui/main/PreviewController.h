#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

#include "AppletAgent.h"
#include "HTMLBuild.h"
#include "Preview.h"

class QDockWidget;
class QMainWindow;
class QThread;

namespace Ui {
class MainForm;
}

namespace lumivex {
class ItemTree;
class TzqxAppletAgent;
}  // namespace lumivex

namespace lumivex::ui {

class PropertyBinder;
class Publisher;
class TformHTML;
struct Platform;

// What the project looks like before it is published: the live preview in its dock, which
// follows the edits and the selection, the preview in a browser, the generated page and the
// publish report.
class PreviewController final : public QObject, public PreviewHost {
    Q_OBJECT
public:
    // `programFolder` and `scratchFolder` end with "/".
    PreviewController(Ui::MainForm& ui, Platform& platform, TzqxAppletAgent& agent, ItemTree& tree,
                      PropertyBinder& binder, const Publisher& publisher, QMainWindow* window,
                      const QString& programFolder, const QString& scratchFolder);
    ~PreviewController() override;
    // The windows that live from start to end, created hidden after the main window; the
    // dock where the designer last put it.
    void createWindows();

    void RefreshPreview() override;
    // Armed again after a load: an edit made meanwhile is shown now.
    void SetPreviewRefreshArmed(bool armed) override;
    void ClearPreviewWindowMark() override;
    bool refreshArmed() const { return refreshArmed_; }
    // The project shown changed as a whole.
    void showFromStart();
    // The slide of item `index` held, or the slideshow running (-1).
    void showSlide(int index);

    void PreviewWindow1Click();
    void Preview1Click();
    void BuildHTML1Click();
    void BuildGeneratedCode();
    void Publish1Click();

    TfrmPreview* frmPreview() const { return frmPreview_; }
    TformHTML* formHTML() const { return formHTML_; }
    QDockWidget* dock() const { return dock_; }
    // Slides are being made behind the preview.
    bool makingSlides() const { return slideMaker_ != nullptr; }

private:
    // The build step, then the page and its files into the preview folder; with `deferSlides`
    // a slide the cache does not have keeps its staged picture until it is made behind.
    void stagePreviewPage(bool deferSlides = false);
    // Shows the preview in its dock, the window wide enough for it and the pages.
    void makeRoomForPreview();
    std::string pathBytes(const QString& path) const;
    // Makes the slides the last staging kept as they were, then shows them.
    void makePendingSlides();

    Ui::MainForm& ui_;
    Platform& platform_;
    TzqxAppletAgent& agent_;
    ItemTree& tree_;
    PropertyBinder& binder_;
    const Publisher& publisher_;
    QMainWindow* window_;
    QString programFolder_;
    QString scratch_;
    QPointer<TformHTML> formHTML_;
    QPointer<TfrmPreview> frmPreview_;
    QDockWidget* dock_ = nullptr;
    bool refreshArmed_ = true;
    // An edit came while the preview could not refresh; and whether it is refreshing now.
    bool stale_ = false;
    bool staging_ = false;
    std::unique_ptr<QThread> slideMaker_;
    std::vector<PendingSlide> making_;  // what slideMaker_ was given
    std::atomic<bool> stopMaking_{false};
    bool closing_ = false;
    bool makerStopped_ = false;  // the last maker was stopped before its end
    bool madeToShow_ = false;    // the maker has pictures for the next staging to show
    int shownSlide_ = -1;        // the item the preview holds, or -1
};

}  // namespace lumivex::ui
