#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QMainWindow;
class QPushButton;
class QWidget;

namespace lumivex::ui {

class Publisher;
class SwitchableItemTree;

// The window's side of publishing in the background: while a publish runs the window repaints
// and answers but takes no edit and no command (pages and actions paused, keys typed held for
// afterwards), the engine reads a copy of the tree, and Cancel is offered.
class BackgroundPublish final : public QObject {
    Q_OBJECT
public:
    BackgroundPublish(Publisher& publisher, SwitchableItemTree& tree, QWidget* pages,
                      QMainWindow* window);
    // Runs `work` (a publish reading the model) off the window's thread; what it raised is
    // raised here. Cancel and Escape stop it.
    void run(const std::function<void()>& work);
    bool running() const;
    // Asked to close while a publish runs: true when the window may close now; otherwise the
    // user was asked, and the window closes once the publish has stopped.
    bool mayCloseNow(const std::function<bool()>& askToStop);

private:
    void showRunning(bool running);

    Publisher& publisher_;
    SwitchableItemTree& tree_;
    QWidget* pages_;
    QMainWindow* window_;
    QPushButton* cancel_;
    QList<QPointer<QAction>> paused_;
    bool closeAfter_ = false;
};

}  // namespace lumivex::ui
