// File > Publish to Server: the destination, kept in the project's options, then the project
// published into a staging folder and sent over SFTP behind a progress dialog.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUndoStack>

#include "EngineErrors.h"
#include "MainForm.h"
#include "PasswordStore.h"
#include "PublishReport.h"
#include "PublishToServer.h"
#include "Publisher.h"
#include "TextBytes.h"
#include "TreeWidgetItemTree.h"
#include "Upload.h"
#include "UploadRun.h"
#include "WidgetProgress.h"

namespace lumivex::ui {

void TMainForm::PublishToServer1Click() {
    storePanel();
    TfrmPublishToServer dialog(platform_.dialogs, this);
    const ProjectOptions& options = FAgent->Options;
    dialog.setFields(BytesToText(options.value(ProjectOptions::kUploadServer)),
                     BytesToText(options.value(ProjectOptions::kUploadFolder)),
                     BytesToText(options.value(ProjectOptions::kUploadUser)));
    if (dialog.exec() != QDialog::Accepted)
        return;

    // The destination is the project's: changed fields are one step of its history.
    const std::pair<std::string_view, QString> fields[] = {
        {ProjectOptions::kUploadServer, dialog.server()},
        {ProjectOptions::kUploadFolder, dialog.folder()},
        {ProjectOptions::kUploadUser, dialog.user()}};
    bool macro = false;
    for (const auto& [name, text] : fields) {
        const std::string value = TextToBytes(text);
        if (FAgent->Options.value(name) == value)
            continue;
        if (!macro)
            undoStack_->beginMacro(tr("Change Upload Destination"));
        macro = true;
        undoStack_->push(new SetOptionCommand(*this, std::string(name), value));
    }
    if (macro)
        undoStack_->endMacro();

    // The project's file name names the page and the project file on the server.
    if (CurrentFileName.isEmpty() && saveDocument() != SaveResult::Saved)
        return;
    QTemporaryDir staging(scratch_ + QStringLiteral("upload-XXXXXX"));
    if (!staging.isValid())
        throw EngineError("Cannot create a staging folder in " + pathBytes(scratch_) + ": " +
                          staging.errorString().toStdString());
    std::vector<std::string> names;
    try {
        publishInBackground([&] {
            names = upload::PublishForUpload(*FAgent, *agentTree_, pathBytes(staging.path() + '/'),
                                             pathBytes(QFileInfo(CurrentFileName).fileName()));
        });
    } catch (const PublishCancelledError& e) {
        progress_->setHint(e.what());
        return;
    }

    SecretServicePasswords passwords;
    UploadRun run(platform_.dialogs, passwords, this);
    const UploadRun::Outcome outcome = run.run(dialog.destination(), staging.path(), names);
    if (outcome.done) {
        TfrmPublishReport report(this);
        report.ShowReport(QStringLiteral("Upload Report"),
                          UploadRun::ReportText(dialog.destination(), outcome.result));
        report.exec();
    } else if (outcome.cancelled) {
        platform_.dialogs.message(this, MessageKind::Information,
                                  QStringLiteral("The upload was cancelled. The files on the "
                                                 "server are as they were."),
                                  {MessageButton::Ok});
    } else {
        platform_.dialogs.message(
            this, MessageKind::Error,
            QStringLiteral("The upload to %1 failed: %2")
                .arg(QString::fromStdString(dialog.destination().url()), outcome.error),
            {MessageButton::Ok});
    }
}

}  // namespace lumivex::ui
