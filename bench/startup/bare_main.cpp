// The start-up benchmark's peer: a bare Qt main window linking the same Qt modules as the
// editor (Widgets and WebEngineWidgets), with the editor's application set-up and no web view.
// Its window is titled "Bare Qt Window" so the driver can tell it from the editor's.
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QWebEngineView>

int main(int argc, char** argv) {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setOrganizationName(QStringLiteral("ZQX"));
    QCoreApplication::setApplicationName(QStringLiteral("LumivexBare"));
    QApplication app(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt Window"));
    window.menuBar()
        ->addMenu(QStringLiteral("&File"))
        ->addAction(QStringLiteral("E&xit"), &app, &QApplication::quit);
    window.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("New"));
    // Naming the view's class keeps the web engine libraries linked and loaded, as they are in
    // the editor, without starting the engine.
    auto* label = new QLabel(QString::fromLatin1(QWebEngineView::staticMetaObject.className()));
    window.setCentralWidget(label);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(780, 640);
    window.show();
    return QApplication::exec();
}
