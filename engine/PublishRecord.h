#pragma once

#include <string>
#include <vector>

namespace lumivex {

// What the last publish of a project wrote into a folder, kept outside that folder, so that the
// next publish removes the files it no longer writes (the double-size and AVIF slides after a
// switch to the classic output, a style sheet of an old slideshow id) and nothing else: a file
// is removed only when it is still the one that was written, never by its name alone, so the
// designer's own files there stay.
class PublishRecord {
public:
    struct Entry {
        std::string name;
        std::string sha256;  // lower-case hex
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // The record of the publish of `base` into `folder` (with a trailing "/"), kept in
    // `recordsFolder`; an empty `recordsFolder` keeps no record.
    PublishRecord(std::string recordsFolder, const std::string& folder, std::string base);

    // The files the last publish wrote; none when there is no readable record.
    std::vector<Entry> Read() const;
    // Removes the files of the last publish that are not in `written` and are as that publish
    // left them, then records `written` (names of `folder`, hashed as they are now). Reports
    // nothing: a record that cannot be kept only means that no file is removed next time.
    void Replace(const std::vector<std::string>& written) const;

    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string base_;
    std::string path_;  // empty: no record is kept
};

// The per-user folder of publish records: $XDG_STATE_HOME/lumivex/publish-records/, by default
// under ~/.local/state; "" when neither is set.
std::string DefaultPublishRecordsFolder();

}  // namespace lumivex
