#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QUndoStack>
#include <random>

#include "AccessKeys.h"
#include "FocalPointPicker.h"
#include "MainFormFixture.h"
#include "SlideTexts.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class UndoTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void undoingEveryEditGivesTheSavedBytes_data();
    void undoingEveryEditGivesTheSavedBytes();
    void typingIntoAFieldIsOneStep();
    void typingForManySelectedItemsIsOneStep();
    void undoNamesItsStepAndShowsWhatItRestored();
    void focalPointFollowsClicksAndKeys();
    void findAndReplaceIsOneStep_data();
    void findAndReplaceIsOneStep();
    void newAndOpenStartAFreshHistory();
    void eachOptionIsOneStepAndTravelsWithTheProject_data();
    void eachOptionIsOneStepAndTravelsWithTheProject();
};

namespace {

// Every item node, in walk order.
QList<QTreeWidgetItem*> itemNodes(MainFormFixture& f) {
    QList<QTreeWidgetItem*> nodes;
    for (ItemTree::Node n : f.form->itemTree().itemNodes())
        nodes << static_cast<QTreeWidgetItem*>(n);
    return nodes;
}

// One edit of the kind a user makes, on a node picked at random.
void randomEdit(MainFormFixture& f, std::mt19937& random, int step) {
    const QList<QTreeWidgetItem*> nodes = itemNodes(f);
    const auto pick = [&]() -> QTreeWidgetItem* {
        if (nodes.isEmpty())
            return f.root();
        return nodes[static_cast<int>(random() % static_cast<unsigned>(nodes.size()))];
    };
    QTreeWidgetItem* node = pick();
    f.select(node);
    // Some edits act on a selection: a few more nodes, picked as Ctrl+click does.
    const unsigned kind = random() % 11;
    if (kind >= 7) {
        for (int k = 0; k < 3; ++k)
            pick()->setSelected(true);
    }
    switch (kind) {
        case 0:
            f.select(node->parent() != nullptr && node->parent()->parent() == nullptr ? node
                                                                                      : f.root());
            f.form->tree().Insert1Click();
            break;
        case 1:
            if (node != f.root()) {
                f.dialogs.answers = {MessageButton::Yes};
                f.form->tree().Delete1Click();
            }
            break;
        case 2:
            f.form->tree().MoveUp1Click();
            break;
        case 3:
            f.form->tree().MoveDown1Click();
            break;
        case 4:
            f.ui().edt_Text->setText(QStringLiteral("Title %1").arg(step));
            break;
        case 5:
            f.ui().cmbx_Link->setEditText(QStringLiteral("https://example.com/%1").arg(step));
            break;
        case 7:
            f.dialogs.answers = {MessageButton::Yes};
            f.form->tree().Delete1Click();
            break;
        case 8:
            (random() % 2 == 0 ? f.form->tree().MoveUp1Click() : f.form->tree().MoveDown1Click());
            break;
        case 9: {
            // Dragged onto a row: above it, into it or below it by where the pointer is.
            QTreeWidgetItem* over = pick();
            const QRect row = f.tree()->visualItemRect(over);
            const int y = row.top() + static_cast<int>(random() % std::max(1, row.height()));
            f.form->tree().moveDraggedItem(over, QPoint(row.left() + 4, y));
            break;
        }
        case 10:
            f.ui().edt_Description->setText(QStringLiteral("Many %1").arg(step));
            break;
        default:
            f.select(f.root());
            f.ui().spnedt_SlideShowWidth->setValue(200 + step);
            f.ui().spdbtn_SlideInfoBgColor->toggle();
            break;
    }
}

}  // namespace

void UndoTest::undoingEveryEditGivesTheSavedBytes_data() {
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u})
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

