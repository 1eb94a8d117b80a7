#pragma once

#include <QObject>
#include <QPointer>

class QWebEnginePage;

namespace lumivex::ui {

// Lays one page out as a phone's touch screen would, while its view keeps its size on the
// screen: window.devicePixelRatio and the picture a srcset picks, a coarse pointer without
// hover and touch points. The web engine gives a single view no ratio of its own, so the page's
// own developer tools (a hidden page, made only while a phone is emulated) ask the engine for it.
class DeviceEmulation : public QObject {
    Q_OBJECT

public:
    explicit DeviceEmulation(QWebEnginePage* page, QObject* parent = nullptr);
    ~DeviceEmulation() override;

    // A touch screen of `pixelRatio` device pixels to the CSS pixel; 0 for the screen as it is.
    void emulateTouchScreen(double pixelRatio);

Q_SIGNALS:
    // The page now lays out as asked; what it chose before (its pictures, its targets' sizes)
    // stays until it loads again.
    void emulationApplied();

private:
    void send();
    bool closeTools();
    void listPageFirst();

    QPointer<QWebEnginePage> page_;
    QWebEnginePage* tools_ = nullptr;
    double ratio_ = 0;
};

}  // namespace lumivex::ui
