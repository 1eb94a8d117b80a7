#include <QSplitter>
#include <QStandardPaths>
#include <QTest>

#include "EngineErrors.h"
#include "HTMLBuild.h"
#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class DocumentLifecycleTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void saveQuestionAnswers();
    void saveWithoutNameAddsExtensionAndKeepsTypedName();
    void saveAsLeavesSaveEnabled();
    void closeQuestion();
    void buildWithoutItemsKeepsPreviousText();
    void refusedAndUnreadableFilesLeaveAConsistentWindow();
    void opensThatDoNotCompleteKeepTheOpenProject_data();
    void opensThatDoNotCompleteKeepTheOpenProject();
    void aRecentFilesListThatCannotBeWrittenDoesNotStopAnOpen();
    void filesChangedOnDiskAreNotSavedOverWithoutAQuestion();
    void importKeepsCurrentFileNameAndExportAddsExtension();
    void titleStaysLumivex();
    void aTemplateOpensAsANewUntitledProject();
    void aPhotoThatCannotBeReadStillLetsTheProjectBeSaved();
    void generalErrorReportShowsWhatAHandlerThrows();
    void theWindowComesBackAsItWasLeft();
};

void DocumentLifecycleTest::saveQuestionAnswers() {
    MainFormFixture f;
    f.insert(f.root(), "One");
    QVERIFY(f.form->document().isModified());
    QVERIFY(f.ui().Save1->isEnabled());

    // Cancel: nothing changes, the item stays.
    f.dialogs.answers = {MessageButton::Cancel};
    f.form->New1Click();
    QCOMPARE(f.dialogs.messageTexts(), QStringList{"Save changes to files?"});
    QCOMPARE(f.agent().Items.size(), size_t(1));
    QVERIFY(f.form->document().isModified());

    // Yes, then a cancelled save dialog: the command goes on and drops the changes.
    f.dialogs.clear();
    f.dialogs.answers = {MessageButton::Yes};
    f.dialogs.fileAnswers = {std::nullopt};
    f.form->New1Click();
    QCOMPARE(f.dialogs.files.size(), 1);
    QVERIFY(f.dialogs.files[0].save);
    QCOMPARE(f.dialogs.files[0].filter, QStringLiteral("Lumivex Files (*.lvx)|*.lvx"));
    QCOMPARE(f.agent().Items.size(), size_t(0));
    QVERIFY(!f.form->document().isModified());
    QVERIFY(!f.ui().Save1->isEnabled());
    QVERIFY(!f.ui().tlbtnSave->isEnabled());

    // A clean document asks nothing; a cancelled Open still clears the preview folder.
    f.dialogs.clear();
    QDir().mkpath(f.folder + "preview");
    WriteFile(f.folder + "preview/stale.jpg", "x");
    f.agent().PreviewCopies.push_back("stale.jpg");
    f.form->Open1Click();
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(!QFile::exists(f.folder + "preview/stale.jpg"));
}

void DocumentLifecycleTest::saveWithoutNameAddsExtensionAndKeepsTypedName() {
    MainFormFixture f;
    f.insert(f.root(), "First");
    const QString site = FreshFolder("site");
    f.dialogs.fileAnswers = {site + "show"};
    f.form->Save1Click();
    QVERIFY(QFile::exists(site + "show.lvx"));
    QVERIFY(QFile::exists(site + "show.html"));
    QVERIFY(QFile::exists(site + "show_PublishReport.txt"));
    QVERIFY(QFile::exists(site + "lumivex.js"));
    QCOMPARE(f.form->document().fileName(), site + "show");
    QVERIFY(!f.form->document().isModified());

    // The next Save writes the same file without asking.
    f.insert(f.root(), "Second");
    f.dialogs.clear();
    f.form->Save1Click();
    QVERIFY(f.dialogs.files.isEmpty());
    QVERIFY(ReadFile(site + "show.lvx").contains("Second#$@"));
}