// A run of random edits is undone and redone; saves before, after and in between hold the very
// same bytes, and the modified flag follows the history.
void UndoTest::undoingEveryEditGivesTheSavedBytes() {
    QFETCH(unsigned, seed);
    MainFormFixture f;
    f.insert(f.root(), "One");
    f.insert(f.root()->child(0), "One.1");
    f.insert(f.root(), "Two");
    const QString file = FreshFolder("undo") + "show.lvx";
    f.dialogs.fileAnswers = {file};
    f.form->Save1Click();
    const QByteArray before = ReadFile(file);
    QUndoStack& history = f.form->document().history();
    const int saved = history.index();

    std::mt19937 random(seed);
    for (int step = 0; step < 25; ++step) {
        randomEdit(f, random, step);
        QVERIFY(f.treeInStepWithList());
    }
    if (history.index() == saved)
        QSKIP("no edit in this run");
    f.form->Save1Click();
    const QByteArray after = ReadFile(file);
    const int edited = history.index();

    while (history.index() > saved) {
        f.form->Undo1Click();
        QVERIFY(f.treeInStepWithList());
    }
    QVERIFY(f.form->document().isModified());  // the file holds the edits
    f.form->Save1Click();
    QCOMPARE(ReadFile(file), before);
    QVERIFY(!f.ui().Save1->isEnabled());

    while (history.index() < edited)
        f.form->Redo1Click();
    QVERIFY(f.treeInStepWithList());
    f.form->Save1Click();
    QCOMPARE(ReadFile(file), after);
    // One step away from the save and back again: clean.
    f.form->Undo1Click();
    QVERIFY(f.form->document().isModified());
    f.form->Redo1Click();
    QVERIFY(!f.form->document().isModified());
}

void UndoTest::typingIntoAFieldIsOneStep() {
    MainFormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QTreeWidgetItem* node = f.insert(f.root(), "Sky");
    f.form->document().setModified(false);
    const int steps = f.form->document().history().count();
    f.select(node);
    QLineEdit* title = f.ui().edt_Text;
    f.form->activateWindow();
    title->setFocus();
    QTRY_VERIFY(title->hasFocus());
    title->end(false);
    QTest::keyClicks(title, " at dusk");
    QCOMPARE(node->text(0), QStringLiteral("Sky at dusk"));  // the caption follows the title
    QCOMPARE(f.form->document().history().count(), steps + 1);

    // The project's Undo, typed in the field itself, takes the whole step back.
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(title->text(), QStringLiteral("Sky"));
    QCOMPARE(node->text(0), QStringLiteral("Sky"));
    QVERIFY(!f.form->document().isModified());
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.agent().Items[0].Title, std::string("Sky at dusk"));
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(title, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(title->text(), QStringLiteral("Sky at dusk"));

    // Another field is another step; so is the same field once the focus has been elsewhere.
    f.ui().edt_Description->setFocus();
    QTRY_VERIFY(f.ui().edt_Description->hasFocus());
    QTest::keyClicks(f.ui().edt_Description, "x");
    title->setFocus();
    QTRY_VERIFY(title->hasFocus());
    QTest::keyClicks(title, "!");
    QCOMPARE(f.form->document().history().count(), steps + 3);

    // In a spin box too.
    f.select(f.root());
    QSpinBox* width = f.ui().spnedt_SlideShowWidth;
    width->setFocus();
    QTRY_VERIFY(width->hasFocus());
    width->selectAll();
    QTest::keyClicks(width, "640");
    QCOMPARE(f.agent().AppletData.SlideShowWidth, std::string("640"));
    QTest::keyClick(width, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(width->value(), 400);
    QCOMPARE(f.agent().AppletData.SlideShowWidth, std::string("400"));
}

// Typed into the Item page with 30 items selected: every one takes it in one step, the field
// they differ in stays as it is, and the undo gives back each item's own value.
void UndoTest::typingForManySelectedItemsIsOneStep() {
    MainFormFixture f;
    f.form->show();
    for (int k = 0; k < 30; ++k)
        f.insert(f.root(), "Slide " + std::to_string(k));
    f.agent().Items[4].Description = "Own description";
    const TItemArray before = f.agent().Items;
    const QList<QTreeWidgetItem*> nodes = itemNodes(f);
    f.select(nodes[0]);
    f.tree()->selectAll();
    QCOMPARE(f.form->tree().editedItems().size(), std::size_t{30});
    QVERIFY(f.ui().edt_Text->text().isEmpty());  // mixed
    QUndoStack& history = f.form->document().history();
    const int start = history.index();

    f.ui().edt_Description->setFocus();
    f.ui().edt_Description->selectAll();
    QTest::keyClicks(f.ui().edt_Description, QStringLiteral("Harbour"));
    QCOMPARE(history.index(), start + 1);
    for (std::size_t k = 0; k < 30; ++k) {
        QCOMPARE(f.agent().Items[k].Description, std::string("Harbour"));
        QCOMPARE(f.agent().Items[k].Title, before[k].Title);
    }
    f.form->Undo1Click();
    QVERIFY(f.agent().Items == before);
    QVERIFY(f.treeInStepWithList());
}

// Edit > Undo says what it takes back; undone from the root, a slide's field shows its old
// text at once, not when the slide is picked again.
// A click in the slide's picture sets its focal point (for every selected slide at once), the
// keys move it, Delete gives it back to the automatic finding; each click is a step of its own.
// A text in the field that is no point is left alone until a point is set.
void UndoTest::focalPointFollowsClicksAndKeys() {
    MainFormFixture f;
    f.form->show();
    const QString photo = FreshFolder(QStringLiteral("focus")) + "wide.png";
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    QVERIFY(wide.save(photo));
    QTreeWidgetItem* first = f.insert(f.root(), "First");
    QTreeWidgetItem* second = f.insert(f.root(), "Second");
    for (TItemData& item : f.agent().Items)
        item.OriginalImagePath = QFile::encodeName(photo).toStdString();
    f.agent().Items[1].Reserved6 = "not a point";
    FocalPointPicker* picker = f.ui().pntFocalPoint;
    picker->setFixedSize(240, 150);
    QUndoStack& history = f.form->document().history();
    f.select(second);
    QTRY_VERIFY_WITH_TIMEOUT(picker->hasPicture(), 10000);
    f.form->binder().storePanel();
    QCOMPARE(f.agent().Items[1].Reserved6, std::string("not a point"));

    f.select(first);
    const int start = history.index();
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(120, 75));
    QTest::keyClick(picker, Qt::Key_Right);
    QTest::keyClick(picker, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(f.agent().Items[0].Reserved6, std::string("51,60"));
    QCOMPARE(history.index(), start + 2);
    QCOMPARE(f.ui().Undo1->text(),
             QStringLiteral("&Undo Change ") + WithoutAccessKey(f.ui().lbl_36->text()));
    QTest::keyClick(picker, Qt::Key_Delete);
    QCOMPARE(f.agent().Items[0].Reserved6, std::string());
    QCOMPARE(history.index(), start + 3);
    f.form->Undo1Click();
    QCOMPARE(picker->pointText(), QStringLiteral("51,60"));

    f.tree()->selectAll();
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(120, 75));
    QCOMPARE(f.agent().Items[0].Reserved6, std::string("50,50"));
    QCOMPARE(f.agent().Items[1].Reserved6, std::string("50,50"));
    f.form->Undo1Click();
    QCOMPARE(f.agent().Items[1].Reserved6, std::string("not a point"));
    while (history.index() > start)
        f.form->Undo1Click();
    QCOMPARE(f.agent().Items[0].Reserved6, std::string());
}

