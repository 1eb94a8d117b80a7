#pragma once

class QLineEdit;

namespace lumivex::ui {

// The installed font families offered while a font list ("Verdana, Arial, sans-serif") is typed
// into `edit`: the family after the last comma is completed, what comes before stays.
void OfferFontFamilies(QLineEdit* edit);

}  // namespace lumivex::ui
