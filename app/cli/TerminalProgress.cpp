#include "TerminalProgress.h"

#include <unistd.h>

#include <algorithm>

namespace lumivex::cli {

TerminalProgress::TerminalProgress(std::FILE* out)
    : out_(out), enabled_(::isatty(::fileno(out)) != 0) {}

TerminalProgress::~TerminalProgress() {
    clear();
}

void TerminalProgress::setMaximum(int maximum) {
    maximum_ = maximum;
    draw();
}

void TerminalProgress::step(int amount) {
    position_ += amount;
    draw();
}

void TerminalProgress::setPosition(int position) {
    position_ = position;
    if (position_ == 0 && hint_.empty()) {
        clear();
    } else {
        draw();
    }
}

void TerminalProgress::setHint(const std::string& text) {
    hint_ = text;
    if (hint_.empty() && position_ == 0) {
        clear();
    } else {
        draw();
    }
}

void TerminalProgress::draw() {
    if (!enabled_)
        return;
    constexpr int kWidth = 30;
    const int maximum = std::max(maximum_, 1);
    const int done = std::clamp(position_ * kWidth / maximum, 0, kWidth);
    const int percent = std::clamp(position_ * 100 / maximum, 0, 100);
    std::fprintf(
        out_, "\r\033[K[%s%s] %3d%% %s", std::string(static_cast<size_t>(done), '#').c_str(),
        std::string(static_cast<size_t>(kWidth - done), ' ').c_str(), percent, hint_.c_str());
    std::fflush(out_);
    drawn_ = true;
}

void TerminalProgress::clear() {
    if (!enabled_ || !drawn_)
        return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    drawn_ = false;
}

}  // namespace lumivex::cli
