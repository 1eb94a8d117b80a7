// Publishing in the background: the slide images are made off the window's thread while the
// window repaints, serves the clipboard and offers Cancel.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include "EngineErrors.h"
#include "MainForm.h"
#include "MainFormFilters.h"
#include "Publisher.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

bool TMainForm::savePublishing(const QString& path) {
    const QFileInfo file(path);
    const QString folder = file.absolutePath() + '/';
    // The project file was written although the publish failed: the edits are saved. A
    // cancelled publish wrote nothing.
    auto onDisk = qScopeGuard([&] { rememberOnDisk(projectFileFor(path)); });
    bool published = false;
    try {
        publishInBackground([&] {
            published =
                FAgent->SaveAndPublish(pathBytes(folder), pathBytes(file.fileName()), *agentTree_);
        });
    } catch (const PublishCancelledError&) {
        onDisk.dismiss();
        throw;
    }
    return published;
}

void TMainForm::publishInBackground(const std::function<void()>& work) {
    agentTree_->freeze();
    const auto thaw = qScopeGuard([this] { agentTree_->thaw(); });
    // Pausing the pages takes the focus from them: it goes back where it was, and what was
    // typed meanwhile follows.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    TypeAhead typed(this);
    qApp->installEventFilter(&typed);
    const auto resume = qScopeGuard([&] {
        qApp->removeEventFilter(&typed);
        if (focus != nullptr)
            focus->setFocus(Qt::OtherFocusReason);
        typed.replay();
    });
    publisher_->run(work);
}

void TMainForm::showPublishing(bool running) {
    findChild<QPushButton*>(QStringLiteral("btnCancelPublish"))->setVisible(running);
    ui_->centralwidget->setEnabled(!running);
    if (running) {
        for (QAction* action : findChildren<QAction*>()) {
            if (action->isEnabled()) {
                action->setEnabled(false);
                pausedActions_.append(action);
            }
        }
        return;
    }
    for (const QPointer<QAction>& action : std::as_const(pausedActions_)) {
        if (action != nullptr)
            action->setEnabled(true);
    }
    pausedActions_.clear();
    if (closeAfterPublish_) {
        closeAfterPublish_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

}  // namespace lumivex::ui
