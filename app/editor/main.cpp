// lumivex: the slideshow editor.
#include <unistd.h>

#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QLocale>

#include "ColorScheme.h"
#include "ErrorReport.h"
#include "Icons.h"
#include "MainFormStartup.h"
#include "Platform.h"
#include "ProgramFolder.h"
#include "Translations.h"

int main(int argc, char** argv) {
    using namespace lumivex;
    using namespace lumivex::ui;
    // Chromium refuses to start its sandbox as root (a container, say); the web views then run
    // without it rather than not at all. The user hears of it, since it weakens the views.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("lumivex: running as root, so the web views run without Chromium's sandbox.\n",
                   stderr);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setOrganizationName(QStringLiteral("ZQX"));
    QCoreApplication::setApplicationName(QStringLiteral("Lumivex"));
    LumivexApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("lumivex"));
    QApplication::setWindowIcon(AppIcon(IconId::Program));
    // The desktop's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) and its light or dark look,
    // followed while the program runs.
    InstallTranslations(QLocale::system());
    DesktopColorScheme scheme;
    FollowColorScheme(scheme);

    QtDialogs dialogs;
    QtShell shell;
    QtSettingsStore settings;
    Platform platform{dialogs, shell, settings};
    ErrorReport::setDialogs(&dialogs);
    const std::string folder = ResolveProgramFolder(ProgramFolderContext::FromEnvironment());
    try {
        return RunProgram(platform, QFile::decodeName(QByteArray::fromStdString(folder)),
                          QApplication::arguments());
    } catch (const std::exception& e) {
        // The window could not be made (no scratch folder, say): the reason, not a crash.
        std::fprintf(stderr, "lumivex: %s\n", e.what());
        return 1;
    }
}
