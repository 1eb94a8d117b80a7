#include "WindowSupport.h"

#include <QCoreApplication>
#include <QLayout>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

#include "SettingsStore.h"

namespace lumivex::ui {

void FixSizeAtLeast(QWidget* window, QSize designed) {
    QLayout* layout = window->layout();
    if (layout == nullptr) {
        window->setFixedSize(designed);
        return;
    }
    layout->activate();
    const int width = std::max(designed.width(), layout->minimumSize().width());
    const int height =
        std::max({designed.height(), layout->minimumSize().height(),
                  layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : 0});
    window->setFixedSize(width, height);
}

void WriteShowDialogSetting(SettingsStore& settings, const QString& name, bool dontShow) {
    if (!WriteBool(settings, kSettingsKey, name, !dontShow) && !dontShow)
        throw std::runtime_error(QCoreApplication::translate("lumivex::ui::WindowSupport",
                                                             "Cannot write the setting \"%1\".")
                                     .arg(name)
                                     .toStdString());
}

}  // namespace lumivex::ui
