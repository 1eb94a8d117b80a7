#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "HelpWindow.h"
#include "UiTestSupport.h"

using lumivex::ui::TfrmHelp;
using lumivex::ui::testing::FreshFolder;

namespace {

QUrl HelpPage(const QString& folder, const QString& name) {
    QFile file(folder + name);
    file.open(QIODevice::WriteOnly);
    file.write("<html><body><p>" + name.toUtf8() + "</p></body></html>");
    return QUrl::fromLocalFile(folder + name);
}

}  // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void browserIsMadeOnFirstUseAndThenReused() {
        const QString help = FreshFolder("help");
        TfrmHelp window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Help"));
        QCOMPARE(window.size(), QSize(402, 428));
        QCOMPARE(window.WebBrowser1(), nullptr);

        window.Navigate(HelpPage(help, "first.html"));
        QWebEngineView* browser = window.WebBrowser1();
        QVERIFY(browser != nullptr);
        QCOMPARE(browser->objectName(), QStringLiteral("WebBrowser1"));
        QCOMPARE(browser->geometry(), QRect(0, 0, 401, 427));
        window.show();
        QSignalSpy loaded(browser, &QWebEngineView::loadFinished);
        QVERIFY(loaded.wait(20000));

        window.Navigate(HelpPage(help, "second.html"));
        QCOMPARE(window.WebBrowser1(), browser);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(browser->url(), HelpPage(help, "second.html"));
    }

    void escapeHidesAndTheNextPageShowsAgain() {
        TfrmHelp window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());

        // With the page holding the keyboard as well.
        window.Navigate(HelpPage(FreshFolder("help"), "page.html"));
        window.show();
        window.activateWindow();
        window.WebBrowser1()->setFocus();
        QTest::keyClick(window.WebBrowser1()->focusProxy(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }
};

LUMIVEX_UI_TEST(HelpWindowTest);

#include "HelpWindowTest.moc"
