#include "FileTypeRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "FileIO.h"
#include "Shell.h"

namespace lumivex::ui {

namespace {

// The escapes of a desktop entry's string values; a leading blank would otherwise be dropped.
QString escapeStringValue(const QString& value) {
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == '\\')
            escaped += QLatin1String("\\\\");
        else if (c == '\n')
            escaped += QLatin1String("\\n");
        else if (c == '\t')
            escaped += QLatin1String("\\t");
        else if (c == '\r')
            escaped += QLatin1String("\\r");
        else if (c == ' ' && i == 0)
            escaped += QLatin1String("\\s");
        else
            escaped += c;
    }
    return escaped;
}

// One argument of an Exec line: double-quoted, with the characters that stay special inside
// the quotes escaped, and "%" doubled so it is not read as a field code.
QString execArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted.replace('%', QLatin1String("%%"));
}

QString execLine(const QString& program) {
    QStringList arguments{program};
    // GLib and KDE look for the Exec line's first word before they undo "%%", so a program whose
    // path holds a "%" would never be found: the shell starts it, taking the path as an argument.
    if (program.contains('%'))
        arguments = {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                     QStringLiteral("exec \"$0\" \"$@\""), program};
    QString line;
    for (const QString& argument : arguments)
        line += execArgument(argument) + ' ';
    return line + QStringLiteral("%f");
}

bool writeIfChanged(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return false;
    existing.close();
    try {
        WriteFileAtomically(QFile::encodeName(path).toStdString(), bytes.toStdString());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void runIfPresent(Shell& shell, const QString& tool, const QString& argument) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (!program.isEmpty())
        shell.startProgram(program, argument);
}

}  // namespace

QByteArray MimePackageText() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"application/x-lumivex-project\">\n"
           "    <comment>Lumivex.Document</comment>\n"
           "    <glob pattern=\"*.lvx\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

QByteArray DesktopEntryText(const QString& program) {
    // TryExec hides the entry once the program is gone.
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Lumivex\n"
               "Comment=Build image slideshows for web pages\n"
               "Comment[de]=Diashows für Webseiten bauen\n"
               "TryExec=%1\n"
               "Exec=%2\n"
               "Icon=lumivex\n"
               "Terminal=false\n"
               "Categories=Development;WebDevelopment;\n"
               "MimeType=application/x-lumivex-project;\n")
        .arg(escapeStringValue(program), escapeStringValue(execLine(program)))
        .toUtf8();
}

void RegisterFileType(Shell& shell, const QString& program) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return;
    if (writeIfChanged(data + QStringLiteral("/mime/packages/lumivex.xml"), MimePackageText()))
        runIfPresent(shell, QStringLiteral("update-mime-database"), data + QStringLiteral("/mime"));
    if (writeIfChanged(data + QStringLiteral("/applications/lumivex.desktop"),
                       DesktopEntryText(program)))
        runIfPresent(shell, QStringLiteral("update-desktop-database"),
                     data + QStringLiteral("/applications"));
}

}  // namespace lumivex::ui
