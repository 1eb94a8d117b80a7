// The item tree panel: commands, enabling, selection handling and the page arrangement.
#include <QMenu>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeWidget>

#include "ErrorReport.h"
#include "MainForm.h"
#include "TreeWidgetItemTree.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

QTreeWidgetItem* TMainForm::selectedNode() const {
    return ui_->trvwDesignPanel->currentItem();
}

int TMainForm::itemIndexOf(QTreeWidgetItem* node) const {
    return tree_->absoluteIndex(node) - 1;
}

void TMainForm::connectTree() {
    QTreeWidget* tree = ui_->trvwDesignPanel;
    connect(tree, &QTreeWidget::currentItemChanged, this,
            ErrorReport::guarded([this] { trvwDesignPanelChange(); }));
    connect(tree, &QTreeWidget::itemPressed, this,
            ErrorReport::guarded([this] { trvwDesignPanelMouseDown(); }));
    tree->viewport()->installEventFilter(this);
    // Items are dragged into order; the moves are commands (see treeDragEvent).
    tree->setDragEnabled(true);
    tree->viewport()->setAcceptDrops(true);
    tree->setDropIndicatorShown(true);
    // Not the view's own internal move: it would take the dragged item out of the tree itself
    // once the drop reports a move. The drop reports a copy instead (see treeDragEvent).
    tree->setDragDropMode(QAbstractItemView::DragDrop);
    tree->setDefaultDropAction(Qt::MoveAction);
    const std::pair<QKeySequence, void (TMainForm::*)()> keys[] = {
        {QKeySequence(Qt::Key_Delete), &TMainForm::Delete1Click},
        {QKeySequence(Qt::Key_Insert), &TMainForm::Insert1Click},
        {QKeySequence(Qt::CTRL | Qt::Key_Up), &TMainForm::MoveUp1Click},
        {QKeySequence(Qt::CTRL | Qt::Key_Down), &TMainForm::MoveDown1Click},
    };
    for (const auto& [key, handler] : keys) {
        auto* shortcut = new QShortcut(key, tree, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this,
                ErrorReport::guarded([this, handler = handler] { (this->*handler)(); }));
    }
    // Also on the empty part of the tree, for the node that is selected (the root, say).
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& at) {
        ErrorReport::guarded([this, tree, at] {
            UpdateItemCommands();
            ui_->PopupMenu1->exec(tree->viewport()->mapToGlobal(at));
        })();
    });
    // The context menu, the Item menu and the tool buttons share the four commands.
    const std::pair<QAction*, void (TMainForm::*)()> commands[] = {
        {ui_->Insert1, &TMainForm::Insert1Click},
        {ui_->Delete1, &TMainForm::Delete1Click},
        {ui_->MoveUp1, &TMainForm::MoveUp1Click},
        {ui_->MoveDown1, &TMainForm::MoveDown1Click},
        {ui_->Insert2, &TMainForm::Insert1Click},
        {ui_->Delete2, &TMainForm::Delete1Click},
        {ui_->MoveUp2, &TMainForm::MoveUp1Click},
        {ui_->MoveDown2, &TMainForm::MoveDown1Click},
        {ui_->tlbtnInsert, &TMainForm::Insert1Click},
        {ui_->tlbtnDelete, &TMainForm::Delete1Click},
        {ui_->tlbtnMoveUp, &TMainForm::MoveUp1Click},
        {ui_->tlbtnMoveDown, &TMainForm::MoveDown1Click},
    };
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this,
                ErrorReport::guarded([this, handler = handler] { (this->*handler)(); }));
}

void TMainForm::trvwDesignPanelChange() {
    if (TreeUpdating)
        return;
    UpdatePropertyPages(false);
    QTreeWidgetItem* selected = selectedNode();
    // The preview follows: the slide held, or the slideshow running for the root.
    if (frmPreview_ != nullptr && selected != nullptr)
        frmPreview_->ShowSlide(selected->parent() == nullptr ? -1 : itemIndexOf(selected));
    if (selected == nullptr || selected->parent() == nullptr)
        return;
    // The model holds every edit already; the page only has to show the item.
    if (selected != CurrentItemNode) {
        CurrentItemNode = selected;
        LoadItemProperties(itemIndexOf(selected));
    }
    UpdateItemCommands();
}

void TMainForm::trvwDesignPanelMouseDown() {
    if (TreeUpdating)
        return;
    if (QTreeWidgetItem* selected = selectedNode()) {
        ui_->trvwDesignPanel->setCurrentItem(selected);
        UpdateItemCommands();
    }
}

