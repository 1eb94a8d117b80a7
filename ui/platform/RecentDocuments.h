#pragma once

#include <QString>

namespace lumivex::ui {

// The desktop's list of recent documents, recently-used.xbel (the freedesktop.org bookmark
// file): projects the editor opens or saves are added there too, so that file choosers and
// launchers offer them.
class RecentDocuments {
public:
    // `file` is the list; `exec` the command that opens a document, "%f" standing for it.
    RecentDocuments(QString file, QString application, QString exec);
    // $XDG_DATA_HOME/recently-used.xbel, naming this program.
    static RecentDocuments forDesktop();

    // Adds or refreshes `path` with the project file type and this program, keeping every
    // other entry. False when the list could not be read or written: it is then left as it
    // was (a list that cannot be read is never replaced, so no other program's entries go).
    bool record(const QString& path) const;

private:
    QString file_;
    QString application_;
    QString exec_;
};

}  // namespace lumivex::ui
