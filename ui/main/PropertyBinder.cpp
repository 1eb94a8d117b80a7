#include "PropertyBinder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>
#include <algorithm>

#include "AccessKeys.h"
#include "ColorSwatch.h"
#include "EditCommands.h"
#include "ErrorReport.h"
#include "FileIO.h"
#include "FocalPointPicker.h"
#include "FontFamilies.h"
#include "Icons.h"
#include "MessageBox_LinkTip.h"
#include "Platform.h"
#include "ProjectDocument.h"
#include "PropertyInput.h"
#include "SettingsStore.h"
#include "Text.h"
#include "TextBytes.h"
#include "Thumbnails.h"
#include "TreePanel.h"
#include "TreeWidgetItemTree.h"
#include "WYSIWYG_Utility.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {

using BindMode = PropertyBinder::BindMode;
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
    {&TItemData::Reserved6, "pntFocalPoint", kValue},
};

// The second radio button of the pair is stored as the first one's absence.
constexpr const char* kSecondRootChoice = "rdbtnpInternalUse_RootDir_Local_Checked2";

constexpr int kSpinMinimum = -9999;
constexpr int kSpinMaximum = 9999;

const char* const kPictureFilter = QT_TRANSLATE_NOOP(
    "lumivex::ui::PropertyBinder",
    "All Image Files(*.gif;*.jpg;*.jpeg)|*.gif;*.jpg;*.jpeg|GIF Image File (*.gif)|*.gif|JPEG "
    "Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg");
const char* const kLinkFilter = QT_TRANSLATE_NOOP(
    "lumivex::ui::PropertyBinder", "HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*");

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

// A side of the slideshow's box; 0 when it is no number.
int boxSide(const std::string& text) {
    try {
        return StrToInt(text);
    } catch (const std::exception&) {
        return 0;
    }
}

QColor toQColor(RgbColor c) {
    return QColor(c.red, c.green, c.blue);
}

RgbColor toRgb(const QColor& c) {
    return RgbColor{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                    static_cast<std::uint8_t>(c.blue())};
}

}  // namespace

PropertyBinder::PropertyBinder(Ui::MainForm& ui, Platform& platform, TzqxAppletAgent& agent,
                               TreePanel& tree, const ProjectDocument& document, QWidget* window)
    : QObject(window),
      ui_(ui),
      platform_(platform),
      agent_(agent),
      tree_(tree),
      document_(document),
      window_(window),
      secondRootChoice_(window->findChild<QWidget*>(QLatin1String(kSecondRootChoice))) {
    for (const Binding& b : kAppletBindings)
        settings_.push_back(
            {window->findChild<QWidget*>(QLatin1String(b.control)), b.mode, b.field, nullptr});
    for (const ItemBinding& b : kItemBindings)
        itemFields_.push_back(
            {window->findChild<QWidget*>(QLatin1String(b.control)), b.mode, nullptr, b.field});
    for (const Control& c : settings_)
        Q_ASSERT(c.widget != nullptr);
    const QString menuLetters = MenuBarLetters(ui_.MainMenu1);
    for (QWidget* page : {ui_.tbshtScript, ui_.tbshtMainGroup, ui_.tbshtItem, ui_.tbshtPath})
        AssignAccessKeys(page, menuLetters);
    nameFields();
    connectEdits();
    connectPickers();
}

std::string PropertyBinder::pathBytes(const QString& path) const {
    return QFile::encodeName(path).toStdString();
}

