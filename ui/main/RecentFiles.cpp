#include "RecentFiles.h"

#include <QAction>
#include <QFile>
#include <QList>
#include <QMenu>

#include "ErrorReport.h"
#include "FileIO.h"
#include "RecentDocuments.h"
#include "TextBytes.h"

namespace lumivex::ui {

RecentFiles::RecentFiles(QMenu* menu, const QString& programFolder,
                         std::function<void(const QString&)> open, QObject* parent)
    : QObject(parent), menu_(menu), programFolder_(programFolder), open_(std::move(open)) {}

namespace {

// Up to four lines of the recent files list; a missing file is created empty first.
QList<std::string> readRecentLines(const std::string& path) {
    if (!FileExists(path))
        WriteFileAtomically(path, "");
    const std::string text = ReadWholeFile(path);
    QList<std::string> lines;
    size_t start = 0;
    while (lines.size() < 4 && start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines << line;
        start = end + 1;
    }
    return lines;
}

}  // namespace

void RecentFiles::LoadRecentFiles() {
    const QList<std::string> lines =
        readRecentLines(QFile::encodeName(programFolder_ + RecentFilesName()).toStdString());
    menu_->clear();
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        const QString caption = BytesToText(line);
        // "&n " is the access key; any "&" in the path itself is shown as it is.
        QString shown = caption.left(3) + QString(caption.mid(3)).replace('&', QLatin1String("&&"));
        QAction* entry = menu_->addAction(shown);
        entry->setData(QByteArray::fromStdString(line));
        connect(entry, &QAction::triggered, this,
                ErrorReport::guarded([this, entry] { RecentFileClick(entry); }));
    }
}

void RecentFiles::AddRecentFile(const QString& path) {
    if (path.isEmpty())
        return;
    RecentDocuments::forDesktop().record(path);
    const std::string file = QFile::encodeName(programFolder_ + RecentFilesName()).toStdString();
    std::string slots[4];
    int n = 0;
    for (const std::string& line : readRecentLines(file))
        slots[n++] = line.empty() ? std::string() : line.substr(std::min<size_t>(3, line.size()));
    const std::string added = QFile::encodeName(path).toStdString();
    for (const std::string& slot : slots) {
        if (slot == added)
            return;
    }
    for (int k = 3; k > 0; --k)
        slots[k] = slots[k - 1];
    slots[0] = added;
    std::string text;
    for (int k = 0; k < 4; ++k) {
        if (!slots[k].empty())
            text += "&" + std::to_string(k + 1) + " " + slots[k] + "\r\n";
    }
    WriteFileAtomically(file, text);
    LoadRecentFiles();
}

QString RecentFiles::newest() const {
    const QList<QAction*> entries = menu_->actions();
    if (entries.isEmpty())
        return {};
    const std::string line = entries.first()->data().toByteArray().toStdString();
    return QFile::decodeName(
        QByteArray::fromStdString(line.substr(std::min<size_t>(3, line.size()))));
}

void RecentFiles::RecentFileClick(QAction* entry) {
    const std::string line = entry->data().toByteArray().toStdString();
    open_(QFile::decodeName(
        QByteArray::fromStdString(line.substr(std::min<size_t>(3, line.size())))));
}

}  // namespace lumivex::ui
