#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "About.h"
#include "CodeGeneration.h"
#include "FakePlatform.h"
#include "UiTestSupport.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

QColor TextColour(QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

}  // namespace

class AboutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheProduct() {
        FakePlatform fake;
        TformAbout about(fake.platform);
        QCOMPARE(about.windowTitle(), QStringLiteral("Lumivex"));
        QCOMPARE(about.findChild<QLabel*>("lblProductName")->text(), QStringLiteral("Lumivex"));
        QVERIFY(about.findChild<QLabel*>("lblProductName")->font().bold());
        QCOMPARE(about.findChild<QLabel*>("lblProductVersion")->text(),
                 QStringLiteral("Version 1.0"));
        QCOMPARE(about.findChild<QLabel*>("Label5")->text(), QString(lumivex::kCopyrightLine));
        QCOMPARE(about.findChild<QLabel*>("Image1")->pixmap().deviceIndependentSize(),
                 QSizeF(32, 32));
    }

    void linksOpenInTheBrowserAndLightUp() {
        FakePlatform fake;
        TformAbout about(fake.platform);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* site = about.findChild<QLabel*>("Label8");
        auto* support = about.findChild<QLabel*>("Label10");
        QCOMPARE(TextColour(site), QColor(Qt::blue));

        QTest::mouseMove(site, site->rect().center());
        QTRY_COMPARE(TextColour(site), QColor(Qt::red));
        QCOMPARE(TextColour(support), QColor(Qt::blue));
        QTest::mouseMove(&about, QPoint(2, about.height() - 2));
        QTRY_COMPARE(TextColour(site), QColor(Qt::blue));

        QTest::mouseClick(site, Qt::LeftButton, {}, site->rect().center());
        QTest::mouseClick(support, Qt::LeftButton, {}, support->rect().center());
        QCOMPARE(fake.shell.opened,
                 (QStringList{lumivex::kProductAddress, lumivex::kSupportAddress}));
        QVERIFY(about.isVisible());
        about.findChild<QPushButton*>("Button1")->click();
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

LUMIVEX_UI_TEST(AboutTest);

#include "AboutTest.moc"
