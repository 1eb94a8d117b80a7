#include "ErrorReport.h"

#include <QWidget>
#include <exception>

#include "Dialogs.h"

namespace lumivex::ui {

namespace {
Dialogs* reportDialogs = nullptr;
}

void ErrorReport::setDialogs(Dialogs* dialogs) {
    reportDialogs = dialogs;
}

void ErrorReport::show(const QString& text) {
    if (reportDialogs == nullptr) {
        qWarning("%s", qPrintable(text));
        return;
    }
    reportDialogs->message(QApplication::activeWindow(), MessageKind::Error, text,
                           {MessageButton::Ok});
}

LumivexApplication::LumivexApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool LumivexApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ErrorReport::show(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ErrorReport::show(
            QCoreApplication::translate("ErrorReport", "An unexpected error occurred."));
    }
    return false;
}

}  // namespace lumivex::ui
