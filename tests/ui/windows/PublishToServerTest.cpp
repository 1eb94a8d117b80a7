#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include "FakePlatform.h"
#include "PasswordServer.h"
#include "PasswordStore.h"
#include "PublishToServer.h"
#include "UiTestSupport.h"
#include "UploadRun.h"

using namespace lumivex::ui;
using lumivex::ui::testing::FakePlatform;

namespace {

// A keyring in memory.
class MemoryPasswords final : public PasswordStore {
public:
    std::optional<QString> find(const QString& account) override {
        if (!kept.contains(account))
            return std::nullopt;
        return kept.value(account);
    }
    void store(const QString& account, const QString& password) override {
        kept.insert(account, password);
    }
    void forget(const QString& account) override { kept.remove(account); }
    QHash<QString, QString> kept;
};

}  // namespace

class PublishToServerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void takesOnlyFieldsThatNameADestination_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("url");  // empty: refused, the dialog stays
        QTest::newRow("host") << "example.com"
                              << "/var/www/show"
                              << ""
                              << "sftp://example.com/var/www/show";
        QTest::newRow("port, user, home folder") << " host:2222 "
                                                 << "~/public_html"
                                                 << "me"
                                                 << "sftp://me@host:2222/~/public_html";
        QTest::newRow("no server") << ""
                                   << "/srv"
                                   << "me"
                                   << "";
        QTest::newRow("no folder") << "host"
                                   << " "
                                   << "me"
                                   << "";
        QTest::newRow("blank in host") << "my host"
                                       << "/srv"
                                       << ""
                                       << "";
        QTest::newRow("bad port") << "host:70000"
                                  << "/srv"
                                  << ""
                                  << "";
        QTest::newRow("password in user") << "host"
                                          << "/srv"
                                          << "me:secret"
                                          << "";
        // A whole address in the server field is read as the command line reads it.
        QTest::newRow("address") << "sftp://me@host:2222/~/www"
                                 << ""
                                 << ""
                                 << "sftp://me@host:2222/~/www";
        QTest::newRow("address, another scheme") << "http://host/www"
                                                 << ""
                                                 << ""
                                                 << "";
        QTest::newRow("address, port 0") << "sftp://host:0/www"
                                         << ""
                                         << ""
                                         << "";
        QTest::newRow("address, bad escape") << "sftp://host/a%zz"
                                             << ""
                                             << ""
                                             << "";
    }
    void takesOnlyFieldsThatNameADestination() {
        QFETCH(QString, server);
        QFETCH(QString, folder);
        QFETCH(QString, user);
        QFETCH(QString, url);
        FakePlatform p;
        TfrmPublishToServer dialog(p.dialogs);
        dialog.setFields(server, folder, user);
        dialog.show();
        dialog.accept();
        QCOMPARE(dialog.result() == QDialog::Accepted, !url.isEmpty());
        QCOMPARE(p.dialogs.messages.size(), url.isEmpty() ? 1 : 0);
        if (!url.isEmpty())
            QCOMPARE(QString::fromStdString(dialog.destination().url()), url);
        if (url.isEmpty() && server.contains("://")) {
            try {
                lumivex::upload::ParseDestination(server.toStdString());
                QFAIL("the address was read");
            } catch (const std::invalid_argument& e) {
                QVERIFY2(p.dialogs.messages[0].text.contains(QString::fromUtf8(e.what())),
                         qPrintable(p.dialogs.messages[0].text));
            }
        }
    }

    // A server that takes the SFTP channel and never answers: the upload says so at the time
    // limit, and Cancel ends it within a second.
    void stalledServerEndsTheUpload_data() {
        QTest::addColumn<double>("limit");
        QTest::addColumn<int>("cancelAfter");  // ms; -1 never
        QTest::newRow("time limit") << 1.0 << -1;
        QTest::newRow("cancel") << 30.0 << 300;
    }
    void stalledServerEndsTheUpload() {
        QFETCH(double, limit);
        QFETCH(int, cancelAfter);
        lumivex::upload::PasswordServer server(SSH_AUTH_METHOD_PASSWORD, "right", true);
        QVERIFY(server.port() != 0);
        FakePlatform p;
        p.dialogs.answers = {MessageButton::Yes};  // trust the new server's key
        MemoryPasswords passwords;
        passwords.kept.insert(QStringLiteral("me@127.0.0.1:%1").arg(server.port()), "right");
        UploadRun run(p.dialogs, passwords, nullptr);
        QElapsedTimer clock;
        if (cancelAfter >= 0)
            QTimer::singleShot(cancelAfter, [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->objectName() == "prgrsUpload")
                        if (auto* cancel = w->findChild<QPushButton*>())
                            cancel->click();
            });
        clock.start();
        const UploadRun::Outcome outcome =
            run.run({"me", "127.0.0.1", server.port(), "site"},
                    lumivex::ui::testing::FreshFolder("staging"), {},
                    {"", lumivex::ui::testing::FreshFolder("ssh").toStdString(), limit});
        QVERIFY(!outcome.done);
        QCOMPARE(outcome.cancelled, cancelAfter >= 0);
        if (cancelAfter < 0)
            QVERIFY2(outcome.error.contains("the server stopped answering"),
                     qPrintable(outcome.error));
        QVERIFY(clock.elapsed() < (cancelAfter >= 0 ? cancelAfter : limit * 1000) + 2000);
    }

    // The upload runs on its own thread; a server that cannot be reached is reported with
    // the system's reason, and nothing was asked.
    void unreachableServerIsReported() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        FakePlatform p;
        MemoryPasswords passwords;
        UploadRun run(p.dialogs, passwords, nullptr);
        lumivex::upload::Destination d{"me", "127.0.0.1", silent.serverPort(), "/srv/show"};
        silent.close();
        const QString staging = lumivex::ui::testing::FreshFolder("staging");
        const UploadRun::Outcome outcome = run.run(d, staging, {});
        QVERIFY(!outcome.done);
        QVERIFY(!outcome.cancelled);
        QVERIFY2(outcome.error.contains("cannot connect to 127.0.0.1:"), qPrintable(outcome.error));
        QVERIFY(p.dialogs.messages.isEmpty());
    }

    // The keyring's password goes first; one the server refuses is forgotten and asked for, and
    // only a password the server accepted is kept.
    void keepsOnlyAPasswordTheServerAccepted_data() {
        QTest::addColumn<QString>("kept");  // in the keyring before; "" none
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("keptAfter");
        QTest::newRow("typed") << "" << QStringList{"right"} << 1 << "right";
        QTest::newRow("from the keyring") << "right" << QStringList{} << 0 << "right";
        QTest::newRow("stale in the keyring") << "old" << QStringList{"right"} << 1 << "right";
        QTest::newRow("typed wrong, then cancelled") << "" << QStringList{"wrong"} << 2 << "";
        QTest::newRow("stale, then cancelled") << "old" << QStringList{} << 1 << "";
    }
    void keepsOnlyAPasswordTheServerAccepted() {
        QFETCH(QString, kept);
        QFETCH(QStringList, typed);
        QFETCH(int, questions);
        QFETCH(QString, keptAfter);
        lumivex::upload::PasswordServer server(SSH_AUTH_METHOD_PASSWORD, "right");
        QVERIFY(server.port() != 0);
        const QString account = QStringLiteral("me@127.0.0.1:%1").arg(server.port());
        FakePlatform p;
        p.dialogs.answers = {MessageButton::Yes};  // trust the new server's key
        for (const QString& answer : typed)
            p.dialogs.secrets << answer;
        MemoryPasswords passwords;
        if (!kept.isEmpty())
            passwords.kept.insert(account, kept);
        UploadRun run(p.dialogs, passwords, nullptr);
        const lumivex::upload::Destination d{"me", "127.0.0.1", server.port(), "site"};
        const std::string ssh = lumivex::ui::testing::FreshFolder("ssh").toStdString();
        const UploadRun::Outcome outcome =
            run.run(d, lumivex::ui::testing::FreshFolder("staging"), {}, {"", ssh});
        QVERIFY(!outcome.done);  // logged in or not, the test server has no SFTP
        QCOMPARE(p.dialogs.secretPrompts.size(), questions);
        QCOMPARE(passwords.kept.value(account), keptAfter);
    }

    void reportListsWhatWasSentAndRemoved() {
        lumivex::upload::UploadResult result;
        result.sent = {"Showcfg.js", "Show.lvx"};
        result.bytesSent = 2048;
        result.removed = {"slider9.jpg"};
        result.unchanged = 98;
        const QString text = UploadRun::ReportText({"", "host", 0, "/srv"}, result);
        for (const char* line : {"Published to sftp://host/srv", "[Sent]: 2 file(s), 2.0 KB",
                                 "\n  Showcfg.js\n  Show.lvx\n", "[Removed]: 1 file(s)",
                                 "\n  slider9.jpg\n", "[Unchanged]: 98 file(s)"})
            QVERIFY2(text.contains(QString::fromUtf8(line)), line);
    }
};

LUMIVEX_UI_TEST(PublishToServerTest);

#include "PublishToServerTest.moc"