void PropertyBinder::GetControlValue(std::string& value, QWidget* control, BindMode mode) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        value = mode == kComboText ? shownBytes(combo, combo->currentText())
                                   : IntToStr(combo->currentIndex());
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        bool ok = false;
        const int number = spin->cleanText().trimmed().toInt(&ok);
        value = IntToStr(ok ? std::clamp(number, kSpinMinimum, kSpinMaximum) : kSpinMinimum);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        value = shownBytes(edit, edit->text());
    } else if (auto* picker = qobject_cast<FocalPointPicker*>(control)) {
        // A text in the field that is no point is not the picker's to clear.
        if (!picker->pointText().isEmpty() || image::ParseFocalPoint(value))
            value = picker->pointText().toStdString();
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

void PropertyBinder::SetControlValue(const std::string& value, QWidget* control, BindMode mode) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (mode == kComboText)
            setShownText(combo, value);
        else
            combo->setCurrentIndex(StrToInt(value));
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        spin->setValue(std::clamp(StrToInt(value), kSpinMinimum, kSpinMaximum));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        setShownText(edit, value);
    } else if (auto* picker = qobject_cast<FocalPointPicker*>(control)) {
        picker->setPointText(QString::fromStdString(value));
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

void PropertyBinder::setRadio(QWidget* radio, bool checked) {
    // The pair is managed here: clearing one must not choose the other.
    auto* button = static_cast<QRadioButton*>(radio);
    button->setChecked(checked);
    if (!checked)
        return;
    for (QRadioButton* other : {ui_.rdbtnpInternalUse_RootDir_Local_Checked,
                                ui_.rdbtnpInternalUse_RootDir_Local_Checked2}) {
        if (other != button)
            other->setChecked(false);
    }
}

QStringList PropertyBinder::BoundControlNames() {
    QStringList names;
    for (const Binding& b : kAppletBindings)
        names << QLatin1String(b.control);
    for (const ItemBinding& b : kItemBindings)
        names << QLatin1String(b.control);
    names << QLatin1String(kSecondRootChoice);
    return names;
}

std::string PropertyBinder::colourValue(std::string TAppletData::*field) const {
    // The swatch gives the digits; its "T" button, when down, makes the field transparent.
    std::string value = agent_.AppletData.*field;
    for (const Control& c : settings_) {
        if (c.setting == field)
            GetControlValue(value, c.widget, c.mode);
    }
    return value;
}

void PropertyBinder::storePanel() {
    StoreAppletProperties();
    if (tree_.currentItemNode() != nullptr)
        StoreItemProperties(tree_.currentItemIndex());
}

void PropertyBinder::StoreAppletProperties() {
    // Normally the model holds every control's value already; any control that differs is an
    // edit of its own, on the undo stack.
    for (const Control& c : settings_) {
        if (c.mode != kTransparency)
            controlEdited(c.widget);
    }
}

void PropertyBinder::LoadAppletProperties() {
    const QScopedValueRollback showing(showing_, true);
    const TAppletData data = agent_.GetAppletData();
    for (const Control& c : settings_)
        SetControlValue(data.*c.setting, c.widget, c.mode);
    for (const OptionChoice& choice : optionChoices())
        showOption(std::string(choice.name), false);
}

void PropertyBinder::StoreItemProperties(int index) {
    if (tree_.currentItemNode() == nullptr || index != tree_.currentItemIndex())
        return;
    for (const Control& c : itemFields_) {
        // A mixed field holds no value of its own.
        if (std::find(mixed_.begin(), mixed_.end(), c.widget) == mixed_.end())
            controlEdited(c.widget);
    }
}

void PropertyBinder::LoadItemProperties(int index, const QWidget* except) {
    if (index < 0 || index >= static_cast<int>(agent_.Items.size()))
        return;
    const QScopedValueRollback showing(showing_, true);
    std::vector<int> edited = tree_.editedItems();
    if (edited.empty())
        edited = {index};
    for (const Control& c : itemFields_) {
        if (c.widget == except)
            continue;
        const std::string& value =
            agent_.Items.at(static_cast<std::size_t>(edited[0])).*c.itemField;
        const bool same = std::all_of(edited.begin(), edited.end(), [&](int k) {
            return agent_.Items.at(static_cast<std::size_t>(k)).*c.itemField == value;
        });
        showMixed(c.widget, !same);
        SetControlValue(same ? value : std::string(), c.widget, c.mode);
    }
    ui_.pntFocalPoint->setBox(QSize(boxSide(agent_.AppletData.SlideShowWidth),
                                    boxSide(agent_.AppletData.SlideShowHeight)),
                              agent_.Options.fillSlides());
}

void PropertyBinder::showMixed(QWidget* control, bool mixed) {
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        edit = combo->lineEdit();
    if (edit != nullptr)
        edit->setPlaceholderText(mixed ? tr("(mixed)") : QString());
    if (auto* picker = qobject_cast<FocalPointPicker*>(control))
        picker->setMixed(mixed);
    const auto known = std::find(mixed_.begin(), mixed_.end(), control);
    if (mixed && known == mixed_.end())
        mixed_.push_back(control);
    else if (!mixed && known != mixed_.end())
        mixed_.erase(known);
}

void PropertyBinder::controlEdited(QWidget* control) {
    if (showing_ || control == nullptr)
        return;
    // Text with the separator is refused by CheckReservedText, which empties the control: that
    // is the edit.
    if (const auto* edit = qobject_cast<QLineEdit*>(control);
        edit != nullptr && edit->text().contains(QLatin1String(kFieldSeparator)))
        return;
    if (const auto* combo = qobject_cast<QComboBox*>(control);
        combo != nullptr && combo->currentText().contains(QLatin1String(kFieldSeparator)))
        return;
    if (control == secondRootChoice_)
        control = ui_.rdbtnpInternalUse_RootDir_Local_Checked;
    for (const Control& c : settings_) {
        if (c.widget == control)
            return editSetting(c);
    }
    for (const Control& c : itemFields_) {
        if (c.widget == control)
            return editItemField(c);
    }
}

void PropertyBinder::editSetting(const Control& c) {
    const bool colour = qobject_cast<ColorSwatch*>(c.widget) != nullptr || c.mode == kTransparency;
    std::string value = agent_.AppletData.*c.setting;
    if (colour)
        value = colourValue(c.setting);
    else
        GetControlValue(value, c.widget, c.mode);
    if (value == agent_.AppletData.*c.setting)
        return;
    auto* step = new SetSettingCommand(tree_, c.setting, value, c.widget, typingSession_);
    step->setText(stepName(c.widget));
    document_.history().push(step);
    Q_EMIT edited();
}

void PropertyBinder::editItemField(const Control& c) {
    // The Item page edits the item it shows; without one there is nothing to edit.
    const int index = tree_.currentItemIndex();
    if (index < 0)
        return;
    if (const std::vector<int> edited = tree_.editedItems(); edited.size() > 1)
        return editItemsField(c, edited);
    std::string value = agent_.Items.at(static_cast<std::size_t>(index)).*c.itemField;
    GetControlValue(value, c.widget, c.mode);
    if (value == agent_.Items[static_cast<std::size_t>(index)].*c.itemField)
        return;
    auto* step =
        new SetItemFieldCommand(tree_, index, c.itemField, value, c.widget, typingSession_);
    step->setText(stepName(c.widget));
    document_.history().push(step);
    Q_EMIT edited();
}

void PropertyBinder::editItemsField(const Control& c, const std::vector<int>& indices) {
    std::string value;
    GetControlValue(value, c.widget, c.mode);
    const bool same = std::all_of(indices.begin(), indices.end(), [&](int k) {
        return agent_.Items.at(static_cast<std::size_t>(k)).*c.itemField == value;
    });
    if (same)
        return;
    // Typed, the field is no longer mixed: every edited item takes what it shows.
    showMixed(c.widget, false);
    std::vector<SetItemFieldsCommand::Change> changes;
    changes.reserve(indices.size());
    for (const int k : indices)
        changes.push_back({k, value});
    auto* step =
        new SetItemFieldsCommand(tree_, c.itemField, std::move(changes), c.widget, typingSession_);
    step->setText(stepName(c.widget));
    document_.history().push(step);
    Q_EMIT edited();
}

void PropertyBinder::showSetting(std::string TAppletData::*field, const QWidget* source,
                                 bool reveal) {
    QWidget* shown = nullptr;
    {
        const QScopedValueRollback showing(showing_, true);
        for (const Control& c : settings_) {
            if (c.setting != field)
                continue;
            shown = shown != nullptr ? shown : c.widget;
            // A colour typed through one of its two controls leaves the other as it is: the
            // swatch keeps its colour while its "T" button is down.
            const bool colour =
                qobject_cast<ColorSwatch*>(c.widget) != nullptr || c.mode == kTransparency;
            if (source != nullptr && (c.widget == source || colour))
                continue;
            SetControlValue(agent_.AppletData.*field, c.widget, c.mode);
        }
    }
    if (reveal && shown != nullptr)
        revealSetting(shown);
}

void PropertyBinder::revealSetting(QWidget* control) {
    // Undo and redo show what they changed: the settings' pages, on the control's page.
    if (QTreeWidgetItem* root = ui_.trvwDesignPanel->topLevelItem(0);
        ui_.trvwDesignPanel->currentItem() != root)
        ui_.trvwDesignPanel->setCurrentItem(root);
    for (QWidget* page = control; page != nullptr; page = page->parentWidget()) {
        if (ui_.pgcntrl1->indexOf(page) >= 0) {
            ui_.pgcntrl1->setCurrentWidget(page);
            break;
        }
    }
}

void PropertyBinder::showItemField(int index, std::string TItemData::*field,
                                   const QWidget* source) {
    const QScopedValueRollback showing(showing_, true);
    for (const Control& c : itemFields_) {
        if (c.itemField == field && c.widget != source)
            SetControlValue(agent_.Items.at(static_cast<std::size_t>(index)).*field, c.widget,
                            c.mode);
    }
}

void PropertyBinder::connectEdits() {
    GuardPropertyInput(ui_.pgcntrl1);
    // Every text that reaches the engine is checked for the separator, however it got there;
    // connected first, so that a refused text is emptied before it is taken as an edit.
    for (QLineEdit* edit : ui_.pgcntrl1->findChildren<QLineEdit*>()) {
        if (qobject_cast<QComboBox*>(edit->parentWidget()) != nullptr)
            continue;
        connect(edit, &QLineEdit::textChanged, this,
                ErrorReport::guarded([this, edit] { CheckReservedText(edit); }));
    }
    for (QComboBox* combo : ui_.pgcntrl1->findChildren<QComboBox*>())
        connect(combo, &QComboBox::editTextChanged, this,
                ErrorReport::guarded([this, combo] { CheckReservedText(combo); }));
    // Every change of a bound control is an edit, whoever made it; loading the pages from the
    // model makes none.
    std::vector<QWidget*> bound{secondRootChoice_};
    for (const std::vector<Control>* list : {&settings_, &itemFields_}) {
        for (const Control& c : *list)
            bound.push_back(c.widget);
    }
    for (QWidget* control : bound) {
        const auto edited = ErrorReport::guarded([this, control] { controlEdited(control); });
        // A spin box's text, not its value: text that is no number is stored too.
        if (auto* spin = qobject_cast<QSpinBox*>(control))
            connect(spin, &QSpinBox::textChanged, this, edited);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, edited);
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            connect(combo, &QComboBox::editTextChanged, this, edited);
        else if (auto* button = qobject_cast<QAbstractButton*>(control);
                 button != nullptr && qobject_cast<ColorSwatch*>(control) == nullptr)
            connect(button, &QAbstractButton::toggled, this, edited);
        else if (auto* picker = qobject_cast<FocalPointPicker*>(control))
            connect(picker, &FocalPointPicker::pointChanged, this, edited);
    }
    connectFocalPoint();
    for (const OptionChoice& choice : optionChoices()) {
        QComboBox* combo = choice.combo;
        connect(combo, &QComboBox::activated, this,
                ErrorReport::guarded([this, combo] { optionChosen(combo); }));
    }
    // Typing into one field is one step until the focus moves on.
    connect(qApp, &QApplication::focusChanged, this, [this] { ++typingSession_; });
}

