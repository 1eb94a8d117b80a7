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
#include "ErrorReport.h"
#include "FileIO.h"
#include "Icons.h"
#include "MainForm.h"
#include "MessageBox_LinkTip.h"
#include "PropertyInput.h"
#include "Text.h"
#include "TextBytes.h"
#include "TreeWidgetItemTree.h"
#include "WYSIWYG_Utility.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {

using BindMode = TMainForm::BindMode;
constexpr BindMode kValue = BindMode::Value;
constexpr BindMode kComboText = BindMode::ComboText;
constexpr BindMode kTransparency = BindMode::Transparency;

struct Binding {
    std::string TAppletData::*field;
    const char* control;
    BindMode mode;
};

// In field order; a colour field is its swatch, then its "T" button.
const Binding kAppletBindings[] = {
    {&TAppletData::CtrlId, "edt_ctrlId", kValue},
    {&TAppletData::SlideInfoOpacity, "spnedt_slideInfoOpacity", kValue},
    {&TAppletData::RotateDelay, "spnedt_rotateDelay", kValue},
    {&TAppletData::DurImageTransition, "spnedt_durImageTransition", kValue},
    {&TAppletData::StepImageTransition, "spnedt_stepImageTransition", kValue},
    {&TAppletData::DurSlideInfo, "spnedt_durSlideInfo", kValue},
    {&TAppletData::StepSlideInfo, "spnedt_stepSlideInfo", kValue},
    {&TAppletData::DelayShowSlideInfo, "spnedt_delayShowSlideInfo", kValue},
    {&TAppletData::DelayHideSlideInfo, "spnedt_delayHideSlideInfo", kValue},
    {&TAppletData::SlideShowWidth, "spnedt_SlideShowWidth", kValue},
    {&TAppletData::SlideShowHeight, "spedt_SlideShowHeight", kValue},
    {&TAppletData::SlideShowZIndex, "spnedt_SlideShowZIndex", kValue},
    {&TAppletData::SlideShowBackgroundColor, "pnl_SlideShowBackgroundColor", kValue},
    {&TAppletData::SlideShowBackgroundColor, "spdbtn_SlideShowBackgroundColor", kTransparency},
    {&TAppletData::SlideShowLoadingBgColor, "pnl_SlideShowLoadingBgColor", kValue},
    {&TAppletData::SlideShowLoadingBgColor, "spdbtn_SlideShowLoadingBgColor", kTransparency},
    {&TAppletData::SlideShowLoadingBgImage, "edt_SlideShowLoadingBgImage", kValue},
    {&TAppletData::SlideInfoHeightAuto, "chbx_SlideInfoHeight", kValue},
    {&TAppletData::SlideInfoHeight, "spnedt_SlideInfoHeight", kValue},
    {&TAppletData::SlideInfoBgColor, "pnl_SlideInfoBgColor", kValue},
    {&TAppletData::SlideInfoBgColor, "spdbtn_SlideInfoBgColor", kTransparency},
    {&TAppletData::SlideInfoTextIndent, "spnedt_SlideInfoTextIndent", kValue},
    {&TAppletData::SlideInfoTitleFontFamily, "edt_SlideInfoTitleFontFamily", kValue},
    {&TAppletData::SlideInfoTitleFontSize, "spnedt_SlideInfoTitleFontSize", kValue},
    {&TAppletData::SlideInfoTitleFontWeight, "spdbtn_SlideInfoTitleFontWeight", kValue},
    {&TAppletData::SlideInfoTitleFontStyle, "spdbtn_SlideInfoTitleFontStyle", kValue},
    {&TAppletData::SlideInfoTitleTextDecoration, "spnedt_SlideInfoTitleTextDecoration", kValue},
    {&TAppletData::SlideInfoTitleColor, "pnl_SlideInfoTitleColor", kValue},
    {&TAppletData::SlideInfoTitleColor, "spdbtn_SlideInfoTitleColor", kTransparency},
    {&TAppletData::SlideInfoTitlePaddingLeft, "spnedt_SlideInfoTitlePaddingLeft", kValue},
    {&TAppletData::SlideInfoDescFontFamily, "edt_SlideInfoDescFontFamily", kValue},
    {&TAppletData::SlideInfoDescFontSize, "spnedt_SlideInfoDescFontSize", kValue},
    {&TAppletData::SlideInfoDescFontWeight, "spdbtn_SlideInfoDescFontWeight", kValue},
    {&TAppletData::SlideInfoDescFontStyle, "spdbtn_SlideInfoDescFontStyle", kValue},
    {&TAppletData::SlideInfoDescTextDecoration, "spdbtn_SlideInfoDescTextDecoration", kValue},
    {&TAppletData::SlideInfoDescColor, "pnl_SlideInfoDescColor", kValue},
    {&TAppletData::SlideInfoDescColor, "spdbtn_SlideInfoDescColor", kTransparency},
    {&TAppletData::SlideInfoDescPaddingTop, "spnedt_SlideInfoDescPaddingTop", kValue},
    {&TAppletData::SlideInfoDescPaddingRight, "spnedt_SlideInfoDescPaddingRight", kValue},
    {&TAppletData::SlideInfoDescPaddingBottom, "spnedt_SlideInfoDescPaddingBottom", kValue},
    {&TAppletData::SlideInfoDescPaddingLeft, "spendt_SlideInfoDescPaddingLefe", kValue},
    {&TAppletData::ImageLeadingPathEnabled, "chbx_pImageLeadingPathEnabled", kValue},
    {&TAppletData::ImageLeadingPath, "edt_pImageLeadingPath", kValue},
    {&TAppletData::RootDirLocal, "edtpInternalUse_RootDir_Local", kValue},
    {&TAppletData::RootDirRemote, "edtpInternalUse_RootDir_Remote", kValue},
    {&TAppletData::RootDirLocalChecked, "rdbtnpInternalUse_RootDir_Local_Checked", kValue},
};