void DocumentLifecycleTest::saveAsLeavesSaveEnabled() {
    MainFormFixture f;
    f.insert(f.root(), "Only");
    const QString site = FreshFolder("saveas");
    f.dialogs.fileAnswers = {site + "copy.lvx"};
    f.form->Save2Click();
    QVERIFY(QFile::exists(site + "copy.lvx"));
    QVERIFY(f.form->document().isModified());
    QVERIFY(f.ui().Save1->isEnabled());
    QCOMPARE(f.form->document().fileName(), site + "copy.lvx");

    // The exit question still comes; No closes.
    f.dialogs.clear();
    f.dialogs.answers = {MessageButton::No};
    QVERIFY(f.form->close());
    QCOMPARE(f.dialogs.messageTexts(), QStringList{"Save changes to files before Exit?"});
}

void DocumentLifecycleTest::closeQuestion() {
    MainFormFixture f;
    f.form->show();
    f.insert(f.root(), "Kept");
    QDir().mkpath(f.folder + "preview");
    WriteFile(f.folder + "preview/copy.gif", "x");
    f.agent().PreviewCopies.push_back("copy.gif");

    // Cancel keeps the window open, and the preview folder is cleared all the same.
    f.dialogs.answers = {MessageButton::Cancel};
    QVERIFY(!f.form->close());
    QVERIFY(f.form->isVisible());
    QVERIFY(!QFile::exists(f.folder + "preview/copy.gif"));

    // Yes without a name and a cancelled dialog keeps it open too.
    f.dialogs.answers = {MessageButton::Yes};
    f.dialogs.fileAnswers = {std::nullopt};
    QVERIFY(!f.form->close());

    // Escape typed into an edit leaves it for the tree; it never closes the window.
    f.dialogs.clear();
    f.ui().edt_ctrlId->setFocus();
    QTest::keyClick(f.ui().edt_ctrlId, Qt::Key_Escape);
    QVERIFY(f.dialogs.messageTexts().isEmpty());
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.form->focusWidget(), f.tree());

    // Yes with a name saves and closes.
    const QString site = FreshFolder("exit");
    f.dialogs.answers = {MessageButton::Yes};
    f.dialogs.fileAnswers = {site + "last.lvx"};
    QVERIFY(f.form->close());
    QVERIFY(ReadFile(site + "last.lvx").contains("Kept#$@"));
}

void DocumentLifecycleTest::buildWithoutItemsKeepsPreviousText() {
    MainFormFixture f;
    f.insert(f.root(), "Shown");
    f.form->preview().BuildGeneratedCode();
    const std::string built = f.form->preview().formHTML()->PageBytes();
    QVERIFY(built.find("Lumivex1_div") != std::string::npos);

    f.dialogs.answers = {MessageButton::Ok};
    f.select(f.root()->child(0));
    f.dialogs.answers = {MessageButton::Yes};
    f.form->tree().Delete1Click();
    QCOMPARE(f.agent().Items.size(), size_t(0));
    f.dialogs.clear();
    f.form->preview().BuildGeneratedCode();
    QCOMPARE(f.dialogs.messageTexts(),
             QStringList{"No item to build. Please add item to left pane and try again."});
    QCOMPARE(f.dialogs.messages[0].kind, MessageKind::Error);
    QCOMPARE(f.form->preview().formHTML()->PageBytes(), built);
    QVERIFY(!QFile::exists(f.form->scratchFolder() + "~tmp0001.txt"));
}

