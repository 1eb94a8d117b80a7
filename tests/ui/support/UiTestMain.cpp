// The window tests' program: each test class runs in a process of its own (CTest passes its
// name), with settings, data, cache and scratch in a temporary folder.
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "ErrorReport.h"
#include "UiTestSupport.h"

namespace lumivex::ui::testing {

namespace {

std::map<std::string, std::function<QObject*()>>& registry() {
    static std::map<std::string, std::function<QObject*()>> tests;
    return tests;
}

QString& root() {
    static QString path;
    return path;
}

}  // namespace

bool RegisterUiTest(const char* name, std::function<QObject*()> make) {
    registry()[name] = std::move(make);
    return true;
}

QString FreshFolder(const QString& name) {
    static int counter = 0;
    const QString path = QStringLiteral("%1/%2-%3/").arg(root(), name).arg(++counter);
    QDir().mkpath(path);
    return path;
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    return QTest::qWaitFor(done, milliseconds);
}

bool pageGives(QWebEngineView* view, const QString& script, const QVariant& want) {
    QVariant got;
    for (int tries = 0; tries < 100 && got != want; ++tries) {
        bool done = false;
        view->page()->runJavaScript(script, [&](const QVariant& v) {
            got = v;
            done = true;
        });
        for (int wait = 0; !done && wait < 200; ++wait)
            QTest::qWait(100);
        if (got != want)
            QTest::qWait(100);
    }
    if (got != want)
        qWarning() << script << "gave" << got << "not" << want;
    return got == want;
}

}  // namespace lumivex::ui::testing

int main(int argc, char** argv) {
    using namespace lumivex::ui::testing;
    QTemporaryDir temporary;
    root() = temporary.path();
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString folder = temporary.path() + '/' + QString::fromLatin1(variable);
        QDir().mkpath(folder);
        qputenv(variable, folder.toLocal8Bit());
    }
    qputenv("HOME", temporary.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The program's own application class, so the general error report is under test too.
    lumivex::ui::LumivexApplication app(argc, argv);

    std::string only = argc > 1 && argv[1][0] != '-' ? argv[1] : "";
    int status = 0;
    for (const auto& [name, make] : registry()) {
        if (!only.empty() && name != only)
            continue;
        std::unique_ptr<QObject> test(make());
        QStringList arguments{QString::fromLocal8Bit(argv[0])};
        for (int i = only.empty() ? 1 : 2; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        status |= QTest::qExec(test.get(), arguments);
    }
    if (!only.empty() && registry().count(only) == 0) {
        std::fprintf(stderr, "no test class named %s\n", only.c_str());
        return 2;
    }
    return status;
}
