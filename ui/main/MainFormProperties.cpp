// The property pages: the binding of every control to its field, the change handlers, the
// colour, image and link pickers and the check on the reserved separator.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "ColorSwatch.h"
#include "FileIO.h"
#include "Icons.h"
#include "MainForm.h"
#include "MessageBox_LinkTip.h"
#include "PropertyInput.h"
#include "Text.h"
#include "TextBytes.h"
#include "WYSIWYG_Utility.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {

struct Binding {
    std::string TAppletData::*field;
    const char* control;
    int mode;
};

// In field order; a colour field is its swatch, then its "T" button.
const Binding kAppletBindings[] = {
    {&TAppletData::CtrlId, "edt_ctrlId", 0},
    {&TAppletData::SlideInfoOpacity, "spnedt_slideInfoOpacity", 0},
    {&TAppletData::RotateDelay, "spnedt_rotateDelay", 0},
    {&TAppletData::DurImageTransition, "spnedt_durImageTransition", 0},
    {&TAppletData::StepImageTransition, "spnedt_stepImageTransition", 0},
    {&TAppletData::DurSlideInfo, "spnedt_durSlideInfo", 0},
    {&TAppletData::StepSlideInfo, "spnedt_stepSlideInfo", 0},
    {&TAppletData::DelayShowSlideInfo, "spnedt_delayShowSlideInfo", 0},
    {&TAppletData::DelayHideSlideInfo, "spnedt_delayHideSlideInfo", 0},
    {&TAppletData::SlideShowWidth, "spnedt_SlideShowWidth", 0},
    {&TAppletData::SlideShowHeight, "spedt_SlideShowHeight", 0},
    {&TAppletData::SlideShowZIndex, "spnedt_SlideShowZIndex", 0},
    {&TAppletData::SlideShowBackgroundColor, "pnl_SlideShowBackgroundColor", 0},
    {&TAppletData::SlideShowBackgroundColor, "spdbtn_SlideShowBackgroundColor", 2},
    {&TAppletData::SlideShowLoadingBgColor, "pnl_SlideShowLoadingBgColor", 0},
    {&TAppletData::SlideShowLoadingBgColor, "spdbtn_SlideShowLoadingBgColor", 2},
    {&TAppletData::SlideShowLoadingBgImage, "edt_SlideShowLoadingBgImage", 0},
    {&TAppletData::SlideInfoHeightAuto, "chbx_SlideInfoHeight", 0},
    {&TAppletData::SlideInfoHeight, "spnedt_SlideInfoHeight", 0},
    {&TAppletData::SlideInfoBgColor, "pnl_SlideInfoBgColor", 0},
    {&TAppletData::SlideInfoBgColor, "spdbtn_SlideInfoBgColor", 2},
    {&TAppletData::SlideInfoTextIndent, "spnedt_SlideInfoTextIndent", 0},
    {&TAppletData::SlideInfoTitleFontFamily, "edt_SlideInfoTitleFontFamily", 0},
    {&TAppletData::SlideInfoTitleFontSize, "spnedt_SlideInfoTitleFontSize", 0},
    {&TAppletData::SlideInfoTitleFontWeight, "spdbtn_SlideInfoTitleFontWeight", 0},
    {&TAppletData::SlideInfoTitleFontStyle, "spdbtn_SlideInfoTitleFontStyle", 0},
    {&TAppletData::SlideInfoTitleTextDecoration, "spnedt_SlideInfoTitleTextDecoration", 0},
    {&TAppletData::SlideInfoTitleColor, "pnl_SlideInfoTitleColor", 0},
    {&TAppletData::SlideInfoTitleColor, "spdbtn_SlideInfoTitleColor", 2},
    {&TAppletData::SlideInfoTitlePaddingLeft, "spnedt_SlideInfoTitlePaddingLeft", 0},
    {&TAppletData::SlideInfoDescFontFamily, "edt_SlideInfoDescFontFamily", 0},
    {&TAppletData::SlideInfoDescFontSize, "spnedt_SlideInfoDescFontSize", 0},
    {&TAppletData::SlideInfoDescFontWeight, "spdbtn_SlideInfoDescFontWeight", 0},
    {&TAppletData::SlideInfoDescFontStyle, "spdbtn_SlideInfoDescFontStyle", 0},
    {&TAppletData::SlideInfoDescTextDecoration, "spdbtn_SlideInfoDescTextDecoration", 0},
    {&TAppletData::SlideInfoDescColor, "pnl_SlideInfoDescColor", 0},
    {&TAppletData::SlideInfoDescColor, "spdbtn_SlideInfoDescColor", 2},
    {&TAppletData::SlideInfoDescPaddingTop, "spnedt_SlideInfoDescPaddingTop", 0},
    {&TAppletData::SlideInfoDescPaddingRight, "spnedt_SlideInfoDescPaddingRight", 0},
    {&TAppletData::SlideInfoDescPaddingBottom, "spnedt_SlideInfoDescPaddingBottom", 0},
    {&TAppletData::SlideInfoDescPaddingLeft, "spendt_SlideInfoDescPaddingLefe", 0},
    {&TAppletData::ImageLeadingPathEnabled, "chbx_pImageLeadingPathEnabled", 0},
    {&TAppletData::ImageLeadingPath, "edt_pImageLeadingPath", 0},
    {&TAppletData::RootDirLocal, "edtpInternalUse_RootDir_Local", 0},
    {&TAppletData::RootDirRemote, "edtpInternalUse_RootDir_Remote", 0},
    {&TAppletData::RootDirLocalChecked, "rdbtnpInternalUse_RootDir_Local_Checked", 0},
};

