#include "TreePanel.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUndoStack>
#include <unordered_set>

#include "Dialogs.h"
#include "EngineErrors.h"
#include "ErrorReport.h"
#include "FileIO.h"
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

std::vector<int> TreePanel::editedItems() const {
    if (currentItemNode_ == nullptr)
        return {};
    if (!currentItemNode_->isSelected())
        return {currentItemIndex()};
    // One walk of the tree: item k is the k-th node after the root.
    std::vector<int> indices;
    const std::vector<ItemTree::Node> nodes = tree_.itemNodes();
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        if (TreeWidgetItemTree::item(nodes[k])->isSelected())
            indices.push_back(static_cast<int>(k));
    }
    return indices;
}

std::vector<QTreeWidgetItem*> TreePanel::movedNodes() const {
    QTreeWidgetItem* current = selectedNode();
    QTreeWidgetItem* root = ui_.trvwDesignPanel->topLevelItem(0);
    if (current != nullptr && current != root && !current->isSelected())
        return {current};
    std::vector<QTreeWidgetItem*> nodes;
    for (const ItemTree::Node node : tree_.itemNodes()) {
        QTreeWidgetItem* item = TreeWidgetItemTree::item(node);
        if (!item->isSelected())
            continue;
        bool withParent = false;
        for (QTreeWidgetItem* up = item->parent(); up != root && up != nullptr; up = up->parent())
            withParent = withParent || up->isSelected();
        if (!withParent)
            nodes.push_back(item);
    }
    return nodes;
}

void TreePanel::selectNodes(const std::vector<QTreeWidgetItem*>& nodes, QTreeWidgetItem* current) {
    {
        QTreeWidget* tree = ui_.trvwDesignPanel;
        const QScopedValueRollback updating(updating_, true);
        const bool selected = std::all_of(nodes.begin(), nodes.end(),
                                          [](QTreeWidgetItem* node) { return node->isSelected(); });
        if (selected && tree->selectedItems().size() == static_cast<qsizetype>(nodes.size())) {
            tree->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
        } else {
            tree->setCurrentItem(current);
            // One repaint for all of them, not a selection signal each.
            const QSignalBlocker quiet(tree->selectionModel());
            for (QTreeWidgetItem* node : nodes)
                node->setSelected(true);
        }
        tree->viewport()->update();
    }
    currentItemNode_ = nullptr;
    trvwDesignPanelChange();
}

int TreePanel::itemIndexOf(QTreeWidgetItem* node) const {
    return tree_.absoluteIndex(node) - 1;
}

int TreePanel::currentItemIndex() const {
    return currentItemNode_ == nullptr ? -1 : itemIndexOf(currentItemNode_);
}

void TreePanel::connectSelection() {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    connect(tree, &QTreeWidget::itemSelectionChanged, this, ErrorReport::guarded([this] {
                // Ctrl+A and Ctrl+click change what the Item page edits, not always the node.
                if (!updating_ && currentItemNode_ != nullptr)
                    binder_->LoadItemProperties(currentItemIndex());
            }));
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->viewport()->installEventFilter(this);
    // Items are dragged into order; the moves are commands (see dropInside). Not the view's own
    // internal move: it would take the dragged item out of the tree itself once the drop
    // reports a move. The drop reports a copy instead.
    tree->setDragEnabled(true);
    tree->viewport()->setAcceptDrops(true);
    // Our own line shows where a drop goes (see showDropLine), by the rule the drop follows.
    tree->setDropIndicatorShown(false);
    dropLine_ = new QFrame(tree->viewport());
    dropLine_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dropLine_->hide();
    tree->setDragDropMode(QAbstractItemView::DragDrop);
    tree->setDefaultDropAction(Qt::MoveAction);
}

