#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <map>
#include <variant>

#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

using Field = std::variant<std::string TAppletData::*, std::string TItemData::*>;

// The field each text control of the pages is stored in.
const std::map<QString, Field> kTextFields = {
    {"edt_ctrlId", &TAppletData::CtrlId},
    {"edt_SlideShowLoadingBgImage", &TAppletData::SlideShowLoadingBgImage},
    {"edt_SlideInfoTitleFontFamily", &TAppletData::SlideInfoTitleFontFamily},
    {"edt_SlideInfoDescFontFamily", &TAppletData::SlideInfoDescFontFamily},
    {"edt_pImageLeadingPath", &TAppletData::ImageLeadingPath},
    {"edtpInternalUse_RootDir_Local", &TAppletData::RootDirLocal},
    {"edtpInternalUse_RootDir_Remote", &TAppletData::RootDirRemote},
    {"edtOriginalImagePath", &TItemData::OriginalImagePath},
    {"cmbx_Link", &TItemData::LinkUrl},
    {"cmbx_Target", &TItemData::LinkTarget},
    {"edt_Text", &TItemData::Title},
    {"edt_Description", &TItemData::Description},
    {"edt_IToolTip", &TItemData::ToolTip},
};

bool onItemPage(QWidget* control) {
    return control->window()->findChild<QWidget*>("tbshtItem")->isAncestorOf(control);
}

// The controls of the pages that hold a value of the project, by name.
QStringList boundControls(QWidget* pages) {
    QStringList names;
    for (QWidget* w : pages->findChildren<QWidget*>()) {
        const auto* edit = qobject_cast<QLineEdit*>(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        if ((edit != nullptr && qobject_cast<QAbstractSpinBox*>(w->parentWidget()) == nullptr &&
             qobject_cast<QComboBox*>(w->parentWidget()) == nullptr) ||
            qobject_cast<QSpinBox*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr ||
            (button != nullptr && button->isCheckable()))
            names << w->objectName();
    }
    return names;
}

void wheel(QWidget* control, int angle) {
    const QPointF at(control->width() / 2.0, control->height() / 2.0);
    QWheelEvent event(at, control->mapToGlobal(at), {}, {0, angle}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(control, &event);
}

int valueOf(QWidget* control) {
    if (auto* spin = qobject_cast<QSpinBox*>(control))
        return spin->value();
    return qobject_cast<QComboBox*>(control)->currentIndex();
}

}  // namespace

class PropertyInputTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pastedLineBreaksBecomeBlanks_data();
    void pastedLineBreaksBecomeBlanks();
    void everyChangeMarksModified_data();
    void everyChangeMarksModified();
    void spinBoxEditThenExitAsksToSave();
    void creationNewAndOpenEndClean();
    void wheelScrollsThePageUnlessFocused_data();
    void wheelScrollsThePageUnlessFocused();
};

void PropertyInputTest::pastedLineBreaksBecomeBlanks_data() {
    QTest::addColumn<QString>("control");
    MainFormFixture f;
    for (const QString& name : boundControls(f.ui().pgcntrl1)) {
        QWidget* control = f.form->findChild<QWidget*>(name);
        const auto* combo = qobject_cast<QComboBox*>(control);
        if (qobject_cast<QLineEdit*>(control) != nullptr ||
            (combo != nullptr && combo->isEditable()))
            QTest::newRow(qPrintable(name)) << name;
    }
}

