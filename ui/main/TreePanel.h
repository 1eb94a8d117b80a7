#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

#include "EditCommands.h"

class QFrame;
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
    // The items the Item page edits: the selected ones when the item it shows is among them,
    // else that item alone; in tree order.
    std::vector<int> editedItems() const;
    // The selected item nodes without those whose parent is selected too (they go with it),
    // in tree order; the current node alone when it is not selected.
    std::vector<QTreeWidgetItem*> movedNodes() const;
    // Selects `nodes`, `current` (one of them) the node the pages show.
    void selectNodes(const std::vector<QTreeWidgetItem*>& nodes, QTreeWidgetItem* current);
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
    // The selected items, dragged and dropped at `at` (viewport coordinates) over `over`.
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
    void showItemFields(const std::vector<int>& indices, std::string TItemData::*field,
                        const QWidget* source, bool reveal) override;
    void batch(const std::function<void()>& run) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a batch of tree changes leaves to show at its end.
    struct Batch {
        bool treeChanged = false;
        std::vector<QTreeWidgetItem*> selected;
    };
    // Where a dragged item goes: under `parent`, before `before` (last when null).
    struct DropPlace {
        QTreeWidgetItem* parent = nullptr;
        QTreeWidgetItem* before = nullptr;
        // Where the line shows it: above or below the row under the pointer, or the row framed
        // (into it).
        enum class Mark { Above, Below, Into } mark = Mark::Below;
    };
    DropPlace dropPlace(QTreeWidgetItem* over, const QPoint& at) const;
    // Moves `moving` to `place` as a child of `step`; false when it cannot go there.
    bool moveTo(QTreeWidgetItem* moving, const DropPlace& place, BatchCommand& step);
    void showDropLine(QEvent* event);
    void moveSelected(bool up);
    // The tree's menu at the current node, for the Menu key and Shift+F10.
    void openContextMenu();
    void treeShown(int select);
    void connectCommands();
    // The selection, and dragging items into order.
    void connectSelection();
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
    Batch* batch_ = nullptr;
    QFrame* dropLine_ = nullptr;
    QTreeWidgetItem* currentItemNode_ = nullptr;
    int lastSelectedIndex_ = -1;
    std::vector<QWidget*> appletTabs_;
    std::vector<QWidget*> parentTabs_;
    std::vector<QWidget*> itemTabs_;
};

}  // namespace lumivex::ui
