// The item tree panel: commands, enabling, selection handling and the page arrangement.
#include <QMenu>
#include <QTabWidget>
#include <QTreeWidget>

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
    connect(tree, &QTreeWidget::currentItemChanged, this, [this] { trvwDesignPanelChange(); });
    connect(tree, &QTreeWidget::itemPressed, this, [this] { trvwDesignPanelMouseDown(); });
    tree->viewport()->installEventFilter(this);
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& at) {
        if (tree->itemAt(at) != nullptr)
            ui_->PopupMenu1->exec(tree->viewport()->mapToGlobal(at));
    });
    for (auto [action, handler] : {std::pair{ui_->Insert1, &TMainForm::Insert1Click},
                                   std::pair{ui_->Delete1, &TMainForm::Delete1Click},
                                   std::pair{ui_->MoveUp1, &TMainForm::MoveUp1Click},
                                   std::pair{ui_->MoveDown1, &TMainForm::MoveDown1Click}}) {
        connect(action, &QAction::triggered, this, handler);
    }
    for (auto [action, handler] : {std::pair{ui_->Insert2, &TMainForm::Insert1Click},
                                   std::pair{ui_->Delete2, &TMainForm::Delete1Click},
                                   std::pair{ui_->MoveUp2, &TMainForm::MoveUp1Click},
                                   std::pair{ui_->MoveDown2, &TMainForm::MoveDown1Click},
                                   std::pair{ui_->tlbtnInsert, &TMainForm::Insert1Click},
                                   std::pair{ui_->tlbtnDelete, &TMainForm::Delete1Click},
                                   std::pair{ui_->tlbtnMoveUp, &TMainForm::MoveUp1Click},
                                   std::pair{ui_->tlbtnMoveDown, &TMainForm::MoveDown1Click}}) {
        connect(action, &QAction::triggered, this, handler);
    }
}

void TMainForm::trvwDesignPanelChange() {
    if (TreeUpdating)
        return;
    UpdatePropertyPages(false);
    if (CurrentItemNode != nullptr)
        StoreItemProperties(itemIndexOf(CurrentItemNode));
    QTreeWidgetItem* selected = selectedNode();
    if (selected == nullptr || selected->parent() == nullptr)
        return;
    if (selected != CurrentItemNode) {
        CurrentItemNode = selected;
        LoadItemProperties(itemIndexOf(selected));
    }
    UpdateItemCommands();
    spnedtApWidthChange();
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

void TMainForm::CountDescendants(QTreeWidgetItem* node) {
    if (node->childCount() == 0)
        return;
    FDescendantCount += node->childCount();
    for (int i = 0; i < node->childCount(); ++i)
        CountDescendants(node->child(i));
}

void TMainForm::Insert1Click() {
    SetModified(true);
    QTreeWidgetItem* selected = selectedNode();
    // The command is disabled below the second level; a file may hold deeper items.
    if (selected == nullptr || tree_->depth(selected) >= 2)
        return;
    FAgent->InsertChildItem(selected);
    UpdateItemCommands();
    UpdatePropertyPages(true);
}

void TMainForm::Delete1Click() {
    SetModified(true);
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
    CurrentItemNode = nullptr;
    // The tree picks a neighbour while the node is still half removed; the selection is handled
    // once tree and list agree again.
    TreeUpdating = true;
    FAgent->DeleteSubtree(selected);
    TreeUpdating = false;
    UpdateItemCommands();
    trvwDesignPanelChange();
}

void TMainForm::MoveUp1Click() {
    SetModified(true);
    QTreeWidgetItem* selected = selectedNode();
    if (selected != nullptr && selected->parent() != nullptr &&
        tree_->previousSibling(selected) != nullptr) {
        TreeUpdating = true;
        FAgent->MoveSubtreeUp(selected);
        ui_->trvwDesignPanel->setCurrentItem(selected);
        TreeUpdating = false;
    }
    UpdateItemCommands();
}

void TMainForm::MoveDown1Click() {
    SetModified(true);
    QTreeWidgetItem* selected = selectedNode();
    if (selected != nullptr && selected->parent() != nullptr &&
        tree_->nextSibling(selected) != nullptr) {
        TreeUpdating = true;
        FAgent->MoveSubtreeDown(selected);
        ui_->trvwDesignPanel->setCurrentItem(selected);
        TreeUpdating = false;
    }
    UpdateItemCommands();
}

}  // namespace lumivex::ui
