#include "HelpWindow.h"

#include <QShortcut>
#include <QWebEngineView>

#include "ui_HelpWindow.h"

namespace lumivex::ui {

TfrmHelp::TfrmHelp(QWidget* parent) : QWidget(parent), ui_(std::make_unique<::Ui::TfrmHelp>()) {
    ui_->setupUi(this);
    // A window of its own, not a tool window: the user reads it beside the editor and brings
    // either to the front. Fixed in size, so there is nothing to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(402, 428);
    move(265, 180);
    // A shortcut, because the page itself holds the keyboard while the user reads it.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &TfrmHelp::FormKeyPress);
}

TfrmHelp::~TfrmHelp() = default;

void TfrmHelp::Navigate(const QUrl& url) {
    if (webBrowser1_ == nullptr) {
        webBrowser1_ = new QWebEngineView(this);
        webBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
        webBrowser1_->setGeometry(0, 0, 401, 427);
        webBrowser1_->show();
    }
    webBrowser1_->load(url);
}

void TfrmHelp::FormKeyPress() {
    hide();
}

}  // namespace lumivex::ui
