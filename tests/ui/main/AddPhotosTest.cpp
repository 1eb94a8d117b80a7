#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include "MainFormFixture.h"
#include "Thumbnails.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class AddPhotosTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void photosGoAfterTheSelectedItemInOneStep_data();
    void photosGoAfterTheSelectedItemInOneStep();
    void unreadableFilesAreNamedAndLeftOut_data();
    void unreadableFilesAreNamedAndLeftOut();
    void droppedFilesAndFolders();
    void dropsAreTakenAsACopyNeverAMove_data();
    void dropsAreTakenAsACopyNeverAMove();
    void draggingMovesSubtreesAsOneStep_data();
    void draggingMovesSubtreesAsOneStep();
    void treeKeys();
    void photosShowAsPicturesInTheTree();
    void movedPhotosAreRelinkedInOneStep();
};

namespace {

// Small pictures of the kinds their names say ("not a picture" for any other name); without
// metadata their titles are their names.
QStringList photoFiles(const QString& folder, const QStringList& names) {
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QStringList paths;
    for (const QString& name : names) {
        const QByteArray kind = QFileInfo(name).suffix().toLower().toLatin1();
        if (kind != "jpg" && kind != "png" && kind != "bmp")
            WriteFile(folder + name, "not a picture");
        else if (!picture.save(folder + name, kind == "jpg" ? "JPEG" : kind.constData()))
            qFatal("cannot write %s", qPrintable(folder + name));
        paths << folder + name;
    }
    return paths;
}

// A tree of "A" (with "A1", "A2") and "B".
struct Slides : MainFormFixture {
    Slides() {
        QTreeWidgetItem* a = insert(root(), "A");
        insert(a, "A1");
        insert(a, "A2");
        insert(root(), "B");
        SetClean();
    }
    void SetClean() { form->document().setModified(false); }
    QTreeWidgetItem* node(const QString& path) {
        QTreeWidgetItem* at = root();
        for (const QString& step : path.split('/')) {
            for (int i = 0; i < at->childCount(); ++i) {
                if (at->child(i)->text(0) == step) {
                    at = at->child(i);
                    break;
                }
            }
        }
        return at;
    }
};

}  // namespace

void AddPhotosTest::photosGoAfterTheSelectedItemInOneStep_data() {
    QTest::addColumn<QString>("anchor");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("root: last under it")
        << "" << QStringList{"A", "A1", "A2", "B", "img1", "img2", "img10"};
    QTest::newRow("an item: after it, on its level")
        << "A" << QStringList{"A", "A1", "A2", "img1", "img2", "img10", "B"};
    QTest::newRow("a child: after it, as children")
        << "A/A1" << QStringList{"A", "A1", "img1", "img2", "img10", "A2", "B"};
}

void AddPhotosTest::photosGoAfterTheSelectedItemInOneStep() {
    QFETCH(QString, anchor);
    QFETCH(QStringList, titles);
    Slides f;
    const QString folder = FreshFolder("photos");
    f.select(anchor.isEmpty() ? f.root() : f.node(anchor));
    const int steps = f.form->document().history().count();
    // Natural order of the names, whatever the order picked in.
    f.dialogs.filesAnswers = {photoFiles(folder, {"img10.jpg", "img2.JPG", "img1.png"})};
    f.ui().AddPhotos1->trigger();
    QCOMPARE(f.titles(), titles);
    QVERIFY(f.treeInStepWithList());
    QCOMPARE(f.agent().Items[static_cast<size_t>(titles.indexOf("img2"))].OriginalImagePath,
             (folder + "img2.JPG").toStdString());
    QCOMPARE(f.form->document().history().count(), steps + 1);
    QVERIFY(f.form->document().isModified());

    f.form->Undo1Click();
    QCOMPARE(f.titles(), (QStringList{"A", "A1", "A2", "B"}));
    QVERIFY(!f.form->document().isModified());
    f.form->Redo1Click();
    QCOMPARE(f.titles(), titles);
    QVERIFY(f.treeInStepWithList());
}

void AddPhotosTest::unreadableFilesAreNamedAndLeftOut_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("refused");
    QTest::newRow("some") << QStringList{"b.png", "text.jpg", "a.jpg", "empty.bmp"}
                          << QStringList{"a", "b"} << QStringList{"empty.bmp", "text.jpg"};
    QTest::newRow("none readable")
        << QStringList{"text.jpg"} << QStringList{} << QStringList{"text.jpg"};
}

