#include "ColorSwatch.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace lumivex::ui {

ColorSwatch::ColorSwatch(QWidget* parent) : QToolButton(parent) {
    setMinimumSize(44, 22);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
}

void ColorSwatch::setColor(const QColor& color) {
    color_ = color;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
    // A frame in the text colour keeps black and white swatches visible on any theme.
    const QRect inner = rect().adjusted(5, 5, -6, -6);
    painter.fillRect(inner, color_);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(inner);
}

}  // namespace lumivex::ui