struct ItemBinding {
    std::string TItemData::*field;
    const char* control;
    BindMode mode;
};

const ItemBinding kItemBindings[] = {
    {&TItemData::Title, "edt_Text", kValue},
    {&TItemData::LinkUrl, "cmbx_Link", kComboText},
    {&TItemData::LinkTarget, "cmbx_Target", kComboText},
    {&TItemData::ToolTip, "edt_IToolTip", kValue},
    {&TItemData::Description, "edt_Description", kValue},
    {&TItemData::OriginalImagePath, "edtOriginalImagePath", kValue},
};

// The second radio button of the pair is stored as the first one's absence.
constexpr const char* kSecondRootChoice = "rdbtnpInternalUse_RootDir_Local_Checked2";

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

void TMainForm::GetControlValue(std::string& value, QWidget* control, BindMode mode) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        value = mode == kComboText ? shownBytes(combo, combo->currentText())
                                   : IntToStr(combo->currentIndex());
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
            value = mode == kTransparency ? "Transparent" : "1";
        else if (mode != kTransparency)
            value = "0";
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        value = button->isChecked() ? "1" : "0";
    }
}

void TMainForm::SetControlValue(const std::string& value, QWidget* control, BindMode mode) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (mode == kComboText)
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
        toggle->setChecked(mode == kTransparency ? IsTransparentText(value) : value == "1");
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

QStringList TMainForm::BoundControlNames() {
    QStringList names;
    for (const Binding& b : kAppletBindings)
        names << QLatin1String(b.control);
    for (const ItemBinding& b : kItemBindings)
        names << QLatin1String(b.control);
    names << QLatin1String(kSecondRootChoice);
    return names;
}

std::string TMainForm::colourValue(std::string TAppletData::*field) {
    // The swatch gives the digits; its "T" button, when down, makes the field transparent.
    std::string value = FAgent->AppletData.*field;
    for (const Binding& b : kAppletBindings) {
        if (b.field == field) {
            GetControlValue(value, findChild<QWidget*>(QLatin1String(b.control)), b.mode);
        }
    }
    return value;
}