void PropertyInputTest::pastedLineBreaksBecomeBlanks() {
    QFETCH(QString, control);
    const auto field = kTextFields.find(control);
    QVERIFY2(field != kTextFields.end(), "a text control the test does not know");
    MainFormFixture f;
    QTreeWidgetItem* node = f.insert(f.root(), "Item");
    QWidget* widget = f.form->findChild<QWidget*>(control);
    const bool item = onItemPage(widget);
    if (item)
        f.select(node);
    auto* combo = qobject_cast<QComboBox*>(widget);
    QLineEdit* edit = combo != nullptr ? combo->lineEdit() : qobject_cast<QLineEdit*>(widget);
    // The leading path is edited once its check box is set.
    if (!edit->isEnabled())
        f.ui().chbx_pImageLeadingPathEnabled->click();
    QVERIFY(edit->isEnabled() && !edit->isReadOnly());

    edit->setText("[]");
    edit->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(
        QStringLiteral("a\r\nb\nc\rd\x1a"
                       "e\n\r"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("[a b c d e  ]"));
    QCOMPARE(edit->cursorPosition(), 12);
    // Set by the program too, as a picker or a load does.
    edit->setText(edit->text() + "\r\n");
    QCOMPARE(edit->text(), QStringLiteral("[a b c d e  ] "));

    std::string stored;
    if (item) {
        f.form->binder().StoreItemProperties(0);
        stored = f.agent().GetItem(0).*std::get<std::string TItemData::*>(field->second);
    } else {
        f.form->binder().StoreAppletProperties();
        stored = f.agent().GetAppletData().*std::get<std::string TAppletData::*>(field->second);
    }
    QCOMPARE(stored, std::string("[a b c d e  ]"));
}

void PropertyInputTest::everyChangeMarksModified_data() {
    QTest::addColumn<QString>("control");
    MainFormFixture f;
    for (const QString& name : boundControls(f.ui().pgcntrl1))
        QTest::newRow(qPrintable(name)) << name;
}

void PropertyInputTest::everyChangeMarksModified() {
    QFETCH(QString, control);
    MainFormFixture f;
    QTreeWidgetItem* node = f.insert(f.root(), "Item");
    QWidget* widget = f.form->findChild<QWidget*>(control);
    if (onItemPage(widget))
        f.select(node);
    // A radio button chosen against what the project holds: the other answer first.
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        QRadioButton* first = f.ui().rdbtnpInternalUse_RootDir_Local_Checked;
        (radio == first ? f.ui().rdbtnpInternalUse_RootDir_Local_Checked2 : first)->click();
    }
    f.form->document().setModified(false);
    QVERIFY(!f.ui().Save1->isEnabled());

    if (auto* spin = qobject_cast<QSpinBox*>(widget))
        spin->stepBy(1);
    else if (auto* combo = qobject_cast<QComboBox*>(widget);
             combo != nullptr && combo->isEditable())
        combo->setEditText(combo->currentText() + "x");
    else if (combo != nullptr)
        QTest::keyClick(combo, Qt::Key_Down);  // a choice: the next one
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(edit->text() + "x");
    else
        static_cast<QAbstractButton*>(widget)->click();
    QVERIFY(f.form->document().isModified());
    QVERIFY(f.ui().Save1->isEnabled());
    QVERIFY(f.ui().tlbtnSave->isEnabled());
}

void PropertyInputTest::spinBoxEditThenExitAsksToSave() {
    MainFormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    QSpinBox* spin = f.ui().spnedt_SlideShowZIndex;
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "42");
    QCOMPARE(spin->value(), 42);
    f.dialogs.answers = {MessageButton::Cancel};
    f.ui().Exit1->trigger();
    QCOMPARE(f.dialogs.messageTexts(), QStringList{"Save changes to files before Exit?"});
    QVERIFY(f.form->isVisible());
}

void PropertyInputTest::creationNewAndOpenEndClean() {
    MainFormFixture f;
    QVERIFY(!f.ui().Save1->isEnabled());
    f.ui().spnedt_SlideShowWidth->stepBy(1);
    f.dialogs.answers = {MessageButton::No};
    f.form->New1Click();
    QVERIFY(!f.ui().Save1->isEnabled());
    // A project whose settings differ from the defaults, so loading changes many controls.
    const QString project = FreshFolder(QStringLiteral("open")) + "Sample.lvx";
    QVERIFY(QFile::copy(QStringLiteral(LUMIVEX_SOURCE_DIR "/share/samples/Sample.lvx"), project));
    f.form->OpenProjectFile(project);
    QCOMPARE(f.form->document().fileName(), project);
    QVERIFY(!f.form->document().isModified());
    QVERIFY(!f.ui().Save1->isEnabled());
}

void PropertyInputTest::wheelScrollsThePageUnlessFocused_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("spin box") << QStringLiteral("spnedt_SlideShowWidth");
    QTest::newRow("combo box") << QStringLiteral("cmbx_Target");
}

void PropertyInputTest::wheelScrollsThePageUnlessFocused() {
    QFETCH(QString, control);
    MainFormFixture f;
    QTreeWidgetItem* node = f.insert(f.root(), "Item");
    QWidget* widget = f.form->findChild<QWidget*>(control);
    if (onItemPage(widget))
        f.select(node);
    f.form->show();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    auto* area = qobject_cast<QAbstractScrollArea*>(
        f.form->findChild<QWidget*>(f.ui().pgcntrl1->currentWidget()->objectName() + "_scroll"));
    QVERIFY(area != nullptr && area->isAncestorOf(widget));
    QScrollBar* bar = area->verticalScrollBar();
    // Short enough for the page to scroll.
    area->setFixedHeight(120);
    QTRY_VERIFY(bar->maximum() > 0);
    bar->setValue(0);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setCurrentIndex(0);

    f.tree()->setFocus();
    const int before = valueOf(widget);
    wheel(widget, -120);
    QCOMPARE(valueOf(widget), before);
    QVERIFY(bar->value() > 0);

    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
    const int scrolled = bar->value();
    wheel(widget, -120);
    QVERIFY(valueOf(widget) != before);
    QCOMPARE(bar->value(), scrolled);
}

LUMIVEX_UI_TEST(PropertyInputTest);
#include "PropertyInputTest.moc"
