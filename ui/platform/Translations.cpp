#include "Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace lumivex::ui {

namespace {

struct Installed {
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
    QString language;
};

Installed& installed() {
    static Installed now;
    return now;
}

void remove(std::unique_ptr<QTranslator>& translator) {
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

// The first of the user's languages that the program speaks; English, the source, needs no
// catalogue and wins over any language the user put after it.
std::unique_ptr<QTranslator> programCatalogue(const QLocale& locale, QString& language) {
    for (QString wanted : locale.uiLanguages()) {
        wanted.replace('-', '_');
        if (wanted == QLatin1String("C") || wanted.startsWith(QLatin1String("en")))
            return nullptr;
        for (const QString& name : {wanted, wanted.section('_', 0, 0)}) {
            auto translator = std::make_unique<QTranslator>();
            // Built into the program, so an installed or unpacked editor finds it anywhere.
            if (translator->load(QStringLiteral("lumivex_") + name, QStringLiteral(":/i18n"))) {
                language = name.section('_', 0, 0);
                return translator;
            }
        }
    }
    return nullptr;
}

}  // namespace

QString InstallTranslations(const QLocale& locale) {
    Installed& now = installed();
    remove(now.program);
    remove(now.qt);
    now.language.clear();
    now.program = programCatalogue(locale, now.language);
    if (!now.program)
        return {};
    QCoreApplication::installTranslator(now.program.get());
    // Qt's own texts in the same language: its catalogue is the system's, so it may be missing.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_") + now.language,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        now.qt = std::move(qt);
    }
    return now.language;
}

QString UiLanguage() {
    return installed().language;
}

QString LocalizedHelpPage(const QString& helpFolder, const QString& page) {
    const QString language = UiLanguage();
    if (language.isEmpty())
        return page;
    const QFileInfo info(page);
    const QString localized = info.completeBaseName() + '.' + language + '.' + info.suffix();
    return QFileInfo::exists(helpFolder + localized) ? localized : page;
}

}  // namespace lumivex::ui
