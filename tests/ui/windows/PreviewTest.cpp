#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

#include "FakePlatform.h"
#include "Icons.h"
#include "Preview.h"
#include "PreviewUpdate.h"
#include "UiTestSupport.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

// Rebuilds as the main window does: only when armed and shown, disarming as it starts a load.
struct FakePreviewHost final : PreviewHost {
    void RefreshPreview() override {
        calls << QStringLiteral("refresh");
        if (!armed || window == nullptr || !window->isVisible())
            return;
        armed = false;
        ++loadsStarted;
        window->Navigate(page);
    }
    void SetPreviewRefreshArmed(bool value) override {
        calls << QStringLiteral("armed %1").arg(value);
        armed = value;
    }
    void ClearPreviewWindowMark() override { calls << QStringLiteral("clear mark"); }

    bool armed = true;
    TfrmPreview* window = nullptr;
    QString page;
    int loadsStarted = 0;
    QStringList calls;
};

void WritePage(const QString& program, const QByteArray& html) {
    QFile file(program + "page.html");
    file.open(QIODevice::WriteOnly);
    file.write(html);
}

QString ProgramFolderWithPage(const QByteArray& html = "<html><body>slides</body></html>") {
    const QString program = FreshFolder("program");
    WritePage(program, html);
    return program;
}