void TMainForm::StoreAppletProperties() {
    // Normally the model holds every control's value already; any control that differs is an
    // edit of its own, on the undo stack.
    for (const Binding& b : kAppletBindings) {
        if (b.mode != kTransparency)
            controlEdited(findChild<QWidget*>(QLatin1String(b.control)));
    }
}

void TMainForm::LoadAppletProperties() {
    ShowingModel showing(*this);
    const TAppletData data = FAgent->GetAppletData();
    for (const Binding& b : kAppletBindings)
        SetControlValue(data.*b.field, findChild<QWidget*>(QLatin1String(b.control)), b.mode);
    showOption(std::string(ProjectOptions::kWebOutput), false);
}

void TMainForm::StoreItemProperties(int index) {
    if (CurrentItemNode == nullptr || index != itemIndexOf(CurrentItemNode))
        return;
    for (const ItemBinding& b : kItemBindings)
        controlEdited(findChild<QWidget*>(QLatin1String(b.control)));
}

void TMainForm::LoadItemProperties(int index) {
    if (index < 0 || index >= static_cast<int>(FAgent->Items.size()))
        return;
    ShowingModel showing(*this);
    const TItemData item = FAgent->GetItem(index);
    for (const ItemBinding& b : kItemBindings)
        SetControlValue(item.*b.field, findChild<QWidget*>(QLatin1String(b.control)), b.mode);
}

void TMainForm::controlEdited(QWidget* control) {
    if (showingModel_ || FAgent == nullptr || control == nullptr)
        return;
    // Text with the separator is refused by CheckReservedText, which empties the control: that
    // is the edit.
    if (const auto* edit = qobject_cast<QLineEdit*>(control);
        edit != nullptr && edit->text().contains(QLatin1String(kFieldSeparator)))
        return;
    if (const auto* combo = qobject_cast<QComboBox*>(control);
        combo != nullptr && combo->currentText().contains(QLatin1String(kFieldSeparator)))
        return;
    if (control->objectName() == QLatin1String(kSecondRootChoice))
        control = ui_->rdbtnpInternalUse_RootDir_Local_Checked;
    for (const Binding& b : kAppletBindings) {
        if (findChild<QWidget*>(QLatin1String(b.control)) != control)
            continue;
        const bool colour =
            qobject_cast<ColorSwatch*>(control) != nullptr || b.mode == kTransparency;
        std::string value = FAgent->AppletData.*b.field;
        if (colour)
            value = colourValue(b.field);
        else
            GetControlValue(value, control, b.mode);
        if (value != FAgent->AppletData.*b.field) {
            undoStack_->push(new SetSettingCommand(*this, b.field, value, control, typingSession_));
            RefreshPreview();
        }
        return;
    }
    for (const ItemBinding& b : kItemBindings) {
        if (findChild<QWidget*>(QLatin1String(b.control)) != control)
            continue;
        // The Item page edits the item it shows; without one there is nothing to edit.
        if (CurrentItemNode == nullptr)
            return;
        const int index = itemIndexOf(CurrentItemNode);
        std::string value = FAgent->Items.at(static_cast<std::size_t>(index)).*b.field;
        GetControlValue(value, control, b.mode);
        if (value != FAgent->Items[static_cast<std::size_t>(index)].*b.field) {
            undoStack_->push(
                new SetItemFieldCommand(*this, index, b.field, value, control, typingSession_));
            RefreshPreview();
        }
        return;
    }
}

