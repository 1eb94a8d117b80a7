#include "TreePanel.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUndoStack>

#include "Dialogs.h"
#include "EngineErrors.h"
#include "ErrorReport.h"
#include "Icons.h"
#include "PreviewController.h"
#include "PropertyBinder.h"
#include "Text.h"
#include "Thumbnails.h"
#include "TreeWidgetItemTree.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

namespace {
// Which picture a node shows ("plain", "photo:" or "missing:" and the path).
constexpr int kShownPictureRole = Qt::UserRole + 1;
}  // namespace

TreePanel::TreePanel(Ui::MainForm& ui, Dialogs& dialogs, TzqxAppletAgent& agent,
                     TreeWidgetItemTree& tree, QUndoStack& history, QWidget* window)
    : QObject(window),
      ui_(ui),
      dialogs_(dialogs),
      agent_(agent),
      tree_(tree),
      history_(history),
      window_(window) {
    appletTabs_ = {ui_.tbshtScript, ui_.tbshtMainGroup, ui_.tbshtPath};
    parentTabs_ = {};
    itemTabs_ = {ui_.tbshtItem};
    if (static_cast<size_t>(ui_.pgcntrl1->count()) <
        appletTabs_.size() + parentTabs_.size() + itemTabs_.size())
        throw EngineError("Tab list array's capacity is incorrect!");
}

void TreePanel::attach(PropertyBinder& binder, PreviewController& preview, Thumbnails& thumbnails) {
    binder_ = &binder;
    preview_ = &preview;
    thumbnails_ = &thumbnails;
    connect(thumbnails_, &Thumbnails::ready, this, [this](const QString& path) {
        ErrorReport::guarded([this, path] { showThumbnails(path); })();
    });
    connectCommands();
}

QTreeWidgetItem* TreePanel::selectedNode() const {
    return ui_.trvwDesignPanel->currentItem();
}

int TreePanel::itemIndexOf(QTreeWidgetItem* node) const {
    return tree_.absoluteIndex(node) - 1;
}

int TreePanel::currentItemIndex() const {
    return currentItemNode_ == nullptr ? -1 : itemIndexOf(currentItemNode_);
}

void TreePanel::connectCommands() {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    connect(tree, &QTreeWidget::currentItemChanged, this,
            ErrorReport::guarded([this] { trvwDesignPanelChange(); }));
    connect(tree, &QTreeWidget::itemPressed, this,
            ErrorReport::guarded([this] { trvwDesignPanelMouseDown(); }));
    tree->viewport()->installEventFilter(this);
    // Items are dragged into order; the moves are commands (see dropInside). Not the view's own
    // internal move: it would take the dragged item out of the tree itself once the drop
    // reports a move. The drop reports a copy instead.
    tree->setDragEnabled(true);
    tree->viewport()->setAcceptDrops(true);
    tree->setDropIndicatorShown(true);
    tree->setDragDropMode(QAbstractItemView::DragDrop);
    tree->setDefaultDropAction(Qt::MoveAction);
    using Handler = void (TreePanel::*)();
    const std::pair<QKeySequence, Handler> keys[] = {
        {QKeySequence(Qt::Key_Delete), &TreePanel::Delete1Click},
        {QKeySequence(Qt::Key_Insert), &TreePanel::Insert1Click},
        {QKeySequence(Qt::CTRL | Qt::Key_Up), &TreePanel::MoveUp1Click},
        {QKeySequence(Qt::CTRL | Qt::Key_Down), &TreePanel::MoveDown1Click},
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
            ui_.PopupMenu1->exec(tree->viewport()->mapToGlobal(at));
        })();
    });
    // The context menu, the Item menu and the tool buttons share the four commands.
    const std::pair<QList<QAction*>, Handler> commands[] = {
        {{ui_.Insert1, ui_.Insert2, ui_.tlbtnInsert}, &TreePanel::Insert1Click},
        {{ui_.Delete1, ui_.Delete2, ui_.tlbtnDelete}, &TreePanel::Delete1Click},
        {{ui_.MoveUp1, ui_.MoveUp2, ui_.tlbtnMoveUp}, &TreePanel::MoveUp1Click},
        {{ui_.MoveDown1, ui_.MoveDown2, ui_.tlbtnMoveDown}, &TreePanel::MoveDown1Click},
    };
    for (const auto& [actions, handler] : commands) {
        for (QAction* action : actions)
            connect(action, &QAction::triggered, this,
                    ErrorReport::guarded([this, handler = handler] { (this->*handler)(); }));
    }
}

