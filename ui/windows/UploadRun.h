#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <string>
#include <vector>

#include "Upload.h"

class QProgressDialog;
class QWidget;

namespace lumivex::ui {

class Dialogs;
class PasswordStore;

// Runs an upload on a worker thread behind a progress dialog (bytes, time left, Cancel). What
// the upload asks, an unknown host key or a password, is asked on the window's thread; a
// password typed here goes to the keyring once the server took it.
class UploadRun : public QObject, private upload::UploadObserver {
    Q_OBJECT
public:
    UploadRun(Dialogs& dialogs, PasswordStore& passwords, QWidget* parent);
    ~UploadRun() override;

    struct Outcome {
        bool done = false;
        bool cancelled = false;
        QString error;  // the server's or the system's reason, when not done
        upload::UploadResult result;
    };
    // Returns once the upload ended, by whatever way.
    Outcome run(const upload::Destination& destination, const QString& stagingFolder,
                const std::vector<std::string>& names, const upload::UploadOptions& options = {});

    // The text the result window shows, in the form of the publish report.
    static QString ReportText(const upload::Destination& destination,
                              const upload::UploadResult& result);

private:
    void stage(const std::string& text) override;
    void progress(std::uint64_t sent, std::uint64_t total) override;
    bool cancelled() override { return cancelled_.load(); }
    bool trustUnknownHostKey(const upload::HostKey& key) override;
    std::optional<std::string> password(const std::string& account, bool again) override;
    std::optional<std::string> passphrase(const std::string& prompt) override;
    void passwordAccepted(const std::string& account, const std::string& password) override;

    // Runs `ask` on the window's thread and waits for its answer.
    template <typename Ask>
    auto onWindowThread(Ask ask);
    void showProgress();

    Dialogs& dialogs_;
    PasswordStore& passwords_;
    QPointer<QWidget> parent_;
    QProgressDialog* dialog_ = nullptr;
    std::atomic<bool> cancelled_{false};
    // What the worker reports, shown by the window's thread.
    QString stage_;
    std::uint64_t sent_ = 0, total_ = 0;
    QElapsedTimer sending_;
    // The password offered last came from the keyring rather than the user.
    bool fromKeyring_ = false;
};

}  // namespace lumivex::ui
