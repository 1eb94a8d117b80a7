#include "DeviceEmulation.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEnginePage>
#include <utility>

namespace lumivex::ui {

namespace {

// Its console reports the answers it did not ask for; nobody reads them.
class QuietToolsPage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
};

}  // namespace

DeviceEmulation::DeviceEmulation(QWebEnginePage* page, QObject* parent)
    : QObject(parent), page_(page) {}

DeviceEmulation::~DeviceEmulation() {
    // The tools' page answers its script as it goes; nobody is to be told any more.
    blockSignals(true);
    closeTools();
}

bool DeviceEmulation::closeTools() {
    if (tools_ == nullptr)
        return false;
    if (page_)
        page_->setDevToolsPage(nullptr);
    delete tools_;
    tools_ = nullptr;
    return true;
}

void DeviceEmulation::emulateTouchScreen(double pixelRatio) {
    ratio_ = pixelRatio;
    if (pixelRatio <= 0) {
        // Closing the tools ends their session, and the engine drops what it overrode.
        if (closeTools())
            Q_EMIT emulationApplied();
        return;
    }
    if (tools_ != nullptr) {
        send();
        return;
    }
    if (!page_)
        return;
    tools_ = new QuietToolsPage(page_->profile(), this);
    // The tools take messages once their own page has loaded; the override then lasts through
    // every load of the page until the tools close.
    connect(tools_, &QWebEnginePage::loadFinished, this, [this](bool loaded) {
        if (!loaded)
            return;
        send();
        listPageFirst();
    });
    page_->setDevToolsPage(tools_);
    listPageFirst();
}

void DeviceEmulation::listPageFirst() {
    // The engine's debugging port lists its pages most recently shown first: shown anew, the
    // page comes before its hidden tools again.
    if (page_ && page_->isVisible()) {
        page_->setVisible(false);
        page_->setVisible(true);
    }
}

void DeviceEmulation::send() {
    if (tools_ == nullptr || ratio_ <= 0)
        return;
    // Width and height 0 keep the view's own size; not "mobile", which would lay a page without
    // a viewport tag out 980 pixels wide.
    const QJsonObject metrics{{QStringLiteral("width"), 0},
                              {QStringLiteral("height"), 0},
                              {QStringLiteral("deviceScaleFactor"), ratio_},
                              {QStringLiteral("mobile"), false}};
    const QJsonObject touch{{QStringLiteral("enabled"), true},
                            {QStringLiteral("maxTouchPoints"), 5}};
    QString script;
    int id = 1 << 30;  // beyond the numbers the tools give their own messages
    for (const auto& [method, params] :
         {std::pair{QStringLiteral("Emulation.setDeviceMetricsOverride"), metrics},
          std::pair{QStringLiteral("Emulation.setTouchEmulationEnabled"), touch}}) {
        const QJsonObject message{{QStringLiteral("id"), id++},
                                  {QStringLiteral("method"), method},
                                  {QStringLiteral("params"), params}};
        // A JSON object is a script's object literal too.
        script +=
            QStringLiteral("InspectorFrontendHost.sendMessageToBackend(JSON.stringify(%1));")
                .arg(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
    }
    // The engine has taken the messages by the time the script's answer arrives.
    tools_->runJavaScript(script, [guard = QPointer<DeviceEmulation>(this)](const QVariant&) {
        if (guard)
            Q_EMIT guard->emulationApplied();
    });
}

}  // namespace lumivex::ui
