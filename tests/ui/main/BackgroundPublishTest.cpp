#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUndoStack>
#include <thread>

#include "EngineErrors.h"
#include "MainFormFixture.h"
#include "Publisher.h"
#include "RecordingProgress.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;
using lumivex::testing::RecordingProgress;

class BackgroundPublishTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workRunsOffTheThreadAndReportsOnIt();
    void cancelStopsTheWorkAndItsErrorReachesTheCaller();
    void aCancelledSaveLeavesTheFolderAndTheProjectAsTheyWere();
};

void BackgroundPublishTest::workRunsOffTheThreadAndReportsOnIt() {
    RecordingProgress shown;
    Publisher publisher(shown);
    QList<bool> running;
    connect(&publisher, &Publisher::runningChanged, [&](bool on) { running << on; });
    bool servedMeanwhile = false;
    QTimer::singleShot(0, [&] { servedMeanwhile = publisher.running(); });
    std::thread::id worker;
    publisher.run([&] {
        worker = std::this_thread::get_id();
        QThread::msleep(100);  // the timer fires while this runs
        publisher.setMaximum(2);
        publisher.setPosition(1);
        publisher.setHint("slide 1 of 2");
    });
    QVERIFY(worker != std::this_thread::get_id());
    QVERIFY(servedMeanwhile);
    // Shown on this thread, in order, before run() returned.
    QCOMPARE(shown.events, (std::vector<std::string>{"max 2", "pos 1", "hint slide 1 of 2"}));
    QCOMPARE(running, (QList<bool>{true, false}));
    QVERIFY(!publisher.running());

    // A flood of calls is gathered, never queued one by one for the window; the last state
    // holds.
    shown.events.clear();
    publisher.run([&] {
        for (int i = 1; i <= 20000; ++i) {
            publisher.setPosition(i);
            publisher.setHint("slide " + std::to_string(i));
        }
    });
    QVERIFY2(shown.events.size() < 2000, qPrintable(QString::number(shown.events.size())));
    QCOMPARE(shown.position, 20000);
    QCOMPARE(shown.hint, std::string("slide 20000"));
}

void BackgroundPublishTest::cancelStopsTheWorkAndItsErrorReachesTheCaller() {
    RecordingProgress shown;
    Publisher publisher(shown);
    QTimer::singleShot(20, &publisher, &Publisher::cancel);
    QElapsedTimer clock;
    clock.start();
    QVERIFY_THROWS_EXCEPTION(lumivex::PublishCancelledError, publisher.run([&] {
        while (!publisher.stopRequested())
            QThread::msleep(5);
        throw lumivex::PublishCancelledError();
    }));
    QVERIFY(clock.elapsed() < 1000);
    // The next run starts afresh.
    publisher.run([&] { QVERIFY(!publisher.stopRequested()); });
}

void BackgroundPublishTest::aCancelledSaveLeavesTheFolderAndTheProjectAsTheyWere() {
    MainFormFixture f;
    f.form->show();
    const QString photos = FreshFolder("large photos");
    QImage photo(3000, 2000, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) {
        photo.fill(QColor::fromHsv(i * 50, 200, 200));
        const QString path = photos + QStringLiteral("p%1.jpg").arg(i);
        QVERIFY(photo.save(path, "JPEG"));
        f.insert(f.root(), "Photo")->setText(0, "Photo");
        f.agent().Items.back().OriginalImagePath = path.toStdString();
    }
    const QString site = FreshFolder("cancelled site");
    f.dialogs.fileAnswers = {site + "Show.lvx"};
    bool paused = false;
    QTimer::singleShot(0, [&] {
        paused = !f.ui().centralwidget->isEnabled() && !f.ui().Save1->isEnabled() &&
                 f.form->findChild<QPushButton*>("btnCancelPublish")->isVisible();
        QTest::keyClick(f.tree(), Qt::Key_Escape);
    });
    f.form->Save1Click();
    QVERIFY(paused);
    QVERIFY(QDir(site).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(f.form->document().isModified());
    QVERIFY(f.form->document().fileName().isEmpty());
    QVERIFY(f.dialogs.messages.isEmpty());
    // Afterwards the window takes edits and commands again, and the save goes through.
    QVERIFY(f.ui().centralwidget->isEnabled() && f.ui().Save1->isEnabled());
    QVERIFY(!f.form->findChild<QPushButton*>("btnCancelPublish")->isVisible());
    // A key typed during the save is not lost: it reaches the tree once the save has ended.
    f.select(f.root());
    f.tree()->setFocus();
    f.dialogs.fileAnswers = {site + "Show.lvx"};
    QTimer::singleShot(0, [&] { QTest::keyClick(f.tree(), Qt::Key_Down); });
    f.form->Save1Click();
    QTRY_COMPARE(f.tree()->currentItem(), f.root()->child(0));
    QVERIFY(QFile::exists(site + "slider5.jpg"));
    QVERIFY(!f.form->document().isModified());

    // Closing during a publish asks, stops it, then asks about the unsaved changes and goes.
    f.agent().Items[0].OriginalImagePath = (photos + "p1.jpg").toStdString();
    f.form->document().setModified(true);
    f.dialogs.clear();
    f.dialogs.answers = {MessageButton::Yes, MessageButton::No};
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] { stayedOpen = !f.form->close() && f.form->isVisible(); });
    f.form->Save1Click();
    QVERIFY(stayedOpen);
    QTRY_VERIFY(!f.form->isVisible());
    QCOMPARE(f.dialogs.messages.size(), 2);
    QVERIFY(f.form->document().isModified());
}

LUMIVEX_UI_TEST(BackgroundPublishTest);
#include "BackgroundPublishTest.moc"