void PropertyBinder::connectPickers() {
    for (ColorSwatch* swatch : ui_.pgcntrl1->findChildren<ColorSwatch*>())
        connect(swatch, &QToolButton::clicked, this,
                ErrorReport::guarded([this, swatch] { pnl_BgColorClick(swatch); }));
    for (QToolButton* picker : {ui_.spdbtn_SlideShowLoadingBgImage, ui_.spdbtnOriginalImagePath}) {
        picker->setIcon(AppIcon(IconId::PickFile));
        connect(picker, &QToolButton::clicked, this,
                ErrorReport::guarded([this, picker] { spdbtnItemImageNormalClick(picker); }));
    }
    for (QLineEdit* fonts : {ui_.edt_SlideInfoTitleFontFamily, ui_.edt_SlideInfoDescFontFamily})
        OfferFontFamilies(fonts);
    ui_.spdbtnItURL->setIcon(AppIcon(IconId::PickFile));
    connect(ui_.spdbtnItURL, &QToolButton::clicked, this,
            ErrorReport::guarded([this] { spdbtnItURLClick(); }));
    for (QRadioButton* radio : {ui_.rdbtnpInternalUse_RootDir_Local_Checked,
                                ui_.rdbtnpInternalUse_RootDir_Local_Checked2}) {
        connect(radio, &QRadioButton::clicked, this,
                ErrorReport::guarded([this, radio] { setRadio(radio, true); }));
    }
    // The check box sits over the box's frame, outside any layout: it takes its own size.
    ui_.chbx_pImageLeadingPathEnabled->adjustSize();
    ui_.CheckGroupBox1->setCheckComponent(ui_.chbx_pImageLeadingPathEnabled);
    const QScopedValueRollback showing(showing_, true);
    ui_.chbx_pImageLeadingPathEnabled->setChecked(true);
}