struct ItemBinding {
    std::string TItemData::*field;
    const char* control;
    int mode;
};

const ItemBinding kItemBindings[] = {
    {&TItemData::Title, "edt_Text", 0},
    {&TItemData::LinkUrl, "cmbx_Link", 1},
    {&TItemData::LinkTarget, "cmbx_Target", 1},
    {&TItemData::ToolTip, "edt_IToolTip", 0},
    {&TItemData::Description, "edt_Description", 0},
    {&TItemData::OriginalImagePath, "edtOriginalImagePath", 0},
};

// The text controls with change handlers of their own (the first) or shared with the preview;
// every other bound control marks the document modified through `markModifiedOnChange`.
const char* const kChangeHandled[] = {
    "edt_ctrlId",
    "edt_SlideShowLoadingBgImage",
    "cmbx_Link",
    "cmbx_Target",
    "edt_IToolTip",
    "edt_Text",
    "edt_Description",
    "edtpInternalUse_RootDir_Local",
    "edtpInternalUse_RootDir_Remote",
};

constexpr int kSpinMinimum = -9999;
constexpr int kSpinMaximum = 9999;

const QString kPictureFilter = QStringLiteral(
    "All Image Files(*.gif;*.jpg;*.jpeg)|*.gif;*.jpg;*.jpeg|GIF Image File (*.gif)|*.gif|JPEG "
    "Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg");
const QString kLinkFilter =
    QStringLiteral("HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*");

QString trimmedText(const QString& text) {
    // Blanks as the files trim them: every character up to the space.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

void setShownText(QWidget* control, const std::string& value) {
    const std::string trimmed = Trim(value);
    const QString shown = BytesToText(trimmed);
    // A long value shows its beginning, as a user reads it.
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(shown);
        edit->setCursorPosition(0);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(shown);
        if (combo->lineEdit() != nullptr)
            combo->lineEdit()->setCursorPosition(0);
    }
    RememberLoadedBytes(control, trimmed, shown);
}

std::string shownBytes(const QWidget* control, const QString& text) {
    const QString shown = trimmedText(text);
    return Trim(BytesOfControl(control, shown));
}

QColor toQColor(RgbColor c) {
    return QColor(c.red, c.green, c.blue);
}

RgbColor toRgb(const QColor& c) {
    return RgbColor{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                    static_cast<std::uint8_t>(c.blue())};
}

}  // namespace

void TMainForm::GetControlValue(std::string& value, QWidget* control, int mode) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        value =
            mode == 1 ? shownBytes(combo, combo->currentText()) : IntToStr(combo->currentIndex());
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        bool ok = false;
        const int number = spin->cleanText().trimmed().toInt(&ok);
        value = IntToStr(ok ? std::clamp(number, kSpinMinimum, kSpinMaximum) : kSpinMinimum);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        value = shownBytes(edit, edit->text());
    } else if (auto* swatch = qobject_cast<ColorSwatch*>(control)) {
        value = ColorToHexText(toRgb(swatch->color()));
    } else if (auto* toggle = qobject_cast<QToolButton*>(control)) {
        if (toggle->isChecked())
            value = mode == 2 ? "Transparent" : "1";
        else if (mode != 2)
            value = "0";
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        value = button->isChecked() ? "1" : "0";
    }
}

