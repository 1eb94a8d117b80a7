#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "FakePlatform.h"
#include "MessageBox_LinkTip.h"
#include "UiTestSupport.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class MessageBoxLinkTipTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingIsWrittenAtTheClickOnly() {
        FakePlatform fake;
        const QString key = kSettingsKey + "/ShowLinkTipDialog";
        fake.settings.write(kSettingsKey, "ShowLinkTipDialog", 0);
        TfrmMsgBox_LinkTip tip(fake.platform);
        auto* box = tip.findChild<QCheckBox*>("chckbxDontShow");
        QVERIFY(!box->isChecked());  // the tip never reads the setting
        tip.show();
        box->click();
        QCOMPARE(fake.settings.values.value(key), QVariant(0));
        box->click();
        QCOMPARE(fake.settings.values.value(key), QVariant(1));
        tip.findChild<QPushButton*>("btnOK")->click();
        QCOMPARE(fake.settings.values.value(key), QVariant(1));
        QCOMPARE(tip.result(), int(QDialog::Accepted));
    }

    void failedWriteIsReportedOnlyWhenUnchecking() {
        FakePlatform fake;
        fake.settings.failWrites = true;
        TfrmMsgBox_LinkTip tip(fake.platform);
        auto* box = tip.findChild<QCheckBox*>("chckbxDontShow");
        box->setChecked(true);
        tip.chckbxDontShowClick();
        box->setChecked(false);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, tip.chckbxDontShowClick());
    }

    void layoutAndEscape() {
        FakePlatform fake;
        TfrmMsgBox_LinkTip tip(fake.platform);
        QCOMPARE(tip.windowTitle(), QStringLiteral("Important!"));
        auto* label = tip.findChild<QLabel*>("Label1");
        QCOMPARE(label->text(),
                 QStringLiteral("Local link may not work for security reason. Please click the "
                                "'?' book icon within link group to learn more details."));
        tip.show();
        QVERIFY(tip.width() >= 297 && tip.height() >= 129);
        // Nothing is cut off, whatever the font.
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        QTest::keyClick(tip.findChild<QCheckBox*>("chckbxDontShow"), Qt::Key_Escape);
        QVERIFY(!tip.isVisible());
        QVERIFY(fake.settings.values.isEmpty());
    }
};

LUMIVEX_UI_TEST(MessageBoxLinkTipTest);

#include "MessageBoxLinkTipTest.moc"
