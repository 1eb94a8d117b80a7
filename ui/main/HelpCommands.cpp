#include "HelpCommands.h"

#include <QAction>
#include <QRegularExpression>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <iterator>

#include "CodeGeneration.h"
#include "ErrorReport.h"
#include "HelpWindow.h"
#include "Icons.h"
#include "PropertyBinder.h"
#include "Shell.h"
#include "Translations.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

HelpCommands::HelpCommands(Ui::MainForm& ui, Shell& shell, const QString& programFolder,
                           QWidget* window)
    : QObject(window), shell_(shell), programFolder_(programFolder), window_(window) {
    using Handler = void (HelpCommands::*)();
    const std::pair<QAction*, Handler> commands[] = {
        {ui.Topic1, &HelpCommands::Topic1Click},
        {ui.tlbtnHelp, &HelpCommands::Topic1Click},
        {ui.ViewSample1, &HelpCommands::ViewSample1Click},
        {ui.Homepage1, &HelpCommands::Homepage1Click},
        {ui.ContactUs1, &HelpCommands::ContactUs1Click},
    };
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this,
                ErrorReport::guarded([this, handler = handler] { (this->*handler)(); }));
    for (QToolButton* help : ui.pgcntrl1->findChildren<QToolButton*>(
             QRegularExpression(QStringLiteral("^SpeedButton\\d+$")))) {
        help->setIcon(AppIcon(IconId::HelpBook));
        connect(help, &QToolButton::clicked, this,
                ErrorReport::guarded([this, help] { SpeedButton1Click(help); }));
    }
    // F1: the help of the property page in front.
    auto* f1 =
        new QShortcut(QKeySequence(Qt::Key_F1), window, nullptr, nullptr, Qt::WindowShortcut);
    QTabWidget* pages = ui.pgcntrl1;
    connect(f1, &QShortcut::activated, this, ErrorReport::guarded([this, pages] {
                const QRegularExpression help(QStringLiteral("^SpeedButton\\d+$"));
                const auto buttons = pages->currentWidget()->findChildren<QToolButton*>(help);
                QToolButton* first = buttons.isEmpty() ? nullptr : buttons.first();
                SpeedButton1Click(first != nullptr ? static_cast<QObject*>(first) : this);
            }));
}

void HelpCommands::createWindow() {
    frmHelp_ = new TfrmHelp(window_);
}

QString HelpCommands::HelpPageForTag(int tag) {
    static const char* const kPages[] = {
        "customizing_js_script_script_slideshow.htm",
        "customizing_js_script_script_effects.htm",
        "customizing_js_script_script_loading_page.htm",
        "customizing_js_script_slide_info_slide_info.htm",
        "customizing_js_script_slide_info_slide_info_effects.htm",
        "customizing_js_script_slide_info_slide_info_title.htm",
        "customizing_js_script_slide_info_slide_info_description.htm",
        "customizing_js_item_item_original_image_path.htm",
        "customizing_js_item_item_link.htm",
        "customizing_js_item_item_slide_info.htm",
        "customizing_js_item_item_tooltip.htm",
        "customizing_js_script_path_path.htm",
        "customizing_js_script_web_output.htm",
        "customizing_js_script_look.htm",
        "customizing_js_item_focal_point.htm",
    };
    if (tag >= 1 && tag <= static_cast<int>(std::size(kPages)))
        return QLatin1String(kPages[tag - 1]);
    return QStringLiteral("getting_started.htm");
}

void HelpCommands::SpeedButton1Click(QObject* sender) {
    const QString help = programFolder_ + QStringLiteral("help/");
    const QString page =
        help + LocalizedHelpPage(help, HelpPageForTag(sender->property("tag").toInt()));
    frmHelp_->Navigate(QUrl(PropertyBinder::PathToFileUrl(page)));
    frmHelp_->show();
    frmHelp_->raise();
    frmHelp_->activateWindow();
}

void HelpCommands::Topic1Click() {
    const QString help = programFolder_ + QStringLiteral("help/");
    shell_.open(help + LocalizedHelpPage(help, QStringLiteral("index.html")));
}

void HelpCommands::ViewSample1Click() {
    shell_.open(programFolder_ + QStringLiteral("samples/index.html"));
}

void HelpCommands::Homepage1Click() {
    shell_.open(QLatin1String(kProductAddress));
}

void HelpCommands::ContactUs1Click() {
    shell_.open(QLatin1String(kSupportAddress));
}

}  // namespace lumivex::ui
