// The help buttons of the property pages and the help and web commands.
#include <QUrl>
#include <iterator>

#include "CodeGeneration.h"
#include "HelpWindow.h"
#include "MainForm.h"

namespace lumivex::ui {

QString TMainForm::HelpPageForTag(int tag) {
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
    };
    if (tag >= 1 && tag <= static_cast<int>(std::size(kPages)))
        return QLatin1String(kPages[tag - 1]);
    return QStringLiteral("getting_started.htm");
}

void TMainForm::SpeedButton1Click(QObject* sender) {
    const QString page =
        programFolder_ + QStringLiteral("help/") + HelpPageForTag(sender->property("tag").toInt());
    frmHelp_->Navigate(QUrl(PathToFileUrl(page)));
    frmHelp_->show();
    frmHelp_->raise();
    frmHelp_->activateWindow();
}

void TMainForm::Topic1Click() {
    platform_.shell.open(programFolder_ + QStringLiteral("help/index.html"));
}

void TMainForm::ViewSample1Click() {
    platform_.shell.open(programFolder_ + QStringLiteral("samples/index.html"));
}

void TMainForm::Homepage1Click() {
    platform_.shell.open(QLatin1String(kProductAddress));
}

void TMainForm::ContactUs1Click() {
    platform_.shell.open(QLatin1String(kSupportAddress));
}

}  // namespace lumivex::ui
