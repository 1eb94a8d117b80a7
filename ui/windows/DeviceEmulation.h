#pragma once

#include <QObject>
#include <QPointer>

class QWebEnginePage;

namespace lumivex::ui {

// Lays one page out at another device pixel ratio than the screen's, as a phone would: window
// devicePixelRatio, the picture a srcset picks and the sharpness drawn, while the view keeps its
// size on the screen. The web engine gives a single view no ratio of its own, so the page's own
// developer tools (a hidden page, made only while a ratio is set) ask the engine for it.
class DeviceEmulation : public QObject {
    Q_OBJECT

public:
    explicit DeviceEmulation(QWebEnginePage* page, QObject* parent = nullptr);
    ~DeviceEmulation() override;

    // 0 for the screen's own ratio.
    void setPixelRatio(double ratio);
    double pixelRatio() const { return ratio_; }

Q_SIGNALS:
    // The page now lays out at the new ratio; what it picked by the old one stays until it
    // loads again.
    void pixelRatioApplied();

private:
    void send();
    bool closeTools();
    void listPageFirst();

    QPointer<QWebEnginePage> page_;
    QWebEnginePage* tools_ = nullptr;
    double ratio_ = 0;
};

}  // namespace lumivex::ui
