#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

#include "HTMLBuild.h"
#include "UiTestSupport.h"

using lumivex::ui::TformHTML;

class HTMLBuildTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsTheBytesAndShowsTheText() {
        TformHTML window;
        QVERIFY(window.PageBytes().empty());
        // CR LF line ends and a legacy byte: the preview page is written from these bytes.
        const std::string page = "<html>\r\n<p>Caf\xe9 \xe2\x82\xac</p>\r\n</html>\r\n";
        window.SetPageBytes(page);
        QCOMPARE(window.PageBytes(), page);
        auto* memo = window.findChild<QPlainTextEdit*>("memoHTMLBuild");
        QCOMPARE(memo->toPlainText(), QStringLiteral("<html>\n<p>Caf\u00e9 \u20ac</p>\n</html>\n"));
        QVERIFY(memo->isReadOnly());
        const QFontMetrics metrics(memo->font());
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('M'));
        QCOMPARE(memo->font().pixelSize(), 13);
    }

    void copiesTheWholeTextWhateverIsSelected() {
        TformHTML window;
        window.SetPageBytes("line one\r\nline two\r\n");
        auto* memo = window.findChild<QPlainTextEdit*>("memoHTMLBuild");
        QTextCursor part = memo->textCursor();
        part.setPosition(5);
        part.setPosition(8, QTextCursor::KeepAnchor);
        memo->setTextCursor(part);
        QGuiApplication::clipboard()->clear();
        window.show();
        window.findChild<QPushButton*>("Button2")->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("line one\r\nline two\r\n"));
        QVERIFY(window.isVisible());  // copying does not close the window
        QCOMPARE(memo->textCursor().selectedText().size(), memo->toPlainText().size());
    }

    void okAndEscapeOnlyHide() {
        TformHTML window;
        window.SetPageBytes("kept");
        QCOMPARE(window.windowTitle(), QStringLiteral("HTML"));
        window.show();
        QTest::keyClick(window.findChild<QPlainTextEdit*>("memoHTMLBuild"), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        window.show();
        window.findChild<QPushButton*>("Button1")->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.PageBytes(), std::string("kept"));
    }
};

LUMIVEX_UI_TEST(HTMLBuildTest);

#include "HTMLBuildTest.moc"