void TMainForm::SetControlValue(const std::string& value, QWidget* control, int mode) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (mode == 1)
            setShownText(combo, value);
        else
            combo->setCurrentIndex(StrToInt(value));
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        spin->setValue(std::clamp(StrToInt(value), kSpinMinimum, kSpinMaximum));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        setShownText(edit, value);
    } else if (auto* swatch = qobject_cast<ColorSwatch*>(control)) {
        swatch->setColor(toQColor(HexTextToColor(value)));
    } else if (auto* toggle = qobject_cast<QToolButton*>(control)) {
        toggle->setChecked(mode == 2 ? IsTransparentText(value) : value == "1");
    } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        setRadio(radio, value == "1");
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        check->setChecked(value == "1");
    }
}

void TMainForm::setRadio(QWidget* radio, bool checked) {
    // The pair is managed here: clearing one must not choose the other.
    auto* button = static_cast<QRadioButton*>(radio);
    button->setChecked(checked);
    if (!checked)
        return;
    for (QRadioButton* other : {ui_->rdbtnpInternalUse_RootDir_Local_Checked,
                                ui_->rdbtnpInternalUse_RootDir_Local_Checked2}) {
        if (other != button)
            other->setChecked(false);
    }
}

void TMainForm::StoreAppletProperties() {
    TAppletData data = FAgent->GetAppletData();
    for (const Binding& b : kAppletBindings)
        GetControlValue(data.*b.field, findChild<QWidget*>(QLatin1String(b.control)), b.mode);
    FAgent->SetAppletData(data);
}

void TMainForm::LoadAppletProperties() {
    const TAppletData data = FAgent->GetAppletData();
    for (const Binding& b : kAppletBindings)
        SetControlValue(data.*b.field, findChild<QWidget*>(QLatin1String(b.control)), b.mode);
}

void TMainForm::StoreItemProperties(int index) {
    if (index < 0 || index >= static_cast<int>(FAgent->Items.size()))
        return;
    TItemData item = FAgent->GetItem(index);
    for (const ItemBinding& b : kItemBindings)
        GetControlValue(item.*b.field, findChild<QWidget*>(QLatin1String(b.control)), b.mode);
    FAgent->SetItem(item, index);
}

void TMainForm::LoadItemProperties(int index) {
    if (index < 0 || index >= static_cast<int>(FAgent->Items.size()))
        return;
    const TItemData item = FAgent->GetItem(index);
    for (const ItemBinding& b : kItemBindings)
        SetControlValue(item.*b.field, findChild<QWidget*>(QLatin1String(b.control)), b.mode);
}

void TMainForm::connectProperties() {
    GuardPropertyInput(ui_->pgcntrl1);
    QList<QWidget*> bound;
    for (const Binding& b : kAppletBindings)
        bound << findChild<QWidget*>(QLatin1String(b.control));
    for (const ItemBinding& b : kItemBindings)
        bound << findChild<QWidget*>(QLatin1String(b.control));
    // The second radio button is stored as the first one's absence.
    bound << ui_->rdbtnpInternalUse_RootDir_Local_Checked2;
    for (const char* name : kChangeHandled)
        bound.removeAll(findChild<QWidget*>(QLatin1String(name)));
    for (QWidget* control : bound)
        markModifiedOnChange(control);
    for (const char* name : kChangeHandled) {
        QWidget* control = findChild<QWidget*>(QLatin1String(name));
        const bool own = qstrcmp(name, "edt_ctrlId") == 0;
        auto handler = [this, own] {
            if (own)
                edt_ICaptionChange();
            else
                spnedtApWidthChange();
        };
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, handler);
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            connect(combo, &QComboBox::editTextChanged, this, handler);
    }
    // Every text that reaches the engine is checked for the separator, however it got there.
    for (QLineEdit* edit : ui_->pgcntrl1->findChildren<QLineEdit*>()) {
        if (qobject_cast<QComboBox*>(edit->parentWidget()) != nullptr)
            continue;
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { CheckReservedText(edit); });
    }
    for (QComboBox* combo : ui_->pgcntrl1->findChildren<QComboBox*>())
        connect(combo, &QComboBox::editTextChanged, this,
                [this, combo] { CheckReservedText(combo); });

    for (ColorSwatch* swatch : ui_->pgcntrl1->findChildren<ColorSwatch*>())
        connect(swatch, &QToolButton::clicked, this, [this, swatch] { pnl_BgColorClick(swatch); });
    for (QToolButton* picker :
         {ui_->spdbtn_SlideShowLoadingBgImage, ui_->spdbtnOriginalImagePath}) {
        picker->setIcon(AppIcon(IconId::PickFile));
        connect(picker, &QToolButton::clicked, this,
                [this, picker] { spdbtnItemImageNormalClick(picker); });
    }
    ui_->spdbtnItURL->setIcon(AppIcon(IconId::PickFile));
    connect(ui_->spdbtnItURL, &QToolButton::clicked, this, [this] { spdbtnItURLClick(); });
    for (QRadioButton* radio : {ui_->rdbtnpInternalUse_RootDir_Local_Checked,
                                ui_->rdbtnpInternalUse_RootDir_Local_Checked2}) {
        connect(radio, &QRadioButton::clicked, this, [this, radio] { setRadio(radio, true); });
    }
    // The check box sits over the box's frame, outside any layout: it takes its own size.
    ui_->chbx_pImageLeadingPathEnabled->adjustSize();
    ui_->CheckGroupBox1->setCheckComponent(ui_->chbx_pImageLeadingPathEnabled);
    ui_->chbx_pImageLeadingPathEnabled->setChecked(true);
}