void TMainForm::UpdateItemCommands() {
    QTreeWidgetItem* selected = selectedNode();
    const bool isRoot = selected == nullptr || selected->parent() == nullptr;
    const int level = selected != nullptr ? tree_->depth(selected) : 0;
    ui_->Insert1->setEnabled(level < 2);
    ui_->Delete1->setEnabled(!isRoot);
    ui_->MoveUp1->setEnabled(!isRoot && tree_->previousSibling(selected) != nullptr);
    ui_->MoveDown1->setEnabled(!isRoot && tree_->nextSibling(selected) != nullptr);
    struct Copy {
        QAction* source;
        QAction* toolButton;
        QAction* menuItem;
    };
    const Copy copies[] = {
        {ui_->Insert1, ui_->tlbtnInsert, ui_->Insert2},
        {ui_->Delete1, ui_->tlbtnDelete, ui_->Delete2},
        {ui_->MoveUp1, ui_->tlbtnMoveUp, ui_->MoveUp2},
        {ui_->MoveDown1, ui_->tlbtnMoveDown, ui_->MoveDown2},
    };
    for (const Copy& c : copies) {
        c.toolButton->setEnabled(c.source->isEnabled());
        c.menuItem->setEnabled(c.source->isEnabled());
    }
    UpdatePropertyPages(false);
    RefreshPreview();
}

void TMainForm::UpdatePropertyPages(bool force) {
    QTreeWidgetItem* selected = selectedNode();
    if (selected == nullptr)
        return;
    const int index = tree_->absoluteIndex(selected);
    if (index == FLastSelectedIndex && !force)
        return;
    QTabWidget* pages = ui_->pgcntrl1;
    const auto show = [pages](const std::vector<QWidget*>& list, bool visible) {
        for (QWidget* page : list)
            pages->setTabVisible(pages->indexOf(page), visible);
    };
    if (selected->parent() != nullptr) {
        show(FAppletTabs, false);
        show(FItemTabs, true);
        if (!FItemTabs.empty())
            pages->setCurrentWidget(FItemTabs.front());
    } else {
        show(FItemTabs, false);
        show(FAppletTabs, true);
        pages->setCurrentWidget(ui_->tbshtScript);
    }
    show(FParentTabs, selected->childCount() > 0);
    FLastSelectedIndex = index;
}

ItemTree& TMainForm::items() {
    return *tree_;
}

void TMainForm::changeTree(const std::function<int()>& change) {
    int select = -1;
    {
        // The tree picks a neighbour while a node is half removed; the selection is handled
        // once tree and list agree again.
        TreeUpdate updating(*this);
        select = change();
        if (QTreeWidgetItem* node = TreeWidgetItemTree::item(tree_->nodeAt(select)))
            ui_->trvwDesignPanel->setCurrentItem(node);
    }
    // What the selection now shows, as if the user had picked it; a node that went is no
    // longer the item on the page.
    CurrentItemNode = nullptr;
    trvwDesignPanelChange();
    UpdateItemCommands();
    UpdatePropertyPages(true);
    showThumbnails();
}

void TMainForm::Insert1Click() {
    QTreeWidgetItem* selected = selectedNode();
    // The command is disabled below the second level; a file may hold deeper items.
    if (selected == nullptr || tree_->depth(selected) >= 2)
        return;
    undoStack_->push(new InsertItemCommand(*this, tree_->absoluteIndex(selected)));
}

void TMainForm::Delete1Click() {
    QTreeWidgetItem* selected = selectedNode();
    if (selected == nullptr || selected->parent() == nullptr) {
        platform_.dialogs.message(this, MessageKind::Error,
                                  QStringLiteral("Root item cannot be deleted."),
                                  {MessageButton::Ok});
        return;
    }
    const MessageButton answer = platform_.dialogs.message(
        this, MessageKind::Warning,
        QStringLiteral("Are you sure to delete this item and all its children?"),
        {MessageButton::Yes, MessageButton::No});
    if (answer != MessageButton::Yes)
        return;
    undoStack_->push(new DeleteItemCommand(*this, tree_->absoluteIndex(selected)));
}

void TMainForm::MoveUp1Click() {
    QTreeWidgetItem* selected = selectedNode();
    if (selected != nullptr && selected->parent() != nullptr &&
        tree_->previousSibling(selected) != nullptr)
        undoStack_->push(new MoveItemCommand(*this, tree_->absoluteIndex(selected), true));
    UpdateItemCommands();
}

void TMainForm::MoveDown1Click() {
    QTreeWidgetItem* selected = selectedNode();
    if (selected != nullptr && selected->parent() != nullptr &&
        tree_->nextSibling(selected) != nullptr)
        undoStack_->push(new MoveItemCommand(*this, tree_->absoluteIndex(selected), false));
    UpdateItemCommands();
}

}  // namespace lumivex::ui