void TreePanel::trvwDesignPanelChange() {
    if (updating_)
        return;
    UpdatePropertyPages(false);
    QTreeWidgetItem* selected = selectedNode();
    // The preview follows: the slide held, or the slideshow running for the root.
    if (selected != nullptr)
        preview_->showSlide(selected->parent() == nullptr ? -1 : itemIndexOf(selected));
    if (selected == nullptr || selected->parent() == nullptr)
        return;
    // The model holds every edit already; the page only has to show the item.
    if (selected != currentItemNode_) {
        currentItemNode_ = selected;
        binder_->LoadItemProperties(itemIndexOf(selected));
    }
    UpdateItemCommands();
}

void TreePanel::trvwDesignPanelMouseDown() {
    if (updating_)
        return;
    if (QTreeWidgetItem* selected = selectedNode()) {
        ui_.trvwDesignPanel->setCurrentItem(selected);
        UpdateItemCommands();
    }
}

void TreePanel::UpdateItemCommands() {
    QTreeWidgetItem* selected = selectedNode();
    const bool isRoot = selected == nullptr || selected->parent() == nullptr;
    const int level = selected != nullptr ? tree_.depth(selected) : 0;
    ui_.Insert1->setEnabled(level < 2);
    ui_.Delete1->setEnabled(!isRoot);
    ui_.MoveUp1->setEnabled(!isRoot && tree_.previousSibling(selected) != nullptr);
    ui_.MoveDown1->setEnabled(!isRoot && tree_.nextSibling(selected) != nullptr);
    struct Copy {
        QAction* source;
        QAction* toolButton;
        QAction* menuItem;
    };
    const Copy copies[] = {
        {ui_.Insert1, ui_.tlbtnInsert, ui_.Insert2},
        {ui_.Delete1, ui_.tlbtnDelete, ui_.Delete2},
        {ui_.MoveUp1, ui_.tlbtnMoveUp, ui_.MoveUp2},
        {ui_.MoveDown1, ui_.tlbtnMoveDown, ui_.MoveDown2},
    };
    for (const Copy& c : copies) {
        c.toolButton->setEnabled(c.source->isEnabled());
        c.menuItem->setEnabled(c.source->isEnabled());
    }
    UpdatePropertyPages(false);
    preview_->RefreshPreview();
}

void TreePanel::showTabs(const std::vector<QWidget*>& pages, bool visible) {
    for (QWidget* page : pages)
        ui_.pgcntrl1->setTabVisible(ui_.pgcntrl1->indexOf(page), visible);
}

void TreePanel::UpdatePropertyPages(bool force) {
    QTreeWidgetItem* selected = selectedNode();
    if (selected == nullptr)
        return;
    const int index = tree_.absoluteIndex(selected);
    if (index == lastSelectedIndex_ && !force)
        return;
    if (selected->parent() != nullptr) {
        showTabs(appletTabs_, false);
        showTabs(itemTabs_, true);
        if (!itemTabs_.empty())
            ui_.pgcntrl1->setCurrentWidget(itemTabs_.front());
    } else {
        showTabs(itemTabs_, false);
        showTabs(appletTabs_, true);
        ui_.pgcntrl1->setCurrentWidget(ui_.tbshtScript);
    }
    showTabs(parentTabs_, selected->childCount() > 0);
    lastSelectedIndex_ = index;
}

void TreePanel::refill(const std::function<void()>& fill) {
    if (thumbnails_ != nullptr)
        thumbnails_->forgetPending();
    const QScopedValueRollback updating(updating_, true);
    currentItemNode_ = nullptr;
    tree_.clear();
    ui_.trvwDesignPanel->setCurrentItem(ui_.trvwDesignPanel->topLevelItem(0));
    fill();
}

void TreePanel::selectRoot() {
    const QScopedValueRollback updating(updating_, true);
    ui_.trvwDesignPanel->setCurrentItem(ui_.trvwDesignPanel->topLevelItem(0));
}

