#pragma once

#include <string>

#include "Progress.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace lumivex::ui {

class Dialogs;

// The engine's progress on the main window's hint line, progress bar and busy cursor. The
// widgets repaint at once: every operation runs to its end on this thread, without a nested
// event loop.
class WidgetProgress final : public Progress {
public:
    WidgetProgress(QLabel* hint, QProgressBar* bar);
    ~WidgetProgress() override;
    void setMaximum(int maximum) override;
    void step(int amount) override;
    void setPosition(int position) override;
    void setHint(const std::string& text) override;
    void setBusy(bool busy) override;
    bool busy() const { return busy_; }

private:
    QLabel* hint_;
    QProgressBar* bar_;
    bool busy_ = false;
};

// The engine's refusals as an error box with OK.
class DialogMessageSink final : public MessageSink {
public:
    DialogMessageSink(Dialogs& dialogs, QWidget* parent) : dialogs_(dialogs), parent_(parent) {}
    void showError(const std::string& text) override;
    // How many refusals were shown so far; a caller compares before and after an operation.
    int count() const { return count_; }

private:
    Dialogs& dialogs_;
    QWidget* parent_;
    int count_ = 0;
};

}  // namespace lumivex::ui
