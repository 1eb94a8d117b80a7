#include "RecoveryCopy.h"

#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "AppletAgent.h"
#include "BackgroundPublish.h"
#include "Dialogs.h"
#include "FileIO.h"
#include "ProjectDocument.h"

namespace lumivex::ui {

namespace {

constexpr int kIntervalMs = 30 * 1000;

std::string bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool running(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

RecoveryCopy::RecoveryCopy(ProjectDocument& document, TzqxAppletAgent& agent,
                           const BackgroundPublish& publishing, QString folder, QObject* parent)
    : QObject(parent),
      document_(document),
      agent_(agent),
      publishing_(publishing),
      folder_(std::move(folder)) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        try {
            write();
        } catch (const std::exception&) {
            // A copy that cannot be written now is tried again at the next turn; the user's
            // work is in the window all the same.
        }
    });
    timer_.start();
    connect(&document_, &ProjectDocument::modifiedChanged, this, [this](bool modified) {
        if (!modified)
            remove();
    });
}

RecoveryCopy::~RecoveryCopy() {
    // Only a clean end comes here: a crash or a kill leaves the copy for the next start.
    remove();
}

QString RecoveryCopy::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/lumivex/recovery/");
}

QString RecoveryCopy::copyPath(qint64 pid) const {
    return folder_ + QString::number(pid) + QStringLiteral(".lvx");
}

void RecoveryCopy::write() {
    if (!document_.isModified()) {
        remove();
        return;
    }
    // A publish reads the model meanwhile; the next turn writes the copy.
    if (publishing_.running())
        return;
    QDir().mkpath(folder_);
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const qint64 pid = QCoreApplication::applicationPid();
    WriteFileAtomically(bytes(copyPath(pid)), agent_.ProjectFileText());
    // Where the project belongs, so that a restore saves it there.
    WriteFileAtomically(bytes(folder_ + QString::number(pid) + QStringLiteral(".name")),
                        bytes(document_.fileName()));
}

void RecoveryCopy::remove() {
    const qint64 pid = QCoreApplication::applicationPid();
    QFile::remove(copyPath(pid));
    QFile::remove(folder_ + QString::number(pid) + QStringLiteral(".name"));
}

bool RecoveryCopy::offerLeftCopies(Dialogs& dialogs, QWidget* parent) {
    const QStringList copies = QDir(folder_).entryList({QStringLiteral("*.lvx")}, QDir::Files);
    for (const QString& name : copies) {
        bool ok = false;
        const qint64 pid = name.chopped(4).toLongLong(&ok);
        if (!ok || pid == QCoreApplication::applicationPid() || running(pid))
            continue;
        const QString nameFile = folder_ + QString::number(pid) + QStringLiteral(".name");
        const QString original = QFile::exists(nameFile)
                                     ? QFile::decodeName(QByteArray::fromStdString(
                                           ReadWholeFile(bytes(nameFile), 1 << 16)))
                                     : QString();
        const QString shown = original.isEmpty() ? tr("an untitled project") : original;
        const MessageButton answer =
            dialogs.message(parent, MessageKind::Confirmation,
                            tr("Lumivex ended without saving the changes to %1. Restore them?\n\n"
                               "Yes restores them, No discards them, Cancel keeps them for the "
                               "next start.")
                                .arg(shown),
                            {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
        if (answer == MessageButton::Cancel)
            continue;
        if (answer == MessageButton::Yes) {
            document_.restore(folder_ + name, original);
            // It is this process's copy now, written again at the next turn.
            write();
        }
        QFile::remove(folder_ + name);
        QFile::remove(nameFile);
        if (answer == MessageButton::Yes)
            return true;  // one project open at a time; the others wait for the next start
    }
    return false;
}

}  // namespace lumivex::ui
