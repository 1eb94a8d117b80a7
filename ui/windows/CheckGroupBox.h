#pragma once

#include <QGroupBox>
#include <QString>
#include <functional>

namespace lumivex::ui {

// A group box whose caption is a separate check control (usually a check box) laid over its
// top edge. While the check control is unchecked every control inside the box is disabled; the
// check control itself stays usable because it lives beside the box, in the same parent, and
// must not be managed by a layout (the box moves it).
class TCheckGroupBox : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(
        bool positionCheckComponent READ positionCheckComponent WRITE setPositionCheckComponent)

public:
    using TEnabledEvent = std::function<void(TCheckGroupBox* sender, bool value)>;
    using ClickHandler = std::function<void(QObject* sender)>;

    explicit TCheckGroupBox(QWidget* parent = nullptr);
    explicit TCheckGroupBox(const QString& title, QWidget* parent = nullptr);
    ~TCheckGroupBox() override;

    // The text the box displays; blank while a check control is attached.
    QString caption() const { return title(); }
    void setCaption(const QString& text);

    QWidget* checkComponent() const { return FCheckComponent; }
    // Throws std::invalid_argument for a check group box and changes nothing then. `ownClick`
    // is the control's own click handler: it runs after the box has followed the control,
    // with the box as the sender.
    void setCheckComponent(QWidget* control, ClickHandler ownClick = {});

    bool positionCheckComponent() const { return FPositionCheckComponent; }
    void setPositionCheckComponent(bool value);

    const TEnabledEvent& OnEnabled() const { return FOnEnabled; }
    void setOnEnabled(TEnabledEvent handler) { FOnEnabled = std::move(handler); }

    bool IsChecked() const;
    // The control's stored properties, one "Name = Value" line each.
    static QString ControlAsText(const QWidget* control);

    // Writes the box's own enabled state and sets every control inside to (value and checked).
    // Use this rather than QWidget::setEnabled, which it hides, so OnEnabled hears every write.
    void SetEnabled(bool value);
    void setEnabled(bool value) { SetEnabled(value); }

    // Caption, position and enabled state brought in line with the check control; call after
    // the box was read from a form.
    void Update();

public Q_SLOTS:
    void CheckClick();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Notification(QObject* removed);

    QString FCaption;
    bool FPositionCheckComponent = true;
    TEnabledEvent FOnEnabled;
    QWidget* FCheckComponent = nullptr;
    ClickHandler FOldOnClick;
};

}  // namespace lumivex::ui