void AddPhotosTest::unreadableFilesAreNamedAndLeftOut() {
    QFETCH(QStringList, names);
    QFETCH(QStringList, added);
    QFETCH(QStringList, refused);
    MainFormFixture f;
    const QString folder = FreshFolder("unreadable");
    const QStringList paths = photoFiles(folder, names);
    WriteFile(folder + "text.jpg", "not a picture");
    WriteFile(folder + "empty.bmp", "");
    const int steps = f.form->document().history().count();
    const int before = f.root()->childCount();
    f.form->photos().addPhotos(paths, nullptr);
    QStringList titles;
    for (int i = before; i < f.root()->childCount(); ++i)
        titles << f.root()->child(i)->text(0);
    QCOMPARE(titles.join(","), added.join(","));
    QCOMPARE(f.form->document().history().count(), steps + (added.isEmpty() ? 0 : 1));
    // One message for them all, naming each.
    QCOMPARE(f.dialogs.messages.size(), 1);
    for (const QString& name : refused)
        QVERIFY2(f.dialogs.messages[0].text.contains('"' + folder + name + '"'),
                 qPrintable(f.dialogs.messages[0].text));
    QVERIFY(!f.dialogs.messages[0].text.contains(folder + "a.jpg"));
}

void AddPhotosTest::droppedFilesAndFolders() {
    Slides f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    const QString folder = FreshFolder("dropped");
    photoFiles(folder, {"b.jpg", "a.png", "notes.txt"});
    QDir().mkpath(folder + "sub");
    photoFiles(folder + "sub/", {"deeper.jpg"});
    const QString single = photoFiles(FreshFolder("single"), {"one.bmp"}).first();

    // A folder brings its own photos, not its subfolder's; dropped on an item, they follow it.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(single)});
    const QPoint onB = f.tree()->visualItemRect(f.node("B")).center();
    QDropEvent drop(onB, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // The window system delivers drops only during a real drag: handed over as it would.
    QVERIFY(f.form->photos().takeTreeDrag(&drop));
    QVERIFY(drop.isAccepted());
    QCOMPARE(f.titles(), (QStringList{"A", "A1", "A2", "B", "a", "b", "one"}));

    // Dropped on the window elsewhere: after the selected item.
    f.select(f.node("A/A1"));
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(folder + "sub")});
    QDropEvent onWindow(QPointF(5, 5), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    f.form->photos().takeWindowDrag(&onWindow);
    QCOMPARE(f.titles(), (QStringList{"A", "A1", "deeper", "A2", "B", "a", "b", "one"}));
    QVERIFY(f.treeInStepWithList());

    // Nothing that is a photo: nothing happens.
    const int steps = f.form->document().history().count();
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(folder + "notes.txt")});
    QDropEvent none(onB, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(!f.form->photos().takeTreeDrag(&none));
    QCOMPARE(f.form->document().history().count(), steps);
}

void AddPhotosTest::dropsAreTakenAsACopyNeverAMove_data() {
    QTest::addColumn<int>("offered");
    QTest::addColumn<int>("taken");  // 0: refused
    QTest::newRow("copy or move") << int(Qt::CopyAction | Qt::MoveAction) << int(Qt::CopyAction);
    QTest::newRow("link or move") << int(Qt::LinkAction | Qt::MoveAction) << int(Qt::LinkAction);
    QTest::newRow("move only") << int(Qt::MoveAction) << 0;
}

