#include "Thumbnails.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "FileIO.h"
#include "UsableCores.h"
#include "image/SlideImageCache.h"
#include "image/SlidePicture.h"

namespace lumivex::ui {

namespace {

// A transparent photo shows on white, as on a page.
constexpr image::Rgb kBackground{255, 255, 255};

QImage makePicture(const std::string& path, int side, const image::SlideImageCache& cache) {
    try {
        if (!FileExists(path))
            return {};
        const image::PictureKind kind = image::KindForPath(path);
        const std::string key = cache.KeyFor(path, side, side, kind, kBackground);
        std::string encoded;
        if (auto found = cache.Find(key)) {
            encoded = std::move(found->encoded);
        } else {
            image::SlidePicture picture = image::MakeSlidePicture(path, side, side, kBackground);
            cache.Store(key, picture);
            encoded = std::move(picture.encoded);
        }
        return QImage::fromData(reinterpret_cast<const uchar*>(encoded.data()),
                                static_cast<int>(encoded.size()));
    } catch (const std::exception&) {
        return {};  // damaged, or of no kind we read: no picture
    }
}

}  // namespace

Thumbnails::Thumbnails(const std::string& cacheFolder, int side, QObject* parent, Shape shape)
    : QObject(parent),
      cache_(std::make_unique<image::SlideImageCache>(cacheFolder)),
      side_(side),
      shape_(shape) {
    pool_.setMaxThreadCount(static_cast<int>(UsableCores()));
}

Thumbnails::~Thumbnails() {
    pool_.clear();
    pool_.waitForDone();
}

std::optional<QIcon> Thumbnails::find(const QString& path) {
    if (auto found = icons_.constFind(path); found != icons_.constEnd())
        return *found;
    if (!asked_.contains(path)) {
        asked_.insert(path);
        const std::string file = QFile::encodeName(path).toStdString();
        const image::SlideImageCache* cache = cache_.get();
        const int side = side_;
        // This object outlives its jobs (its destructor waits for them); a result still queued
        // when it goes is dropped with it.
        pool_.start([this, path, file, side, cache] {
            const QImage picture = makePicture(file, side, *cache);
            QMetaObject::invokeMethod(
                this, [this, path, picture] { made(path, picture); }, Qt::QueuedConnection);
        });
    }
    return std::nullopt;
}

void Thumbnails::made(const QString& path, const QImage& picture) {
    asked_.remove(path);
    if (picture.isNull()) {
        icons_.insert(path, QIcon());
    } else if (shape_ == Shape::Photo) {
        icons_.insert(path, QIcon(QPixmap::fromImage(picture)));
    } else {
        // Centred in a square of its own, so the captions line up whatever the orientation.
        QImage square(std::max(side_, picture.width()), std::max(side_, picture.height()),
                      QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        QPainter painter(&square);
        painter.drawImage((square.width() - picture.width()) / 2,
                          (square.height() - picture.height()) / 2, picture);
        painter.end();
        icons_.insert(path, QIcon(QPixmap::fromImage(square)));
    }
    Q_EMIT ready(path);
}

void Thumbnails::forgetPending() {
    pool_.clear();
    asked_.clear();
}

void Thumbnails::waitForDone() {
    pool_.waitForDone();
}

}  // namespace lumivex::ui