void PropertyBinder::connectFocalPoint() {
    FocalPointPicker* picker = ui_.pntFocalPoint;
    // The photo as large as the picker shows it, kept beside the tree's pictures.
    constexpr int kPictureSide = 256;
    picker->setPictures(new Thumbnails(
        agent_.ImageCacheFolder.empty() ? std::string() : agent_.ImageCacheFolder + "thumbnails/",
        static_cast<int>(kPictureSide * window_->devicePixelRatioF() + 0.5), picker,
        Thumbnails::Shape::Photo));
    // Each click is a step of its own; the arrow keys merge as typing does.
    connect(picker, &FocalPointPicker::stepStarted, this, [this] { ++typingSession_; });
    connect(ui_.btnFocalPointAuto, &QPushButton::clicked, picker,
            &FocalPointPicker::chooseAutomatic);
    connect(ui_.edtOriginalImagePath, &QLineEdit::textChanged, picker,
            [picker](const QString& path) { picker->setPhoto(trimmedText(path)); });
}

void PropertyBinder::CheckReservedText(QWidget* control) {
    const auto* edit = qobject_cast<QLineEdit*>(control);
    const auto* combo = qobject_cast<QComboBox*>(control);
    const QString text = edit != nullptr    ? edit->text()
                         : combo != nullptr ? combo->currentText()
                                            : QString();
    if (!text.contains(QLatin1String(kFieldSeparator)))
        return;
    platform_.dialogs.message(window_, MessageKind::Warning,
                              tr("The text can't include \"#$@\", it is used by system!"),
                              {MessageButton::Yes});
    if (auto* e = qobject_cast<QLineEdit*>(control))
        e->clear();
    else if (auto* c = qobject_cast<QComboBox*>(control))
        c->setEditText(QString());
}

