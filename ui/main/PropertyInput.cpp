#include "PropertyInput.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QWheelEvent>

namespace lumivex::ui {

QValidator::State OneLineValidator::validate(QString& input, int& pos) const {
    QString line;
    line.reserve(input.size());
    int cursor = pos;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c == '\r' && i + 1 < input.size() && input[i + 1] == '\n') {
            line += ' ';
            if (i + 1 < pos)
                --cursor;
            ++i;
        } else if (c == '\r' || c == '\n' || c == QChar(0x1A)) {
            line += ' ';
        } else {
            line += c;
        }
    }
    input = line;
    pos = cursor;
    return Acceptable;
}

bool WheelScrollsPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return false;
    auto* control = static_cast<QWidget*>(watched);
    const QWidget* focus = QApplication::focusWidget();
    if (focus == control || control->isAncestorOf(focus))
        return false;
    QAbstractScrollArea* area = nullptr;
    for (QWidget* w = control->parentWidget(); w != nullptr && area == nullptr;
         w = w->parentWidget())
        area = qobject_cast<QAbstractScrollArea*>(w);
    if (area != nullptr) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        QWidget* viewport = area->viewport();
        QWheelEvent forwarded(viewport->mapFromGlobal(wheel->globalPosition()),
                              wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                              wheel->buttons(), wheel->modifiers(), wheel->phase(),
                              wheel->inverted(), wheel->source(), wheel->pointingDevice());
        QCoreApplication::sendEvent(viewport, &forwarded);
    }
    return true;
}

void GuardPropertyInput(QWidget* pages) {
    for (QLineEdit* edit : pages->findChildren<QLineEdit*>()) {
        // A spin box's own edit takes numbers only.
        if (qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) == nullptr)
            edit->setValidator(new OneLineValidator(edit));
    }
    auto* wheel = new WheelScrollsPage(pages);
    QList<QWidget*> wheeled;
    for (QAbstractSpinBox* spin : pages->findChildren<QAbstractSpinBox*>())
        wheeled << spin;
    for (QComboBox* combo : pages->findChildren<QComboBox*>())
        wheeled << combo;
    for (QWidget* control : wheeled) {
        control->setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(wheel);
    }
}

}  // namespace lumivex::ui
