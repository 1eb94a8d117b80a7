#include "PublishToServer.h"

#include <QPushButton>
#include <stdexcept>

#include "Dialogs.h"
#include "WindowSupport.h"
#include "ui_PublishToServer.h"

namespace lumivex::ui {

TfrmPublishToServer::TfrmPublishToServer(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<::Ui::TfrmPublishToServer>()), dialogs_(dialogs) {
    ui_->setupUi(this);
    setWindowFlags(kDialogFrame);
    ui_->btnsPublishToServer->button(QDialogButtonBox::Ok)->setText(tr("&Publish"));
    FixSizeAtLeast(this, size());
}

TfrmPublishToServer::~TfrmPublishToServer() = default;

void TfrmPublishToServer::setFields(const QString& server, const QString& folder,
                                    const QString& user) {
    ui_->edt_UploadServer->setText(server);
    ui_->edt_UploadFolder->setText(folder);
    ui_->edt_UploadUser->setText(user);
}

QString TfrmPublishToServer::server() const {
    return ui_->edt_UploadServer->text().trimmed();
}
QString TfrmPublishToServer::folder() const {
    return ui_->edt_UploadFolder->text().trimmed();
}
QString TfrmPublishToServer::user() const {
    return ui_->edt_UploadUser->text().trimmed();
}

// An address pasted into the server field is read as the command-line tool reads it, so a bad
// one gets the same message; a good one is spread over the fields.
bool TfrmPublishToServer::takeAddress(QString& problem) {
    upload::Destination d;
    try {
        d = upload::ParseDestination(server().toStdString());
    } catch (const std::invalid_argument& e) {
        problem = tr("The destination cannot be used: %1.").arg(QString::fromUtf8(e.what()));
        return false;
    }
    QString host = QString::fromStdString(d.host);
    if (host.contains(':'))
        host = '[' + host + ']';
    if (d.port != 0)
        host += ':' + QString::number(d.port);
    const QString folder = QString::fromStdString(d.folder);
    setFields(host,
              folder.startsWith('/') ? folder
              : folder.isEmpty()     ? QStringLiteral("~")
                                     : QStringLiteral("~/") + folder,
              d.user.empty() ? user() : QString::fromStdString(d.user));
    return true;
}

void TfrmPublishToServer::accept() {
    QString problem;
    QWidget* field = ui_->edt_UploadServer;
    const bool address = server().contains(QStringLiteral("://"));
    if (address && !takeAddress(problem)) {
        ui_->edt_UploadServer->selectAll();
    } else if (server().isEmpty()) {
        problem = tr("Please enter the server to publish to.");
    } else if (folder().isEmpty()) {
        // The login folder itself is rarely the web folder; it must be named to be meant.
        problem =
            tr("Please enter the folder on the server (\"~\" for your login "
               "folder).");
        field = ui_->edt_UploadFolder;
    } else {
        try {
            destination_ = upload::MakeDestination(server().toStdString(), user().toStdString(),
                                                   folder().toStdString());
        } catch (const std::invalid_argument& e) {
            problem = tr("The destination cannot be used: %1.").arg(QString::fromUtf8(e.what()));
        }
    }
    if (!problem.isEmpty()) {
        dialogs_.message(this, MessageKind::Error, problem, {MessageButton::Ok});
        field->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace lumivex::ui
