// The project document without a window: the engine over an in-memory tree, the dialogs'
// double, and a view that records what it was asked to show.
#include <QDir>
#include <QFile>
#include <QTest>
#include <QUndoStack>
#include <thread>

#include "AppletAgent.h"
#include "Doubles.h"
#include "EngineErrors.h"
#include "ProjectDocument.h"
#include "RecordingProgress.h"
#include "UiTestSupport.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

class RecordingView final : public DocumentView {
public:
    explicit RecordingView(MemoryItemTree& tree) : tree_(tree) {}
    void storePanel() override { calls << "store"; }
    void refillTree(const std::function<void()>& fill) override {
        tree_.clear();
        fill();
    }
    void showNewProject() override { calls << "new"; }
    void showLoadedProject() override { calls << "loaded"; }
    void historyChanged() override {}
    void showInPreview() override { calls << "preview"; }
    void publishInBackground(const std::function<void()>& work) override {
        if (cancelPublish)
            throw PublishCancelledError();
        std::thread(work).join();
    }
    void showHint(const std::string& text) override { hint = text; }
    void addRecentFile(const QString& path) override { recent << path; }

    QStringList calls, recent;
    std::string hint;
    bool cancelPublish = false;

private:
    MemoryItemTree& tree_;
};

struct Document {
    Document()
        : program(FreshFolder(QStringLiteral("docprogram"))),
          agent(tree, progress, messages, QFile::encodeName(program).toStdString()),
          view(tree),
          document(dialogs, nullptr, agent, tree, tree, program, view) {
        QFile::copy(QStringLiteral(LUMIVEX_SOURCE_DIR "/share/lumivex.js"), program + "lumivex.js");
        agent.SetDefaults();
    }
    // A saved project of one item titled `title`, at `path`.
    void saveWith(const std::string& title, const QString& path) {
        tree.addChild(tree.root(), title);
        TItemData item;
        item.Title = title;
        item.Level = "0";
        agent.Items.push_back(item);
        document.setModified(true);
        dialogs.fileAnswers = {path};
        QCOMPARE(document.save(), ProjectDocument::SaveResult::Saved);
    }

    QString program;
    MemoryItemTree tree;
    lumivex::testing::RecordingProgress progress;
    lumivex::testing::RecordingMessages messages;
    TzqxAppletAgent agent;
    FakeDialogs dialogs;
    RecordingView view;
    ProjectDocument document;
};

}  // namespace

class ProjectDocumentTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRefusedOpenLeavesTheOpenProject();
    void templatesOpenUntitledAndModified();
    void saveAsksBeforeWritingOver_data();
    void saveAsksBeforeWritingOver();
    void aStoppedSaveKeepsTheProjectModified();
};

void ProjectDocumentTest::aRefusedOpenLeavesTheOpenProject() {
    Document d;
    const QString folder = FreshFolder("refused");
    d.saveWith("Kept", folder + "Kept.lvx");
    QVERIFY(!d.document.isModified());
    QFile other(folder + "notes.lvx");
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("not a project of any kind\r\n");
    other.close();
    d.document.openFile(folder + "notes.lvx");
    QCOMPARE(d.document.fileName(), folder + "Kept.lvx");
    QCOMPARE(d.agent.Items.size(), std::size_t(1));
    QCOMPARE(d.agent.Items[0].Title, std::string("Kept"));
    QCOMPARE(d.tree.childCount(d.tree.root()), 1);
    QVERIFY(d.view.recent.isEmpty());

    d.document.openFile(folder + "Kept.lvx");
    QCOMPARE(d.view.recent, QStringList{folder + "Kept.lvx"});
    QVERIFY(d.view.calls.endsWith("preview"));
}

void ProjectDocumentTest::templatesOpenUntitledAndModified() {
    Document d;
    const QString templates = d.program + "templates/";
    QDir().mkpath(templates);
    d.saveWith("Banner", templates + "Banner.lvx");
    d.document.newProject();
    QVERIFY(d.document.fileName().isEmpty());
    d.document.openFile(templates + "Banner.lvx");
    QVERIFY(d.document.fileName().isEmpty());
    QVERIFY(d.document.isModified());
    QCOMPARE(d.agent.Items.at(0).Title, std::string("Banner"));
    // Saving asks for a name instead of writing over the template.
    d.dialogs.fileAnswers = {};
    QCOMPARE(d.document.save(), ProjectDocument::SaveResult::Cancelled);
}

void ProjectDocumentTest::saveAsksBeforeWritingOver_data() {
    QTest::addColumn<QString>("change");  // what happened to the file after it was opened
    QTest::addColumn<bool>("asked");
    QTest::newRow("unchanged") << "" << false;
    QTest::newRow("changed on disk") << "touch" << true;
    QTest::newRow("opened incomplete") << "truncate" << true;
}

void ProjectDocumentTest::saveAsksBeforeWritingOver() {
    QFETCH(QString, change);
    QFETCH(bool, asked);
    Document d;
    const QString path = FreshFolder("writeover") + "Show.lvx";
    d.saveWith("Show", path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    if (change == "truncate") {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(saved.left(saved.indexOf("<Item_Parameters>") + 30));
        file.close();
    }
    d.document.openFile(path);
    d.dialogs.clear();
    if (change == "touch") {
        QFile on(path);
        QVERIFY(on.open(QIODevice::Append));
        on.write(" ");
        on.close();
    }
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray onDisk = before.readAll();
    before.close();
    d.document.setModified(true);
    // Keeping the file is the default answer.
    d.dialogs.answers = {MessageButton::No};
    const auto result = d.document.save();
    QCOMPARE(d.dialogs.messages.size(), asked ? 1 : 0);
    QCOMPARE(result,
             asked ? ProjectDocument::SaveResult::Declined : ProjectDocument::SaveResult::Saved);
    QCOMPARE(d.document.isModified(), asked);
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    if (asked)
        QCOMPARE(after.readAll(), onDisk);
}

void ProjectDocumentTest::aStoppedSaveKeepsTheProjectModified() {
    Document d;
    const QString folder = FreshFolder("stopped");
    d.saveWith("First", folder + "First.lvx");
    d.document.setModified(true);
    d.view.cancelPublish = true;
    QCOMPARE(d.document.save(), ProjectDocument::SaveResult::Stopped);
    QVERIFY(d.document.isModified());
    QCOMPARE(d.view.hint, std::string(PublishCancelledError().what()));
    // The command that asked for the save stops too, so nothing is dropped.
    d.dialogs.answers = {MessageButton::Yes};
    QVERIFY(!d.document.askToSave());
    // Save As stopped keeps the old name.
    d.dialogs.fileAnswers = {folder + "Second.lvx"};
    d.document.saveAs(QString());
    QCOMPARE(d.document.fileName(), folder + "First.lvx");
    QVERIFY(!QFile::exists(folder + "Second.lvx"));
}

LUMIVEX_UI_TEST(ProjectDocumentTest);
#include "ProjectDocumentTest.moc"
