#include <algorithm>
#include <vector>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "Text.h"

namespace lumivex {

void TzqxAppletAgent::InsertItem(int index, const TItemData& item) {
    const int n = static_cast<int>(Items.size());
    if (n == 0) {
        Items.push_back(item);
    } else if (index >= 0 && index <= n) {
        Items.insert(Items.begin() + index, item);
    }
}

void TzqxAppletAgent::DeleteItem(int index) {
    const int n = static_cast<int>(Items.size());
    if (n == 0)
        return;
    if (n == 1) {
        Items.clear();
    } else if (index >= 0 && index < n) {
        Items.erase(Items.begin() + index);
    }
}

void TzqxAppletAgent::SwapItemWithPrevious(int index) {
    const int n = static_cast<int>(Items.size());
    if (index > 0 && index < n)
        std::swap(Items[index - 1], Items[index]);
}

ItemTree::Node TzqxAppletAgent::InsertChildItem(ItemTree::Node selected) {
    TItemData item = NewItemDefaults();
    const ItemTree::Node node = tree_.addChild(selected, "Item");
    tree_.expand(selected);
    item.Level = IntToStr(tree_.depth(node) - 1);
    InsertItem(tree_.absoluteIndex(node) - 1, item);
    return node;
}

void TzqxAppletAgent::DeleteSubtree(ItemTree::Node node) {
    const int s = tree_.absoluteIndex(node) - 1;
    ItemTree::Node current = node;
    while (tree_.nextSibling(current) == nullptr && tree_.parent(current) != nullptr) {
        current = tree_.parent(current);
    }
    const ItemTree::Node next = tree_.nextSibling(current);
    const int e = next != nullptr ? tree_.absoluteIndex(next) : tree_.count();
    for (int i = 0; i < e - s - 1; ++i)
        DeleteItem(s);
    tree_.remove(node);
}

TzqxAppletAgent::Subtree TzqxAppletAgent::TakeSubtreeCopy(ItemTree::Node node) const {
    Subtree out;
    const int first = tree_.absoluteIndex(node);
    const int size = tree_.subtreeSize(node);
    const int base = tree_.depth(node);
    out.parentIndex = tree_.absoluteIndex(tree_.parent(node));
    out.position = tree_.indexInParent(node);
    for (int k = first; k < first + size; ++k) {
        out.items.push_back(Items.at(static_cast<std::size_t>(k - 1)));
        out.depths.push_back(tree_.depth(tree_.nodeAt(k)) - base);
    }
    return out;
}

ItemTree::Node TzqxAppletAgent::RestoreSubtree(const Subtree& subtree) {
    const ItemTree::Node parent = tree_.nodeAt(subtree.parentIndex);
    if (parent == nullptr || subtree.items.empty())
        return nullptr;
    // The nodes go in last under the parent, each below the newest node one level up...
    std::vector<ItemTree::Node> tops;
    std::vector<ItemTree::Node> path{parent};
    std::vector<ItemTree::Node> made;
    for (std::size_t i = 0; i < subtree.items.size(); ++i) {
        const int depth = i == 0 ? 0 : std::max(subtree.depths[i], 0);
        path.resize(
            static_cast<std::size_t>(std::min<int>(depth, static_cast<int>(path.size()) - 1)) + 1);
        path.push_back(tree_.addChild(path.back(), subtree.items[i].Title));
        made.push_back(path.back());
        if (path.size() == 2)
            tops.push_back(path.back());
    }
    // ...then the new children of the parent move to their place, in order.
    const int count = tree_.childCount(parent);
    const int first = std::clamp(subtree.position, 0, count - static_cast<int>(tops.size()));
    for (std::size_t i = 0; i < tops.size(); ++i) {
        const int at = first + static_cast<int>(i);
        if (tree_.child(parent, at) != tops[i])
            tree_.moveBefore(tops[i], tree_.child(parent, at));
    }
    const int listIndex = tree_.absoluteIndex(tops.front()) - 1;
    Items.insert(Items.begin() + listIndex, subtree.items.begin(), subtree.items.end());
    // The levels follow the place the items have now.
    for (std::size_t i = 0; i < made.size(); ++i)
        Items[static_cast<std::size_t>(listIndex) + i].Level = IntToStr(tree_.depth(made[i]) - 1);
    return tops.front();
}

void TzqxAppletAgent::MoveSubtreeUp(ItemTree::Node node) {
    const ItemTree::Node before = tree_.previousSibling(node);
    const int S = tree_.subtreeSize(node);
    const int P = tree_.subtreeSize(before);
    const int s = tree_.absoluteIndex(node) - 1;
    for (int k = s; k < s + S; ++k) {
        for (int j = k; j > k - P; --j)
            SwapItemWithPrevious(j);
    }
    tree_.moveBefore(node, before);
}

void TzqxAppletAgent::MoveSubtreeDown(ItemTree::Node node) {
    const ItemTree::Node after = tree_.nextSibling(node);
    const int S = tree_.subtreeSize(node);
    const int Q = tree_.subtreeSize(after);
    const int t = tree_.absoluteIndex(after) - 1;
    for (int k = t; k < t + Q; ++k) {
        for (int j = k; j > k - S; --j)
            SwapItemWithPrevious(j);
    }
    tree_.moveBefore(after, node);
}

void TzqxAppletAgent::RebuildTree(ItemTree& tree) {
    // path[d] is the newest node of depth d; a node of level L hangs below path[L]. For the lists
    // the program writes this is the nearest earlier item of a lower level. Lists it never writes
    // are repaired rather than refused: a level that is not a whole number, or below 0, counts as
    // 0, and a level more than one deeper than its predecessor's (the first item's included) is
    // lifted to one deeper. Levels beyond kMaxRebuildDepth are held there: no real project nests
    // that deep, and tree widgets tear such chains down recursively. The repaired level is
    // stored, so every item gets its node.
    std::vector<ItemTree::Node> path{tree.root()};
    for (TItemData& item : Items) {
        int level = 0;
        try {
            level = StrToInt(item.Level);
        } catch (const ConversionError&) {
            level = 0;
        }
        const int deepest = std::min(static_cast<int>(path.size()) - 1, kMaxRebuildDepth);
        int placed = level < 0 ? 0 : (level > deepest ? deepest : level);
        if (placed != level || item.Level != IntToStr(placed))
            item.Level = IntToStr(placed);
        path.resize(static_cast<size_t>(placed) + 1);
        path.push_back(tree.addChild(path.back(), item.Title));
    }
}

void TzqxAppletAgent::ReadKeepingTreeInStep(ItemTree& tree, const std::function<void()>& read) {
    auto inStep = [&] {
        if (tree.childCount(tree.root()) > 0)
            tree.clear();
        RebuildTree(tree);
    };
    try {
        read();
    } catch (...) {
        inStep();
        throw;
    }
    inStep();
}

void TzqxAppletAgent::RefreshLevels() {
    const std::vector<ItemTree::Node> nodes = tree_.itemNodes();
    for (size_t k = 0; k < nodes.size() && k < Items.size(); ++k) {
        Items[k].Level = IntToStr(tree_.depth(nodes[k]) - 1);
    }
}

}  // namespace lumivex
