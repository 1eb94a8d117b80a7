#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>

#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

// The main window works without a mouse: a screen reader names every control that takes the
// keyboard, and within each menu every command has an access key of its own.
class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyFocusableControlHasAName();
    void accessKeysAreUniqueInEachMenu_data();
    void accessKeysAreUniqueInEachMenu();
    void accessKeysAreUniqueOnEachPage_data();
    void accessKeysAreUniqueOnEachPage();
};

void AccessibilityTest::everyFocusableControlHasAName() {
    MainFormFixture f;
    f.insert(f.root(), "Item");
    QStringList unnamed;
    for (QWidget* widget : f.form->findChildren<QWidget*>()) {
        // Another window's controls (a combo box's list, the lasting windows) are not counted;
        // a widget that hands its focus on is named through the widget that takes it.
        if (widget->focusPolicy() == Qt::NoFocus || widget->window() != f.form.get() ||
            widget->focusProxy() != nullptr)
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << widget->objectName() + " (" + widget->metaObject()->className() + ")";
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
}

void AccessibilityTest::accessKeysAreUniqueInEachMenu_data() {
    QTest::addColumn<QString>("menu");
    // An empty name is the menu bar itself.
    for (const char* menu : {"", "mnuFile", "mnuEdit", "mnuView", "mnuItem", "mnuScript",
                             "mnuOption", "mnuHelp", "PopupMenu1"})
        QTest::newRow(*menu != '\0' ? menu : "MainMenu1") << QString::fromLatin1(menu);
}

void AccessibilityTest::accessKeysAreUniqueInEachMenu() {
    QFETCH(QString, menu);
    MainFormFixture f;
    const QWidget* owner =
        menu.isEmpty() ? static_cast<QWidget*>(f.form->menuBar()) : f.form->findChild<QMenu*>(menu);
    QVERIFY(owner != nullptr);
    QHash<QKeySequence, QString> taken;
    for (QAction* action : owner->actions()) {
        if (action->isSeparator())
            continue;
        const QKeySequence key = QKeySequence::mnemonic(action->text());
        QVERIFY2(!key.isEmpty(), qPrintable(action->text() + " has no access key"));
        QVERIFY2(!taken.contains(key),
                 qPrintable(action->text() + " takes the key of " + taken.value(key)));
        taken.insert(key, action->text());
    }
}

void AccessibilityTest::accessKeysAreUniqueOnEachPage_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("item");
    QTest::newRow("Script") << "tbshtScript" << false;
    QTest::newRow("Slide Info") << "tbshtMainGroup" << false;
    QTest::newRow("Item") << "tbshtItem" << true;
    QTest::newRow("Path") << "tbshtPath" << false;
}

// Every label with a field, check box and radio button has its own Alt+letter on its page,
// and the letter takes the focus to its field.
void AccessibilityTest::accessKeysAreUniqueOnEachPage() {
    QFETCH(QString, page);
    QFETCH(bool, item);
    MainFormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    f.select(item ? f.insert(f.root(), "Item") : f.root());
    auto* shown = f.form->findChild<QWidget*>(page);
    f.ui().pgcntrl1->setCurrentWidget(shown);
    QHash<QKeySequence, QString> taken;
    for (QWidget* control : shown->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(control);
        auto* button = qobject_cast<QAbstractButton*>(control);
        const bool checkable = qobject_cast<QCheckBox*>(control) != nullptr ||
                               qobject_cast<QRadioButton*>(control) != nullptr;
        if ((label == nullptr || label->buddy() == nullptr) && !checkable)
            continue;
        const QString text = label != nullptr ? label->text() : button->text();
        const QKeySequence key = QKeySequence::mnemonic(text);
        QVERIFY2(!key.isEmpty(), qPrintable(text + " has no access key"));
        QVERIFY2(!taken.contains(key), qPrintable(text + " takes the key of " + taken.value(key)));
        taken.insert(key, text);
        QWidget* field = label != nullptr ? label->buddy() : control;
        if (!field->isEnabled() || !field->isVisibleTo(f.form.get()))
            continue;
        f.ui().trvwDesignPanel->setFocus();
        QTest::keySequence(f.form.get(), key);
        QWidget* focused = QApplication::focusWidget();
        QVERIFY2(focused == field || (focused != nullptr && focused->focusProxy() == field) ||
                     (focused != nullptr && field->isAncestorOf(focused)),
                 qPrintable(text + " does not take the focus to its field"));
    }
}

LUMIVEX_UI_TEST(AccessibilityTest);
#include "AccessibilityTest.moc"
