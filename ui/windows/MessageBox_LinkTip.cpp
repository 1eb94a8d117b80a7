#include "MessageBox_LinkTip.h"

#include "WindowSupport.h"
#include "ui_MessageBox_LinkTip.h"

namespace lumivex::ui {

TfrmMsgBox_LinkTip::TfrmMsgBox_LinkTip(Platform& platform, QWidget* parent)
    : QDialog(parent), platform_(platform), ui_(std::make_unique<::Ui::TfrmMsgBox_LinkTip>()) {
    ui_->setupUi(this);
    setWindowFlags(kDialogFrame);
    FixSizeAtLeast(this, QSize(297, 129));
    connect(ui_->chckbxDontShow, &QCheckBox::clicked, this,
            &TfrmMsgBox_LinkTip::chckbxDontShowClick);
}

TfrmMsgBox_LinkTip::~TfrmMsgBox_LinkTip() = default;

void TfrmMsgBox_LinkTip::chckbxDontShowClick() {
    WriteShowDialogSetting(platform_.settings, QStringLiteral("ShowLinkTipDialog"),
                           ui_->chckbxDontShow->isChecked());
}

}  // namespace lumivex::ui
