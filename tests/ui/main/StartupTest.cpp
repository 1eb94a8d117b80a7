#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

#include "MainFormFixture.h"
#include "MainFormStartup.h"
#include "templet.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class StartupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandLineJoinsASplitPath();
    void templateChooserFollowsTheSetting();
    void failedCommandLineOpenIsReported_data();
    void failedCommandLineOpenIsReported();
    void fileTypeIsRegistered();
    void scratchFolderIsPrivateAndNew();
    void helpButtonsAndMenuPages();
};

void StartupTest::commandLineJoinsASplitPath() {
    QCOMPARE(CommandLine({"lumivex", "/tmp/My", "Shows/a.lvx"}),
             QStringLiteral("/tmp/My Shows/a.lvx"));
    QCOMPARE(CommandLine({"lumivex"}), QString());
    QCOMPARE(CommandLine({"lumivex", " ", ""}), QString());

    MainFormFixture f;
    const QString folder = FreshFolder("My Shows");
    QFile::copy(QStringLiteral(LUMIVEX_SOURCE_DIR "/share/samples/Sample.lvx"), folder + "a.lvx");
    const QString project = folder + "a.lvx";
    const int blank = project.indexOf(' ');
    StartWithCommandLine(*f.form, f.platform, f.folder,
                         {"lumivex", project.left(blank), project.mid(blank + 1)});
    QCOMPARE(f.form->document().fileName(), project);
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(!f.agent().Items.empty());
    QCOMPARE(ReadFile(f.folder + "recentfile.dat"), "&1 " + QFile::encodeName(project) + "\r\n");
    QVERIFY(!f.ui().PreviewWindow1->isVisible());
}

void StartupTest::templateChooserFollowsTheSetting() {
    MainFormFixture f;
    f.form->show();
    // Shown when the setting is missing; Escape there starts a new project.
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        shown =
            modal != nullptr ? QString::fromLatin1(modal->metaObject()->className()) : QString();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
    StartWithCommandLine(*f.form, f.platform, f.folder, {"lumivex"});
    QCOMPARE(shown, QStringLiteral("lumivex::ui::TfrmTemplet"));
    QVERIFY(QDir(f.folder + "templates").exists());

    // Not shown when turned off, nor when the settings cannot be read.
    for (bool failReads : {false, true}) {
        f.settings.values.insert(kSettingsKey + "/ShowTempletsDialog", 0);
        f.settings.failReads = failReads;
        shown.clear();
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        StartWithCommandLine(*f.form, f.platform, f.folder, {"lumivex"});
        QTest::qWait(10);
        QVERIFY2(shown.isEmpty(), qPrintable(shown));
    }
}

void StartupTest::failedCommandLineOpenIsReported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "at all.lvx" << QString::fromLocal8Bit(std::strerror(ENOENT));
    QTest::newRow("folder") << "a folder.lvx" << QString::fromLocal8Bit(std::strerror(EISDIR));
    QTest::newRow("pipe") << "a pipe.lvx"
                          << "not a regular file";
}

void StartupTest::failedCommandLineOpenIsReported() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    MainFormFixture f;
    const QString folder = FreshFolder("named");
    QVERIFY(QDir().mkdir(folder + "a folder.lvx"));
    QCOMPARE(::mkfifo(QFile::encodeName(folder + "a pipe.lvx").constData(), 0600), 0);
    const QString sample = QStringLiteral(LUMIVEX_SOURCE_DIR "/share/samples/Sample.lvx");
    f.form->OpenProjectFile(sample);
    const size_t items = f.agent().Items.size();
    QVERIFY(items > 0);
    f.dialogs.clear();

    const QString path = folder + name;
    StartWithCommandLine(*f.form, f.platform, f.folder, {"lumivex", path});
    QCOMPARE(f.dialogs.messages.size(), 1);
    const FakeDialogs::Message& told = f.dialogs.messages.first();
    QCOMPARE(told.kind, MessageKind::Warning);
    QCOMPARE(told.buttons, QList<MessageButton>{MessageButton::Ok});
    QVERIFY2(told.text.contains(path) && told.text.contains(reason), qPrintable(told.text));
    // The editor goes on with the project it had.
    QCOMPARE(f.form->document().fileName(), sample);
    QCOMPARE(f.agent().Items.size(), items);
    QVERIFY(!f.form->tree().updating());
}