void DocumentLifecycleTest::refusedAndUnreadableFilesLeaveAConsistentWindow() {
    MainFormFixture f;
    f.insert(f.root(), "Before");
    const QString site = FreshFolder("refused");
    WriteFile(site + "other.lvx", "<Product_Name>\r\nSomething Else\r\n</Product_Name>\r\n");
    f.dialogs.answers = {MessageButton::No};
    f.dialogs.fileAnswers = {site + "other.lvx"};
    f.form->Open1Click();
    QVERIFY(!f.dialogs.messages.isEmpty());
    QCOMPARE(f.dialogs.messages.last().kind, MessageKind::Error);
    // The refused file is not taken: the open project stays, unsaved changes and all.
    QVERIFY(f.treeInStepWithList());
    QCOMPARE(f.titles(), QStringList{"Before"});
    QVERIFY(f.form->document().fileName().isEmpty());
    QVERIFY(f.form->document().isModified());
    QVERIFY(!f.form->tree().updating());
    QVERIFY(!ReadFile(f.folder + "recentfile.dat").contains("other.lvx"));

    // A file that cannot be read raises; the window keeps working with what it had.
    f.insert(f.root(), "Kept");
    f.dialogs.answers = {MessageButton::No};
    f.dialogs.fileAnswers = {site + "missing.lvx"};
    QVERIFY_THROWS_EXCEPTION(FileError, f.form->Open1Click());
    QVERIFY(!f.form->tree().updating());
    QVERIFY(f.treeInStepWithList());
    QCOMPARE(f.titles(), (QStringList{"Before", "Kept"}));
    // Selection handling is active again.
    f.select(f.root()->child(0));
    QCOMPARE(f.form->tree().currentItemNode(), f.root()->child(0));
}

void DocumentLifecycleTest::opensThatDoNotCompleteKeepTheOpenProject_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("opened");
    const QByteArray sample = ReadFile(LUMIVEX_SOURCE_DIR "/share/samples/Sample.lvx");
    QByteArray blank = sample;
    blank.replace("<Applet_Parameters>\r\n", "<Applet_Parameters> \r\n");
    QTest::newRow("another product") << QByteArray("<Product_Name>\r\nOther\r\n") << false;
    QTest::newRow("a text") << QByteArray("Dear all,\r\nhere are the photos.\r\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("a blank after a tag") << blank << false;
    QTest::newRow("cut short") << sample.left(sample.indexOf("</Item_Parameters>") - 30) << true;
}

// A file that is not a whole project never becomes the current file unasked: refused, it leaves
// the open project as it was; cut short, it opens with a warning and Save asks before writing.
void DocumentLifecycleTest::opensThatDoNotCompleteKeepTheOpenProject() {
    QFETCH(QByteArray, contents);
    QFETCH(bool, opened);
    MainFormFixture f;
    f.insert(f.root(), "Open before");
    const QString file = FreshFolder("near") + "near.lvx";
    WriteFile(file, contents);
    f.dialogs.answers = {MessageButton::No};
    f.dialogs.fileAnswers = {file};
    f.form->Open1Click();
    QVERIFY(f.treeInStepWithList());
    QVERIFY(!f.form->tree().updating());
    QCOMPARE(f.dialogs.messages.last().kind, opened ? MessageKind::Warning : MessageKind::Error);
    QCOMPARE(f.form->document().fileName(), opened ? file : QString());
    QCOMPARE(f.titles().contains("Open before"), !opened);

    f.form->document().setModified(true);
    f.dialogs.clear();
    f.dialogs.answers = {MessageButton::No};
    f.dialogs.fileAnswers = {std::nullopt};
    f.form->Save1Click();
    QCOMPARE(ReadFile(file), contents);
    QVERIFY(f.form->document().isModified());
    // Unnamed, the project asks for a name; the cut-short file asks whether to write over it.
    QCOMPARE(f.dialogs.files.size(), opened ? 0 : 1);
    QCOMPARE(f.dialogs.messages.size(), opened ? 1 : 0);
    if (opened) {
        QCOMPARE(f.dialogs.messages[0].buttons.first(), MessageButton::No);
        f.dialogs.answers = {MessageButton::Yes};
        f.form->Save1Click();
        QVERIFY(ReadFile(file).endsWith("</Item_Parameters>\r\n"));
        QVERIFY(!f.form->document().isModified());
    }
}

