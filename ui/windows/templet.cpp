#include "templet.h"

#include <QDir>
#include <QKeyEvent>

#include "ErrorReport.h"
#include "WindowSupport.h"
#include "ui_templet.h"

namespace lumivex::ui {

namespace {
const QString kShowTempletsDialog = QStringLiteral("ShowTempletsDialog");
}

TfrmTemplet::TfrmTemplet(Platform& platform, TemplateHost& host, const QString& programFolder,
                         QWidget* parent)
    : QDialog(parent),
      platform_(platform),
      host_(host),
      templatesFolder_(programFolder + QStringLiteral("templates")),
      ui_(std::make_unique<::Ui::TfrmTemplet>()) {
    ui_->setupUi(this);
    setWindowFlags(kDialogFrame);
    FixSizeAtLeast(this, QSize(416, 216));
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TfrmTemplet::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TfrmTemplet::BitBtn2Click);
    connect(ui_->TempletList, &QListWidget::itemDoubleClicked, this,
            &TfrmTemplet::TempletListDblClick);
    connect(ui_->chckbxDontShow, &QCheckBox::clicked, this, &TfrmTemplet::chckbxDontShowClick);
    FormCreate();
}

TfrmTemplet::~TfrmTemplet() = default;

void TfrmTemplet::FormCreate() {
    if (!QDir(templatesFolder_).exists() && !QDir().mkdir(templatesFolder_)) {
        // The chooser still opens: Cancel starts a new project all the same.
        ErrorReport::show(tr("Cannot create %1").arg(templatesFolder_));
        return;
    }
    ui_->TempletList->addItems(
        QDir(templatesFolder_)
            .entryList({QStringLiteral("*.lvx")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void TfrmTemplet::FormShow() {
    ui_->chckbxDontShow->setChecked(
        !ReadBoolOr(platform_.settings, kSettingsKey, kShowTempletsDialog, true));
}

void TfrmTemplet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

QString TfrmTemplet::SelectedFileName() const {
    const QList<QListWidgetItem*> selected = ui_->TempletList->selectedItems();
    if (selected.isEmpty())
        return {};
    return templatesFolder_ + '/' + selected.first()->text();
}

void TfrmTemplet::BitBtn1Click() {
    if (const QString path = SelectedFileName(); !path.isEmpty())
        host_.OpenProjectFile(path);
    accept();
}

void TfrmTemplet::TempletListDblClick() {
    host_.OpenProjectFile(SelectedFileName());
    accept();
}

void TfrmTemplet::BitBtn2Click() {
    host_.New1Click();
    reject();
}

void TfrmTemplet::keyPressEvent(QKeyEvent* event) {
    // Escape is the Cancel button: it starts a new project too.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn2Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmTemplet::chckbxDontShowClick() {
    WriteShowDialogSetting(platform_.settings, kShowTempletsDialog,
                           ui_->chckbxDontShow->isChecked());
}

}  // namespace lumivex::ui
