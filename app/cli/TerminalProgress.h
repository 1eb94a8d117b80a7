#pragma once

#include <cstdio>
#include <string>

#include "Progress.h"

namespace lumivex::cli {

// Draws the engine's progress as one self-rewriting line on a terminal; silent elsewhere.
class TerminalProgress final : public Progress {
public:
    explicit TerminalProgress(std::FILE* out);
    ~TerminalProgress() override;

    void setMaximum(int maximum) override;
    void step(int amount) override;
    void setPosition(int position) override;
    void setHint(const std::string& text) override;
    void setBusy(bool) override {}

    bool enabled() const { return enabled_; }

private:
    void draw();
    void clear();

    std::FILE* out_;
    bool enabled_;
    int maximum_ = 100;
    int position_ = 0;
    std::string hint_;
    bool drawn_ = false;
};

}  // namespace lumivex::cli