void TreePanel::selectRootShown() {
    ui_.trvwDesignPanel->setCurrentItem(nullptr);
    ui_.trvwDesignPanel->setCurrentItem(ui_.trvwDesignPanel->topLevelItem(0));
}

ItemTree& TreePanel::items() {
    return tree_;
}

void TreePanel::changeTree(const std::function<int()>& change) {
    {
        // The tree picks a neighbour while a node is half removed; the selection is handled
        // once tree and list agree again.
        const QScopedValueRollback updating(updating_, true);
        const int select = change();
        if (QTreeWidgetItem* node = TreeWidgetItemTree::item(tree_.nodeAt(select)))
            ui_.trvwDesignPanel->setCurrentItem(node);
    }
    // What the selection now shows, as if the user had picked it; a node that went is no
    // longer the item on the page.
    currentItemNode_ = nullptr;
    trvwDesignPanelChange();
    UpdateItemCommands();
    UpdatePropertyPages(true);
    showThumbnails();
}

void TreePanel::showSetting(std::string TAppletData::*field, const QWidget* source, bool reveal) {
    binder_->showSetting(field, source, reveal);
}

void TreePanel::showOption(const std::string& name, bool reveal) {
    binder_->showOption(name, reveal);
}

void TreePanel::showItemField(int index, std::string TItemData::*field, const QWidget* source,
                              bool reveal) {
    const ItemTree::Node node = tree_.nodeAt(index + 1);
    if (node == nullptr)
        return;
    // The caption is the title, following it as it is typed; the picture is the photo's.
    if (field == &TItemData::Title)
        tree_.setCaption(node, agent_.Items.at(static_cast<std::size_t>(index)).Title);
    if (field == &TItemData::OriginalImagePath)
        showThumbnails();
    if (reveal && ui_.trvwDesignPanel->currentItem() != TreeWidgetItemTree::item(node)) {
        ui_.trvwDesignPanel->setCurrentItem(TreeWidgetItemTree::item(node));
        return;  // selecting it showed the whole item
    }
    if (currentItemNode_ == TreeWidgetItemTree::item(node))
        binder_->showItemField(index, field, source);
}

void TreePanel::Insert1Click() {
    QTreeWidgetItem* selected = selectedNode();
    // The command is disabled below the second level; a file may hold deeper items.
    if (selected == nullptr || tree_.depth(selected) >= 2)
        return;
    history_.push(new InsertItemCommand(*this, tree_.absoluteIndex(selected)));
}

void TreePanel::Delete1Click() {
    QTreeWidgetItem* selected = selectedNode();
    if (selected == nullptr || selected->parent() == nullptr) {
        dialogs_.message(window_, MessageKind::Error, tr("Root item cannot be deleted."),
                         {MessageButton::Ok});
        return;
    }
    const MessageButton answer = dialogs_.message(
        window_, MessageKind::Warning, tr("Are you sure to delete this item and all its children?"),
        {MessageButton::Yes, MessageButton::No});
    if (answer != MessageButton::Yes)
        return;
    history_.push(new DeleteItemCommand(*this, tree_.absoluteIndex(selected)));
}

void TreePanel::MoveUp1Click() {
    QTreeWidgetItem* selected = selectedNode();
    if (selected != nullptr && selected->parent() != nullptr &&
        tree_.previousSibling(selected) != nullptr)
        history_.push(new MoveItemCommand(*this, tree_.absoluteIndex(selected), true));
    UpdateItemCommands();
}

void TreePanel::MoveDown1Click() {
    QTreeWidgetItem* selected = selectedNode();
    if (selected != nullptr && selected->parent() != nullptr &&
        tree_.nextSibling(selected) != nullptr)
        history_.push(new MoveItemCommand(*this, tree_.absoluteIndex(selected), false));
    UpdateItemCommands();
}

bool TreePanel::eventFilter(QObject* watched, QEvent* event) {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    if (watched != tree->viewport())
        return false;
    if (dropInside(event))
        return true;
    if (event->type() == QEvent::MouseButtonPress) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        // A right click selects the node under the pointer before its menu opens.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            if (QTreeWidgetItem* under = tree->itemAt(at))
                tree->setCurrentItem(under);
        }
        if (tree->itemAt(at) == nullptr)
            trvwDesignPanelMouseDown();
    }
    return false;
}