void DocumentLifecycleTest::aRecentFilesListThatCannotBeWrittenDoesNotStopAnOpen() {
    MainFormFixture f;
    QFile::remove(f.folder + "recentfile.dat");
    QDir().mkpath(f.folder + "recentfile.dat");
    const QString file = FreshFolder("list") + "Sample.lvx";
    QFile::copy(LUMIVEX_SOURCE_DIR "/share/samples/Sample.lvx", file);
    f.dialogs.fileAnswers = {file};
    f.form->Open1Click();
    QCOMPARE(f.form->document().fileName(), file);
    QVERIFY(f.treeInStepWithList());
    QVERIFY(!f.titles().isEmpty());
    QVERIFY(!f.form->document().isModified());
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages[0].kind, MessageKind::Warning);
    // Selection handling works: the window is not left half way.
    f.select(f.root()->child(0));
    QCOMPARE(f.form->tree().currentItemNode(), f.root()->child(0));
}

void DocumentLifecycleTest::filesChangedOnDiskAreNotSavedOverWithoutAQuestion() {
    MainFormFixture f;
    f.insert(f.root(), "Mine");
    const QString file = FreshFolder("changed") + "show.lvx";
    f.dialogs.fileAnswers = {file};
    f.form->Save1Click();
    const QByteArray theirs = ReadFile(file).replace("Mine#$@", "Theirs#$@");
    WriteFile(file, theirs);  // a second editor saves meanwhile
    f.form->document().setModified(true);
    f.dialogs.clear();
    f.dialogs.answers = {MessageButton::No};
    f.form->Save1Click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].text.contains("changed on disk"));
    QCOMPARE(ReadFile(file), theirs);
    QVERIFY(f.form->document().isModified());
    // Declined at the save question of an Open, the Open stops and the changes stay.
    f.dialogs.answers = {MessageButton::Yes, MessageButton::No};
    f.form->Open1Click();
    QVERIFY(f.form->document().isModified());
    QCOMPARE(f.dialogs.files.size(), 0);
    f.dialogs.answers = {MessageButton::Yes};
    f.form->Save1Click();
    QVERIFY(ReadFile(file).contains("Mine#$@"));
    // Its own saves are no change from outside.
    f.dialogs.clear();
    f.form->document().setModified(true);
    f.form->Save1Click();
    QVERIFY(f.dialogs.messages.isEmpty());
}

void DocumentLifecycleTest::importKeepsCurrentFileNameAndExportAddsExtension() {
    MainFormFixture f;
    f.insert(f.root(), "Parent");
    f.insert(f.root()->child(0), "Child");
    const QString site = FreshFolder("gms");
    f.dialogs.fileAnswers = {site + "tree"};
    f.form->ExportMenuStructure1Click();
    QVERIFY(QFile::exists(site + "tree.gms"));
    QVERIFY(f.form->document().isModified());

    f.dialogs.fileAnswers = {site + "current.lvx"};
    f.form->Save1Click();
    f.form->tree().Insert1Click();
    f.dialogs.answers = {MessageButton::No};
    f.dialogs.fileAnswers = {site + "tree.gms"};
    f.form->ImportMenuStructure1Click();
    QCOMPARE(f.titles(), (QStringList{"Parent", "Child"}));
    QVERIFY(f.treeInStepWithList());
    QCOMPARE(f.form->document().fileName(), site + "current.lvx");
    QVERIFY(!f.form->document().isModified());
    QCOMPARE(f.agent().Items[1].ToolTip, std::string("ToolTip Here"));
}

void DocumentLifecycleTest::titleStaysLumivex() {
    MainFormFixture f;
    f.insert(f.root(), "A");
    const QString site = FreshFolder("title");
    f.dialogs.fileAnswers = {site + "named.lvx"};
    f.form->Save1Click();
    f.dialogs.answers = {MessageButton::No};
    f.form->OpenProjectFile(site + "named.lvx");
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Lumivex"));
    QCOMPARE(f.titles(), QStringList{"A"});
    QCOMPARE(f.root()->child(0)->text(0), QStringLiteral("A"));
}

