#include "FocalPointPicker.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "Thumbnails.h"

namespace lumivex::ui {

namespace {

image::RgbImage toRgb(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    image::RgbImage out(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 3, out.row(y));
    return out;
}

}  // namespace

FocalPointPicker::FocalPointPicker(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
}

QSize FocalPointPicker::sizeHint() const {
    return {240, 150};
}

QSize FocalPointPicker::minimumSizeHint() const {
    return {160, 100};
}

QString FocalPointPicker::pointText() const {
    return point_ ? QString::fromStdString(image::FocalPointText(*point_)) : QString();
}

void FocalPointPicker::setPointText(const QString& text) {
    point_ = image::ParseFocalPoint(text.toStdString());
    update();
}

void FocalPointPicker::setMixed(bool mixed) {
    mixed_ = mixed;
    update();
}

void FocalPointPicker::chooseAutomatic() {
    Q_EMIT stepStarted();
    choose(std::nullopt);
}

void FocalPointPicker::setPictures(Thumbnails* pictures) {
    if (pictures_ != nullptr)
        disconnect(pictures_, nullptr, this, nullptr);
    pictures_ = pictures;
    if (pictures_ != nullptr)
        connect(pictures_, &Thumbnails::ready, this, &FocalPointPicker::pictureReady);
}

void FocalPointPicker::setPhoto(const QString& path) {
    if (path == photo_)
        return;
    photo_ = path;
    picture_ = QImage();
    found_ = {};
    pictureReady(path);
}

void FocalPointPicker::pictureReady(const QString& path) {
    if (path != photo_ || pictures_ == nullptr || path.isEmpty())
        return;
    const std::optional<QIcon> icon = pictures_->find(path);
    if (!icon)
        return;  // asked for; `ready` follows
    if (!icon->isNull()) {
        picture_ = icon->pixmap(icon->availableSizes().value(0)).toImage();
        found_ = image::FindFocalPoint(toRgb(picture_));
    }
    update();
}

void FocalPointPicker::setBox(QSize box, bool fill) {
    box_ = box;
    fill_ = fill;
    update();
}

QRectF FocalPointPicker::pictureRect() const {
    const QRectF room = QRectF(rect()).adjusted(2, 2, -2, -2);
    if (picture_.isNull())
        return room;
    const QSizeF size = QSizeF(picture_.size()).scaled(room.size(), Qt::KeepAspectRatio);
    return {room.center() - QPointF(size.width() / 2, size.height() / 2), size};
}

image::FocalPoint FocalPointPicker::shownPoint() const {
    return point_.value_or(found_);
}

void FocalPointPicker::choose(std::optional<image::FocalPoint> point) {
    if (point == point_ && !mixed_)
        return;
    point_ = point;
    mixed_ = false;
    update();
    Q_EMIT pointChanged();
}

namespace {

// Kept to the precision the item stores, so the point shown is the point saved.
double stored(double fraction) {
    return std::round(std::clamp(fraction, 0.0, 1.0) * 1000.0) / 1000.0;
}

}  // namespace

void FocalPointPicker::pointAt(QPointF position) {
    const QRectF picture = pictureRect();
    point_ = image::FocalPoint{stored((position.x() - picture.left()) / picture.width()),
                               stored((position.y() - picture.top()) / picture.height())};
    mixed_ = false;
    update();
}

void FocalPointPicker::pointInSlide(QPointF at) {
    if (picture_.isNull() || !(at.x() >= 0 && at.x() <= 1 && at.y() >= 0 && at.y() <= 1))
        return;
    image::FocalPoint point{at.x(), at.y()};
    // A filled slide shows the part of the photo kept around the point it has now.
    if (fill_ && !box_.isEmpty()) {
        const image::Size cover =
            image::CoverBox(picture_.width(), picture_.height(), box_.width(), box_.height());
        point = image::PointOfCrop(cover, box_.width(), box_.height(), shownPoint(), point);
    }
    Q_EMIT stepStarted();
    choose(image::FocalPoint{stored(point.x), stored(point.y)});
    Q_EMIT stepStarted();
}

void FocalPointPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || picture_.isNull())
        return QWidget::mousePressEvent(event);
    dragging_ = true;
    Q_EMIT stepStarted();
    pointAt(event->position());
}