void TreePanel::connectCommands() {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    connect(tree, &QTreeWidget::currentItemChanged, this,
            ErrorReport::guarded([this] { trvwDesignPanelChange(); }));
    connect(tree, &QTreeWidget::itemPressed, this,
            ErrorReport::guarded([this] { trvwDesignPanelMouseDown(); }));
    connectSelection();
    using Handler = void (TreePanel::*)();
    const std::pair<QKeySequence, Handler> keys[] = {
        {QKeySequence(Qt::Key_Delete), &TreePanel::Delete1Click},
        {QKeySequence(Qt::Key_Insert), &TreePanel::Insert1Click},
        {QKeySequence(Qt::CTRL | Qt::Key_Up), &TreePanel::MoveUp1Click},
        {QKeySequence(Qt::CTRL | Qt::Key_Down), &TreePanel::MoveDown1Click},
        {QKeySequence(Qt::Key_Menu), &TreePanel::openContextMenu},
        {QKeySequence(Qt::SHIFT | Qt::Key_F10), &TreePanel::openContextMenu},
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
    ui_.PopupMenu1->addSeparator();
    ui_.PopupMenu1->addAction(ui_.AddPhotos1);
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
    int select = -1;
    {
        // The tree picks a neighbour while a node is half removed; the selection is handled
        // once tree and list agree again.
        const QScopedValueRollback updating(updating_, true);
        select = change();
    }
    if (batch_ == nullptr)
        return treeShown(select);
    batch_->treeChanged = true;
    if (QTreeWidgetItem* node = TreeWidgetItemTree::item(tree_.nodeAt(select)))
        batch_->selected.push_back(node);
}

void TreePanel::batch(const std::function<void()>& run) {
    if (batch_ != nullptr)
        return run();
    Batch done;
    {
        const QScopedValueRollback inBatch(batch_, &done);
        run();
    }
    if (!done.treeChanged)
        return;
    // A later change of the batch may have replaced a node it selected: only nodes still in
    // the tree are selected.
    const std::unordered_set<QTreeWidgetItem*> wanted(done.selected.begin(), done.selected.end());
    std::vector<QTreeWidgetItem*> selected;
    for (const ItemTree::Node node : tree_.itemNodes()) {
        if (wanted.count(TreeWidgetItemTree::item(node)) != 0)
            selected.push_back(TreeWidgetItemTree::item(node));
    }
    treeShown(selected.empty() ? -1 : tree_.absoluteIndex(selected.back()));
    if (selected.size() > 1)
        selectNodes(selected, selected.back());
}

void TreePanel::treeShown(int select) {
    {
        const QScopedValueRollback updating(updating_, true);
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
    // Selected again, the item the page last showed still holds the undone text there.
    if (reveal && ui_.trvwDesignPanel->currentItem() != TreeWidgetItemTree::item(node))
        ui_.trvwDesignPanel->setCurrentItem(TreeWidgetItemTree::item(node));
    if (currentItemNode_ == TreeWidgetItemTree::item(node))
        binder_->showItemField(index, field, source);
}

void TreePanel::showItemFields(const std::vector<int>& indices, std::string TItemData::*field,
                               const QWidget* source, bool reveal) {
    const std::vector<ItemTree::Node> nodes = tree_.itemNodes();
    std::vector<QTreeWidgetItem*> changed;
    for (const int index : indices) {
        changed.push_back(TreeWidgetItemTree::item(nodes.at(static_cast<std::size_t>(index))));
        if (field == &TItemData::Title)
            tree_.setCaption(nodes[static_cast<std::size_t>(index)],
                             agent_.Items.at(static_cast<std::size_t>(index)).Title);
    }
    if (field == &TItemData::OriginalImagePath)
        showThumbnails();
    if (reveal && !changed.empty()) {
        const bool shown =
            std::find(changed.begin(), changed.end(), currentItemNode_) != changed.end();
        selectNodes(changed, shown ? currentItemNode_ : changed.front());
        return;  // selecting them showed the items
    }
    if (currentItemNode_ != nullptr)
        binder_->LoadItemProperties(currentItemIndex(), source);
}

void TreePanel::openContextMenu() {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    QTreeWidgetItem* current = selectedNode();
    const QRect row = current != nullptr ? tree->visualItemRect(current) : QRect();
    UpdateItemCommands();
    ui_.PopupMenu1->exec(tree->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint()));
}

void TreePanel::Insert1Click() {
    QTreeWidgetItem* selected = selectedNode();
    // The command is disabled below the second level; a file may hold deeper items.
    if (selected == nullptr || tree_.depth(selected) >= 2)
        return;
    history_.push(new InsertItemCommand(*this, tree_.absoluteIndex(selected)));
}

void TreePanel::Delete1Click() {
    const std::vector<QTreeWidgetItem*> nodes = movedNodes();
    if (nodes.empty()) {
        dialogs_.message(window_, MessageKind::Error, tr("Root item cannot be deleted."),
                         {MessageButton::Ok});
        return;
    }
    const int count = static_cast<int>(nodes.size());
    const QString question =
        count == 1 ? tr("Are you sure to delete this item and all its children?")
                   : tr("Are you sure to delete these %n items and all their children?", "", count);
    if (dialogs_.message(window_, MessageKind::Warning, question,
                         {MessageButton::Yes, MessageButton::No}) != MessageButton::Yes)
        return;
    if (count == 1)
        return history_.push(new DeleteItemCommand(*this, tree_.absoluteIndex(nodes.front())));
    auto* step = new BatchCommand(*this, tr("Delete %n Items", "", count));
    // From the last one, so that the places of those before it stay as they are.
    for (auto node = nodes.rbegin(); node != nodes.rend(); ++node)
        step->add(new DeleteItemCommand(*this, tree_.absoluteIndex(*node), step));
    history_.push(step);
}

void TreePanel::moveSelected(bool up) {
    std::vector<QTreeWidgetItem*> nodes = movedNodes();
    if (nodes.size() == 1) {
        QTreeWidgetItem* node = nodes.front();
        if ((up ? tree_.previousSibling(node) : tree_.nextSibling(node)) != nullptr)
            history_.push(new MoveItemCommand(*this, tree_.absoluteIndex(node), up));
    } else if (nodes.size() > 1) {
        // Each one passes a neighbour that is not moving; a block at the end stays together.
        if (!up)
            std::reverse(nodes.begin(), nodes.end());
        const std::unordered_set<QTreeWidgetItem*> moving(nodes.begin(), nodes.end());
        auto* step = new BatchCommand(*this, up ? tr("Move Up") : tr("Move Down"));
        for (QTreeWidgetItem* node : nodes) {
            QTreeWidgetItem* neighbour = TreeWidgetItemTree::item(up ? tree_.previousSibling(node)
                                                                     : tree_.nextSibling(node));
            if (neighbour != nullptr && moving.count(neighbour) == 0)
                step->add(new MoveItemCommand(*this, tree_.absoluteIndex(node), up, step));
        }
        if (step->empty()) {
            delete step;
        } else {
            history_.push(step);
            selectNodes(nodes, up ? nodes.back() : nodes.front());
        }
    }
    UpdateItemCommands();
}

void TreePanel::MoveUp1Click() {
    moveSelected(true);
}

void TreePanel::MoveDown1Click() {
    moveSelected(false);
}

bool TreePanel::eventFilter(QObject* watched, QEvent* event) {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    if (watched != tree->viewport())
        return false;
    showDropLine(event);
    if (dropInside(event))
        return true;
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = press->position().toPoint();
        // A right click selects the node under the pointer before its menu opens, keeping a
        // selection it belongs to.
        if (press->button() == Qt::RightButton) {
            if (QTreeWidgetItem* under = tree->itemAt(at); under != nullptr && !under->isSelected())
                tree->setCurrentItem(under);
        }
        if (tree->itemAt(at) == nullptr)
            trvwDesignPanelMouseDown();
    }
    return false;
}