void UndoTest::undoNamesItsStepAndShowsWhatItRestored() {
    MainFormFixture f;
    f.form->show();
    QTreeWidgetItem* slide = f.insert(f.root(), "Before");
    f.select(slide);
    f.ui().edt_Text->setFocus();
    f.ui().edt_Text->selectAll();
    QTest::keyClicks(f.ui().edt_Text, QStringLiteral("After"));
    f.select(f.root());
    QCOMPARE(f.ui().Undo1->text(),
             QStringLiteral("&Undo Typing ") + WithoutAccessKey(f.ui().lbl_33->text()));
    f.form->Undo1Click();
    QCOMPARE(f.tree()->currentItem(), slide);
    QCOMPARE(f.ui().edt_Text->text(), QStringLiteral("Before"));
    QVERIFY(f.ui().Redo1->text().endsWith(WithoutAccessKey(f.ui().lbl_33->text())));
}

void UndoTest::findAndReplaceIsOneStep_data() {
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("changed");
    QTest::addColumn<QString>("firstTitle");
    QTest::newRow("any case, title and link") << "harbour"
                                              << "Port" << false << 2 << "Port at dawn";
    QTest::newRow("matching case") << "harbour"
                                   << "Port" << true << 1 << "Harbour at dawn";
    QTest::newRow("nowhere") << "castle"
                             << "x" << false << 0 << "Harbour at dawn";
    QTest::newRow("the separator") << "dawn"
                                   << "#$@" << false << 0 << "Harbour at dawn";
}

