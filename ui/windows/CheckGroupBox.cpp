#include "CheckGroupBox.h"

#include <QAbstractButton>
#include <QMetaProperty>
#include <stdexcept>

namespace lumivex::ui {

TCheckGroupBox::TCheckGroupBox(QWidget* parent) : TCheckGroupBox(QString(), parent) {}

TCheckGroupBox::TCheckGroupBox(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), FCaption(title) {}

TCheckGroupBox::~TCheckGroupBox() {
    // The check control may outlive the box, or die among its children: either way it must not
    // call back into a box that is half destroyed.
    if (FCheckComponent != nullptr)
        disconnect(FCheckComponent, nullptr, this, nullptr);
    FCheckComponent = nullptr;
}

void TCheckGroupBox::setCaption(const QString& text) {
    if (!text.isEmpty())
        FCaption = text;
    setTitle(FCheckComponent != nullptr ? QString() : FCaption);
}

void TCheckGroupBox::setPositionCheckComponent(bool value) {
    FPositionCheckComponent = value;
    if (!value || FCheckComponent == nullptr)
        return;
    // 8 pixels in from the box's leading edge, the right one when the window is mirrored.
    QPoint place =
        pos() +
        QPoint(layoutDirection() == Qt::RightToLeft ? width() - 8 - FCheckComponent->width() : 8,
               -3);
    QWidget* boxParent = parentWidget();
    QWidget* checkParent = FCheckComponent->parentWidget();
    if (boxParent != checkParent && boxParent != nullptr && checkParent != nullptr)
        place = checkParent->mapFromGlobal(boxParent->mapToGlobal(place));
    FCheckComponent->move(place);
}

void TCheckGroupBox::setCheckComponent(QWidget* control, ClickHandler ownClick) {
    if (qobject_cast<TCheckGroupBox*>(control) != nullptr)
        throw std::invalid_argument("Assigned TCheckGroupBox to itself");
    FCheckComponent = control;
    if (control == nullptr)
        return;
    connect(control, &QObject::destroyed, this, &TCheckGroupBox::Notification,
            Qt::UniqueConnection);
    control->raise();
    FOldOnClick = std::move(ownClick);
    // A change of state by the program counts as a click, so a loaded setting carries over.
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        connect(button, &QAbstractButton::toggled, this, &TCheckGroupBox::CheckClick,
                Qt::UniqueConnection);
    Update();
}

bool TCheckGroupBox::IsChecked() const {
    if (auto* button = qobject_cast<const QAbstractButton*>(FCheckComponent);
        button != nullptr && button->isCheckable())
        return button->isChecked();
    if (FCheckComponent == nullptr)
        return true;
    return ControlAsText(FCheckComponent).contains(QLatin1String("Checked = True"));
}

QString TCheckGroupBox::ControlAsText(const QWidget* control) {
    QString text;
    const QMetaObject* meta = control->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (!property.isReadable() || !property.isStored())
            continue;
        const QVariant value = property.read(control);
        QString shown;
        if (value.typeId() == QMetaType::Bool)
            shown = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else if (value.canConvert<QString>())
            shown = value.toString();
        else
            continue;
        QString name = QString::fromLatin1(property.name());
        name[0] = name[0].toUpper();
        text += name + QStringLiteral(" = ") + shown + '\n';
    }
    return text;
}

void TCheckGroupBox::SetEnabled(bool value) {
    QWidget::setEnabled(value);
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setEnabled(value && IsChecked());
    if (FOnEnabled)
        FOnEnabled(this, value);
}

void TCheckGroupBox::Update() {
    QGroupBox::update();
    setCaption(title());
    setPositionCheckComponent(FPositionCheckComponent);
    // The box's own flag, not the one inherited from a disabled page.
    SetEnabled(!testAttribute(Qt::WA_ForceDisabled) && IsChecked());
}

void TCheckGroupBox::CheckClick() {
    SetEnabled(IsChecked());
    if (FOldOnClick)
        FOldOnClick(this);
}

void TCheckGroupBox::moveEvent(QMoveEvent* event) {
    QGroupBox::moveEvent(event);
    setPositionCheckComponent(FPositionCheckComponent);
}

void TCheckGroupBox::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    setPositionCheckComponent(FPositionCheckComponent);
}

void TCheckGroupBox::Notification(QObject* removed) {
    if (removed == FCheckComponent)
        FCheckComponent = nullptr;
}

}  // namespace lumivex::ui
