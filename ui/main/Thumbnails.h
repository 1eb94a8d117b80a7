#pragma once

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <memory>
#include <optional>
#include <string>

namespace lumivex::image {
class SlideImageCache;
}

namespace lumivex::ui {

// Small pictures of the items' photos for the tree. They are made on worker threads (the
// photo decoded at the smallest scale that covers them) and kept on disk beside the slide
// images' cache, so that opening a project never waits for them and a second look is free.
class Thumbnails : public QObject {
    Q_OBJECT
public:
    // Centred in a square of `side` (the tree's), or as the photo is shaped.
    enum class Shape { Square, Photo };
    // `cacheFolder` ends with "/"; "" keeps them in memory only. `side` is in device pixels.
    Thumbnails(const std::string& cacheFolder, int side, QObject* parent = nullptr,
               Shape shape = Shape::Square);
    ~Thumbnails() override;

    // The picture of the photo at `path` when it is made; otherwise it is asked for, and
    // `ready` follows. A photo that cannot be read gives a null icon once tried.
    std::optional<QIcon> find(const QString& path);
    // Drops what was asked for and has not started: a new project is coming.
    void forgetPending();
    // Waits for every started picture (tests and benchmarks).
    void waitForDone();

Q_SIGNALS:
    void ready(const QString& path);

private:
    void made(const QString& path, const QImage& picture);

    std::unique_ptr<image::SlideImageCache> cache_;
    int side_;
    Shape shape_;
    QThreadPool pool_;
    QHash<QString, QIcon> icons_;
    QSet<QString> asked_;
};

}  // namespace lumivex::ui