void TMainForm::showSetting(std::string TAppletData::*field, const QWidget* source, bool reveal) {
    QWidget* shown = nullptr;
    {
        ShowingModel showing(*this);
        for (const Binding& b : kAppletBindings) {
            if (b.field != field)
                continue;
            QWidget* control = findChild<QWidget*>(QLatin1String(b.control));
            shown = shown != nullptr ? shown : control;
            // A colour typed through one of its two controls leaves the other as it is: the
            // swatch keeps its colour while its "T" button is down.
            const bool colour =
                qobject_cast<ColorSwatch*>(control) != nullptr || b.mode == kTransparency;
            if (source != nullptr && (control == source || colour))
                continue;
            SetControlValue(FAgent->AppletData.*field, control, b.mode);
        }
    }
    if (reveal && shown != nullptr)
        revealSetting(shown);
}

void TMainForm::revealSetting(QWidget* control) {
    // Undo and redo show what they changed: the settings' pages, on the control's page.
    if (QTreeWidgetItem* root = ui_->trvwDesignPanel->topLevelItem(0);
        ui_->trvwDesignPanel->currentItem() != root)
        ui_->trvwDesignPanel->setCurrentItem(root);
    for (QWidget* page = control; page != nullptr; page = page->parentWidget()) {
        if (ui_->pgcntrl1->indexOf(page) >= 0) {
            ui_->pgcntrl1->setCurrentWidget(page);
            break;
        }
    }
}

void TMainForm::showItemField(int index, std::string TItemData::*field, const QWidget* source,
                              bool reveal) {
    const ItemTree::Node node = tree_->nodeAt(index + 1);
    if (node == nullptr)
        return;
    // The caption is the title, following it as it is typed; the picture is the photo's.
    if (field == &TItemData::Title)
        tree_->setCaption(node, FAgent->Items.at(static_cast<std::size_t>(index)).Title);
    if (field == &TItemData::OriginalImagePath)
        showThumbnails();
    if (reveal && ui_->trvwDesignPanel->currentItem() != TreeWidgetItemTree::item(node)) {
        ui_->trvwDesignPanel->setCurrentItem(TreeWidgetItemTree::item(node));
        return;  // selecting it showed the whole item
    }
    if (CurrentItemNode != TreeWidgetItemTree::item(node))
        return;
    ShowingModel showing(*this);
    for (const ItemBinding& b : kItemBindings) {
        QWidget* control = findChild<QWidget*>(QLatin1String(b.control));
        if (b.field == field && control != source)
            SetControlValue(FAgent->Items.at(static_cast<std::size_t>(index)).*field, control,
                            b.mode);
    }
}

