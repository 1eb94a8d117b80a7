#pragma once

#include <QHash>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

class QThread;
class QWebEngineView;

namespace Ui {
class TfrmTemplatePreview;
}

namespace lumivex::ui {

// The slideshow of the template selected in the chooser, running as a visitor sees it, in a
// window beside the chooser. Each template is published once per showing into a private
// folder, on a worker thread, so the chooser never waits for it.
class TfrmTemplatePreview : public QWidget {
    Q_OBJECT

public:
    // `programFolder` ends with "/" and holds the runtime.
    TfrmTemplatePreview(const QString& programFolder, QWidget* chooser);
    ~TfrmTemplatePreview() override;

    // Shows the template at `path`, whose box is `box` (empty when unknown), beside the chooser.
    void ShowTemplate(const QString& path, QSize box);
    QWebEngineView* WebBrowser() const { return webBrowser_; }
    // The published page shown (or being loaded), empty before the first one.
    QString ShownPage() const { return shownPage_; }

private:
    void startStaging(const QString& path);
    // On this window's thread once the worker is done with `path`.
    void stagingDone(const QString& path, const QString& page, const QString& problem);
    void staged(const QString& path, const QString& page, const QString& problem);
    void placeBesideChooser(QSize box);

    QString programFolder_;
    QTemporaryDir work_;
    std::unique_ptr<::Ui::TfrmTemplatePreview> ui_;
    QWebEngineView* webBrowser_;
    QHash<QString, QString> pages_;
    std::unique_ptr<QThread> staging_;
    int stagings_ = 0;
    QString wanted_;
    QString shownPage_;
};

}  // namespace lumivex::ui
