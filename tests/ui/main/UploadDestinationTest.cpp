#include <QApplication>
#include <QLineEdit>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include "MainFormFixture.h"
#include "PublishToServer.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class UploadDestinationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The destination is the project's, changed in one undoable step; an upload that cannot
    // reach the server says why.
    void destinationIsOneStepOfTheProjectsHistory() {
        MainFormFixture f;
        f.form->show();
        f.dialogs.fileAnswers = {FreshFolder("project") + "Show.lvx"};
        f.form->Save1Click();
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString server = QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        const int before = f.form->document().history().count();
        QString shownServer;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TfrmPublishToServer*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            shownServer = dialog->server();
            dialog->findChild<QLineEdit*>("edt_UploadServer")->setText(server);
            dialog->findChild<QLineEdit*>("edt_UploadFolder")->setText("/srv/show");
            dialog->findChild<QLineEdit*>("edt_UploadUser")->setText("me");
            dialog->accept();
        });
        f.form->PublishToServer1Click();
        QVERIFY(shownServer.isEmpty());
        QCOMPARE(f.agent().Options.value(ProjectOptions::kUploadServer), server.toStdString());
        QCOMPARE(f.agent().Options.value(ProjectOptions::kUploadFolder), "/srv/show");
        QCOMPARE(f.agent().Options.value(ProjectOptions::kUploadUser), "me");
        QCOMPARE(f.form->document().history().count(), before + 1);
        QVERIFY(f.form->document().isModified());
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].text.contains("cannot connect to " + server),
                 qPrintable(f.dialogs.messages[0].text));

        // The dialog shows what the project keeps; unchanged fields make no step.
        QTimer::singleShot(0, [&] {
            if (auto* dialog =
                    qobject_cast<TfrmPublishToServer*>(QApplication::activeModalWidget())) {
                shownServer = dialog->server();
                dialog->reject();
            }
        });
        f.form->PublishToServer1Click();
        QCOMPARE(shownServer, server);
        QCOMPARE(f.form->document().history().count(), before + 1);

        f.form->Undo1Click();
        for (auto name : {ProjectOptions::kUploadServer, ProjectOptions::kUploadFolder,
                          ProjectOptions::kUploadUser})
            QVERIFY(!f.agent().Options.has(name));
    }
};

LUMIVEX_UI_TEST(UploadDestinationTest);

#include "UploadDestinationTest.moc"
