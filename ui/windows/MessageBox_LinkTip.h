#pragma once

#include <QDialog>
#include <memory>

#include "Platform.h"

namespace Ui {
class TfrmMsgBox_LinkTip;
}

namespace lumivex::ui {

// Warns that local links may not work, before the link picker's file dialog. The caller reads
// "ShowLinkTipDialog"; the tip only writes it, so its box always starts unchecked.
class TfrmMsgBox_LinkTip : public QDialog {
    Q_OBJECT

public:
    explicit TfrmMsgBox_LinkTip(Platform& platform, QWidget* parent = nullptr);
    ~TfrmMsgBox_LinkTip() override;

public Q_SLOTS:
    void chckbxDontShowClick();

private:
    Platform& platform_;
    std::unique_ptr<::Ui::TfrmMsgBox_LinkTip> ui_;
};

}  // namespace lumivex::ui