// Titles, descriptions, tooltips and links of every slide, in one step the undo takes back.
void UndoTest::findAndReplaceIsOneStep() {
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(bool, matchCase);
    QFETCH(int, changed);
    QFETCH(QString, firstTitle);
    MainFormFixture f;
    f.insert(f.root(), "Harbour at dawn");
    f.insert(f.root(), "Hills");
    f.agent().Items[1].LinkUrl = "https://example.com/harbour";
    const TItemArray before = f.agent().Items;
    QUndoStack& history = f.form->document().history();
    const int start = history.index();
    QCOMPARE(ReplaceInSlides(f.form->tree(), history, f.dialogs, f.form.get(), find, replace,
                             matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive),
             changed);
    QCOMPARE(QString::fromStdString(f.agent().Items[0].Title), firstTitle);
    QVERIFY(f.treeInStepWithList());
    QCOMPARE(history.index(), start + (changed > 0 ? 1 : 0));
    if (changed > 0) {
        f.form->Undo1Click();
        QVERIFY(f.agent().Items == before);
    }
}

void UndoTest::newAndOpenStartAFreshHistory() {
    MainFormFixture f;
    f.insert(f.root(), "A");
    f.form->tree().Insert1Click();
    const QString file = FreshFolder("fresh") + "a.lvx";
    f.dialogs.fileAnswers = {file};
    f.form->Save1Click();
    QVERIFY(f.form->document().history().canUndo());
    f.form->OpenProjectFile(file);
    QVERIFY(!f.form->document().history().canUndo());
    QVERIFY(!f.ui().Undo1->isEnabled());
    // After an open the item commands follow the selection (the root) at once.
    QVERIFY(f.ui().Insert1->isEnabled());
    QVERIFY(!f.ui().Delete1->isEnabled());
    f.form->tree().Insert1Click();
    f.dialogs.answers = {MessageButton::No};
    f.form->New1Click();
    QVERIFY(!f.form->document().history().canUndo());
    QVERIFY(!f.form->document().isModified());
}

void UndoTest::eachOptionIsOneStepAndTravelsWithTheProject_data() {
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("block");  // the options block saved
    QTest::newRow("modern") << "cmbWebOutput" << 1
                            << "WebOutput=Modern\r\nNavigation=ArrowsAndDots\r\n";
    QTest::newRow("fill") << "cmbSlideFit" << 1 << "SlideFit=Fill\r\n";
    QTest::newRow("zoom (End)") << "cmbTransition" << 2 << "Transition=Zoom\r\n";
    QTest::newRow("arrows") << "cmbNavigation" << 1 << "Navigation=Arrows\r\n";
}

void UndoTest::eachOptionIsOneStepAndTravelsWithTheProject() {
    QFETCH(QString, combo);
    QFETCH(int, index);
    QFETCH(QString, block);
    MainFormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.select(f.root());
    auto* choice = f.form->findChild<QComboBox*>(combo);
    f.form->activateWindow();
    choice->setFocus();
    QTRY_VERIFY(choice->hasFocus());
    // One key, one choice: Down to the second value, End to the last.
    QTest::keyClick(choice, index == 1 ? Qt::Key_Down : Qt::Key_End);
    QVERIFY(f.form->document().isModified());
    const QString file = FreshFolder("options") + "a.lvx";
    f.dialogs.fileAnswers = {file};
    f.form->Save1Click();
    QVERIFY2(ReadFile(file).contains("\r\n<Lumivex_Options>\r\n" + block.toUtf8() +
                                     "</Lumivex_Options>"),
             qPrintable(ReadFile(file)));

    f.form->Undo1Click();
    QCOMPARE(choice->currentIndex(), 0);
    QVERIFY(f.agent().Options.empty());  // the defaults are a project without options
    f.form->Redo1Click();
    QCOMPARE(choice->currentIndex(), index);

    MainFormFixture opened;
    opened.form->OpenProjectFile(file);
    QCOMPARE(opened.form->findChild<QComboBox*>(combo)->currentIndex(), index);
    QVERIFY(!opened.form->document().isModified());
}

LUMIVEX_UI_TEST(UndoTest);
#include "UndoTest.moc"
