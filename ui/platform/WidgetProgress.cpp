#include "WidgetProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "Dialogs.h"
#include "TextBytes.h"

namespace lumivex::ui {

namespace {

// The engine's hints, English in the command-line tool, shown in the desktop's language here.
[[maybe_unused]] const char* const kEngineHints[] = {
    QT_TRANSLATE_NOOP("Progress", "Loading Data ... ..."),
    QT_TRANSLATE_NOOP("Progress", "Saving Data ... ..."),
    QT_TRANSLATE_NOOP("Progress", "Making HTML Codes ... ..."),
    QT_TRANSLATE_NOOP("Progress", "Copying Resource Files ... ..."),
    QT_TRANSLATE_NOOP("Progress", "Copying Publishable Files ... ..."),
    QT_TRANSLATE_NOOP("Progress", "Making Publish Report ... ..."),
    QT_TRANSLATE_NOOP("Progress", "Adding Photos ... ..."),
};

}  // namespace

WidgetProgress::WidgetProgress(QLabel* hint, QProgressBar* bar) : hint_(hint), bar_(bar) {}

WidgetProgress::~WidgetProgress() {
    if (busy_)
        QApplication::restoreOverrideCursor();
}

void WidgetProgress::setMaximum(int maximum) {
    bar_->setMaximum(maximum);
    bar_->repaint();
}

void WidgetProgress::step(int amount) {
    bar_->setValue(std::min(bar_->maximum(), bar_->value() + amount));
    bar_->repaint();
}

void WidgetProgress::setPosition(int position) {
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
    bar_->repaint();
}

void WidgetProgress::setHint(const std::string& text) {
    // Any other text (a file name, say) keeps its bytes as the model holds them.
    const QString translated = QCoreApplication::translate("Progress", text.c_str());
    hint_->setText(translated == QString::fromUtf8(text) ? BytesToText(text) : translated);
    hint_->repaint();
}

void WidgetProgress::setBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void DialogMessageSink::showError(const std::string& text) {
    ++count_;
    dialogs_.message(parent_, MessageKind::Error, BytesToText(text), {MessageButton::Ok});
}

}  // namespace lumivex::ui