void FocalPointPicker::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_)
        pointAt(event->position());
}

void FocalPointPicker::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_)
        return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    pointAt(event->position());
    Q_EMIT pointChanged();
    // The keys that may follow make a step of their own.
    Q_EMIT stepStarted();
}

void FocalPointPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        chooseAutomatic();
        return;
    }
    const double step = event->modifiers().testFlag(Qt::ShiftModifier) ? 0.1 : 0.01;
    image::FocalPoint point = shownPoint();
    switch (event->key()) {
        case Qt::Key_Left:
            point.x -= step;
            break;
        case Qt::Key_Right:
            point.x += step;
            break;
        case Qt::Key_Up:
            point.y -= step;
            break;
        case Qt::Key_Down:
            point.y += step;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    const auto kept = [](double v) {
        return std::round(std::clamp(v, 0.0, 1.0) * 1000.0) / 1000.0;
    };
    choose(image::FocalPoint{kept(point.x), kept(point.y)});
}

void FocalPointPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const QRectF picture = pictureRect();
    if (picture_.isNull()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                         photo_.isEmpty() ? tr("No photo") : tr("The photo cannot be shown."));
    } else {
        painter.drawImage(picture, picture_);
        if (mixed_) {
            painter.fillRect(picture, QColor(0, 0, 0, 110));
            painter.setPen(Qt::white);
            painter.drawText(picture, Qt::AlignCenter, tr("(mixed)"));
        } else {
            paintKeptPart(painter, picture);
            paintMarker(painter, picture);
        }
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void FocalPointPicker::paintKeptPart(QPainter& painter, const QRectF& picture) const {
    if (!fill_ || box_.width() <= 0 || box_.height() <= 0)
        return;
    // The box's shape covering the picture, placed around the point as the slide is cut.
    const int w = picture_.width(), h = picture_.height();
    const double scale = std::max(double(box_.width()) / w, double(box_.height()) / h);
    const int cropW = std::min(w, int(std::lround(box_.width() / scale)));
    const int cropH = std::min(h, int(std::lround(box_.height() / scale)));
    const image::FocalPoint focus = shownPoint();
    const QRectF kept(image::CropStart(w, cropW, focus.x), image::CropStart(h, cropH, focus.y),
                      cropW, cropH);
    const double to = picture.width() / w;
    const QRectF shown(picture.topLeft() + kept.topLeft() * to, kept.size() * to);
    QPainterPath outside;
    outside.addRect(picture);
    outside.addRect(shown);
    painter.fillPath(outside, QColor(0, 0, 0, 140));
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(shown);
}

void FocalPointPicker::paintMarker(QPainter& painter, const QRectF& picture) const {
    const image::FocalPoint focus = shownPoint();
    const QPointF at(picture.left() + focus.x * picture.width(),
                     picture.top() + focus.y * picture.height());
    // A dark ring under a light one shows on any photo; dashed while the point is found.
    const std::pair<QColor, double> rings[] = {{QColor(0, 0, 0, 180), 4.0}, {Qt::white, 2.0}};
    for (const auto& [colour, width] : rings) {
        QPen pen(colour, width);
        if (!point_)
            pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, 9, 9);
        painter.drawLine(at - QPointF(14, 0), at - QPointF(4, 0));
        painter.drawLine(at + QPointF(4, 0), at + QPointF(14, 0));
        painter.drawLine(at - QPointF(0, 14), at - QPointF(0, 4));
        painter.drawLine(at + QPointF(0, 4), at + QPointF(0, 14));
    }
    if (!point_) {
        const QRectF label = picture.adjusted(4, 2, -4, -2);
        painter.setPen(Qt::black);
        painter.drawText(label.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, tr("Automatic"));
        painter.setPen(Qt::white);
        painter.drawText(label, Qt::AlignLeft | Qt::AlignTop, tr("Automatic"));
    }
}

}  // namespace lumivex::ui
