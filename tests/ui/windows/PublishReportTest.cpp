#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "EngineErrors.h"
#include "PublishReport.h"
#include "UiTestSupport.h"

using lumivex::ui::TfrmPublishReport;

class PublishReportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheReportFile() {
        const QString path = lumivex::ui::testing::FreshFolder("report") + "PublishReport.txt";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Upload these files:\r\nslider1.jpg\r\nM\xfcller.css\r\n");
        file.close();
        TfrmPublishReport window;
        window.LoadReport(path);
        QCOMPARE(window.windowTitle(), QStringLiteral("Applet Publish Report"));
        QCOMPARE(window.findChild<QPlainTextEdit*>("memoPublishReport")->toPlainText(),
                 QStringLiteral("Upload these files:\nslider1.jpg\nM\u00fcller.css\n"));
    }

    void unreadableReportThrowsAndKeepsTheText() {
        TfrmPublishReport window;
        const QString missing = lumivex::ui::testing::FreshFolder("report") + "none.txt";
        try {
            window.LoadReport(missing);
            QFAIL("a missing report loaded");
        } catch (const lumivex::FileError& e) {
            QVERIFY(QString::fromUtf8(e.what()).contains(missing));
        }
        QVERIFY(window.findChild<QPlainTextEdit*>("memoPublishReport")->toPlainText().isEmpty());
    }

    void growsButNeverShrinksBelowItsMinimum() {
        TfrmPublishReport window;
        window.show();
        auto* memo = window.findChild<QPlainTextEdit*>("memoPublishReport");
        const QSize memoBefore = memo->size();
        window.resize(800, 600);
        QTRY_VERIFY(memo->width() > memoBefore.width() && memo->height() > memoBefore.height());
        window.resize(100, 100);
        QTRY_VERIFY(window.width() >= window.minimumWidth());
        QVERIFY(window.minimumSize().width() > 400 && window.minimumSize().height() > 250);
        QTest::keyClick(memo, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    void linesWrapAtBlanksAndRulesStayWhole() {
        const QString path = lumivex::ui::testing::FreshFolder("report") + "PublishReport.txt";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray rule(77, '=');
        const QByteArray sentence =
            "This file includes a list of filename and you need to upload "
            "them to Web server to get the script to work.";
        file.write(rule + "\r\n" + sentence + "\r\n" + rule + "\r\n");
        file.close();
        TfrmPublishReport window;
        window.LoadReport(path);
        window.resize(window.minimumSize());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* memo = window.findChild<QPlainTextEdit*>("memoPublishReport");
        const QTextDocument* text = memo->document();
        QTextLayout* wrapped = text->findBlockByNumber(1).layout();
        QVERIFY(wrapped->lineCount() > 1);
        for (int k = 0; k < wrapped->lineCount(); ++k)
            QVERIFY(wrapped->lineAt(k).naturalTextWidth() <= memo->viewport()->width());
        for (int rule : {0, 2})
            QCOMPARE(text->findBlockByNumber(rule).layout()->lineCount(), 1);
    }
};

LUMIVEX_UI_TEST(PublishReportTest);

#include "PublishReportTest.moc"
