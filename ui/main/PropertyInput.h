#pragma once

#include <QObject>
#include <QString>
#include <QValidator>

class QWidget;

namespace lumivex::ui {

// A field holds one line: the project file ends a line at CR or LF and the whole file at 0x1A.
// Every line break (CR LF being one) and 0x1A become a blank, however the text arrives: typed,
// pasted, dropped or set. The cursor stays after the same character.
class OneLineValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// The wheel over a spin box or combo box that does not have the focus scrolls the page around
// it instead of changing the value the user is not looking at.
class WheelScrollsPage final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Both, for every text field, spin box and combo box on `pages`.
void GuardPropertyInput(QWidget* pages);

}  // namespace lumivex::ui