void PropertyBinder::pnl_BgColorClick(ColorSwatch* swatch) {
    // A cancelled dialog changes nothing, so it is no edit.
    if (const auto color = platform_.dialogs.pickColor(window_, swatch->color())) {
        swatch->setColor(*color);
        controlEdited(swatch);
    }
}

void PropertyBinder::spdbtnItemImageNormalClick(QObject* sender) {
    // The folder of the item's picture when it has one, else the project's.
    const QString current = ui_.edtOriginalImagePath->text().trimmed();
    const bool item = sender == ui_.spdbtnOriginalImagePath;
    const QString start = item && !current.isEmpty() && QFileInfo(current).isAbsolute()
                              ? QFileInfo(current).absolutePath()
                              : document_.folder();
    const auto path = platform_.dialogs.openFile(window_, tr(kPictureFilter), start);
    if (!path)
        return;
    if (item) {
        ui_.edtOriginalImagePath->setText(*path);
        return;
    }
    ui_.edt_SlideShowLoadingBgImage->setText(QFileInfo(*path).fileName());
    agent_.CopyToPreview(pathBytes(*path));
    Q_EMIT edited();
}

void PropertyBinder::spdbtnItURLClick() {
    if (ReadBoolOr(platform_.settings, kSettingsKey, QStringLiteral("ShowLinkTipDialog"), true)) {
        TfrmMsgBox_LinkTip tip(platform_, window_);
        tip.exec();
    }
    const auto path = platform_.dialogs.openFile(window_, tr(kLinkFilter), document_.folder());
    if (!path)
        return;
    // The text's change is the edit.
    ui_.cmbx_Link->setEditText(PathToFileUrl(*path));
}

