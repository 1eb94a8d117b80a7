#include <QTest>

#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class TreeCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void insertLevelsAndEnabling();
    void deleteQuestionsAndBlocks();
    void movesKeepBlocksWholeAndModify();
    void selectionStoresAndLoadsTheItemPage();
    void pagesFollowTheSelection();
};

void TreeCommandsTest::insertLevelsAndEnabling() {
    MainFormFixture f;
    QTreeWidgetItem* top = f.insert(f.root(), "Top");
    QTreeWidgetItem* child = f.insert(top, "Child");
    QCOMPARE(f.agent().Items[0].Level, std::string("0"));
    QCOMPARE(f.agent().Items[1].Level, std::string("1"));
    QVERIFY(top->isExpanded());
    f.select(child);
    QVERIFY(!f.ui().Insert1->isEnabled());
    QVERIFY(!f.ui().tlbtnInsert->isEnabled());
    QVERIFY(!f.ui().Insert2->isEnabled());
    QVERIFY(f.ui().Delete2->isEnabled());
    // The command guards itself too: nothing deeper than two levels.
    f.form->tree().Insert1Click();
    QCOMPARE(f.agent().Items.size(), size_t(2));
    f.select(f.root());
    f.form->tree().UpdateItemCommands();
    QVERIFY(f.ui().Insert1->isEnabled());
    QVERIFY(!f.ui().Delete1->isEnabled());
    QVERIFY(!f.ui().MoveUp1->isEnabled());
    // A new node's caption is its title, and follows it as it is edited.
    f.form->tree().Insert1Click();
    QTreeWidgetItem* fresh = f.root()->child(1);
    QCOMPARE(fresh->text(0), QStringLiteral("Item"));
    QCOMPARE(f.tree()->currentItem(), f.root());
    f.select(fresh);
    f.ui().edt_Text->setText("Renamed");
    QCOMPARE(fresh->text(0), QStringLiteral("Renamed"));
    f.select(f.root());
    QCOMPARE(f.agent().Items[2].Title, std::string("Renamed"));
}

void TreeCommandsTest::deleteQuestionsAndBlocks() {
    MainFormFixture f;
    QTreeWidgetItem* parent = f.insert(f.root(), "Parent");
    f.insert(parent, "A");
    f.insert(parent, "B");
    f.insert(parent, "C");
    f.insert(f.root(), "After");
    f.form->document().setModified(false);

    // Refused or declined, a deletion changes nothing and leaves the project unmodified.
    f.select(f.root());
    f.form->tree().Delete1Click();
    QCOMPARE(f.dialogs.messageTexts(), QStringList{"Root item cannot be deleted."});
    QVERIFY(!f.form->document().isModified());

    f.form->document().setModified(false);
    f.dialogs.clear();
    f.select(parent);
    f.form->document().setModified(false);
    f.dialogs.answers = {MessageButton::No};
    f.form->tree().Delete1Click();
    QCOMPARE(f.dialogs.messageTexts(),
             QStringList{"Are you sure to delete this item and all its children?"});
    QCOMPARE(f.dialogs.messages[0].buttons,
             (QList<MessageButton>{MessageButton::Yes, MessageButton::No}));
    QVERIFY(!f.form->document().isModified());
    QCOMPARE(f.agent().Items.size(), size_t(5));

    f.dialogs.answers = {MessageButton::Yes};
    f.form->tree().Delete1Click();
    QCOMPARE(f.titles(), QStringList{"After"});
    QVERIFY(f.treeInStepWithList());
    // The neighbour the tree selected is loaded.
    QCOMPARE(f.form->tree().currentItemNode(), f.tree()->currentItem());
    QCOMPARE(f.ui().edt_Text->text(), QStringLiteral("After"));
}

void TreeCommandsTest::movesKeepBlocksWholeAndModify() {
    MainFormFixture f;
    QTreeWidgetItem* first = f.insert(f.root(), "First");
    f.insert(first, "First.1");
    QTreeWidgetItem* second = f.insert(f.root(), "Second");
    f.insert(second, "Second.1");
    f.insert(second, "Second.2");
    QTreeWidgetItem* third = f.insert(f.root(), "Third");

    f.select(second);
    f.form->tree().MoveUp1Click();
    QCOMPARE(f.titles(),
             (QStringList{"Second", "Second.1", "Second.2", "First", "First.1", "Third"}));
    QVERIFY(f.treeInStepWithList());
    QCOMPARE(f.tree()->currentItem(), second);
    QVERIFY(!f.ui().MoveUp1->isEnabled());

    // On a first child nothing moves, and nothing is modified.
    f.form->document().setModified(false);
    f.form->tree().MoveUp1Click();
    QVERIFY(!f.form->document().isModified());
    QCOMPARE(f.titles().first(), QStringLiteral("Second"));

    f.select(first);
    f.form->tree().MoveDown1Click();
    QCOMPARE(f.titles(),
             (QStringList{"Second", "Second.1", "Second.2", "Third", "First", "First.1"}));
    QVERIFY(f.treeInStepWithList());
    QVERIFY(!f.ui().MoveDown1->isEnabled());
    f.form->document().setModified(false);
    f.form->tree().MoveDown1Click();
    QVERIFY(!f.form->document().isModified());
    Q_UNUSED(third);
}

void TreeCommandsTest::selectionStoresAndLoadsTheItemPage() {
    MainFormFixture f;
    QTreeWidgetItem* a = f.insert(f.root(), "A");
    QTreeWidgetItem* b = f.insert(f.root(), "B");
    f.select(a);
    f.ui().edt_Description->setText("  about A  ");
    f.select(b);
    QCOMPARE(f.agent().Items[0].Description, std::string("about A"));
    QCOMPARE(f.ui().edt_Text->text(), QStringLiteral("B"));
    // The root keeps the item as the current one; it is stored again at the next change.
    f.ui().edt_IToolTip->setText("tip B");
    f.select(f.root());
    QCOMPARE(f.form->tree().currentItemNode(), b);
    QCOMPARE(f.agent().Items[1].ToolTip, std::string("tip B"));
    // Selecting is no edit.
    f.select(b);
    f.form->document().setModified(false);
    f.select(f.root());
    f.select(b);
    QVERIFY(!f.form->document().isModified());
}

void TreeCommandsTest::pagesFollowTheSelection() {
    MainFormFixture f;
    QTabWidget* pages = f.ui().pgcntrl1;
    const auto visible = [pages](QWidget* page) {
        return pages->isTabVisible(pages->indexOf(page));
    };
    QVERIFY(visible(f.ui().tbshtScript));
    QVERIFY(!visible(f.ui().tbshtItem));
    QTreeWidgetItem* a = f.insert(f.root(), "A");
    f.ui().pgcntrl1->setCurrentWidget(f.ui().tbshtPath);
    f.select(a);
    QVERIFY(visible(f.ui().tbshtItem));
    QVERIFY(!visible(f.ui().tbshtScript));
    QCOMPARE(pages->currentWidget(), f.ui().tbshtItem);
    f.select(f.root());
    QCOMPARE(pages->currentWidget(), f.ui().tbshtScript);
    QVERIFY(visible(f.ui().tbshtPath));
}

LUMIVEX_UI_TEST(TreeCommandsTest);
#include "TreeCommandsTest.moc"