void TMainForm::connectProperties() {
    GuardPropertyInput(ui_->pgcntrl1);
    // Every text that reaches the engine is checked for the separator, however it got there;
    // connected first, so that a refused text is emptied before it is taken as an edit.
    for (QLineEdit* edit : ui_->pgcntrl1->findChildren<QLineEdit*>()) {
        if (qobject_cast<QComboBox*>(edit->parentWidget()) != nullptr)
            continue;
        connect(edit, &QLineEdit::textChanged, this,
                ErrorReport::guarded([this, edit] { CheckReservedText(edit); }));
    }
    for (QComboBox* combo : ui_->pgcntrl1->findChildren<QComboBox*>())
        connect(combo, &QComboBox::editTextChanged, this,
                ErrorReport::guarded([this, combo] { CheckReservedText(combo); }));

    // Every change of a bound control is an edit, whoever made it; loading the pages from the
    // model makes none.
    for (const QString& name : BoundControlNames()) {
        QWidget* control = findChild<QWidget*>(name);
        const auto edited = ErrorReport::guarded([this, control] { controlEdited(control); });
        // A spin box's text, not its value: text that is no number is stored too.
        if (auto* spin = qobject_cast<QSpinBox*>(control))
            connect(spin, &QSpinBox::textChanged, this, edited);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, edited);
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            connect(combo, &QComboBox::editTextChanged, this, edited);
        else if (qobject_cast<ColorSwatch*>(control) == nullptr) {
            if (auto* button = qobject_cast<QAbstractButton*>(control))
                connect(button, &QAbstractButton::toggled, this, edited);
        }
    }
    // Classic is the default, so choosing it leaves the project as a project without options.
    connect(ui_->cmbWebOutput, &QComboBox::activated, this, ErrorReport::guarded([this] {
                const std::string value = ui_->cmbWebOutput->currentIndex() == 1 ? "Modern" : "";
                if (value != FAgent->Options.value(ProjectOptions::kWebOutput)) {
                    undoStack_->push(new SetOptionCommand(
                        *this, std::string(ProjectOptions::kWebOutput), value));
                    RefreshPreview();
                }
            }));
    // Typing into one field is one step until the focus moves on.
    connect(qApp, &QApplication::focusChanged, this, [this] { ++typingSession_; });

    for (ColorSwatch* swatch : ui_->pgcntrl1->findChildren<ColorSwatch*>())
        connect(swatch, &QToolButton::clicked, this,
                ErrorReport::guarded([this, swatch] { pnl_BgColorClick(swatch); }));
    for (QToolButton* picker :
         {ui_->spdbtn_SlideShowLoadingBgImage, ui_->spdbtnOriginalImagePath}) {
        picker->setIcon(AppIcon(IconId::PickFile));
        connect(picker, &QToolButton::clicked, this,
                ErrorReport::guarded([this, picker] { spdbtnItemImageNormalClick(picker); }));
    }
    ui_->spdbtnItURL->setIcon(AppIcon(IconId::PickFile));
    connect(ui_->spdbtnItURL, &QToolButton::clicked, this,
            ErrorReport::guarded([this] { spdbtnItURLClick(); }));
    for (QRadioButton* radio : {ui_->rdbtnpInternalUse_RootDir_Local_Checked,
                                ui_->rdbtnpInternalUse_RootDir_Local_Checked2}) {
        connect(radio, &QRadioButton::clicked, this,
                ErrorReport::guarded([this, radio] { setRadio(radio, true); }));
    }
    // The check box sits over the box's frame, outside any layout: it takes its own size.
    ui_->chbx_pImageLeadingPathEnabled->adjustSize();
    ui_->CheckGroupBox1->setCheckComponent(ui_->chbx_pImageLeadingPathEnabled);
    ShowingModel showing(*this);
    ui_->chbx_pImageLeadingPathEnabled->setChecked(true);
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
    // A cancelled dialog changes nothing, so it is no edit.
    if (const auto color = platform_.dialogs.pickColor(this, swatch->color())) {
        swatch->setColor(*color);
        controlEdited(swatch);
    }
}

void TMainForm::spdbtnItemImageNormalClick(QObject* sender) {
    // The folder of the item's picture when it has one, else the project's.
    const QString current = ui_->edtOriginalImagePath->text().trimmed();
    const bool item = sender->objectName() == QLatin1String("spdbtnOriginalImagePath");
    const QString start = item && !current.isEmpty() && QFileInfo(current).isAbsolute()
                              ? QFileInfo(current).absolutePath()
                              : projectFolder();
    const auto path = platform_.dialogs.openFile(this, kPictureFilter, start);
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
    const auto path = platform_.dialogs.openFile(this, kLinkFilter, projectFolder());
    if (!path)
        return;
    // The text's change is the edit.
    ui_->cmbx_Link->setEditText(PathToFileUrl(*path));
}

QString TMainForm::PathToFileUrl(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (path.startsWith('/') && !drive.match(path).hasMatch())
        return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QString url = path;
    url.replace('\\', '/').replace(':', '|');
    return QStringLiteral("file:///") + url;
}

void TMainForm::showOption(const std::string& name, bool reveal) {
    // Options without a control here (the upload destination) live in their own dialog.
    if (name != ProjectOptions::kWebOutput)
        return;
    QComboBox* choice = ui_->cmbWebOutput;
    {
        ShowingModel showing(*this);
        choice->setCurrentIndex(FAgent->Options.modernWebOutput() ? 1 : 0);
    }
    if (reveal)
        revealSetting(choice);
}

}  // namespace lumivex::ui
