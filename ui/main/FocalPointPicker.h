#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "image/FocalPoint.h"

namespace lumivex::ui {

class Thumbnails;

// The slide's picture on the Item page with its focal point. A click or a drag puts the point
// where the subject is, the arrow keys move it, Delete gives it back to the automatic finding
// (shown dashed). When slides fill the box, the part a slide keeps is shown lit.
class FocalPointPicker : public QWidget {
    Q_OBJECT
public:
    explicit FocalPointPicker(QWidget* parent = nullptr);

    // As the item keeps it ("72.5,40"); empty for automatic.
    QString pointText() const;
    // Shows a point without it counting as a change.
    void setPointText(const QString& text);
    void setMixed(bool mixed);
    void chooseAutomatic();
    // A click at `at` (fractions) of the slide's picture as the slideshow shows it: the point
    // of the photo there, one step.
    void pointInSlide(QPointF at);
    // Where the pictures come from; not owned.
    void setPictures(Thumbnails* pictures);
    void setPhoto(const QString& path);
    // The slideshow's box, and whether slides fill it.
    void setBox(QSize box, bool fill);
    bool hasPicture() const { return !picture_.isNull(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user moved the point (once per click or drag, and per key).
    void pointChanged();
    // What follows is a step of its own (a click begins or ends).
    void stepStarted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF pictureRect() const;
    image::FocalPoint shownPoint() const;
    void pointAt(QPointF position);
    void choose(std::optional<image::FocalPoint> point);
    void pictureReady(const QString& path);
    void paintKeptPart(QPainter& painter, const QRectF& picture) const;
    void paintMarker(QPainter& painter, const QRectF& picture) const;

    QPointer<Thumbnails> pictures_;
    QString photo_;
    QImage picture_;
    image::FocalPoint found_;
    std::optional<image::FocalPoint> point_;
    bool mixed_ = false;
    bool dragging_ = false;
    QSize box_;
    bool fill_ = false;
};

}  // namespace lumivex::ui
