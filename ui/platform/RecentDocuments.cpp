#include "RecentDocuments.h"

#include <glib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <memory>

namespace lumivex::ui {

namespace {

constexpr const char* kProjectType = "application/x-lumivex-project";

struct BookmarkFileFree {
    void operator()(GBookmarkFile* file) const { g_bookmark_file_free(file); }
};
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

}  // namespace

RecentDocuments::RecentDocuments(QString file, QString application, QString exec)
    : file_(std::move(file)), application_(std::move(application)), exec_(std::move(exec)) {}

RecentDocuments RecentDocuments::forDesktop() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString program = QCoreApplication::applicationFilePath();
    std::unique_ptr<gchar, decltype(&g_free)> quoted(
        g_shell_quote(program.toLocal8Bit().constData()), &g_free);
    return RecentDocuments(data + QStringLiteral("/recently-used.xbel"), QStringLiteral("Lumivex"),
                           QString::fromLocal8Bit(quoted.get()) + QStringLiteral(" %f"));
}

bool RecentDocuments::record(const QString& path) const {
    const QByteArray absolute = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    GError* raw = nullptr;
    std::unique_ptr<gchar, decltype(&g_free)> uri(
        g_filename_to_uri(absolute.constData(), nullptr, &raw), &g_free);
    std::unique_ptr<GError, ErrorFree> error(raw);
    if (!uri)
        return false;
    std::unique_ptr<GBookmarkFile, BookmarkFileFree> list(g_bookmark_file_new());
    const QByteArray file = QFile::encodeName(file_);
    if (QFileInfo::exists(file_)) {
        raw = nullptr;
        if (!g_bookmark_file_load_from_file(list.get(), file.constData(), &raw)) {
            error.reset(raw);
            return false;
        }
    }
    g_bookmark_file_set_mime_type(list.get(), uri.get(), kProjectType);
    g_bookmark_file_add_application(list.get(), uri.get(), application_.toUtf8().constData(),
                                    exec_.toUtf8().constData());
    gsize size = 0;
    raw = nullptr;
    std::unique_ptr<gchar, decltype(&g_free)> text(g_bookmark_file_to_data(list.get(), &size, &raw),
                                                   &g_free);
    error.reset(raw);
    if (!text)
        return false;
    // Written beside the list and renamed over it, so a reader never sees half a list.
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSaveFile out(file_);
    return out.open(QIODevice::WriteOnly) &&
           out.write(text.get(), static_cast<qint64>(size)) == static_cast<qint64>(size) &&
           out.commit();
}

}  // namespace lumivex::ui