void DocumentLifecycleTest::generalErrorReportShowsWhatAHandlerThrows() {
    MainFormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.insert(f.root(), "Kept");
    f.form->document().setModified(false);
    // Ctrl+O typed by the user: the unreadable file's error reaches the report, nothing is lost
    // and the program goes on.
    f.dialogs.fileAnswers = {FreshFolder("gone") + "missing.lvx"};
    QTest::keyClick(f.form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages[0].kind, MessageKind::Error);
    QVERIFY(f.dialogs.messages[0].text.contains("missing.lvx"));
    QCOMPARE(f.titles(), QStringList{"Kept"});
    QVERIFY(f.treeInStepWithList());
}

// Size, place and the split between tree and pages, kept from one run to the next.
void DocumentLifecycleTest::theWindowComesBackAsItWasLeft() {
    MainFormFixture f;
    f.form->show();
    f.form->resize(900, 700);
    f.ui().Splitter1->setSizes({280, 600});
    const QList<int> sizes = f.ui().Splitter1->sizes();
    QVERIFY(f.form->close());
    TMainForm again(f.platform, f.folder);
    again.show();
    QCOMPARE(again.size(), QSize(900, 700));
    QCOMPARE(again.form()->Splitter1->sizes(), sizes);
}

LUMIVEX_UI_TEST(DocumentLifecycleTest);
#include "DocumentLifecycleTest.moc"

void DocumentLifecycleTest::aTemplateOpensAsANewUntitledProject() {
    MainFormFixture f;
    QDir().mkpath(f.folder + "templates");
    const QString site = FreshFolder("from-template");
    f.insert(f.root(), "Template slide");
    f.dialogs.fileAnswers = {f.folder + "templates/Shown.lvx"};
    f.form->SaveAsTemplate1Click();
    const QByteArray shipped = ReadFile(f.folder + "templates/Shown.lvx");
    const QStringList before = QDir(f.folder + "templates").entryList(QDir::Files);

    f.form->New1Click();
    f.dialogs.clear();
    f.form->OpenProjectFile(f.folder + "templates/Shown.lvx");
    QCOMPARE(f.agent().Items.size(), size_t(1));
    QVERIFY(f.form->document().fileName().isEmpty());
    // Save asks for a name and never writes into the templates folder.
    QVERIFY(f.ui().Save1->isEnabled());
    f.dialogs.fileAnswers = {site + "Mine"};
    f.form->Save1Click();
    QCOMPARE(f.dialogs.files.size(), 1);
    // Nothing was opened or saved elsewhere yet: the dialog starts in the user's documents.
    QCOMPARE(f.dialogs.files[0].initialFolder,
             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QVERIFY(QFile::exists(site + "Mine.lvx"));
    QCOMPARE(f.form->document().fileName(), site + "Mine");
    QCOMPARE(ReadFile(f.folder + "templates/Shown.lvx"), shipped);
    QCOMPARE(QDir(f.folder + "templates").entryList(QDir::Files), before);
    // After New, Open starts where the project was saved, not in the templates.
    f.form->New1Click();
    f.dialogs.clear();
    f.form->Open1Click();
    QCOMPARE(QDir(f.dialogs.files.value(0).initialFolder), QDir(site));
}

void DocumentLifecycleTest::aPhotoThatCannotBeReadStillLetsTheProjectBeSaved() {
    MainFormFixture f;
    const QString site = FreshFolder("unreadable");
    f.insert(f.root(), "Good title");
    f.insert(f.root(), "Second");
    WriteFile(site + "broken.jpg", "not a picture");
    f.agent().Items[1].OriginalImagePath = (site + "broken.jpg").toStdString();
    f.dialogs.fileAnswers = {site + "Show"};
    try {
        f.form->Save1Click();
        QFAIL("the publish did not fail");
    } catch (const NotPublishedError& e) {
        QVERIFY2(std::string(e.what()).find("broken.jpg") != std::string::npos, e.what());
    }
    // The edits are saved, and nothing claims that the page was.
    QVERIFY(ReadFile(site + "Show.lvx").contains("Good title#$@"));
    QVERIFY(!QFile::exists(site + "Show.html"));
    QCOMPARE(f.form->document().fileName(), site + "Show");
    QVERIFY(!f.form->document().isModified());
}
