#pragma once

#include "ItemTree.h"

class QTreeWidget;
class QTreeWidgetItem;
class QIcon;

namespace lumivex::ui {

// The engine's item tree over the main window's tree widget: one top-level item, the root.
class TreeWidgetItemTree final : public ItemTree {
public:
    explicit TreeWidgetItemTree(QTreeWidget* widget);

    Node root() const override;
    Node parent(Node node) const override;
    int childCount(Node node) const override;
    Node child(Node node, int index) const override;
    int indexInParent(Node node) const override;
    std::string caption(Node node) const override;
    void setCaption(Node node, const std::string& caption) override;
    Node addChild(Node parent, const std::string& caption) override;
    void moveBefore(Node node, Node sibling) override;
    void remove(Node node) override;
    void clear() override;
    void expand(Node node) override;

    static QTreeWidgetItem* item(Node node) { return static_cast<QTreeWidgetItem*>(node); }
    static Node node(QTreeWidgetItem* item) { return item; }
    QTreeWidget* widget() const { return widget_; }

    // Image 1 of the tree's image list marks the root, image 0 an item.
    static constexpr int kRootImage = 1;
    static constexpr int kItemImage = 0;
    static QIcon image(int index);

private:
    QTreeWidget* widget_;
};

}  // namespace lumivex::ui
