#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <exception>

namespace lumivex::ui {

class Dialogs;

// The general error report: whatever a handler throws ends that command and is shown in a
// critical box with OK; the program goes on.
class ErrorReport {
public:
    static void setDialogs(Dialogs* dialogs);
    static void show(const QString& text);
    // A handler for a Qt signal: what it throws is reported here and never crosses the signal.
    template <typename Handler>
    static auto guarded(Handler handler) {
        return [handler]() {
            try {
                handler();
            } catch (const std::exception& e) {
                show(QString::fromLocal8Bit(e.what()));
            } catch (...) {
                show(QCoreApplication::translate("ErrorReport", "An unexpected error occurred."));
            }
        };
    }
};

// Catches what handlers throw while events are delivered and hands it to the error report.
class LumivexApplication : public QApplication {
public:
    LumivexApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace lumivex::ui
