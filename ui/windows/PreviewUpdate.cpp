#include "PreviewUpdate.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringDecoder>

#include <sys/stat.h>

namespace lumivex::ui {

namespace {

bool isText(const QString& name) {
    return name.endsWith(QLatin1String(".html")) || name.endsWith(QLatin1String(".js")) ||
           name.endsWith(QLatin1String(".css"));
}

// Every staging copies the pictures again, so only their bytes tell whether they changed.
QByteArray digest(QFile& file) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result();
}

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = decoder(bytes);
    return !decoder.hasError();
}

}  // namespace

StagedFiles ReadStagedFiles(const QString& folder, FileDigests* digests) {
    StagedFiles files;
    FileDigests read;
    const QDir dir(folder);
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000000;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (isText(name) && file.size() < (1 << 20)) {
            files.insert(name, file.readAll());
            continue;
        }
        struct stat st {};
        FileDigest seen;
        if (digests != nullptr && ::fstat(file.handle(), &st) == 0) {
            seen = {st.st_dev,
                    st.st_ino,
                    st.st_size,
                    st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec,
                    st.st_ctim.tv_sec * 1000000000 + st.st_ctim.tv_nsec,
                    {}};
            const FileDigest& was = digests->value(path);
            if (!was.digest.isEmpty() && was.device == seen.device && was.inode == seen.inode &&
                was.size == seen.size && was.modified == seen.modified &&
                was.changed == seen.changed) {
                files.insert(name, was.digest);
                read.insert(path, was);
                continue;
            }
        }
        seen.digest = digest(file);
        files.insert(name, seen.digest);
        // A file written within the clock's last tick could be written again, same size, in
        // that tick: it is read again next time.
        if (digests != nullptr && now - seen.modified > 100000000)
            read.insert(path, seen);
    }
    if (digests != nullptr)
        *digests = std::move(read);
    return files;
}

std::optional<PageUpdate> PlanPageUpdate(const StagedFiles& shown, const StagedFiles& staged,
                                         bool slideHeld) {
    if (shown.isEmpty() || shown.size() != staged.size())
        return std::nullopt;
    PageUpdate update;
    for (auto file = staged.cbegin(); file != staged.cend(); ++file) {
        const auto was = shown.constFind(file.key());
        if (was == shown.cend())
            return std::nullopt;
        if (*was == file.value())
            continue;
        const QString& name = file.key();
        if (name.endsWith(QLatin1String(".css"))) {
            update.styleSheets << name;
            continue;
        }
        // The captions the runtime shows come from the configuration script; a held slide
        // shows them again at once.
        const bool script = name.endsWith(QLatin1String(".js")) && name != u"lumivex.js";
        if (!script || !slideHeld || !update.configScript.isEmpty() || !isUtf8(file.value()))
            return std::nullopt;
        update.configScript = file.value();
    }
    update.styleSheets.sort();
    return update;
}

QString PageUpdateScript(const PageUpdate& update) {
    QJsonArray sheets;
    for (const QString& name : update.styleSheets)
        sheets.append(name);
    const QJsonArray arguments{update.configScript.isEmpty()
                                   ? QJsonValue()
                                   : QJsonValue(QString::fromUtf8(update.configScript)),
                               sheets};
    // The new script is run with the runtime's entry points caught, so that only its
    // arguments are read; the slides take the new captions only when nothing else differs.
    return QStringLiteral(
               "(function (config, sheets) {"
               "  var w = window, b = document.querySelector('[aria-roledescription=carousel]');"
               "  function same(a, c) { return JSON.stringify(a) == JSON.stringify(c) }"
               "  function bare(row) { row = row.slice(); row[3] = row[4] = ''; return row }"
               "  if (config != null) {"
               "    var old = b && b.lumivexPreviewArgs, got, keep = [w.bdas, w.bUar];"
               "    if (!old) return false;"
               "    w.bdas = function (f) { f() };"
               "    w.bUar = function () { got = [].slice.call(arguments) };"
               "    try { (0, eval)(config) } catch (e) { got = 0 }"
               "    w.bdas = keep[0]; w.bUar = keep[1];"
               "    if (!got || got.length != old.length || !same(got.slice(2), old.slice(2)) ||"
               "        got[0] != old[0] || !same(got[1].map(bare), old[1].map(bare)))"
               "      return false;"
               "    got[1].forEach(function (row, r) { old[1][r][3] = row[3]; old[1][r][4] = "
               "row[4] });"
               "  }"
               "  sheets.forEach(function (name) {"
               "    document.querySelectorAll('link[rel=stylesheet]').forEach(function (link) {"
               "      var href = link.getAttribute('href').split('?')[0];"
               "      if (href.split('/').pop() != name) return;"
               "      var fresh = link.cloneNode();"
               "      fresh.href = href + '?' + Date.now();"
               "      fresh.onload = function () { link.remove(); w.dispatchEvent(new "
               "Event('resize')) };"
               "      link.after(fresh);"
               "    });"
               "  });"
               "  return true;"
               "}).apply(null, %1)")
        .arg(QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact)));
}

}  // namespace lumivex::ui