void StartupTest::fileTypeIsRegistered() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QFile::remove(data + "/mime/packages/lumivex.xml");
    MainFormFixture f;
    // Once the window is up.
    QTRY_VERIFY(QFile::exists(data + "/mime/packages/lumivex.xml"));
    const QByteArray mime = ReadFile(data + "/mime/packages/lumivex.xml");
    QVERIFY(mime.contains("<mime-type type=\"application/x-lumivex-project\">"));
    QVERIFY(mime.contains("<comment>Lumivex.Document</comment>"));
    QVERIFY(mime.contains("<glob pattern=\"*.lvx\"/>"));
    const QByteArray entry = ReadFile(data + "/applications/lumivex.desktop");
    QVERIFY(
        entry.contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\" %f\n"));
    QVERIFY(entry.contains("\nMimeType=application/x-lumivex-project;\n"));
}

void StartupTest::scratchFolderIsPrivateAndNew() {
    // A folder planted under the name a process of this id would once have used.
    const QString temp = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString planted =
        QStringLiteral("%1/lumivex-%2").arg(temp).arg(QCoreApplication::applicationPid());
    QVERIFY(QDir().mkpath(planted));
    QString scratch;
    {
        MainFormFixture f;
        scratch = f.form->scratchFolder();
        QVERIFY(QDir(scratch).dirName().startsWith("lumivex-"));
        QCOMPARE(QFileInfo(QDir::cleanPath(scratch)).absolutePath(),
                 QFileInfo(planted).absolutePath());
        QVERIFY(QDir::cleanPath(scratch) != planted);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(scratch).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
        // Two windows never share one.
        MainFormFixture other;
        QVERIFY(other.form->scratchFolder() != scratch);
    }
    QVERIFY(!QFileInfo::exists(scratch));
    QVERIFY(QDir(planted).isEmpty());
    QDir(planted).removeRecursively();
}

void StartupTest::helpButtonsAndMenuPages() {
    MainFormFixture f;
    QFile::link(QStringLiteral(LUMIVEX_SOURCE_DIR "/share/help"), f.folder + "help");
    const std::pair<const char*, const char*> buttons[] = {
        {"SpeedButton5", "customizing_js_script_slide_info_slide_info_effects.htm"},
        {"SpeedButton12", "customizing_js_script_slide_info_slide_info_title.htm"},
        {"SpeedButton18", "customizing_js_script_slide_info_slide_info_description.htm"},
        {"SpeedButton28", "customizing_js_script_path_path.htm"},
        {"SpeedButton13", "customizing_js_script_web_output.htm"},
        {"SpeedButton14", "customizing_js_script_look.htm"},
        {"SpeedButton29", "customizing_js_item_focal_point.htm"},
        {"F1", "customizing_js_script_script_slideshow.htm"},  // the page in front's first
    };
    f.form->show();
    for (const auto& [name, page] : buttons) {
        if (QLatin1String(name) == QLatin1String("F1")) {
            f.form->help().frmHelp()->hide();
            f.form->activateWindow();
            f.tree()->setFocus();
            QTRY_VERIFY(f.tree()->hasFocus());
            QTest::keyClick(f.tree(), Qt::Key_F1);
        } else {
            f.form->findChild<QToolButton*>(QLatin1String(name))->click();
        }
        QVERIFY(f.form->help().frmHelp()->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(
            f.form->help().frmHelp()->WebBrowser1()->url().toString(QUrl::FullyEncoded),
            PropertyBinder::PathToFileUrl(f.folder + "help/" + page), 20000);
    }
    QCOMPARE(HelpCommands::HelpPageForTag(0), QStringLiteral("getting_started.htm"));
    QCOMPARE(HelpCommands::HelpPageForTag(16), QStringLiteral("getting_started.htm"));
    f.ui().Topic1->trigger();
    f.ui().tlbtnHelp->trigger();
    f.ui().ViewSample1->trigger();
    QCOMPARE(f.shell.opened,
             (QStringList{f.folder + "help/index.html", f.folder + "help/index.html",
                          f.folder + "samples/index.html"}));
    QVERIFY(f.form->help().frmHelp()->isVisible());
}

LUMIVEX_UI_TEST(StartupTest);
#include "StartupTest.moc"
