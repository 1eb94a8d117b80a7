#pragma once

#include <QString>

class QMenuBar;
class QWidget;

namespace lumivex::ui {

// The menu bar's access letters, in lower case ("fevisoh").
QString MenuBarLetters(const QMenuBar* menuBar);

// Gives every label that has a field, and every check box and radio button, on `page` an
// access key (Alt+letter) of its own on that page, taken from its text. Letters in `avoid` (the
// menu bar's) are used only where a text has no other free letter.
void AssignAccessKeys(QWidget* page, const QString& avoid);

// A control's text without its access key marks.
QString WithoutAccessKey(QString text);

}  // namespace lumivex::ui
