#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace lumivex::ui {

// What the preview folder held when its page was loaded: the text of its page, scripts and
// style sheets, and a digest of every other file.
using StagedFiles = QHash<QString, QByteArray>;

// The digests of the files read before, by their place on disk, size and times: a picture that
// nothing wrote since is not read again.
struct FileDigest {
    quint64 device = 0, inode = 0;
    qint64 size = 0, modified = 0, changed = 0;  // times in nanoseconds
    QByteArray digest;
};
using FileDigests = QHash<QString, FileDigest>;

StagedFiles ReadStagedFiles(const QString& folder, FileDigests* digests = nullptr);

// An edit the loaded page can take without a reload: the slides' new captions (from the new
// configuration script) and the style sheets to load again. Pictures are never reloaded.
struct PageUpdate {
    QByteArray configScript;  // empty: the captions are as shown
    QStringList styleSheets;
};

// Only a change of style sheets, or of one configuration script whose slides differ in their
// title and description alone with a slide held, is done in place; anything else reloads.
std::optional<PageUpdate> PlanPageUpdate(const StagedFiles& shown, const StagedFiles& staged,
                                         bool slideHeld);

// The script that applies `update` in the page; it answers false when the page cannot take it
// (not started yet, or its slides are not the ones the script describes).
QString PageUpdateScript(const PageUpdate& update);

}  // namespace lumivex::ui
