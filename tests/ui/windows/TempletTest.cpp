#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWebEngineView>

#include "ErrorReport.h"
#include "FakePlatform.h"
#include "TemplatePreview.h"
#include "UiTestSupport.h"
#include "templet.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

struct RecordingHost final : TemplateHost {
    void OpenProjectFile(const QString& path) override { calls << "open " + path; }
    void New1Click() override { calls << QStringLiteral("new"); }
    QStringList calls;
};

QString ProgramFolderWithTemplates(const QStringList& files) {
    const QString program = FreshFolder("program");
    QDir().mkdir(program + "templates");
    for (const QString& name : files) {
        QFile f(program + "templates/" + name);
        f.open(QIODevice::WriteOnly);
    }
    return program;
}

QStringList Listed(TfrmTemplet& chooser) {
    QStringList names;
    auto* list = chooser.findChild<QListWidget*>("TempletList");
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

}  // namespace

class TempletTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A template shows its first slide as a picture and tells its size; one that does not read
    // is still listed by its name.
    void templatesShowTheirFirstSlide() {
        FakePlatform fake;
        RecordingHost host;
        const QString program = ProgramFolderWithTemplates({"Empty.lvx"});
        for (const char* name : {"Gallery_960x400.lvx", "gallery_1.jpg"})
            QVERIFY(QFile::copy(QStringLiteral(LUMIVEX_SOURCE_DIR "/share/templates/") + name,
                                program + "templates/" + name));
        TfrmTemplet chooser(fake.platform, host, program);
        auto* list = chooser.findChild<QListWidget*>("TempletList");
        QCOMPARE(Listed(chooser), (QStringList{"Empty.lvx", "Gallery_960x400.lvx"}));
        QVERIFY(list->item(0)->toolTip().isEmpty());
        const QImage first = list->item(1)->icon().pixmap(list->iconSize()).toImage();
        QVERIFY(qAlpha(first.pixel(first.width() / 2, first.height() / 2)) == 255);
        QVERIFY(list->item(1)->toolTip().contains(QLatin1String("960 x 400")));
    }

    // The selected template runs beside the chooser, published in a folder of its own that goes
    // with the chooser; the program's preview folder is left alone.
    void selectedTemplateRunsBesideTheChooser() {
        FakePlatform fake;
        RecordingHost host;
        const QString program = ProgramFolderWithTemplates({});
        const QDir shared(QStringLiteral(LUMIVEX_SOURCE_DIR "/share"));
        QVERIFY(QFile::copy(shared.filePath("lumivex.js"), program + "lumivex.js"));
        for (const QString& name : QDir(shared.filePath("templates")).entryList(QDir::Files))
            QVERIFY(
                QFile::copy(shared.filePath("templates/" + name), program + "templates/" + name));
        QString work;
        {
            TfrmTemplet chooser(fake.platform, host, program);
            chooser.show();
            auto* list = chooser.findChild<QListWidget*>("TempletList");
            QCOMPARE(chooser.Preview(), nullptr);
            const std::pair<QString, QString> shown[] = {{"Gallery_960x400", "Violet Evening"},
                                                         {"Notice_400x160", "Open on Sundays"},
                                                         {"Gallery_960x400", "Violet Evening"}};
            for (const auto& [name, title] : shown) {
                list->setCurrentItem(list->findItems(name + ".lvx", Qt::MatchExactly)[0]);
                TfrmTemplatePreview* preview = chooser.Preview();
                QVERIFY(preview != nullptr && preview->isVisible());
                QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(preview->ShownPage()).fileName(),
                                          name + ".html", 30000);
                QVERIFY(pageGives(preview->WebBrowser(),
                                  QString("document.body.textContent.includes('%1')").arg(title),
                                  true));
                QVERIFY(!preview->frameGeometry().intersects(chooser.frameGeometry()));
                work = QFileInfo(preview->ShownPage()).absolutePath();
            }
            QVERIFY(!QDir(program + "preview").exists());
            chooser.reject();
            QVERIFY(!chooser.Preview()->isVisible());
        }
        QVERIFY(!QDir(work).exists());
    }

    void listsProjectFilesSorted() {
        FakePlatform fake;
        RecordingHost host;
        const QString program =
            ProgramFolderWithTemplates({"wide.lvx", "Banner.lvx", "notes.txt", "gallery.lvx"});
        TfrmTemplet chooser(fake.platform, host, program);
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Template"));
        QCOMPARE(Listed(chooser), (QStringList{"Banner.lvx", "gallery.lvx", "wide.lvx"}));
        QCOMPARE(chooser.findChild<QLabel*>("Label1")->text(),
                 QStringLiteral("Click OK to open selected template or cancel to create a new "
                                "project."));
    }

    void missingFolderIsCreatedEmpty() {
        FakePlatform fake;
        RecordingHost host;
        const QString program = FreshFolder("bare");
        TfrmTemplet chooser(fake.platform, host, program);
        QVERIFY(QDir(program + "templates").exists());
        QVERIFY(Listed(chooser).isEmpty());
    }

    void folderThatCannotBeMadeIsReportedAndTheChooserStillWorks() {
        FakePlatform fake;
        ErrorReport::setDialogs(&fake.dialogs);
        RecordingHost host;
        // A file where the program folder should be: no folder can be made inside it.
        const QString blocker = FreshFolder("blocked") + "file";
        QFile(blocker).open(QIODevice::WriteOnly);
        TfrmTemplet chooser(fake.platform, host, blocker + "/");
        ErrorReport::setDialogs(nullptr);
        QCOMPARE(fake.dialogs.messageTexts(),
                 QStringList{"Cannot create " + blocker + "/templates"});
        QCOMPARE(fake.dialogs.messages[0].kind, MessageKind::Error);
        QVERIFY(Listed(chooser).isEmpty());
        chooser.findChild<QPushButton*>("BitBtn2")->click();
        QCOMPARE(host.calls, QStringList{"new"});
    }

    void okOpensTheSelectedTemplate() {
        FakePlatform fake;
        RecordingHost host;
        const QString program = ProgramFolderWithTemplates({"a.lvx", "b.lvx"});
        TfrmTemplet chooser(fake.platform, host, program);
        chooser.show();
        chooser.findChild<QListWidget*>("TempletList")->item(1)->setSelected(true);
        chooser.findChild<QPushButton*>("BitBtn1")->click();
        QCOMPARE(host.calls, QStringList{"open " + program + "templates/b.lvx"});
        QCOMPARE(chooser.result(), int(QDialog::Accepted));
        QVERIFY(!chooser.isVisible());
    }

    void okWithoutSelectionOpensNothing() {
        FakePlatform fake;
        RecordingHost host;
        TfrmTemplet chooser(fake.platform, host, ProgramFolderWithTemplates({"a.lvx"}));
        chooser.show();
        // Focus makes an item current, not selected.
        chooser.findChild<QListWidget*>("TempletList")->setFocus();
        QTest::keyClick(&chooser, Qt::Key_Return);
        QVERIFY(host.calls.isEmpty());
        QCOMPARE(chooser.result(), int(QDialog::Accepted));
    }

    void doubleClickOpens() {
        FakePlatform fake;
        RecordingHost host;
        const QString program = ProgramFolderWithTemplates({"a.lvx"});
        TfrmTemplet chooser(fake.platform, host, program);
        chooser.show();
        auto* list = chooser.findChild<QListWidget*>("TempletList");
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        const QPoint at = list->visualItemRect(list->item(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(host.calls, QStringList{"open " + program + "templates/a.lvx"});
        QVERIFY(!chooser.isVisible());
    }

    void cancelAndEscapeStartANewProject() {
        FakePlatform fake;
        for (bool escape : {false, true}) {
            RecordingHost host;
            TfrmTemplet chooser(fake.platform, host, ProgramFolderWithTemplates({"a.lvx"}));
            chooser.show();
            chooser.findChild<QListWidget*>("TempletList")->item(0)->setSelected(true);
            if (escape)
                QTest::keyClick(chooser.findChild<QListWidget*>("TempletList"), Qt::Key_Escape);
            else
                chooser.findChild<QPushButton*>("BitBtn2")->click();
            QCOMPARE(host.calls, QStringList{"new"});
            QCOMPARE(chooser.result(), int(QDialog::Rejected));
            QVERIFY(!chooser.isVisible());
        }
    }

    void dontShowSettingIsWrittenAtTheClick() {
        FakePlatform fake;
        RecordingHost host;
        const QString key = kSettingsKey + "/ShowTempletsDialog";
        TfrmTemplet chooser(fake.platform, host, ProgramFolderWithTemplates({}));
        chooser.show();
        auto* box = chooser.findChild<QCheckBox*>("chckbxDontShow");
        QVERIFY(!box->isChecked());  // missing means shown
        QVERIFY(fake.settings.values.isEmpty());
        box->click();
        QCOMPARE(fake.settings.values.value(key), QVariant(0));
        chooser.findChild<QPushButton*>("BitBtn2")->click();
        QCOMPARE(fake.settings.values.value(key), QVariant(0));

        // The next showing reflects it; unchecking writes 1 again.
        TfrmTemplet again(fake.platform, host, ProgramFolderWithTemplates({}));
        again.show();
        box = again.findChild<QCheckBox*>("chckbxDontShow");
        QVERIFY(box->isChecked());
        box->click();
        QCOMPARE(fake.settings.values.value(key), QVariant(1));
    }

    void unreadableSettingStartsChecked() {
        FakePlatform fake;
        fake.settings.failReads = true;
        RecordingHost host;
        TfrmTemplet chooser(fake.platform, host, ProgramFolderWithTemplates({}));
        chooser.show();
        QVERIFY(chooser.findChild<QCheckBox*>("chckbxDontShow")->isChecked());
    }

    void failedWriteMattersOnlyWhenUnchecking() {
        FakePlatform fake;
        fake.settings.failWrites = true;
        RecordingHost host;
        TfrmTemplet chooser(fake.platform, host, ProgramFolderWithTemplates({}));
        auto* box = chooser.findChild<QCheckBox*>("chckbxDontShow");
        box->setChecked(true);
        chooser.chckbxDontShowClick();
        box->setChecked(false);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, chooser.chckbxDontShowClick());
    }
};

LUMIVEX_UI_TEST(TempletTest);

#include "TempletTest.moc"
