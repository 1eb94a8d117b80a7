#include "MainFormFilters.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "Publisher.h"

namespace lumivex::ui {

OneHistoryInFields::OneHistoryInFields(QWidget* window, QAction* redo)
    : QObject(window), window_(window), redo_(redo) {}

bool OneHistoryInFields::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence typed(key->keyCombination());
    const bool history = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                         redo_->shortcuts().contains(typed);
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool textField = qobject_cast<QLineEdit*>(widget) != nullptr ||
                           qobject_cast<QAbstractSpinBox*>(widget) != nullptr ||
                           qobject_cast<QComboBox*>(widget) != nullptr;
    return history && textField && widget->window() == window_;
}

EscapeLeavesFields::EscapeLeavesFields(QWidget* window, QWidget* fields, QWidget* home,
                                       Publisher& publisher)
    : QObject(window), window_(window), fields_(fields), home_(home), publisher_(publisher) {}

bool EscapeLeavesFields::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != window_ ||
        QApplication::activePopupWidget() != nullptr ||
        QApplication::activeModalWidget() != nullptr)
        return false;
    if (publisher_.running())
        publisher_.cancel();
    else if (widget != home_ && fields_->isAncestorOf(widget))
        home_->setFocus(Qt::ShortcutFocusReason);
    return true;
}

TypeAhead::TypeAhead(QWidget* window) : window_(window) {}

TypeAhead::~TypeAhead() = default;

bool TypeAhead::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    if (widget == nullptr || widget->window() != window_ || key->key() == Qt::Key_Escape ||
        QApplication::activeModalWidget() != nullptr)
        return false;
    if (type == QEvent::ShortcutOverride) {
        event->accept();  // no shortcut now; the key press that follows is held
        return true;
    }
    held_.append(std::shared_ptr<QKeyEvent>(key->clone()));
    return true;
}

void TypeAhead::replay() {
    for (const std::shared_ptr<QKeyEvent>& key : std::as_const(held_)) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr || target->window() != window_)
            target = window_;
        // Not spontaneous: Qt gives a key press sent this way to the shortcuts first, as it
        // gives a typed one.
        QCoreApplication::postEvent(target, key->clone());
    }
    held_.clear();
}

bool HintLine::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) &&
        watched->property("lumivexHint").toBool() && !paused_) {
        line_->setText(static_cast<QWidget*>(watched)->toolTip());
    }
    return false;
}

PagesFitSideways::PagesFitSideways(QWidget* pages)
    : QObject(pages), pages_(pages), designedWidth_(pages->minimumWidth()) {
    for (QScrollArea* scroll : pages->findChildren<QScrollArea*>()) {
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->widget()->installEventFilter(this);
        fit(scroll);
    }
}

bool PagesFitSideways::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) {
        // The page, its scroll area's viewport, the scroll area.
        QWidget* viewport = static_cast<QWidget*>(watched)->parentWidget();
        if (auto* scroll =
                qobject_cast<QScrollArea*>(viewport ? viewport->parentWidget() : nullptr))
            fit(scroll);
    }
    return false;
}

void PagesFitSideways::fit(QScrollArea* scroll) {
    scroll->setMinimumWidth(scroll->widget()->minimumSizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width() +
                            2 * scroll->frameWidth());
    // The page control's designed minimum would hold the pages in otherwise.
    pages_->setMinimumWidth(std::max(designedWidth_, pages_->minimumSizeHint().width()));
}

}  // namespace lumivex::ui
