#include <glib.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include "RecentDocuments.h"
#include "UiTestSupport.h"

using lumivex::ui::RecentDocuments;

namespace {

const QByteArray kOtherList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\" "
    "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
    " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "<bookmark href=\"file:///home/u/letter.odt\" added=\"2024-01-01T10:00:00Z\""
    " modified=\"2024-01-01T10:00:00Z\" visited=\"2024-01-01T10:00:00Z\"><info><metadata"
    " owner=\"http://freedesktop.org\"><mime:mime-type type=\"application/"
    "vnd.oasis.opendocument.text\"/><bookmark:applications><bookmark:application name=\"Writer\""
    " exec=\"&apos;writer %u&apos;\" modified=\"2024-01-01T10:00:00Z\" count=\"1\"/>"
    "</bookmark:applications></metadata></info></bookmark>\n</xbel>\n";

struct List {
    GBookmarkFile* file = g_bookmark_file_new();
    bool loaded = false;
    explicit List(const QString& path) {
        loaded = g_bookmark_file_load_from_file(file, QFile::encodeName(path).constData(), nullptr);
    }
    ~List() { g_bookmark_file_free(file); }
    bool has(const QByteArray& uri) const { return g_bookmark_file_has_item(file, uri); }
};

}  // namespace

// Opened projects reach the desktop's list, which other programs share.
class RecentDocumentsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void record_data() {
        QTest::addColumn<QByteArray>("before");  // "" for no list yet
        QTest::addColumn<QString>("project");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("no list yet") << QByteArray() << "My Shows/summer.lvx" << true;
        QTest::newRow("another program's list") << kOtherList << "a.lvx" << true;
        QTest::newRow("a path with % and #") << kOtherList << "100% #1.lvx" << true;
        QTest::newRow("a damaged list") << QByteArray("<xbel><bookmark") << "a.lvx" << false;
    }
    void record() {
        QFETCH(QByteArray, before);
        QFETCH(QString, project);
        QFETCH(bool, recorded);
        const QString folder = lumivex::ui::testing::FreshFolder("recent");
        const QString list = folder + "data/recently-used.xbel";
        if (!before.isEmpty()) {
            QDir().mkpath(folder + "data");
            QFile file(list);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        const RecentDocuments documents(list, "Lumivex", "'/opt/lv/lumivex' %f");
        const QString path = folder + project;
        // Twice: the second open refreshes the entry, it adds none.
        QCOMPARE(documents.record(path), recorded);
        QCOMPARE(documents.record(path), recorded);
        if (!recorded) {
            QFile file(list);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), before);  // never replaced
            return;
        }
        const List read(list);
        QVERIFY(read.loaded);
        gchar* made = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, nullptr);
        const QByteArray uri(made);
        g_free(made);
        QVERIFY(read.has(uri));
        gchar* type = g_bookmark_file_get_mime_type(read.file, uri, nullptr);
        QCOMPARE(QByteArray(type), QByteArray("application/x-lumivex-project"));
        g_free(type);
        gchar* exec = nullptr;
        guint count = 0;
        QVERIFY(g_bookmark_file_get_application_info(read.file, uri, "Lumivex", &exec, &count,
                                                     nullptr, nullptr));
        // GLib gives the command with the document put in for %f.
        QVERIFY2(QByteArray(exec).startsWith("'/opt/lv/lumivex' "), exec);
        g_free(exec);
        QCOMPARE(count, 2u);
        QCOMPARE(g_bookmark_file_get_size(read.file), before.isEmpty() ? 1 : 2);
        if (!before.isEmpty())
            QVERIFY(read.has("file:///home/u/letter.odt"));
    }
};

LUMIVEX_UI_TEST(RecentDocumentsTest);

#include "RecentDocumentsTest.moc"
