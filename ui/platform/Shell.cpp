#include "Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#include "ErrorReport.h"

namespace lumivex::ui {

void QtShell::open(const QString& pathOrUrl) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    const QUrl url =
        scheme.match(pathOrUrl).hasMatch() ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    // Without a browser or file handler the desktop starts nothing; the user must know why
    // nothing opened.
    if (!QDesktopServices::openUrl(url))
        ErrorReport::show(QCoreApplication::translate(
                              "Shell",
                              "No program could be started to show \"%1\". Set a default web "
                              "browser for your desktop, or open it yourself.")
                              .arg(pathOrUrl));
}

void QtShell::startProgram(const QString& program, const QString& argument) {
    if (program.trimmed().isEmpty())
        return;
    if (!QProcess::startDetached(program, {argument}))
        ErrorReport::show(
            QCoreApplication::translate("Shell", "\"%1\" could not be started to show \"%2\".")
                .arg(program, argument));
}

}  // namespace lumivex::ui
