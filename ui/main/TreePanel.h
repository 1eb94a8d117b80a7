#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "EditCommands.h"

class QPoint;
class QTreeWidgetItem;
class QUndoStack;
class QWidget;

namespace Ui {
class MainForm;
}

namespace lumivex::ui {

class Dialogs;
class PreviewController;
class PropertyBinder;
class Thumbnails;
class TreeWidgetItemTree;

// The item tree on the left: its commands and their enabling, the selection and the pages it
// shows, dragging items into order, and the photos' pictures. Edits made through the undo
// history show here (EditTarget).
class TreePanel final : public QObject, public EditTarget {
    Q_OBJECT
public:
    TreePanel(Ui::MainForm& ui, Dialogs& dialogs, TzqxAppletAgent& agent, TreeWidgetItemTree& tree,
              QUndoStack& history, QWidget* window);
    void attach(PropertyBinder& binder, PreviewController& preview, Thumbnails& thumbnails);

    void trvwDesignPanelChange();
    void trvwDesignPanelMouseDown();
    void Insert1Click();
    void Delete1Click();
    void MoveUp1Click();
    void MoveDown1Click();
    void UpdateItemCommands();
    void UpdatePropertyPages(bool force);

    QTreeWidgetItem* selectedNode() const;
    // The item the Item page shows, or null.
    QTreeWidgetItem* currentItemNode() const { return currentItemNode_; }
    // Its index in the item list, or -1.
    int currentItemIndex() const;
    int itemIndexOf(QTreeWidgetItem* node) const;
    // Set while the tree's shape changes; the selection, mouse and hint handlers wait.
    const bool& updating() const { return updating_; }
    // Empties the tree and runs `fill` with the handlers waiting; nothing is on the page after.
    void refill(const std::function<void()>& fill);
    void selectRoot();
    // Shown with the handling active, so the pages are arranged for the root.
    void selectRootShown();
    // The selected item, dragged and dropped at `at` (viewport coordinates) over `over`.
    void moveDraggedItem(QTreeWidgetItem* over, const QPoint& at);
    // Each item's photo as its picture in the tree, where it is made already (all items, or
    // those of the photo `only`).
    void showThumbnails(const QString& only = QString());

    // ---- EditTarget ----
    TzqxAppletAgent& model() override { return agent_; }
    ItemTree& items() override;
    void showSetting(std::string TAppletData::*field, const QWidget* source, bool reveal) override;
    void showItemField(int index, std::string TItemData::*field, const QWidget* source,
                       bool reveal) override;
    void changeTree(const std::function<int()>& change) override;
    void showOption(const std::string& name, bool reveal) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    // A drag inside the tree dropped: the item moves as a command. True when taken.
    bool dropInside(QEvent* event);
    void showTabs(const std::vector<QWidget*>& pages, bool visible);

    Ui::MainForm& ui_;
    Dialogs& dialogs_;
    TzqxAppletAgent& agent_;
    TreeWidgetItemTree& tree_;
    QUndoStack& history_;
    QWidget* window_;
    PropertyBinder* binder_ = nullptr;
    PreviewController* preview_ = nullptr;
    Thumbnails* thumbnails_ = nullptr;
    bool updating_ = false;
    QTreeWidgetItem* currentItemNode_ = nullptr;
    int lastSelectedIndex_ = -1;
    std::vector<QWidget*> appletTabs_;
    std::vector<QWidget*> parentTabs_;
    std::vector<QWidget*> itemTabs_;
};

}  // namespace lumivex::ui
