#include "FindReplace.h"

#include <QPushButton>

#include "ErrorReport.h"
#include "WindowSupport.h"
#include "ui_FindReplace.h"

namespace lumivex::ui {

TfrmFindReplace::TfrmFindReplace(ReplaceAll replaceAll, QWidget* parent)
    : QDialog(parent),
      replaceAll_(std::move(replaceAll)),
      ui_(std::make_unique<::Ui::TfrmFindReplace>()) {
    ui_->setupUi(this);
    setWindowFlags(kDialogFrame);
    connect(ui_->btnReplaceAll, &QPushButton::clicked, this,
            ErrorReport::guarded([this] { btnReplaceAllClick(); }));
    connect(ui_->btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmFindReplace::~TfrmFindReplace() = default;

void TfrmFindReplace::btnReplaceAllClick() {
    const QString find = ui_->edtFind->text();
    if (find.isEmpty())
        return;
    const int changed =
        replaceAll_(find, ui_->edtReplace->text(),
                    ui_->chbxMatchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    ui_->lblResult->setText(changed == 0 ? tr("\"%1\" was not found.").arg(find)
                                         : tr("Replaced in %n slides.", "", changed));
}

}  // namespace lumivex::ui