void TMainForm::markModifiedOnChange(QWidget* control) {
    // Only the flag: a preview staged from here could run halfway through loading the pages.
    const auto mark = [this] { SetModified(true); };
    // A colour swatch marks it when clicked.
    if (qobject_cast<ColorSwatch*>(control) != nullptr)
        return;
    // A spin box's text, not its value: text that is no number is stored too.
    if (auto* spin = qobject_cast<QSpinBox*>(control))
        connect(spin, &QSpinBox::textChanged, this, mark);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        connect(edit, &QLineEdit::textChanged, this, mark);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        connect(combo, &QComboBox::editTextChanged, this, mark);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        connect(button, &QAbstractButton::toggled, this, mark);
}

void TMainForm::edt_ICaptionChange() {
    SetModified(true);
}

void TMainForm::spnedtApWidthChange() {
    SetModified(true);
    RefreshPreview();
}

void TMainForm::CheckReservedText(QWidget* control) {
    const auto* edit = qobject_cast<QLineEdit*>(control);
    const auto* combo = qobject_cast<QComboBox*>(control);
    const QString text = edit != nullptr    ? edit->text()
                         : combo != nullptr ? combo->currentText()
                                            : QString();
    if (!text.contains(QLatin1String(kFieldSeparator)))
        return;
    platform_.dialogs.message(
        this, MessageKind::Warning,
        QStringLiteral("The text can't include \"#$@\", it is used by system!"),
        {MessageButton::Yes});
    if (auto* e = qobject_cast<QLineEdit*>(control))
        e->clear();
    else if (auto* c = qobject_cast<QComboBox*>(control))
        c->setEditText(QString());
}

void TMainForm::pnl_BgColorClick(ColorSwatch* swatch) {
    PickColor(swatch);
}

void TMainForm::PickColor(ColorSwatch* swatch) {
    if (const auto color = platform_.dialogs.pickColor(this, swatch->color()))
        swatch->setColor(*color);
    SetModified(true);
    RefreshPreview();
}

void TMainForm::spdbtnItemImageNormalClick(QObject* sender) {
    const auto path = platform_.dialogs.openFile(this, kPictureFilter);
    if (!path)
        return;
    if (sender->objectName() == QLatin1String("spdbtn_SlideShowLoadingBgImage")) {
        ui_->edt_SlideShowLoadingBgImage->setText(QFileInfo(*path).fileName());
        FAgent->CopyToPreview(pathBytes(*path));
        RefreshPreview();
    } else {
        ui_->edtOriginalImagePath->setText(*path);
    }
}

void TMainForm::spdbtnItURLClick() {
    if (ReadBoolOr(platform_.settings, kSettingsKey, QStringLiteral("ShowLinkTipDialog"), true)) {
        TfrmMsgBox_LinkTip tip(platform_, this);
        tip.exec();
    }
    const auto path = platform_.dialogs.openFile(this, kLinkFilter);
    if (!path)
        return;
    ui_->cmbx_Link->setEditText(PathToFileUrl(*path));
    SetModified(true);
}

QString TMainForm::PathToFileUrl(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (path.startsWith('/') && !drive.match(path).hasMatch())
        return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QString url = path;
    url.replace('\\', '/').replace(':', '|');
    return QStringLiteral("file:///") + url;
}

}  // namespace lumivex::ui
