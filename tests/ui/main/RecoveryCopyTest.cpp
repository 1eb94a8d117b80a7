#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include "MainFormFixture.h"
#include "RecoveryCopy.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

QString ownCopy() {
    return RecoveryCopy::DefaultFolder() + QString::number(QCoreApplication::applicationPid()) +
           ".lvx";
}

// The id of a process that has ended, as a crashed editor's would be.
qint64 endedProcess() {
    QProcess done;
    done.start(QStringLiteral("true"), {});
    done.waitForFinished();
    return done.processId() != 0 ? done.processId() : 999999;
}

}  // namespace

class RecoveryCopyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unsavedChangesAreCopiedUntilSaved();
    void aCopyLeftBehindIsOffered_data();
    void aCopyLeftBehindIsOffered();
};

void RecoveryCopyTest::unsavedChangesAreCopiedUntilSaved() {
    MainFormFixture f;
    f.form->recovery().write();
    QVERIFY(!QFile::exists(ownCopy()));  // nothing unsaved
    f.insert(f.root(), "Harbour");
    f.form->recovery().write();
    QVERIFY(ReadFile(ownCopy()).contains("Harbour"));
    const QString site = FreshFolder("recovered site");
    f.dialogs.fileAnswers = {site + "Show.lvx"};
    f.form->Save1Click();
    QVERIFY(!QFile::exists(ownCopy()));
    QVERIFY(!QDir(site).entryList().contains(QFileInfo(ownCopy()).fileName()));
    // A clean end takes the copy with it.
    f.insert(f.root(), "Later");
    f.form->recovery().write();
    QVERIFY(QFile::exists(ownCopy()));
    f.form.reset();
    QVERIFY(!QFile::exists(ownCopy()));
}

void RecoveryCopyTest::aCopyLeftBehindIsOffered_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<bool>("kept");
    QTest::newRow("restore") << int(MessageButton::Yes) << true << false;
    QTest::newRow("discard") << int(MessageButton::No) << false << false;
    QTest::newRow("later") << int(MessageButton::Cancel) << false << true;
}

void RecoveryCopyTest::aCopyLeftBehindIsOffered() {
    QFETCH(int, answer);
    QFETCH(bool, restored);
    QFETCH(bool, kept);
    const QString original = FreshFolder("crashed") + "Gallery.lvx";
    const QString left = RecoveryCopy::DefaultFolder() + QString::number(endedProcess());
    {
        MainFormFixture crashed;
        crashed.insert(crashed.root(), "Unsaved");
        crashed.form->recovery().write();
        QDir().rename(ownCopy(), left + ".lvx");
        WriteFile(left + ".name", original.toUtf8());
    }
    MainFormFixture f;
    f.dialogs.answers = {MessageButton(answer)};
    QCOMPARE(f.form->recovery().offerLeftCopies(f.dialogs, f.form.get()), restored);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].text.contains(original));
    QCOMPARE(QFile::exists(left + ".lvx"), kept);
    QCOMPARE(f.titles(), restored ? QStringList{"Unsaved"} : QStringList{});
    QCOMPARE(f.form->document().fileName(), restored ? original : QString());
    QCOMPARE(f.form->document().isModified(), restored);
    QFile::remove(left + ".lvx");
    QFile::remove(left + ".name");
}

LUMIVEX_UI_TEST(RecoveryCopyTest);
#include "RecoveryCopyTest.moc"
