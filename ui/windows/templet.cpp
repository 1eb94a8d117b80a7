#include "templet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include "AppletAgent.h"
#include "ErrorReport.h"
#include "ItemTree.h"
#include "Progress.h"
#include "TemplatePreview.h"
#include "Text.h"
#include "WindowSupport.h"
#include "ui_templet.h"

namespace lumivex::ui {

namespace {

const QString kShowTempletsDialog = QStringLiteral("ShowTempletsDialog");
constexpr int kBoxRole = Qt::UserRole;
// Small enough for several rows in the chooser's fixed size.
constexpr QSize kPictureSize(80, 45);

// A template's first slide as a picture, and its size, read as Open reads the file; a file that
// does not read is listed by its name alone.
void showTemplateLook(QListWidgetItem* entry, const QString& folder) {
    // Without a picture of its own the name still lines up with the others.
    QPixmap blank(kPictureSize);
    blank.fill(Qt::transparent);
    entry->setIcon(QIcon(blank));
    MemoryItemTree tree;
    NullProgress progress;
    NullMessageSink quiet;
    TzqxAppletAgent agent(tree, progress, quiet, QFile::encodeName(folder + '/').toStdString());
    try {
        if (agent.LoadFromFile(QFile::encodeName(folder + '/' + entry->text()).toStdString(), tree)
                .outcome != ProjectReadOutcome::Complete)
            return;
    } catch (const std::exception&) {
        return;
    }
    const TAppletData& data = agent.AppletData;
    const QString width = QString::fromStdString(Trim(data.SlideShowWidth));
    const QString height = QString::fromStdString(Trim(data.SlideShowHeight));
    entry->setData(kBoxRole, QSize(width.toInt(), height.toInt()));
    entry->setToolTip(QCoreApplication::translate("TfrmTemplet", "%1: %2 x %3 px")
                          .arg(QFileInfo(entry->text()).completeBaseName(), width, height));
    if (agent.Items.empty())
        return;
    const TItemData& first = agent.Items.front();
    const QString photo =
        QFile::decodeName(QByteArray::fromStdString(Trim(first.OriginalImagePath)));
    const QString slide =
        folder + '/' + QFile::decodeName(QByteArray::fromStdString(first.SlideImageFile));
    QImage picture(QFileInfo::exists(photo) ? photo : slide);
    if (picture.isNull())
        return;
    picture = picture.scaled(kPictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage framed(kPictureSize, QImage::Format_ARGB32_Premultiplied);
    framed.fill(Qt::transparent);
    QPainter painter(&framed);
    painter.drawImage((kPictureSize.width() - picture.width()) / 2,
                      (kPictureSize.height() - picture.height()) / 2, picture);
    painter.end();
    entry->setIcon(QIcon(QPixmap::fromImage(framed)));
}

}  // namespace

TfrmTemplet::TfrmTemplet(Platform& platform, TemplateHost& host, const QString& programFolder,
                         QWidget* parent)
    : QDialog(parent),
      platform_(platform),
      host_(host),
      programFolder_(programFolder),
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
    connect(ui_->TempletList, &QListWidget::currentItemChanged, this,
            ErrorReport::guarded([this] { showPreviewOf(ui_->TempletList->currentItem()); }));
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
    ui_->TempletList->setIconSize(kPictureSize);
    for (int k = 0; k < ui_->TempletList->count(); ++k)
        showTemplateLook(ui_->TempletList->item(k), templatesFolder_);
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

void TfrmTemplet::showPreviewOf(QListWidgetItem* entry) {
    if (entry == nullptr)
        return;
    if (preview_ == nullptr)
        preview_ = new TfrmTemplatePreview(programFolder_, this);
    preview_->ShowTemplate(templatesFolder_ + '/' + entry->text(), entry->data(kBoxRole).toSize());
}

void TfrmTemplet::hideEvent(QHideEvent* event) {
    if (preview_ != nullptr)
        preview_->hide();
    QDialog::hideEvent(event);
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
