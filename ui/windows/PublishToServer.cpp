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
    ui_->btnsPublishToServer->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Publish"));
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

void TfrmPublishToServer::accept() {
    QString problem;
    QWidget* field = ui_->edt_UploadServer;
    if (server().isEmpty()) {
        problem = QStringLiteral("Please enter the server to publish to.");
    } else if (folder().isEmpty()) {
        // The login folder itself is rarely the web folder; it must be named to be meant.
        problem = QStringLiteral(
            "Please enter the folder on the server (\"~\" for your login "
            "folder).");
        field = ui_->edt_UploadFolder;
    } else {
        try {
            destination_ = upload::MakeDestination(server().toStdString(), user().toStdString(),
                                                   folder().toStdString());
        } catch (const std::invalid_argument& e) {
            problem = QStringLiteral("The destination cannot be used: %1.")
                          .arg(QString::fromUtf8(e.what()));
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