void PropertyBinder::nameFields() {
    // Each field by its label; a colour's "T" button by its swatch's.
    for (const QLabel* label : ui_.pgcntrl1->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr)
            fieldNames_.insert(label->buddy(), WithoutAccessKey(label->text()));
    }
    for (const Control& c : settings_) {
        for (const Control& same : settings_) {
            if (same.setting == c.setting && !fieldNames_.contains(c.widget) &&
                fieldNames_.contains(same.widget))
                fieldNames_.insert(c.widget, fieldNames_.value(same.widget));
        }
    }
}

QString PropertyBinder::stepName(const QWidget* control) const {
    const QString name = fieldNames_.value(control);
    if (name.isEmpty())
        return tr("Change Setting");
    const auto* combo = qobject_cast<const QComboBox*>(control);
    const bool typed = qobject_cast<const QLineEdit*>(control) != nullptr ||
                       qobject_cast<const QSpinBox*>(control) != nullptr ||
                       (combo != nullptr && combo->isEditable());
    return typed ? tr("Typing %1").arg(name) : tr("Change %1").arg(name);
}

QString PropertyBinder::PathToFileUrl(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (path.startsWith('/') && !drive.match(path).hasMatch())
        return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QString url = path;
    url.replace('\\', '/').replace(':', '|');
    return QStringLiteral("file:///") + url;
}

std::vector<PropertyBinder::OptionChoice> PropertyBinder::optionChoices() const {
    // The first value is the default, chosen as the option's absence: a project left at the
    // defaults stays a project without options.
    return {
        {ui_.cmbWebOutput, ProjectOptions::kWebOutput, {"Classic", "Modern"}},
        {ui_.cmbSlideFit, ProjectOptions::kSlideFit, {"Fit", "Fill"}},
        {ui_.cmbTransition, ProjectOptions::kTransition, {"Fade", "Slide", "Zoom"}},
        {ui_.cmbNavigation, ProjectOptions::kNavigation, {"None", "Arrows", "ArrowsAndDots"}},
    };
}

void PropertyBinder::optionChosen(QComboBox* combo) {
    for (const OptionChoice& choice : optionChoices()) {
        if (choice.combo != combo)
            continue;
        const int index = combo->currentIndex();
        const std::string value = index <= 0 ? std::string() : std::string(choice.values.at(index));
        if (value == agent_.Options.value(choice.name))
            return;
        QUndoStack& history = document_.history();
        // A project made Modern gets the buttons and dots of new Modern projects, in the same
        // step, unless it chose its navigation already.
        const bool navigation = choice.name == ProjectOptions::kWebOutput && value == "Modern" &&
                                !agent_.Options.has(ProjectOptions::kNavigation);
        if (navigation)
            history.beginMacro(stepName(combo));
        auto* step = new SetOptionCommand(tree_, std::string(choice.name), value);
        step->setText(stepName(combo));
        history.push(step);
        if (navigation) {
            history.push(new SetOptionCommand(tree_, std::string(ProjectOptions::kNavigation),
                                              "ArrowsAndDots"));
            history.endMacro();
        }
        Q_EMIT edited();
        return;
    }
}

void PropertyBinder::showOption(const std::string& name, bool reveal) {
    // Options without a control here (the upload destination) live in their own dialog.
    for (const OptionChoice& choice : optionChoices()) {
        if (name != choice.name)
            continue;
        const std::string value = agent_.Options.value(choice.name);
        int index = 0;  // a value this version does not know reads as the default
        for (std::size_t k = 0; k < choice.values.size(); ++k) {
            if (choice.values[k] == value)
                index = static_cast<int>(k);
        }
        {
            const QScopedValueRollback showing(showing_, true);
            choice.combo->setCurrentIndex(index);
        }
        if (reveal)
            revealSetting(choice.combo);
    }
}

}  // namespace lumivex::ui
