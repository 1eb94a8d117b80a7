#include "About.h"

#include <QMouseEvent>

#include "CodeGeneration.h"
#include "Icons.h"
#include "WindowSupport.h"
#include "ui_About.h"

namespace lumivex::ui {

TformAbout::TformAbout(Platform& platform, QWidget* parent)
    : QDialog(parent), platform_(platform), ui_(std::make_unique<::Ui::TformAbout>()) {
    ui_->setupUi(this);
    FormCreate();
}

TformAbout::~TformAbout() = default;

void TformAbout::FormCreate() {
    setWindowFlags(kDialogFrame);
    setWindowTitle(tr("Lumivex"));
    ui_->lblProductName->setText(QStringLiteral("Lumivex"));
    ui_->lblProductVersion->setText(tr("Version 1.0"));
    ui_->Label5->setText(QString::fromUtf8(kCopyrightLine));
    ui_->Label8->setText(QString::fromUtf8(kProductAddress));
    ui_->Label10->setText(QString::fromUtf8(kSupportAddress));
    ui_->Image1->setPixmap(AppIcon(IconId::Program).pixmap(32, 32));

    // A white box whatever the desktop's colours, with text that stays readable on it.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);
    setMouseTracking(true);
    for (QLabel* link : {ui_->Label8, ui_->Label10}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setMouseTracking(true);
        link->installEventFilter(this);
        colourLink(link, false);
    }
    FixSizeAtLeast(this, QSize(313, 159));
}

void TformAbout::colourLink(QLabel* link, bool hovered) {
    QPalette p = link->palette();
    p.setColor(QPalette::WindowText, hovered ? Qt::red : Qt::blue);
    link->setPalette(p);
}

void TformAbout::Label8Click() {
    platform_.shell.open(QString::fromUtf8(kProductAddress));
}

void TformAbout::Label10Click() {
    platform_.shell.open(QString::fromUtf8(kSupportAddress));
}

bool TformAbout::eventFilter(QObject* watched, QEvent* event) {
    auto* link = qobject_cast<QLabel*>(watched);
    if (link == ui_->Label8 || link == ui_->Label10) {
        switch (event->type()) {
            case QEvent::Enter:
                colourLink(link, true);
                break;
            case QEvent::MouseMove:
                // Kept from the box, whose own moves turn the links back to blue.
                colourLink(link, true);
                return true;
            case QEvent::Leave:
                colourLink(link, false);
                break;
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                    link->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
                    if (link == ui_->Label8)
                        Label8Click();
                    else
                        Label10Click();
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TformAbout::mouseMoveEvent(QMouseEvent* event) {
    colourLink(ui_->Label8, false);
    colourLink(ui_->Label10, false);
    QDialog::mouseMoveEvent(event);
}

}  // namespace lumivex::ui
