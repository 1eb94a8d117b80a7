#pragma once

#include <string>
#include <vector>

#include "Progress.h"

namespace lumivex::testing {

// Records every progress call as a short line ("max 28", "step 10", "pos 0", "hint ...",
// "busy 1"), so tests can compare whole sequences.
class RecordingProgress final : public Progress {
public:
    void setMaximum(int maximum) override { events.push_back("max " + std::to_string(maximum)); }
    void step(int amount) override {
        events.push_back("step " + std::to_string(amount));
        position += amount;
        peak = position > peak ? position : peak;
    }
    void setPosition(int p) override {
        events.push_back("pos " + std::to_string(p));
        position = p;
    }
    void setHint(const std::string& text) override {
        events.push_back("hint " + text);
        hint = text;
    }
    void setBusy(bool on) override {
        events.push_back(on ? "busy 1" : "busy 0");
        busy = on;
    }
    // Asks to stop from the `stopAt`-th question on (counting from 0); never when negative.
    bool stopRequested() const override { return stopAt >= 0 && questions++ >= stopAt; }

    std::vector<std::string> events;
    std::string hint;
    bool busy = false;
    int position = 0;
    int peak = 0;
    int stopAt = -1;
    mutable int questions = 0;
};

class RecordingMessages final : public MessageSink {
public:
    void showError(const std::string& text) override { errors.push_back(text); }
    std::vector<std::string> errors;
};

}  // namespace lumivex::testing
