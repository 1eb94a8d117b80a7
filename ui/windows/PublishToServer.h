#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "Destination.h"

namespace Ui {
class TfrmPublishToServer;
}

namespace lumivex::ui {

class Dialogs;

// Where File > Publish to Server sends the slideshow: server, folder and user. The project keeps
// them in its options; no password is ever asked or kept here.
class TfrmPublishToServer : public QDialog {
    Q_OBJECT

public:
    explicit TfrmPublishToServer(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TfrmPublishToServer() override;

    void setFields(const QString& server, const QString& folder, const QString& user);
    QString server() const;
    QString folder() const;
    QString user() const;
    // What the fields name; valid once the dialog was accepted.
    const upload::Destination& destination() const { return destination_; }

    // Takes the fields only when they name a destination; otherwise says what is wrong and
    // stays open.
    void accept() override;

private:
    bool takeAddress(QString& problem);

    std::unique_ptr<::Ui::TfrmPublishToServer> ui_;
    Dialogs& dialogs_;
    upload::Destination destination_;
};

}  // namespace lumivex::ui