QToolButton* Button(TfrmPreview& preview, const char* name) {
    return preview.findChild<QToolButton*>(name);
}

}  // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void laidOutAsATopmostToolWindow() {
        FakePlatform fake;
        FakePreviewHost host;
        TfrmPreview preview(fake.platform, host, FreshFolder("program"));
        QCOMPARE(preview.windowTitle(), QStringLiteral("Preview"));
        QVERIFY(preview.windowFlags().testFlag(Qt::Tool));
        QVERIFY(preview.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(Button(preview, "spdbtnAutoReload")->isChecked());
        QCOMPARE(Button(preview, "spdbtnAutoReload")->toolTip(), QStringLiteral("Auto Refresh"));
        QCOMPARE(Button(preview, "spdbtnReload")->toolTip(), QStringLiteral("Refresh"));
        QVERIFY(Button(preview, "spdbtnHelp")->toolTip().isEmpty());
        for (const char* name : {"spdbtnAutoReload", "spdbtnReload", "spdbtnHelp"}) {
            QVERIFY(Button(preview, name)->isCheckable());
            QVERIFY(!Button(preview, name)->icon().isNull());
        }
        QCOMPARE(preview.Timer1()->interval(), 1000);
        QVERIFY(preview.Timer1()->isActive());
        QCOMPARE(preview.WebBrowser(), nullptr);  // no browser process at start-up
    }

    void timerFiresOnceWhileHidden() {
        FakePlatform fake;
        FakePreviewHost host;
        const QString program = FreshFolder("program");
        TfrmPreview preview(fake.platform, host, program);
        host.window = &preview;
        QVERIFY(WaitUntil([&] { return !host.calls.isEmpty(); }, 3000));
        QCOMPARE(host.calls, (QStringList{"armed 1", "refresh"}));
        QVERIFY(QDir(program + "preview").exists());
        QVERIFY(!preview.Timer1()->isActive());
        QCOMPARE(host.loadsStarted, 0);
        QTest::qWait(1200);
        QCOMPARE(host.calls.size(), 2);

        // Refresh recreates a preview folder that went away.
        QVERIFY(QDir(program + "preview").removeRecursively());
        Button(preview, "spdbtnReload")->click();
        QVERIFY(QDir(program + "preview").exists());
        QCOMPARE(host.calls.mid(2), (QStringList{"armed 1", "refresh"}));
    }

    void loadCompletionArmsAsAutoRefreshSays() {
        FakePlatform fake;
        FakePreviewHost host;
        const QString program = ProgramFolderWithPage();
        TfrmPreview preview(fake.platform, host, program);
        host.window = &preview;
        host.page = program + "page.html";
        preview.show();
        preview.Timer1()->stop();
        QWebEngineView* browser = preview.WebBrowser();
        QVERIFY(browser != nullptr);
        QSignalSpy loaded(browser, &QWebEngineView::loadFinished);

        // Refresh stays pressed until the page is in.
        Button(preview, "spdbtnReload")->click();
        QVERIFY(Button(preview, "spdbtnReload")->isChecked());
        QCOMPARE(host.loadsStarted, 1);
        // A second edit while loading starts nothing.
        host.RefreshPreview();
        QCOMPARE(host.loadsStarted, 1);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(browser->url(), QUrl::fromLocalFile(program + "page.html"));
        QVERIFY(!Button(preview, "spdbtnReload")->isChecked());
        QVERIFY(host.armed);
        // A page staged anew loads again; the same files only arm the next edit.
        WritePage(program, "<html><body>changed</body></html>");
        host.RefreshPreview();
        QCOMPARE(host.loadsStarted, 2);

        // Releasing Auto Refresh during a load: the load completes, then nothing re-arms.
        Button(preview, "spdbtnAutoReload")->click();
        QCOMPARE(host.calls.last(), QStringLiteral("armed 0"));
        QVERIFY(WaitUntil([&] { return loaded.size() == 2; }, 20000));
        QCOMPARE(host.calls.last(), QStringLiteral("armed 0"));
        host.RefreshPreview();
        QCOMPARE(host.loadsStarted, 2);

        // Pressing it again arms at once.
        Button(preview, "spdbtnAutoReload")->click();
        QVERIFY(host.armed);
    }

    // Which staged changes the loaded page takes in place: "" for nothing, "config" and
    // the style sheets' names for what it is given; "reload" when it must load again.
    void stagedChangesArePlanned_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");  // empty: the file is gone
        QTest::addColumn<bool>("slideHeld");
        QTest::addColumn<QString>("plan");
        QTest::newRow("unchanged") << "page.html" << QByteArray("page") << false << "";
        QTest::newRow("style sheet") << "S1.css" << QByteArray("b{}") << false << "S1.css";
        QTest::newRow("captions, slide held") << "S1cfg.js" << QByteArray("x") << true << "config";
        QTest::newRow("captions, running") << "S1cfg.js" << QByteArray("x") << false << "reload";
        QTest::newRow("not UTF-8") << "S1cfg.js" << QByteArray("\xff") << true << "reload";
        QTest::newRow("runtime") << "lumivex.js" << QByteArray("x") << true << "reload";
        QTest::newRow("page") << "page.html" << QByteArray("x") << true << "reload";
        QTest::newRow("picture") << "slider0.jpg" << QByteArray("x") << true << "reload";
        QTest::newRow("picture, same size")
            << "slider0.jpg" << QByteArray("pagf") << true << "reload";
        QTest::newRow("new file") << "slider1.jpg" << QByteArray("x") << true << "reload";
        QTest::newRow("file gone") << "S1.css" << QByteArray() << true << "reload";
    }
    void stagedChangesArePlanned() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, slideHeld);
        QFETCH(QString, plan);
        const QString folder = FreshFolder("staged");
        const auto write = [&](const QString& name, const QByteArray& content) {
            QFile out(folder + name);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        };
        for (const char* name : {"page.html", "lumivex.js", "S1cfg.js", "S1.css", "slider0.jpg"})
            write(name, "page");
        // Old enough for its digest to be kept, and read again only when written since.
        QFile picture(folder + "slider0.jpg");
        QVERIFY(picture.open(QIODevice::ReadWrite));
        QVERIFY(picture.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                    QFileDevice::FileModificationTime));
        picture.close();
        FileDigests digests;
        const StagedFiles shown = ReadStagedFiles(folder, &digests);
        if (bytes.isEmpty())
            QFile::remove(folder + file);
        else
            write(file, bytes);
        const std::optional<PageUpdate> update =
            PlanPageUpdate(shown, ReadStagedFiles(folder, &digests), slideHeld);
        const QString got = !update                           ? QStringLiteral("reload")
                            : !update->configScript.isEmpty() ? QStringLiteral("config")
                                                              : update->styleSheets.join(',');
        QCOMPARE(got, plan);
    }

    void showingRestartsTheTimer() {
        FakePlatform fake;
        FakePreviewHost host;
        const QString program = ProgramFolderWithPage();
        TfrmPreview preview(fake.platform, host, program);
        host.window = &preview;
        host.page = program + "page.html";
        preview.Timer1()->stop();
        host.armed = false;
        preview.show();
        QVERIFY(preview.Timer1()->isActive());
        QVERIFY(WaitUntil([&] { return host.loadsStarted == 1; }, 3000));
        QVERIFY(!preview.Timer1()->isActive());
    }

    void pageScriptsCannotHoldUpThePreview() {
        FakePlatform fake;
        FakePreviewHost host;
        const QString program = ProgramFolderWithPage(
            "<html><body onload=\"alert('a'); confirm('b'); prompt('c');"
            " document.title = 'done';\">x</body></html>");
        TfrmPreview preview(fake.platform, host, program);
        preview.show();
        preview.Timer1()->stop();
        // A box the browser put up would hold the load; note it and close it.
        bool boxShown = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                boxShown = true;
                box->close();
            }
        });
        watch.start(50);
        QSignalSpy loaded(preview.WebBrowser(), &QWebEngineView::loadFinished);
        preview.Navigate(program + "page.html");
        QVERIFY(loaded.wait(20000));
        QCOMPARE(preview.WebBrowser()->title(), QStringLiteral("done"));
        QVERIFY(!boxShown);
    }

    void browserFillsTheWindowAsLaidOut() {
        FakePlatform fake;
        FakePreviewHost host;
        TfrmPreview preview(fake.platform, host, FreshFolder("program"));
        preview.show();
        preview.Timer1()->stop();
        for (const QSize size : {QSize(580, 225), QSize(400, 300), QSize(900, 120)}) {
            preview.resize(size);
            QTRY_COMPARE(preview.size(), size);
            QCOMPARE(preview.WebBrowser()->geometry(),
                     QRect(-1, 25, size.width(), size.height() - 23));
            QCOMPARE(Button(preview, "spdbtnHelp")->geometry(),
                     QRect(size.width() - 26, 0, 23, 22));
        }
    }

    void helpOpensOutsideAndCloseHides() {
        FakePlatform fake;
        FakePreviewHost host;
        const QString program = FreshFolder("program");
        TfrmPreview preview(fake.platform, host, program);
        preview.show();
        preview.Timer1()->stop();
        Button(preview, "spdbtnHelp")->click();
        QCOMPARE(fake.shell.opened, QStringList{program + "help/index.html"});
        QVERIFY(!Button(preview, "spdbtnHelp")->isChecked());

        QWebEngineView* browser = preview.WebBrowser();
        QVERIFY(preview.close());
        QVERIFY(!preview.isVisible());
        QCOMPARE(host.calls.last(), QStringLiteral("clear mark"));
        preview.show();
        QCOMPARE(preview.WebBrowser(), browser);
    }
};

LUMIVEX_UI_TEST(PreviewTest);

#include "PreviewTest.moc"
