#pragma once

#include <QDialog>
#include <memory>

#include "Platform.h"

class QLabel;

namespace Ui {
class TformAbout;
}

namespace lumivex::ui {

// Product, version, copyright and the two web addresses, opened in the desktop's browser.
class TformAbout : public QDialog {
    Q_OBJECT

public:
    explicit TformAbout(Platform& platform, QWidget* parent = nullptr);
    ~TformAbout() override;

public Q_SLOTS:
    void Label8Click();
    void Label10Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void FormCreate();
    static void colourLink(QLabel* link, bool hovered);

    Platform& platform_;
    std::unique_ptr<::Ui::TformAbout> ui_;
};

}  // namespace lumivex::ui
