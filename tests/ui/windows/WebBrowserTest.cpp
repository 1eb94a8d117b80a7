#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include "FakePlatform.h"
#include "UiTestSupport.h"
#include "WebBrowser.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

const QString kPage = QStringLiteral("/srv/my site/preview/~preview.html");

QString MakeProgram(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}

// Two browsers found on the desktop, one listed there whose program is gone.
InstalledBrowsers TwoBrowsers(const QString& folder) {
    return [folder] {
        return QList<TWebBrowserNamePath>{
            {QStringLiteral("Alpha"), MakeProgram(folder + "alpha")},
            {QStringLiteral("Gone"), folder + "gone"},
            {QStringLiteral("Beta"), MakeProgram(folder + "beta")},
        };
    };
}

InstalledBrowsers NoBrowsers() {
    return [] { return QList<TWebBrowserNamePath>{}; };
}

struct Controls {
    explicit Controls(TformWebBrowser& d)
        : defaultBrowser(d.findChild<QRadioButton*>("RadioButtonBrowserDefault")),
          known(d.findChild<QRadioButton*>("RadioButtonBrowserKnownInSystem")),
          specified(d.findChild<QRadioButton*>("RadioButtonBrowserUserSpecify")),
          list(d.findChild<QComboBox*>("ComboBoxBrowserList")),
          path(d.findChild<QLineEdit*>("editSpecifiedBrowserFileName")),
          ok(d.findChild<QPushButton*>("bitbtnOk")),
          cancel(d.findChild<QPushButton*>("bitbtnCancel")) {}
    QRadioButton* defaultBrowser;
    QRadioButton* known;
    QRadioButton* specified;
    QComboBox* list;
    QLineEdit* path;
    QPushButton* ok;
    QPushButton* cancel;
};

void Store(MemorySettingsStore& store, bool useDefault, bool useKnown, bool useSpecified,
           QVariant number, const QString& path) {
    store.write(kWebBrowsersKey, "UseDefaultBrowser", useDefault ? 1 : 0);
    store.write(kWebBrowsersKey, "UseKnownBrowser", useKnown ? 1 : 0);
    store.write(kWebBrowsersKey, "UseSpecifiedBrowser", useSpecified ? 1 : 0);
    store.write(kWebBrowsersKey, "SelectedBrowserNumber", number);
    store.write(kWebBrowsersKey, "SpecifiedBrowserExePath", path);
}

}  // namespace

class WebBrowserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstUseOpensTheDefaultBrowser() {
        FakePlatform fake;
        TformWebBrowser dialog(fake.platform, nullptr, NoBrowsers());
        Controls c(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Web Browser"));
        QVERIFY(c.defaultBrowser->isChecked());
        QCOMPARE(c.list->currentIndex(), -1);
        QVERIFY(c.path->text().isEmpty());
        dialog.OpenInBrowser("/srv/my site/preview/", "~preview.html");
        QCOMPARE(fake.shell.opened, QStringList{kPage});
        QVERIFY(fake.shell.started.isEmpty());
    }

    void detectionReadsTheRecordsThenTheDesktop() {
        FakePlatform fake;
        const QString folder = FreshFolder("detect");
        auto& records = fake.settings.systemRecords;
        records
            ["machine:"
             R"(SOFTWARE\Microsoft\windows\CurrentVersion\App Paths\IEXPLORE.EXE)"
             ":"] = MakeProgram(folder + "ie/iexplore");
        records
            ["user:"
             R"(SOFTWARE\Netscape\Netscape Navigator\Main)"
             ":Install Directory"] = folder + "nav3";
        MakeProgram(folder + "nav3/Program/Netscape.exe");
        records
            ["machine:"
             R"(SOFTWARE\Netscape\Netscape Navigator)"
             ":CurrentVersion"] = "4.7";
        records
            ["machine:"
             R"(SOFTWARE\Netscape\Netscape Navigator\4.7\Main)"
             ":Install Directory"] = folder + "missing";
        records
            ["machine:"
             R"(SOFTWARE\Netscape\Netscape 6)"
             ":CurrentVersion"] = "6.2";
        records
            ["machine:"
             R"(SOFTWARE\Netscape\Netscape 6\6.2\Main)"
             ":Install Directory"] = folder + "ns6";
        MakeProgram(folder + "ns6/netscp6.exe");

        TformWebBrowser dialog(fake.platform, nullptr, TwoBrowsers(folder));
        QStringList names;
        for (const TWebBrowserNamePath& b : dialog.KnownBrowsers)
            names << b.Name;
        QCOMPARE(names, (QStringList{"Internet Explorer", "Netscape Navigator 3", "Netscape 6.2",
                                     "Alpha", "Beta"}));
        QCOMPARE(dialog.KnownBrowsers[2].Path, folder + "ns6/netscp6.exe");
        QCOMPARE(Controls(dialog).list->count(), 5);
        QCOMPARE(Controls(dialog).list->itemText(4), QStringLiteral("Beta"));
        // Only the third browser's first record is the user's own.
        QCOMPARE(fake.settings.systemReads.filter("user:").size(), 1);
        QVERIFY(fake.settings.systemReads.at(1).startsWith("user:"));
    }

