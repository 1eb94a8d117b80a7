#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "Doubles.h"
#include "FileTypeRegistration.h"
#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class FileTypeRegistrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entryHandsAnyProjectPathToAnyProgram_data();
    void entryHandsAnyProjectPathToAnyProgram();
    void cachesAreRefreshedThroughTheShellWhenChanged();
};

void FileTypeRegistrationTest::entryHandsAnyProjectPathToAnyProgram_data() {
    QTest::addColumn<QString>("programFolder");
    QTest::newRow("percent") << QStringLiteral("My Prog 100%");
    QTest::newRow("backslash") << QStringLiteral("back\\slash \\n");
    QTest::newRow("shell characters") << QStringLiteral("it's \"$HOME\" `x` %f;&");
}

void FileTypeRegistrationTest::entryHandsAnyProjectPathToAnyProgram() {
    QFETCH(QString, programFolder);
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        QSKIP("gio (Debian package libglib2.0-bin) is not installed: the entry cannot be launched");
    const QString base = FreshFolder(QStringLiteral("launch"));
    const QString folder = base + programFolder + '/';
    QVERIFY(QDir().mkpath(folder));
    // A stand-in for the editor: it writes the arguments it received, each ended by a NUL.
    const QString program = folder + QStringLiteral("fake lumivex");
    WriteFile(program,
              "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"${0%/*}/args.part\" && "
              "mv \"${0%/*}/args.part\" \"${0%/*}/args\"\n");
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString entry = base + QStringLiteral("lumivex.desktop");
    WriteFile(entry, DesktopEntryText(program));
    const QString project = base + QStringLiteral("my 'show' \"one\" 100% $HOME.lvx");
    WriteFile(project, "");

    QProcess launch;
    launch.start(gio, {QStringLiteral("launch"), entry, project});
    QVERIFY(launch.waitForFinished(20000));
    QVERIFY2(launch.exitStatus() == QProcess::NormalExit && launch.exitCode() == 0,
             launch.readAllStandardError().constData());
    QVERIFY(WaitUntil([&] { return QFile::exists(folder + "args"); }, 20000));
    QCOMPARE(ReadFile(folder + "args"), QFile::encodeName(project) + '\0');
}

void FileTypeRegistrationTest::cachesAreRefreshedThroughTheShellWhenChanged() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QFile::remove(data + "/mime/packages/lumivex.xml");
    QFile::remove(data + "/applications/lumivex.desktop");
    FakeShell shell;
    RegisterFileType(shell, QStringLiteral("/opt/lumivex/lumivex"));
    QCOMPARE(ReadFile(data + "/mime/packages/lumivex.xml"), MimePackageText());
    QCOMPARE(ReadFile(data + "/applications/lumivex.desktop"),
             DesktopEntryText(QStringLiteral("/opt/lumivex/lumivex")));
    QList<QPair<QString, QString>> expected;
    for (const auto& [tool, folder] : {std::pair{"update-mime-database", "/mime"},
                                       std::pair{"update-desktop-database", "/applications"}}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(tool));
        if (!path.isEmpty())
            expected.append({path, data + QLatin1String(folder)});
    }
    QCOMPARE(shell.started, expected);
    // Unchanged files start nothing.
    shell.started.clear();
    RegisterFileType(shell, QStringLiteral("/opt/lumivex/lumivex"));
    QVERIFY(shell.started.isEmpty());
}

LUMIVEX_UI_TEST(FileTypeRegistrationTest);
#include "FileTypeRegistrationTest.moc"