bool TreePanel::dropInside(QEvent* event) {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    if (event->type() != QEvent::Drop || static_cast<QDropEvent*>(event)->source() != tree)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QPoint at = drop->position().toPoint();
    // The item moves as a command, and the view must not move it too.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    ErrorReport::guarded([this, tree, at] { moveDraggedItem(tree->itemAt(at), at); })();
    tree->viewport()->update();
    return true;
}

void TreePanel::moveDraggedItem(QTreeWidgetItem* over, const QPoint& at) {
    QTreeWidgetItem* moving = selectedNode();
    QTreeWidgetItem* root = ui_.trvwDesignPanel->topLevelItem(0);
    if (moving == nullptr || moving == root)
        return;
    // Where it goes: before or after the item under the pointer near its edges, into it in its
    // middle; below every item, last under the root.
    QTreeWidgetItem* parent = root;
    QTreeWidgetItem* before = nullptr;
    if (over != nullptr && over != root) {
        const QRect rect = ui_.trvwDesignPanel->visualItemRect(over);
        const int margin = std::clamp(static_cast<int>(rect.height() / 5.5), 2, 12);
        if (at.y() - rect.top() < margin) {
            parent = over->parent();
            before = over;
        } else if (rect.bottom() - at.y() < margin || tree_.depth(over) >= 2) {
            parent = over->parent();
            before = TreeWidgetItemTree::item(tree_.nextSibling(over));
        } else {
            parent = over;
        }
    }
    // Never into itself, and never deeper than the two levels the commands make.
    for (QTreeWidgetItem* up = parent; up != nullptr; up = up->parent()) {
        if (up == moving)
            return;
    }
    const int height = moving->childCount() > 0 ? 1 : 0;
    if (tree_.depth(parent) + height >= 2)
        return;
    if (parent == moving->parent() &&
        (before == moving || before == TreeWidgetItemTree::item(tree_.nextSibling(moving))))
        return;
    // The place as it is once the item is taken out.
    const int first = tree_.absoluteIndex(moving);
    const int size = tree_.subtreeSize(moving);
    const int parentIndex = tree_.absoluteIndex(parent);
    const int parentAfter = parentIndex > first ? parentIndex - size : parentIndex;
    int position = before != nullptr ? parent->indexOfChild(before) : parent->childCount();
    if (moving->parent() == parent && parent->indexOfChild(moving) < position)
        --position;
    history_.push(new MoveItemToCommand(*this, first, parentAfter, position));
}

void TreePanel::showThumbnails(const QString& only) {
    if (thumbnails_ == nullptr)
        return;
    const std::vector<ItemTree::Node> nodes = tree_.itemNodes();
    for (std::size_t k = 0; k < nodes.size() && k < agent_.Items.size(); ++k) {
        const QString path =
            QFile::decodeName(QByteArray::fromStdString(Trim(agent_.Items[k].OriginalImagePath)));
        if (!only.isNull() && path != only)
            continue;
        // What the node shows now, so that an unchanged picture is not set again.
        QString shown = QStringLiteral("plain");
        QIcon icon = TreeWidgetItemTree::image(TreeWidgetItemTree::kItemImage);
        if (const std::optional<QIcon> made =
                path.isEmpty() ? std::nullopt : thumbnails_->find(path)) {
            shown = (made->isNull() ? QStringLiteral("missing:") : QStringLiteral("photo:")) + path;
            icon = made->isNull() ? AppIcon(IconId::PhotoMissing) : *made;
        } else if (!path.isEmpty() && !QFileInfo::exists(path)) {
            shown = QStringLiteral("missing:") + path;
            icon = AppIcon(IconId::PhotoMissing);
        }  // else no photo, or its picture is being made: the plain picture
        QTreeWidgetItem* node = TreeWidgetItemTree::item(nodes[k]);
        // A new node shows the plain picture already.
        QString current = node->data(0, kShownPictureRole).toString();
        if (current.isEmpty())
            current = QStringLiteral("plain");
        if (current != shown) {
            node->setData(0, kShownPictureRole, shown);
            node->setIcon(0, icon);
        }
    }
}

}  // namespace lumivex::ui
