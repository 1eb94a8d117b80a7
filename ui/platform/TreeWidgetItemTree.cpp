#include "TreeWidgetItemTree.h"

#include <QTreeWidget>

#include "Icons.h"
#include "TextBytes.h"

namespace lumivex::ui {

namespace {

void setImage(QTreeWidgetItem* item, int index) {
    item->setIcon(0, TreeWidgetItemTree::image(index));
}

}  // namespace

TreeWidgetItemTree::TreeWidgetItemTree(QTreeWidget* widget) : widget_(widget) {}

QIcon TreeWidgetItemTree::image(int index) {
    return index == kRootImage ? AppIcon(IconId::TreeRoot) : AppIcon(IconId::TreeItem);
}

ItemTree::Node TreeWidgetItemTree::root() const {
    return widget_->topLevelItem(0);
}

ItemTree::Node TreeWidgetItemTree::parent(Node node) const {
    return item(node)->parent();
}

int TreeWidgetItemTree::childCount(Node node) const {
    return item(node)->childCount();
}

ItemTree::Node TreeWidgetItemTree::child(Node node, int index) const {
    return item(node)->child(index);
}

int TreeWidgetItemTree::indexInParent(Node node) const {
    QTreeWidgetItem* i = item(node);
    if (i->parent() == nullptr)
        return widget_->indexOfTopLevelItem(i);
    return i->parent()->indexOfChild(i);
}

std::string TreeWidgetItemTree::caption(Node node) const {
    return item(node)->data(0, Qt::UserRole).toByteArray().toStdString();
}

void TreeWidgetItemTree::setCaption(Node node, const std::string& caption) {
    item(node)->setData(0, Qt::UserRole, QByteArray::fromStdString(caption));
    // A caption's tabs and line breaks would break the row; they show as blanks.
    QString shown = BytesToText(caption);
    for (QChar& c : shown) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    item(node)->setText(0, shown);
}

ItemTree::Node TreeWidgetItemTree::addChild(Node parent, const std::string& caption) {
    auto* created = new QTreeWidgetItem(item(parent));
    setCaption(created, caption);
    setImage(created, kItemImage);
    return created;
}

void TreeWidgetItemTree::moveBefore(Node node, Node sibling) {
    QTreeWidgetItem* moved = item(node);
    QTreeWidgetItem* parentItem = moved->parent();
    if (parentItem == nullptr || moved == sibling)
        return;
    // Taking an item out of the view forgets which of its nodes were open.
    QList<QTreeWidgetItem*> open;
    QList<QTreeWidgetItem*> pending{moved};
    while (!pending.isEmpty()) {
        QTreeWidgetItem* i = pending.takeLast();
        if (i->isExpanded())
            open << i;
        for (int k = 0; k < i->childCount(); ++k)
            pending << i->child(k);
    }
    parentItem->takeChild(parentItem->indexOfChild(moved));
    parentItem->insertChild(parentItem->indexOfChild(item(sibling)), moved);
    for (QTreeWidgetItem* i : open)
        i->setExpanded(true);
}

void TreeWidgetItemTree::remove(Node node) {
    QTreeWidgetItem* removed = item(node);
    if (removed->parent() == nullptr) {
        delete widget_->takeTopLevelItem(widget_->indexOfTopLevelItem(removed));
        return;
    }
    delete removed;
}

void TreeWidgetItemTree::clear() {
    widget_->clear();
    auto* rootItem = new QTreeWidgetItem(widget_);
    setCaption(rootItem, kRootCaption);
    setImage(rootItem, kRootImage);
    // The slideshow itself is never dragged.
    rootItem->setFlags(rootItem->flags() & ~Qt::ItemIsDragEnabled);
}

void TreeWidgetItemTree::expand(Node node) {
    item(node)->setExpanded(true);
}

}  // namespace lumivex::ui
