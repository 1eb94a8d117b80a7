#include "TextBytes.h"

#include <QByteArray>
#include <QVariant>
#include <QWidget>

#include "Text.h"

namespace lumivex::ui {

namespace {
constexpr const char* kLoadedBytes = "lumivexLoadedBytes";
constexpr const char* kLoadedText = "lumivexLoadedText";
}  // namespace

QString BytesToText(const std::string& bytes) {
    return QString::fromStdString(LegacyTextToUtf8(bytes));
}

std::string TextToBytes(const QString& text) {
    return text.toStdString();
}

void RememberLoadedBytes(QWidget* control, const std::string& bytes, const QString& shown) {
    control->setProperty(kLoadedBytes, QByteArray::fromStdString(bytes));
    control->setProperty(kLoadedText, shown);
}

std::string BytesOfControl(const QWidget* control, const QString& shown) {
    const QVariant text = control->property(kLoadedText);
    if (text.isValid() && text.toString() == shown)
        return control->property(kLoadedBytes).toByteArray().toStdString();
    return TextToBytes(shown);
}

}  // namespace lumivex::ui
