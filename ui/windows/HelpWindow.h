#pragma once

#include <QUrl>
#include <QWidget>
#include <memory>

class QWebEngineView;

namespace Ui {
class TfrmHelp;
}

namespace lumivex::ui {

// One page of the help folder beside the editor. Lives as long as the program; closing or
// Escape only hides it, so the page survives until the next help button replaces it.
class TfrmHelp : public QWidget {
    Q_OBJECT

public:
    explicit TfrmHelp(QWidget* parent = nullptr);
    ~TfrmHelp() override;

    // The browser is made here on the first call, so start-up costs no browser process.
    void Navigate(const QUrl& url);
    QWebEngineView* WebBrowser1() const { return webBrowser1_; }

public Q_SLOTS:
    void FormKeyPress();

private:
    std::unique_ptr<::Ui::TfrmHelp> ui_;
    QWebEngineView* webBrowser1_ = nullptr;
};

}  // namespace lumivex::ui
