#include "ServerUpload.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUndoStack>

#include "BackgroundPublish.h"
#include "EditCommands.h"
#include "EngineErrors.h"
#include "PasswordStore.h"
#include "Platform.h"
#include "ProjectDocument.h"
#include "PropertyBinder.h"
#include "PublishReport.h"
#include "PublishToServer.h"
#include "TextBytes.h"
#include "Upload.h"
#include "UploadRun.h"
#include "WidgetProgress.h"

namespace lumivex::ui {

namespace {
std::string pathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
}  // namespace

ServerUpload::ServerUpload(const Parts& parts, const QString& scratchFolder, QWidget* window)
    : QObject(window), parts_(parts), scratch_(scratchFolder), window_(window) {}

void ServerUpload::PublishToServer1Click() {
    parts_.binder.storePanel();
    TfrmPublishToServer dialog(parts_.platform.dialogs, window_);
    const ProjectOptions& options = parts_.agent.Options;
    dialog.setFields(BytesToText(options.value(ProjectOptions::kUploadServer)),
                     BytesToText(options.value(ProjectOptions::kUploadFolder)),
                     BytesToText(options.value(ProjectOptions::kUploadUser)));
    if (dialog.exec() != QDialog::Accepted)
        return;
    keepDestination(dialog);
    // The project's file name names the page and the project file on the server.
    ProjectDocument& document = parts_.document;
    if (document.fileName().isEmpty() && document.save() != ProjectDocument::SaveResult::Saved)
        return;
    QTemporaryDir staging(scratch_ + QStringLiteral("upload-XXXXXX"));
    if (!staging.isValid())
        throw EngineError(tr("Cannot create a staging folder in %1: %2")
                              .arg(scratch_, staging.errorString())
                              .toStdString());
    std::vector<std::string> names;
    try {
        parts_.publishing.run([&] {
            names = upload::PublishForUpload(parts_.agent, parts_.publishTree,
                                             pathBytes(staging.path() + '/'),
                                             pathBytes(QFileInfo(document.fileName()).fileName()));
        });
    } catch (const PublishCancelledError& e) {
        parts_.progress.setHint(e.what());
        return;
    }
    send(dialog.destination(), staging.path(), names);
}

void ServerUpload::keepDestination(const TfrmPublishToServer& dialog) {
    const std::pair<std::string_view, QString> fields[] = {
        {ProjectOptions::kUploadServer, dialog.server()},
        {ProjectOptions::kUploadFolder, dialog.folder()},
        {ProjectOptions::kUploadUser, dialog.user()}};
    QUndoStack& history = parts_.document.history();
    bool macro = false;
    for (const auto& [name, text] : fields) {
        const std::string value = TextToBytes(text);
        if (parts_.agent.Options.value(name) == value)
            continue;
        if (!macro)
            history.beginMacro(tr("Change Upload Destination"));
        macro = true;
        history.push(new SetOptionCommand(parts_.edits, std::string(name), value));
    }
    if (macro)
        history.endMacro();
}

void ServerUpload::send(const upload::Destination& destination, const QString& staging,
                        const std::vector<std::string>& names) {
    SecretServicePasswords passwords;
    UploadRun run(parts_.platform.dialogs, passwords, window_);
    const UploadRun::Outcome outcome = run.run(destination, staging, names);
    Dialogs& dialogs = parts_.platform.dialogs;
    if (outcome.done) {
        TfrmPublishReport report(window_);
        report.ShowReport(tr("Upload Report"), UploadRun::ReportText(destination, outcome.result));
        report.exec();
    } else if (outcome.cancelled) {
        dialogs.message(window_, MessageKind::Information,
                        tr("The upload was cancelled. The files on the "
                           "server are as they were."),
                        {MessageButton::Ok});
    } else {
        dialogs.message(window_, MessageKind::Error,
                        tr("The upload to %1 failed: %2")
                            .arg(QString::fromStdString(destination.url()), outcome.error),
                        {MessageButton::Ok});
    }
}

}  // namespace lumivex::ui
