#include "Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

namespace lumivex::ui {

void QtShell::open(const QString& pathOrUrl) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    const QUrl url =
        scheme.match(pathOrUrl).hasMatch() ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    QDesktopServices::openUrl(url);
}

void QtShell::startProgram(const QString& program, const QString& argument) {
    if (program.trimmed().isEmpty())
        return;
    QProcess::startDetached(program, {argument});
}

}  // namespace lumivex::ui
