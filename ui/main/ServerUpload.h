#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace lumivex {
class ItemTree;
class TzqxAppletAgent;
namespace upload {
struct Destination;
}
}  // namespace lumivex

namespace lumivex::ui {

class BackgroundPublish;
class EditTarget;
class ProjectDocument;
class PropertyBinder;
class TfrmPublishToServer;
class WidgetProgress;
struct Platform;

// File > Publish to Server: the destination asked (kept in the project's options), then the
// project published into a staging folder in the background and sent over SFTP behind a
// progress dialog.
class ServerUpload final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Platform& platform;
        TzqxAppletAgent& agent;
        ItemTree& publishTree;
        EditTarget& edits;
        ProjectDocument& document;
        PropertyBinder& binder;
        BackgroundPublish& publishing;
        WidgetProgress& progress;
    };
    // `scratchFolder` ends with "/".
    ServerUpload(const Parts& parts, const QString& scratchFolder, QWidget* window);
    void PublishToServer1Click();

private:
    // The destination's changed fields as one step of the project's history.
    void keepDestination(const TfrmPublishToServer& dialog);
    void send(const upload::Destination& destination, const QString& staging,
              const std::vector<std::string>& names);

    Parts parts_;
    QString scratch_;
    QWidget* window_;
};

}  // namespace lumivex::ui
