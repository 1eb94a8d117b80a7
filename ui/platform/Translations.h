#pragma once

#include <QLocale>
#include <QString>

namespace lumivex::ui {

// The editor's catalogue and Qt's own (standard buttons, dialogs) for `locale`'s languages, the
// first of them that the program has a translation for; English, the source language, needs
// none. Loading again replaces what an earlier call installed. Returns the language loaded, as
// "de", or "" for English.
QString InstallTranslations(const QLocale& locale);
// The language InstallTranslations loaded last, "" for English.
QString UiLanguage();

// `page` of the help folder in the interface's language where the help has it ("index.de.html"
// beside "index.html"), else `page` itself. `helpFolder` ends with "/".
QString LocalizedHelpPage(const QString& helpFolder, const QString& page);

}  // namespace lumivex::ui
