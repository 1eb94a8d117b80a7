#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
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

LUMIVEX_UI_TEST(AccessibilityTest);
#include "AccessibilityTest.moc"
