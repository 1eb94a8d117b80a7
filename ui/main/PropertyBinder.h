#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "AppletData.h"

class QComboBox;
class QUndoStack;
class QWidget;

namespace Ui {
class MainForm;
}

namespace lumivex {
class TzqxAppletAgent;
}

namespace lumivex::ui {

class ColorSwatch;
class ProjectDocument;
class TreePanel;
struct Platform;

// The property pages: every control bound to its field, found once; a control the user
// changes is an edit on the history, and what the history changes is shown in its control.
class PropertyBinder final : public QObject {
    Q_OBJECT
public:
    // How a control holds its field: by its value, a combo box by its text, a "T" button as
    // the transparency of a colour field.
    enum class BindMode { Value, ComboText, Transparency };
    // Every control the pages bind, by name, in field order.
    static QStringList BoundControlNames();
    static QString PathToFileUrl(const QString& path);

    PropertyBinder(Ui::MainForm& ui, Platform& platform, TzqxAppletAgent& agent, TreePanel& tree,
                   const ProjectDocument& document, QWidget* window);

    // Storing goes through the edit path: a control that differs from its field is an edit.
    void StoreAppletProperties();
    void LoadAppletProperties();
    void StoreItemProperties(int index);
    // Shows the item, or the items the page edits together (a field they differ in shows as
    // mixed), in every control but `except`.
    void LoadItemProperties(int index, const QWidget* except = nullptr);
    // The settings, then the item on the Item page.
    void storePanel();
    // What the history changed, shown in its controls but `source`, where the user typed it.
    void showSetting(std::string TAppletData::*field, const QWidget* source, bool reveal);
    void showItemField(int index, std::string TItemData::*field, const QWidget* source);
    void showOption(const std::string& name, bool reveal);
    // What is typed from now on is a step of its own.
    void newTypingSession() { ++typingSession_; }

    void pnl_BgColorClick(ColorSwatch* swatch);
    void spdbtnItemImageNormalClick(QObject* sender);
    void spdbtnItURLClick();
    void CheckReservedText(QWidget* control);

Q_SIGNALS:
    // The model changed by an edit typed or picked on the pages.
    void edited();

private:
    struct Control {
        QWidget* widget;
        BindMode mode;
        std::string TAppletData::*setting;  // or
        std::string TItemData::*itemField;
    };
    // A project option chosen in a combo box, its values in the combo's order.
    struct OptionChoice {
        QComboBox* combo;
        std::string_view name;
        std::vector<std::string_view> values;
    };
    std::vector<OptionChoice> optionChoices() const;
    void optionChosen(QComboBox* combo);
    void connectEdits();
    void connectPickers();
    void connectFocalPoint();
    void controlEdited(QWidget* control);
    void editSetting(const Control& control);
    void editItemField(const Control& control);
    void editItemsField(const Control& control, const std::vector<int>& indices);
    void showMixed(QWidget* control, bool mixed);
    static void GetControlValue(std::string& value, QWidget* control, BindMode mode);
    void SetControlValue(const std::string& value, QWidget* control, BindMode mode);
    void setRadio(QWidget* radio, bool checked);
    // The value a colour field's swatch and "T" button give together.
    std::string colourValue(std::string TAppletData::*field) const;
    // Selects the root and the page that holds a setting's control.
    void revealSetting(QWidget* control);
    std::string pathBytes(const QString& path) const;
    // What undo calls an edit of `control`: "Typing Title", "Change Color".
    QString stepName(const QWidget* control) const;
    // What stepName calls each bound control, found once.
    void nameFields();
    QHash<const QWidget*, QString> fieldNames_;

    Ui::MainForm& ui_;
    Platform& platform_;
    TzqxAppletAgent& agent_;
    TreePanel& tree_;
    const ProjectDocument& document_;
    QWidget* window_;
    std::vector<Control> settings_;
    std::vector<Control> itemFields_;
    QWidget* secondRootChoice_;
    // Set while the controls are loaded from the model: their changes are no edits.
    bool showing_ = false;
    // Controls that show a field the edited items differ in, until the user types there.
    std::vector<QWidget*> mixed_;
    // Edits of one field merge while the focus stays; a focus change starts a new session.
    int typingSession_ = 0;
};

}  // namespace lumivex::ui