void AddPhotosTest::dropsAreTakenAsACopyNeverAMove() {
    QFETCH(int, offered);
    QFETCH(int, taken);
    Slides f;
    const QString photo = photoFiles(FreshFolder("offered"), {"one.jpg"}).first();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(photo)});
    const auto actions = Qt::DropActions(offered);
    QDragEnterEvent enter(QPoint(5, 5), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    enter.setDropAction(Qt::MoveAction);  // what the source proposes
    f.form->photos().takeWindowDrag(&enter);
    QDropEvent drop(QPointF(5, 5), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    drop.setDropAction(Qt::MoveAction);
    f.form->photos().takeWindowDrag(&drop);
    for (QDropEvent* e : {static_cast<QDropEvent*>(&enter), &drop}) {
        QCOMPARE(e->isAccepted(), taken != 0);
        if (taken != 0)
            QCOMPARE(int(e->dropAction()), taken);
    }
    QCOMPARE(f.agent().Items.size(), size_t(taken != 0 ? 5 : 4));
}

void AddPhotosTest::draggingMovesSubtreesAsOneStep_data() {
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("over");
    QTest::addColumn<int>("where");     // -1 upper edge, 0 middle, 1 lower edge; no item: below all
    QTest::addColumn<QString>("tree");  // every node as parent/child, in walk order
    const QString unchanged = "A A/A1 A/A2 B";
    QTest::newRow("before a sibling") << "B"
                                      << "A" << -1 << "B A A/A1 A/A2";
    QTest::newRow("into an item") << "B"
                                  << "A" << 0 << "A A/A1 A/A2 A/B";
    QTest::newRow("a child out, before its parent's sibling") << "A/A1"
                                                              << "B" << -1 << "A A/A2 A1 B";
    QTest::newRow("a child below everything") << "A/A1"
                                              << "" << 0 << "A A/A2 B A1";
    QTest::newRow("a block below everything") << "A"
                                              << "" << 0 << "B A A/A1 A/A2";
    // Too deep, into itself, or where it is: refused.
    QTest::newRow("a block into an item") << "A"
                                          << "B" << 0 << unchanged;
    QTest::newRow("into its own child") << "A"
                                        << "A/A2" << 0 << unchanged;
    QTest::newRow("onto its own place") << "A/A2"
                                        << "A/A2" << 1 << unchanged;
}

// The item under the pointer decides: near its upper or lower edge before or after it, in its
// middle into it.
void AddPhotosTest::draggingMovesSubtreesAsOneStep() {
    QFETCH(QString, dragged);
    QFETCH(QString, over);
    QFETCH(int, where);
    QFETCH(QString, tree);
    Slides f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.tree()->expandAll();
    const auto shape = [&] {
        QStringList nodes;
        for (QTreeWidgetItem* n : f.form->findChildren<QTreeWidget*>().first()->findItems(
                 "*", Qt::MatchWildcard | Qt::MatchRecursive)) {
            if (n->parent() == nullptr)
                continue;
            nodes << (n->parent()->parent() != nullptr ? n->parent()->text(0) + "/" : QString()) +
                         n->text(0);
        }
        return nodes.join(' ');
    };
    const QString before = shape();
    QTreeWidgetItem* target = over.isEmpty() ? nullptr : f.node(over);
    QPoint at(10, f.tree()->viewport()->height() - 2);
    if (target != nullptr) {
        const QRect rect = f.tree()->visualItemRect(target);
        at = where < 0    ? QPoint(rect.center().x(), rect.top() + 1)
             : where == 0 ? rect.center()
                          : QPoint(rect.center().x(), rect.bottom() - 1);
    }
    f.select(f.node(dragged));
    const int steps = f.form->document().history().count();
    f.form->tree().moveDraggedItem(target, at);
    QCOMPARE(shape(), tree);
    QVERIFY(f.treeInStepWithList());
    const bool moved = tree != before;
    QCOMPARE(f.form->document().history().count(), steps + (moved ? 1 : 0));
    if (moved) {
        QCOMPARE(f.tree()->currentItem()->text(0), dragged.section('/', -1));
        f.form->Undo1Click();
        QCOMPARE(shape(), before);
        QVERIFY(f.treeInStepWithList());
        QVERIFY(!f.form->document().isModified());
    }
}

void AddPhotosTest::treeKeys() {
    Slides f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QWidget* tree = f.tree();
    tree->setFocus();
    QTRY_VERIFY(tree->hasFocus());
    f.select(f.node("B"));
    QTest::keyClick(tree, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(f.titles(), (QStringList{"B", "A", "A1", "A2"}));
    QTest::keyClick(tree, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(f.titles(), (QStringList{"A", "A1", "A2", "B"}));
    QTest::keyClick(tree, Qt::Key_Insert);
    QCOMPARE(f.titles(), (QStringList{"A", "A1", "A2", "B", "Item"}));
    f.dialogs.answers = {MessageButton::Yes};
    f.select(f.node("A"));
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(f.titles(), (QStringList{"B", "Item"}));
    QVERIFY(f.treeInStepWithList());
    // The Menu key and Shift+F10 open the tree's menu, which holds Add Photos.
    QVERIFY(f.ui().PopupMenu1->actions().contains(f.ui().AddPhotos1));
    for (const auto& [key, modifier] :
         {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        bool shown = false;
        QTimer::singleShot(50, f.ui().PopupMenu1, [&] {
            shown = f.ui().PopupMenu1->isVisible();
            f.ui().PopupMenu1->close();
        });
        QTest::keyClick(tree, key, modifier);
        QTRY_VERIFY(shown);
    }
}

// Made on worker threads and cached on disk; a photo that is not there says so.
void AddPhotosTest::photosShowAsPicturesInTheTree() {
    MainFormFixture f;
    const QString folder = FreshFolder("pictures");
    QImage red(300, 200, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(folder + "red.jpg"));
    f.form->photos().addPhotos({folder + "red.jpg"}, nullptr);
    QTreeWidgetItem* photo = f.root()->child(0);
    QTRY_COMPARE(photo->data(0, Qt::UserRole + 1).toString(), "photo:" + folder + "red.jpg");
    const QImage shown = photo->icon(0).pixmap(48, 48).toImage();
    QVERIFY(qRed(shown.pixel(24, 24)) > 200 && qGreen(shown.pixel(24, 24)) < 60);

    // A path typed that leads nowhere, and back.
    f.select(photo);
    f.ui().edtOriginalImagePath->setText(folder + "gone.jpg");
    QTRY_VERIFY(photo->data(0, Qt::UserRole + 1).toString().startsWith("missing:"));
    f.form->Undo1Click();
    QTRY_COMPARE(photo->data(0, Qt::UserRole + 1).toString(), "photo:" + folder + "red.jpg");
    // Kept beside the slide images' cache for the next time.
    f.form->thumbnails()->waitForDone();
    QVERIFY(!QDir(QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME")) + "/lumivex/thumbnails")
                 .entryList(QDir::Files)
                 .isEmpty());
}

// A photo folder moved and renamed: Find Missing Photos relinks what it finds there, in one
// step the undo takes back, and says how many it found; Add Photos starts where photos came
// from last.
void AddPhotosTest::movedPhotosAreRelinkedInOneStep() {
    MainFormFixture f;
    const QString old = FreshFolder("relink-old");
    const QStringList paths = photoFiles(old, {"a.jpg", "b.png", "c.jpg"});
    f.dialogs.filesAnswers = {paths};
    f.form->photos().AddPhotos1Click();
    QCOMPARE(f.dialogs.files.last().initialFolder,
             QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    f.dialogs.filesAnswers = {{}};
    f.form->photos().AddPhotos1Click();
    QCOMPARE(QDir(f.dialogs.files.last().initialFolder), QDir(old));
    f.agent().Items[2].OriginalImagePath = "/nowhere/gone.jpg";  // not in the new folder

    const QString top = FreshFolder("relink-new");
    const QString moved = top + "2024/";
    QVERIFY(QDir().mkpath(moved));
    for (const QString& path : paths)
        QVERIFY(QFile::rename(path, moved + QFileInfo(path).fileName()));
    QUndoStack& history = f.form->document().history();
    const int before = history.index();
    f.dialogs.clear();
    f.dialogs.fileAnswers = {top};
    f.form->photos().FindMissingPhotos1Click();
    QCOMPARE(history.index(), before + 1);
    QCOMPARE(QString::fromStdString(f.agent().Items[0].OriginalImagePath),
             QFileInfo(moved + "a.jpg").absoluteFilePath());
    QVERIFY(QFileInfo::exists(QString::fromStdString(f.agent().Items[1].OriginalImagePath)));
    QCOMPARE(f.agent().Items[2].OriginalImagePath, std::string("/nowhere/gone.jpg"));
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].text.contains(QLatin1String("2 of 3")));
    f.form->Undo1Click();
    QCOMPARE(QFileInfo(QString::fromStdString(f.agent().Items[0].OriginalImagePath)).dir(),
             QDir(old));
}

LUMIVEX_UI_TEST(AddPhotosTest);
#include "AddPhotosTest.moc"
