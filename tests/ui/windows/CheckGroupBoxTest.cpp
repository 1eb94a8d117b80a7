#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "CheckGroupBox.h"
#include "UiTestSupport.h"

using lumivex::ui::TCheckGroupBox;

namespace {

// The layout of the "Path" page: a captionless box with a label and an edit, its check box
// beside it in the same parent.
struct PathPage {
    PathPage() {
        page.resize(420, 380);
        box = new TCheckGroupBox(&page);
        box->setGeometry(24, 264, 369, 81);
        label = new QLabel(QStringLiteral("Leading path"), box);
        edit = new QLineEdit(box);
        check = new QCheckBox(QStringLiteral("Image Leading Path"), &page);
        check->setChecked(true);
    }
    QWidget page;
    TCheckGroupBox* box;
    QLabel* label;
    QLineEdit* edit;
    QCheckBox* check;
};

}  // namespace

class CheckGroupBoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkSwitchesContentsButNotItself() {
        PathPage p;
        p.box->setCheckComponent(p.check);
        QVERIFY(p.edit->isEnabled() && p.label->isEnabled());
        p.check->click();
        QVERIFY(!p.edit->isEnabled());
        QVERIFY(!p.label->isEnabled());
        QVERIFY(p.check->isEnabled());
        // A project loaded into the check box counts as a click.
        p.check->setChecked(true);
        QVERIFY(p.edit->isEnabled() && p.label->isEnabled());
    }

    void boxStateCombinesWithCheck() {
        PathPage p;
        p.box->setCheckComponent(p.check);
        p.box->SetEnabled(false);
        QVERIFY(!p.edit->isEnabled());
        p.box->SetEnabled(true);
        QVERIFY(p.edit->isEnabled());
        p.check->setChecked(false);
        p.box->SetEnabled(true);
        QVERIFY(p.box->isEnabled());
        QVERIFY(!p.edit->isEnabled());

        // Update follows the box's own flag even inside a disabled page.
        p.check->setChecked(true);
        p.page.QWidget::setEnabled(false);
        p.box->Update();
        p.page.QWidget::setEnabled(true);
        QVERIFY(p.edit->isEnabled());
    }

    void withoutCheckControlChildrenFollowTheBox() {
        PathPage p;
        QVERIFY(p.box->IsChecked());
        p.box->SetEnabled(false);
        QVERIFY(!p.edit->isEnabled());
        p.box->SetEnabled(true);
        QVERIFY(p.edit->isEnabled());
    }

    void checkControlFollowsTheBox() {
        PathPage p;
        p.page.show();
        p.box->setCheckComponent(p.check);
        QCOMPARE(p.check->pos(), QPoint(32, 261));
        p.box->move(50, 100);
        QCOMPARE(p.check->pos(), QPoint(58, 97));
        p.box->setGeometry(10, 20, 200, 60);
        QCOMPARE(p.check->pos(), QPoint(18, 17));

        p.box->setPositionCheckComponent(false);
        p.box->move(100, 200);
        QCOMPARE(p.check->pos(), QPoint(18, 17));
        p.box->setPositionCheckComponent(true);
        QCOMPARE(p.check->pos(), QPoint(108, 197));
    }

    void captionRule() {
        PathPage p;
        p.box->setCaption(QStringLiteral("Path"));
        p.box->setCaption(QString());
        QCOMPARE(p.box->caption(), QStringLiteral("Path"));

        p.box->setCheckComponent(p.check);
        QCOMPARE(p.box->caption(), QString());
        p.box->setCaption(QStringLiteral("Leading"));
        QCOMPARE(p.box->caption(), QString());

        delete p.check;
        QCOMPARE(p.box->checkComponent(), nullptr);
        QVERIFY(p.box->IsChecked());
        p.box->setCaption(QString());
        QCOMPARE(p.box->caption(), QStringLiteral("Leading"));
        p.box->move(5, 5);  // nothing left to move
    }

    void captionFromAFormIsKeptWhenAttaching() {
        PathPage p;
        p.box->setTitle(QStringLiteral("From form"));  // as the generated form code sets it
        p.box->setCheckComponent(p.check);
        QCOMPARE(p.box->caption(), QString());
        p.box->setCheckComponent(nullptr);
        p.box->setCaption(QString());
        QCOMPARE(p.box->caption(), QStringLiteral("From form"));
    }

    void ownClickHandlerRunsAfterTheBox() {
        PathPage p;
        QObject* sender = nullptr;
        bool editEnabledThen = true;
        int calls = 0;
        p.box->setCheckComponent(p.check, [&](QObject* s) {
            sender = s;
            editEnabledThen = p.edit->isEnabled();
            ++calls;
        });
        QCOMPARE(calls, 0);
        p.check->click();
        QCOMPARE(calls, 1);
        QCOMPARE(sender, p.box);
        QVERIFY(!editEnabledThen);

        // Attaching the same control again must not make the handler call itself.
        p.box->setCheckComponent(p.check, [&](QObject*) { ++calls; });
        p.check->click();
        QCOMPARE(calls, 2);
    }

    void onEnabledHearsEveryWrite() {
        PathPage p;
        QList<bool> written;
        p.box->setOnEnabled([&](TCheckGroupBox* sender, bool value) {
            QCOMPARE(sender, p.box);
            written << value;
        });
        p.box->SetEnabled(true);
        p.box->setEnabled(true);
        QCOMPARE(written, (QList<bool>{true, true}));
        written.clear();
        p.box->setCheckComponent(p.check);  // Update
        QCOMPARE(written, QList<bool>{true});
        written.clear();
        p.check->click();
        QCOMPARE(written, QList<bool>{false});
    }

    void attachingACheckGroupBoxIsRefused() {
        PathPage p;
        p.box->setCheckComponent(p.check);
        TCheckGroupBox other(&p.page);
        for (QWidget* wrong : {static_cast<QWidget*>(p.box), static_cast<QWidget*>(&other)}) {
            try {
                p.box->setCheckComponent(wrong);
                QFAIL("attaching a check group box was accepted");
            } catch (const std::invalid_argument& e) {
                QCOMPARE(QString::fromUtf8(e.what()),
                         QStringLiteral("Assigned TCheckGroupBox to itself"));
            }
            QCOMPARE(p.box->checkComponent(), p.check);
        }
    }

    void replacedControlStillUpdatesFromTheCurrentOne() {
        PathPage p;
        QCheckBox second(&p.page);
        p.box->setCheckComponent(p.check);
        p.box->setCheckComponent(&second);
        QVERIFY(!p.edit->isEnabled());  // the new, unchecked control rules
        second.setChecked(true);
        QVERIFY(p.edit->isEnabled());
        p.check->click();  // the old control still triggers, but reads the new one
        QVERIFY(p.edit->isEnabled());
    }

    void otherControlsAreAskedThroughTheirProperties() {
        PathPage p;
        QGroupBox checkable(&p.page);
        checkable.setCheckable(true);
        checkable.setChecked(true);
        p.box->setCheckComponent(&checkable);
        QVERIFY(p.box->IsChecked());
        QVERIFY(TCheckGroupBox::ControlAsText(&checkable).contains("Checked = True"));
        checkable.setChecked(false);
        QVERIFY(!p.box->IsChecked());

        QLineEdit edit(&p.page);
        p.box->setCheckComponent(&edit);
        QVERIFY(!p.box->IsChecked());
        QVERIFY(!p.edit->isEnabled());
    }

    void boxDiesBeforeItsCheckControl() {
        auto page = std::make_unique<QWidget>();
        QPointer<QCheckBox> check = new QCheckBox(page.get());
        auto* box = new TCheckGroupBox(page.get());
        box->setCheckComponent(check);
        delete box;
        check->setChecked(false);  // no box left to call
        QVERIFY(check);
    }
};

LUMIVEX_UI_TEST(CheckGroupBoxTest);

#include "CheckGroupBoxTest.moc"
