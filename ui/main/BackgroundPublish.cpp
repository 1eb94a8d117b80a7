#include "BackgroundPublish.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>

#include "MainFormFilters.h"
#include "Publisher.h"

namespace lumivex::ui {

BackgroundPublish::BackgroundPublish(Publisher& publisher, SwitchableItemTree& tree, QWidget* pages,
                                     QMainWindow* window)
    : QObject(window),
      publisher_(publisher),
      tree_(tree),
      pages_(pages),
      window_(window),
      cancel_(new QPushButton(tr("Cancel"), window)) {
    cancel_->setObjectName(QStringLiteral("btnCancelPublish"));
    cancel_->setToolTip(tr("Stop the publish (Esc)"));
    cancel_->hide();
    window_->statusBar()->addPermanentWidget(cancel_);
    connect(cancel_, &QPushButton::clicked, &publisher_, &Publisher::cancel);
    connect(&publisher_, &Publisher::runningChanged, this, &BackgroundPublish::showRunning);
}

bool BackgroundPublish::running() const {
    return publisher_.running();
}

void BackgroundPublish::run(const std::function<void()>& work) {
    tree_.freeze();
    const auto thaw = qScopeGuard([this] { tree_.thaw(); });
    // Pausing the pages takes the focus from them: it goes back where it was, and what was
    // typed meanwhile follows.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    TypeAhead typed(window_);
    qApp->installEventFilter(&typed);
    const auto resume = qScopeGuard([&] {
        qApp->removeEventFilter(&typed);
        if (focus != nullptr)
            focus->setFocus(Qt::OtherFocusReason);
        typed.replay();
    });
    publisher_.run(work);
}

bool BackgroundPublish::mayCloseNow(const std::function<bool()>& askToStop) {
    if (!publisher_.running())
        return true;
    // The publish must stop before the window can ask about saving and go.
    if (askToStop()) {
        closeAfter_ = true;
        publisher_.cancel();
    }
    return false;
}

void BackgroundPublish::showRunning(bool running) {
    cancel_->setVisible(running);
    pages_->setEnabled(!running);
    if (running) {
        for (QAction* action : window_->findChildren<QAction*>()) {
            if (action->isEnabled()) {
                action->setEnabled(false);
                paused_.append(action);
            }
        }
        return;
    }
    for (const QPointer<QAction>& action : std::as_const(paused_)) {
        if (action != nullptr)
            action->setEnabled(true);
    }
    paused_.clear();
    if (closeAfter_) {
        closeAfter_ = false;
        QTimer::singleShot(0, window_, &QWidget::close);
    }
}

}  // namespace lumivex::ui