void TreePanel::showDropLine(QEvent* event) {
    QTreeWidget* tree = ui_.trvwDesignPanel;
    const auto type = event->type();
    if (type == QEvent::DragLeave || type == QEvent::Drop) {
        dropLine_->hide();
        return;
    }
    if ((type != QEvent::DragMove && type != QEvent::DragEnter) ||
        static_cast<QDropEvent*>(event)->source() != tree)
        return;
    const QPoint at = static_cast<QDropEvent*>(event)->position().toPoint();
    QTreeWidgetItem* over = tree->itemAt(at);
    const DropPlace place = dropPlace(over, at);
    QRect row = over != nullptr ? tree->visualItemRect(over) : QRect();
    if (!row.isValid()) {
        // Below every row: after the last one shown.
        QTreeWidgetItem* last = tree->topLevelItem(0);
        while (last != nullptr && tree->itemBelow(last) != nullptr)
            last = tree->itemBelow(last);
        row = last != nullptr ? tree->visualItemRect(last) : QRect();
    }
    const int right = tree->viewport()->width();
    constexpr int kLine = 3;
    dropLine_->setFrameShape(place.mark == DropPlace::Mark::Into ? QFrame::Box : QFrame::NoFrame);
    dropLine_->setLineWidth(2);
    dropLine_->setAutoFillBackground(place.mark != DropPlace::Mark::Into);
    QPalette colours = dropLine_->palette();
    colours.setColor(QPalette::Window, tree->palette().color(QPalette::Highlight));
    colours.setColor(QPalette::WindowText, tree->palette().color(QPalette::Highlight));
    dropLine_->setPalette(colours);
    if (place.mark == DropPlace::Mark::Into)
        dropLine_->setGeometry(row.left(), row.top(), right - row.left(), row.height());
    else
        dropLine_->setGeometry(
            row.left(),
            (place.mark == DropPlace::Mark::Above ? row.top() : row.bottom()) - kLine / 2,
            right - row.left(), kLine);
    dropLine_->show();
    dropLine_->raise();
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

TreePanel::DropPlace TreePanel::dropPlace(QTreeWidgetItem* over, const QPoint& at) const {
    QTreeWidgetItem* root = ui_.trvwDesignPanel->topLevelItem(0);
    // Below every item, or on the slideshow: last under the root.
    if (over == nullptr || over == root)
        return {root, nullptr, DropPlace::Mark::Below};
    // Between rows unless the pointer is in the middle third of a row, which nests into it.
    const QRect rect = ui_.trvwDesignPanel->visualItemRect(over);
    const int band = std::max(2, rect.height() / 3);
    if (at.y() - rect.top() < band)
        return {over->parent(), over, DropPlace::Mark::Above};
    if (rect.bottom() - at.y() < band || tree_.depth(over) >= 2)
        return {over->parent(), TreeWidgetItemTree::item(tree_.nextSibling(over)),
                DropPlace::Mark::Below};
    return {over, nullptr, DropPlace::Mark::Into};
}

void TreePanel::moveDraggedItem(QTreeWidgetItem* over, const QPoint& at) {
    const std::vector<QTreeWidgetItem*> moving = movedNodes();
    if (moving.empty())
        return;
    DropPlace place = dropPlace(over, at);
    // The items keep their order before the first one that stays.
    const std::unordered_set<QTreeWidgetItem*> moved(moving.begin(), moving.end());
    while (place.before != nullptr && moved.count(place.before) != 0)
        place.before = TreeWidgetItemTree::item(tree_.nextSibling(place.before));
    const int count = static_cast<int>(moving.size());
    auto* step = new BatchCommand(*this, count == 1 ? tr("Move") : tr("Move %n Items", "", count));
    for (QTreeWidgetItem* node : moving)
        moveTo(node, place, *step);
    if (step->empty())
        delete step;
    else
        history_.push(step);
}

bool TreePanel::moveTo(QTreeWidgetItem* moving, const DropPlace& place, BatchCommand& step) {
    QTreeWidgetItem* parent = place.parent;
    // Never into itself, and never deeper than the two levels the commands make.
    for (QTreeWidgetItem* up = parent; up != nullptr; up = up->parent()) {
        if (up == moving)
            return false;
    }
    const int height = moving->childCount() > 0 ? 1 : 0;
    if (tree_.depth(parent) + height >= 2)
        return false;
    if (parent == moving->parent() &&
        (place.before == moving ||
         place.before == TreeWidgetItemTree::item(tree_.nextSibling(moving))))
        return false;
    // The place as it is once the item is taken out.
    const int first = tree_.absoluteIndex(moving);
    const int size = tree_.subtreeSize(moving);
    const int parentIndex = tree_.absoluteIndex(parent);
    const int parentAfter = parentIndex > first ? parentIndex - size : parentIndex;
    int position =
        place.before != nullptr ? parent->indexOfChild(place.before) : parent->childCount();
    if (moving->parent() == parent && parent->indexOfChild(moving) < position)
        --position;
    step.add(new MoveItemToCommand(*this, first, parentAfter, position, &step));
    return true;
}

void TreePanel::showThumbnails(const QString& only) {
    if (thumbnails_ == nullptr)
        return;
    const std::vector<ItemTree::Node> nodes = tree_.itemNodes();
    for (std::size_t k = 0; k < nodes.size() && k < agent_.Items.size(); ++k) {
        QString path =
            QFile::decodeName(QByteArray::fromStdString(Trim(agent_.Items[k].OriginalImagePath)));
        // A template's slides come with slide images and no photos: those images show.
        if (const std::string& slide = agent_.Items[k].SlideImageFile;
            path.isEmpty() && IsPlainFileName(slide) && FileExists(agent_.PreviewFolder() + slide))
            path = QFile::decodeName(QByteArray::fromStdString(agent_.PreviewFolder() + slide));
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
