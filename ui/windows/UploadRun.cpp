#include "UploadRun.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProgressDialog>
#include <QThread>
#include <memory>

#include "Dialogs.h"
#include "PasswordStore.h"

namespace lumivex::ui {

namespace {

QString Text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Size(std::uint64_t bytes) {
    if (bytes < 1024 * 1024)
        return QCoreApplication::translate("lumivex::ui::UploadRun", "%1 KB")
            .arg(static_cast<double>(bytes) / 1024, 0, 'f', 1);
    return QCoreApplication::translate("lumivex::ui::UploadRun", "%1 MB")
        .arg(static_cast<double>(bytes) / (1024 * 1024), 0, 'f', 1);
}

}  // namespace

UploadRun::UploadRun(Dialogs& dialogs, PasswordStore& passwords, QWidget* parent)
    : QObject(parent), dialogs_(dialogs), passwords_(passwords), parent_(parent) {}

UploadRun::~UploadRun() = default;

template <typename Ask>
auto UploadRun::onWindowThread(Ask ask) {
    decltype(ask()) answer{};
    QMetaObject::invokeMethod(
        this, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
    return answer;
}

UploadRun::Outcome UploadRun::run(const upload::Destination& destination,
                                  const QString& stagingFolder,
                                  const std::vector<std::string>& names,
                                  const upload::UploadOptions& options) {
    QProgressDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("prgrsUpload"));
    dialog.setWindowTitle(tr("Publish to Server"));
    dialog.setLabelText(tr("Publishing to %1 ...").arg(Text(destination.url())));
    dialog.setRange(0, 1000);
    dialog.setMinimumDuration(0);
    dialog.setMinimumWidth(460);
    dialog.setWindowModality(Qt::WindowModal);
    // The dialog stays while the upload takes its temporary files away.
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog_ = &dialog;
    connect(&dialog, &QProgressDialog::canceled, this, [this, &dialog] {
        cancelled_ = true;
        dialog.setLabelText(tr("Cancelling; the files on the server stay as they were ..."));
        dialog.show();
    });
    dialog.show();

    Outcome outcome;
    const std::string folder = QFile::encodeName(stagingFolder).toStdString();
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            outcome.result = upload::UploadFolder(destination, folder, names, options, *this);
            outcome.done = true;
        } catch (const upload::UploadError& e) {
            outcome.cancelled = e.kind() == upload::FailureKind::Cancelled;
            outcome.error = QString::fromLocal8Bit(e.what());
        } catch (const std::exception& e) {
            outcome.error = QString::fromLocal8Bit(e.what());
        }
    }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    dialog_ = nullptr;
    return outcome;
}

void UploadRun::stage(const std::string& text) {
    QMetaObject::invokeMethod(this, [this, text = Text(text)] {
        stage_ = text;
        showProgress();
    });
}

void UploadRun::progress(std::uint64_t sent, std::uint64_t total) {
    QMetaObject::invokeMethod(this, [this, sent, total] {
        if (!sending_.isValid())
            sending_.start();
        sent_ = sent;
        total_ = total;
        showProgress();
    });
}

void UploadRun::showProgress() {
    if (dialog_ == nullptr || cancelled_)
        return;
    QString label = stage_;
    if (total_ > 0) {
        label += tr("\n%1 of %2").arg(Size(sent_), Size(total_));
        const qint64 elapsed = sending_.elapsed();
        if (sent_ > 0 && elapsed > 1000) {
            const auto left = static_cast<qint64>(static_cast<double>(elapsed) *
                                                  static_cast<double>(total_ - sent_) /
                                                  static_cast<double>(sent_) / 1000);
            label += tr(", about %1 s left").arg(left + 1);
        }
        dialog_->setValue(static_cast<int>(sent_ * 1000 / total_));
    }
    dialog_->setLabelText(label);
}

bool UploadRun::trustUnknownHostKey(const upload::HostKey& key) {
    return onWindowThread([&] {
        const QString text = tr("The server %1 is not known yet. It shows the %2 key\n\n%3\n\n"
                                "Check this fingerprint with the server's administrator. Trust the "
                                "key and add it to ~/.ssh/known_hosts?")
                                 .arg(Text(key.server), Text(key.type), Text(key.fingerprint));
        // Not trusting is the default: a Return typed by habit trusts nothing.
        return dialogs_.message(parent_, MessageKind::Warning, text,
                                {MessageButton::No, MessageButton::Yes}) == MessageButton::Yes;
    });
}

std::optional<std::string> UploadRun::password(const std::string& account, bool again) {
    const QString who = Text(account);
    if (again && fromKeyring_)
        passwords_.forget(who);
    if (!again) {
        if (const std::optional<QString> kept = passwords_.find(who)) {
            fromKeyring_ = true;
            return kept->toStdString();
        }
    }
    fromKeyring_ = false;
    const std::optional<QString> typed = onWindowThread([&] {
        return dialogs_.askSecret(parent_, again ? tr("The server refused the "
                                                      "password. Password for %1:")
                                                       .arg(who)
                                                 : tr("Password for %1:").arg(who));
    });
    if (!typed)
        return std::nullopt;
    return typed->toStdString();
}

std::optional<std::string> UploadRun::passphrase(const std::string& prompt) {
    const std::optional<QString> typed =
        onWindowThread([&] { return dialogs_.askSecret(parent_, Text(prompt)); });
    if (!typed)
        return std::nullopt;
    return typed->toStdString();
}

void UploadRun::passwordAccepted(const std::string& account, const std::string& password) {
    if (!fromKeyring_)
        passwords_.store(Text(account), Text(password));
}

QString UploadRun::ReportText(const upload::Destination& destination,
                              const upload::UploadResult& result) {
    const QString rule(77, '=');
    QStringList lines{
        rule, tr("Published to %1").arg(Text(destination.url())), rule, QString(),
        tr("[Sent]: %1 file(s), %2").arg(result.sent.size()).arg(Size(result.bytesSent))};
    for (const std::string& name : result.sent)
        lines << QStringLiteral("  ") + Text(name);
    lines << QString()
          << tr("[Removed]: %1 file(s) of an earlier upload").arg(result.removed.size());
    for (const std::string& name : result.removed)
        lines << QStringLiteral("  ") + Text(name);
    lines << QString() << tr("[Unchanged]: %1 file(s) already on the server").arg(result.unchanged)
          << QString() << rule << tr("End of Upload Report") << rule;
    return lines.join('\n') + '\n';
}

}  // namespace lumivex::ui
