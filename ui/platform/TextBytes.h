#pragma once

#include <QString>
#include <string>

class QWidget;

namespace lumivex::ui {

// The model holds bytes; controls show them as UTF-8, reading bytes that are not valid UTF-8
// as Windows-1252, so a legacy file shows its characters and loses nothing.
QString BytesToText(const std::string& bytes);
// What the user typed, as the model stores it.
std::string TextToBytes(const QString& text);

// A control remembers the bytes it was loaded with, so a field the user did not edit is stored
// again exactly as it came, whatever its encoding.
void RememberLoadedBytes(QWidget* control, const std::string& bytes, const QString& shown);
// The remembered bytes when the control still shows what was loaded, else the shown text's
// UTF-8 bytes.
std::string BytesOfControl(const QWidget* control, const QString& shown);

}  // namespace lumivex::ui
