#pragma once

#include <string>

namespace lumivex {

// The main window's hint line, progress bar and busy cursor, as the engine sees them.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void step(int amount) = 0;
    virtual void setPosition(int position) = 0;
    virtual void setHint(const std::string& text) = 0;
    virtual void setBusy(bool busy) = 0;
    // Asked between the steps of a publish: true stops it (PublishCancelledError) before it
    // changes the folder.
    virtual bool stopRequested() const { return false; }
};

class NullProgress final : public Progress {
public:
    void setMaximum(int) override {}
    void step(int) override {}
    void setPosition(int) override {}
    void setHint(const std::string&) override {}
    void setBusy(bool) override {}
};

// Resets the progress bar, hint and busy cursor when a long operation ends, by whatever way.
class ProgressReset {
public:
    explicit ProgressReset(Progress& progress) : progress_(progress) {}
    ~ProgressReset() {
        progress_.setPosition(0);
        progress_.setHint("");
        progress_.setBusy(false);
    }
    ProgressReset(const ProgressReset&) = delete;
    ProgressReset& operator=(const ProgressReset&) = delete;

private:
    Progress& progress_;
};

// Shows a hint and the busy cursor while it lives; clears both however the operation ends.
class BusyScope {
public:
    BusyScope(Progress& progress, const std::string& hint) : progress_(progress) {
        progress_.setHint(hint);
        progress_.setBusy(true);
    }
    ~BusyScope() {
        progress_.setHint("");
        progress_.setBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Progress& progress_;
};

// Where the engine's refusals go; the editor shows them as an error box with OK.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showError(const std::string& text) = 0;
};

class NullMessageSink final : public MessageSink {
public:
    void showError(const std::string&) override {}
};

}  // namespace lumivex