    void desktopBrowsersNeedTheirProgram() {
        // Two entries in the test's own data folder, written before anything asks the registry,
        // and no MIME cache beside them, as on a desktop without desktop-file-utils.
        const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + "/applications/";
        QDir().mkpath(applications);
        const auto entry = [&](const QString& file, const QString& name, const QString& exec) {
            QFile f(applications + file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %u\n"
                                   "MimeType=x-scheme-handler/http;\n")
                        .arg(name, exec)
                        .toUtf8());
        };
        entry("lumivex-test-present.desktop", "Lumivex Present Browser", "sh");
        entry("lumivex-test-absent.desktop", "Lumivex Absent Browser", "lumivex-no-such-browser");

        const QList<TWebBrowserNamePath> found = InstalledBrowsersFromDesktop();
        const auto named = [&](const QString& name) {
            for (const TWebBrowserNamePath& b : found)
                if (b.Name == name)
                    return b.Path;
            return QString();
        };
        QCOMPARE(named("Lumivex Present Browser"), QStandardPaths::findExecutable("sh"));
        QVERIFY(named("Lumivex Absent Browser").isEmpty());
    }

    void okWritesTheChoiceAndTheNextUseReadsIt() {
        FakePlatform fake;
        const QString folder = FreshFolder("ok");
        {
            TformWebBrowser dialog(fake.platform, nullptr, TwoBrowsers(folder));
            Controls c(dialog);
            // Choosing from the list selects its mode by itself.
            c.list->setCurrentIndex(1);
            Q_EMIT c.list->activated(1);
            QVERIFY(c.known->isChecked());
            c.path->setText("/opt/other browser/run");
            c.ok->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        const auto value = [&](const char* name) {
            return fake.settings.values.value(kWebBrowsersKey + '/' + name);
        };
        QCOMPARE(value("UseDefaultBrowser").toInt(), 0);
        QCOMPARE(value("UseKnownBrowser").toInt(), 1);
        QCOMPARE(value("UseSpecifiedBrowser").toInt(), 0);
        QCOMPARE(value("SelectedBrowserNumber").toInt(), 1);
        QCOMPARE(value("SpecifiedBrowserExePath").toString(),
                 QStringLiteral("/opt/other browser/run"));

        TformWebBrowser next(fake.platform, nullptr, TwoBrowsers(folder));
        Controls c(next);
        QVERIFY(c.known->isChecked() && !c.defaultBrowser->isChecked());
        QCOMPARE(c.list->currentIndex(), 1);
        QCOMPARE(c.path->text(), QStringLiteral("/opt/other browser/run"));
        next.OpenInBrowser("/srv/my site/preview/", "~preview.html");
        QCOMPARE(fake.shell.started, (QList<QPair<QString, QString>>{{folder + "beta", kPage}}));
        QVERIFY(fake.shell.opened.isEmpty());
    }

    void cancelAndEscapeWriteNothing() {
        FakePlatform fake;
        Store(fake.settings, true, false, false, -1, "");
        const auto before = fake.settings.values;
        const QString folder = FreshFolder("cancel");
        for (bool escape : {false, true}) {
            TformWebBrowser dialog(fake.platform, nullptr, TwoBrowsers(folder));
            Controls c(dialog);
            dialog.show();
            c.specified->click();
            c.path->setText("/usr/bin/changed");
            if (escape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                c.cancel->click();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(!dialog.isVisible());
            QCOMPARE(fake.settings.values, before);
        }
    }

    void storedNumberOutsideTheList() {
        FakePlatform fake;
        const QString folder = FreshFolder("beyond");
        Store(fake.settings, false, true, false, 1, "");
        TformWebBrowser inside(fake.platform, nullptr, TwoBrowsers(folder));
        QCOMPARE(Controls(inside).list->currentIndex(), 1);
        Store(fake.settings, false, true, false, 2, "");
        TformWebBrowser beyond(fake.platform, nullptr, TwoBrowsers(folder));
        QCOMPARE(Controls(beyond).list->currentIndex(), 0);
        TformWebBrowser empty(fake.platform, nullptr, NoBrowsers());
        QCOMPARE(Controls(empty).list->currentIndex(), -1);
        Store(fake.settings, false, true, false, -3, "");
        TformWebBrowser negative(fake.platform, nullptr, TwoBrowsers(folder));
        QCOMPARE(Controls(negative).list->currentIndex(), -1);
    }

    void knownBrowserWithEmptyListFallsBackToDefault() {
        FakePlatform fake;
        TformWebBrowser dialog(fake.platform, nullptr, NoBrowsers());
        Controls c(dialog);
        c.specified->click();
        c.known->click();
        QVERIFY(c.defaultBrowser->isChecked());
        QVERIFY(!c.known->isChecked());
    }

    void launchInEachMode() {
        FakePlatform fake;
        const QString folder = FreshFolder("modes");
        // A user's program, the page passed whole even with blanks in it.
        Store(fake.settings, false, false, true, -1, "/opt/my browser/run");
        TformWebBrowser(fake.platform, nullptr, TwoBrowsers(folder))
            .OpenInBrowser("/srv/my site/preview/", "~preview.html");
        QCOMPARE(fake.shell.started,
                 (QList<QPair<QString, QString>>{{"/opt/my browser/run", kPage}}));

        // A known browser stored, but none selected any more: the default browser serves.
        fake.shell.started.clear();
        Store(fake.settings, false, true, false, -1, "");
        TformWebBrowser(fake.platform, nullptr, NoBrowsers())
            .OpenInBrowser("/srv/my site/preview/", "~preview.html");
        QCOMPARE(fake.shell.opened, QStringList{kPage});
        QVERIFY(fake.shell.started.isEmpty());

        // No mode at all (all three stored as false): the default browser too.
        fake.shell.opened.clear();
        Store(fake.settings, false, false, false, 0, "");
        TformWebBrowser none(fake.platform, nullptr, TwoBrowsers(folder));
        Controls c(none);
        QVERIFY(!c.defaultBrowser->isChecked() && !c.known->isChecked() &&
                !c.specified->isChecked());
        none.OpenInBrowser("/srv/my site/preview/", "~preview.html");
        QCOMPARE(fake.shell.opened, QStringList{kPage});
    }

    void unreadableValueEndsTheLoading() {
        FakePlatform fake;
        Store(fake.settings, false, true, false, 1, "/opt/kept");
        fake.settings.values[kWebBrowsersKey + "/UseKnownBrowser"] = "yes";
        TformWebBrowser dialog(fake.platform, nullptr, TwoBrowsers(FreshFolder("bad")));
        Controls c(dialog);
        QVERIFY(!c.defaultBrowser->isChecked());  // read before the bad value
        QVERIFY(!c.known->isChecked());
        QCOMPARE(c.list->currentIndex(), -1);
        QVERIFY(c.path->text().isEmpty());

        fake.settings.failReads = true;
        TformWebBrowser unreadable(fake.platform, nullptr, NoBrowsers());
        QVERIFY(Controls(unreadable).defaultBrowser->isChecked());
    }

    void pickingAProgramKeepsTheMode() {
        FakePlatform fake;
        fake.dialogs.fileAnswers << QStringLiteral("/usr/bin/some-browser");
        TformWebBrowser dialog(fake.platform, nullptr, NoBrowsers());
        Controls c(dialog);
        dialog.findChild<QToolButton*>("spdbtnOpenExeFile")->click();
        QCOMPARE(c.path->text(), QStringLiteral("/usr/bin/some-browser"));
        QVERIFY(c.defaultBrowser->isChecked());
        QCOMPARE(fake.dialogs.files.size(), 1);
        QCOMPARE(QtFileFilter(fake.dialogs.files[0].filter), QStringLiteral("All Files (*)"));
        // A cancelled picker leaves the path alone.
        dialog.findChild<QToolButton*>("spdbtnOpenExeFile")->click();
        QCOMPARE(c.path->text(), QStringLiteral("/usr/bin/some-browser"));
    }

    void failedWritesStillClose() {
        FakePlatform fake;
        fake.settings.failWrites = true;
        TformWebBrowser dialog(fake.platform, nullptr, NoBrowsers());
        Controls(dialog).ok->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(fake.settings.values.isEmpty());
    }
};

LUMIVEX_UI_TEST(WebBrowserTest);

#include "WebBrowserTest.moc"
