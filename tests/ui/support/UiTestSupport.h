#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>

class QWebEngineView;

namespace lumivex::ui::testing {

// Registers a Qt Test class with the one test program; see LUMIVEX_UI_TEST.
bool RegisterUiTest(const char* name, std::function<QObject*()> make);

// A fresh empty folder under the test run's temporary root, with a trailing "/".
QString FreshFolder(const QString& name);

// Runs the event loop until `done` holds or `milliseconds` pass; true when it held.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000);

// Whether `script` run in the page gives `want` within about 20 seconds; what it gave instead
// is logged.
bool pageGives(QWebEngineView* view, const QString& script, const QVariant& want);

}  // namespace lumivex::ui::testing

#define LUMIVEX_UI_TEST(Class)                                                           \
    static const bool lumivexRegistered##Class = ::lumivex::ui::testing::RegisterUiTest( \
        #Class, [] { return static_cast<QObject*>(new Class); })
