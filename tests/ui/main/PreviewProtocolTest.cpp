#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

#include "MainFormFixture.h"
#include "Preview.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class PreviewProtocolTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hiddenPreviewLoadsNothing();
    void shownPreviewRebuildsAndReloads();
    void unwritableProgramFolderStillStarts();
};

void PreviewProtocolTest::hiddenPreviewLoadsNothing() {
    MainFormFixture f;
    f.insert(f.root(), "One");
    f.ui().edt_IToolTip->setText("edit");
    f.ui().spnedt_SlideShowWidth->setValue(300);
    QVERIFY(f.form->PreviewRefreshArmed);
    QVERIFY(!QFile::exists(f.folder + "preview/~preview.html"));
    QVERIFY(f.form->frmPreview()->WebBrowser() == nullptr);
}

void PreviewProtocolTest::shownPreviewRebuildsAndReloads() {
    MainFormFixture f;
    f.insert(f.root(), "Shown");
    f.form->show();
    // The entry starts checked with the window hidden: the first click only clears the mark.
    QVERIFY(f.ui().PreviewWindow1->isChecked());
    f.ui().PreviewWindow1->trigger();
    QVERIFY(!f.form->frmPreview()->isVisible());
    f.ui().PreviewWindow1->trigger();
    TfrmPreview* preview = f.form->frmPreview();
    QVERIFY(preview->isVisible());
    QVERIFY(f.ui().PreviewWindow1->isChecked());
    QWebEngineView* view = preview->WebBrowser();
    QVERIFY(view != nullptr);
    // The page was rebuilt into the preview folder, the flag disarmed until the load ends.
    const QByteArray page = ReadFile(f.folder + "preview/~preview.html");
    QVERIFY(page.contains("Lumivex1_div"));
    QVERIFY(QFile::exists(f.folder + "preview/lumivex.js"));
    QVERIFY(!QFile::exists(f.form->scratchFolder() + "~preview.html"));
    QVERIFY(!f.form->PreviewRefreshArmed);
    QTRY_VERIFY_WITH_TIMEOUT(view->url().toLocalFile().endsWith("preview/~preview.html"), 20000);
    // With Auto Refresh pressed the finished load arms the next edit.
    QTRY_VERIFY_WITH_TIMEOUT(f.form->PreviewRefreshArmed, 20000);
    QSignalSpy loads(view, &QWebEngineView::loadFinished);
    f.select(f.root()->child(0));
    QTRY_VERIFY_WITH_TIMEOUT(f.form->PreviewRefreshArmed, 20000);
    loads.clear();
    f.ui().edt_IToolTip->setText("edited");
    QVERIFY(!f.form->PreviewRefreshArmed);
    QVERIFY(loads.wait(20000));

    // Closing the window clears the menu mark; hidden again, edits load nothing.
    preview->close();
    QVERIFY(!f.ui().PreviewWindow1->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(f.form->PreviewRefreshArmed, 20000);
    loads.clear();
    f.ui().edt_IToolTip->setText("while hidden");
    QVERIFY(f.form->PreviewRefreshArmed);
    QTest::qWait(200);
    QCOMPARE(loads.size(), 0);
}

void PreviewProtocolTest::unwritableProgramFolderStillStarts() {
    FakeDialogs dialogs;
    FakeShell shell;
    MemorySettingsStore settings;
    Platform platform{dialogs, shell, settings};
    ErrorReport::setDialogs(&dialogs);
    // A folder below a regular file can never be created, whoever runs the test.
    const QString blocked = FreshFolder("blocked");
    WriteFile(blocked + "file", "x");
    TMainForm form(platform, blocked + "file/program/");
    ErrorReport::setDialogs(nullptr);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
    QVERIFY(form.form()->mnitRecentFiles->actions().isEmpty());
    // What comes after the list still ran.
    QVERIFY(form.PreviewRefreshArmed);
    QVERIFY(!form.FModified());
    QCOMPARE(form.form()->pgcntrl1->currentWidget(), form.form()->tbshtScript);
}

LUMIVEX_UI_TEST(PreviewProtocolTest);
#include "PreviewProtocolTest.moc"
