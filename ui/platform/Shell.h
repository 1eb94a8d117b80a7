#pragma once

#include <QString>

namespace lumivex::ui {

// The desktop's own handlers. Results are not reported: the callers never examine them.
class Shell {
public:
    virtual ~Shell() = default;
    // A local path or a URL ("http://...", "file://...") opened with the desktop's handler.
    virtual void open(const QString& pathOrUrl) = 0;
    // A program started detached, with `argument` as its one argument.
    virtual void startProgram(const QString& program, const QString& argument) = 0;
};

class QtShell final : public Shell {
public:
    void open(const QString& pathOrUrl) override;
    void startProgram(const QString& program, const QString& argument) override;
};

}  // namespace lumivex::ui
