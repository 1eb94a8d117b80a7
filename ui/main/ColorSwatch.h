#pragma once

#include <QColor>
#include <QToolButton>

namespace lumivex::ui {

// A colour panel the user clicks to pick a colour; a button, so the keyboard reaches it too.
class ColorSwatch : public QToolButton {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    QColor color() const { return color_; }
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_{Qt::black};
};

}  // namespace lumivex::ui
