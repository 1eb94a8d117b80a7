#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

namespace lumivex {
class TzqxAppletAgent;
}

namespace lumivex::ui {

class BackgroundPublish;
class Dialogs;
class ProjectDocument;

// A copy of the unsaved project, written every 30 seconds while it is modified, in the user's
// data folder (never the project's, never published), so that a crash or a power cut loses at
// most that much. A save or a clean exit removes it; the next start offers what a process that
// ended without either left behind.
class RecoveryCopy final : public QObject {
    Q_OBJECT
public:
    // `folder` ends with "/"; made when first written.
    RecoveryCopy(ProjectDocument& document, TzqxAppletAgent& agent,
                 const BackgroundPublish& publishing, QString folder, QObject* parent);
    ~RecoveryCopy() override;
    // $XDG_DATA_HOME/lumivex/recovery/
    static QString DefaultFolder();
    void setInterval(int milliseconds) { timer_.setInterval(milliseconds); }

    // Writes the copy now when the project has unsaved changes, else removes it.
    void write();
    void remove();
    // Offers each copy left by an editor that is no longer running: restored (and then this
    // process's own), discarded, or kept for a later start. True when one was restored.
    bool offerLeftCopies(Dialogs& dialogs, QWidget* parent);

private:
    QString copyPath(qint64 pid) const;

    ProjectDocument& document_;
    TzqxAppletAgent& agent_;
    const BackgroundPublish& publishing_;
    QString folder_;
    QTimer timer_;
};

}  // namespace lumivex::ui
