#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "AgentFixture.h"

namespace lumivex {
namespace {

using testing::AgentHarness;

TItemData Named(const std::string& title, const std::string& level = "0") {
    TItemData item = TzqxAppletAgent::NewItemDefaults();
    item.Title = title;
    item.Level = level;
    return item;
}

std::vector<std::string> Titles(const TzqxAppletAgent& agent) {
    std::vector<std::string> out;
    for (const auto& item : agent.Items)
        out.push_back(item.Title);
    return out;
}

std::vector<std::string> Levels(const TzqxAppletAgent& agent) {
    std::vector<std::string> out;
    for (const auto& item : agent.Items)
        out.push_back(item.Level);
    return out;
}

// Inserts an item as the tree panel does and names it, in list and tree alike.
ItemTree::Node Add(AgentHarness& h, ItemTree::Node parent, const std::string& title) {
    const ItemTree::Node node = h.agent.InsertChildItem(parent);
    const int index = h.tree.absoluteIndex(node) - 1;
    TItemData item = h.agent.GetItem(index);
    item.Title = title;
    h.agent.SetItem(item, index);
    h.tree.setCaption(node, title);
    return node;
}

std::vector<std::string> TreeCaptions(const ItemTree& tree) {
    std::vector<std::string> out;
    for (ItemTree::Node n : tree.itemNodes())
        out.push_back(tree.caption(n));
    return out;
}

TEST(ItemListPrimitives, InsertFollowsTheTable) {
    AgentHarness h;
    h.agent.InsertItem(7, Named("a"));  // empty list: any index
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"a"}));
    h.agent.InsertItem(1, Named("b"));  // index = n appends
    h.agent.InsertItem(0, Named("c"));  // index < n shifts
    h.agent.InsertItem(1, Named("d"));
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"c", "d", "a", "b"}));
    h.agent.InsertItem(9, Named("x"));  // index > n: nothing
    EXPECT_EQ(h.agent.Items.size(), 4u);
}

TEST(ItemListPrimitives, DeleteFollowsTheTable) {
    AgentHarness h;
    h.agent.DeleteItem(0);  // empty: nothing
    EXPECT_TRUE(h.agent.Items.empty());
    h.agent.InsertItem(0, Named("a"));
    h.agent.DeleteItem(5);  // one item goes whatever the index
    EXPECT_TRUE(h.agent.Items.empty());
    for (const char* t : {"a", "b", "c", "d"})
        h.agent.InsertItem(static_cast<int>(h.agent.Items.size()), Named(t));
    h.agent.DeleteItem(4);  // index >= n: nothing
    h.agent.DeleteItem(3);  // last
    h.agent.DeleteItem(0);  // first
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"b", "c"}));
}

TEST(ItemListPrimitives, SwapOnlyInsideTheList) {
    AgentHarness h;
    for (const char* t : {"a", "b", "c"})
        h.agent.InsertItem(static_cast<int>(h.agent.Items.size()), Named(t));
    h.agent.SwapItemWithPrevious(0);
    h.agent.SwapItemWithPrevious(3);
    h.agent.SwapItemWithPrevious(-1);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"a", "b", "c"}));
    h.agent.SwapItemWithPrevious(2);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"a", "c", "b"}));
}

TEST(ItemTreeOperations, InsertPlacesTheItemAfterTheParentsSubtree) {
    AgentHarness h;
    const ItemTree::Node root = h.tree.root();
    const ItemTree::Node a = h.agent.InsertChildItem(root);
    EXPECT_EQ(h.agent.Items.size(), 1u);
    EXPECT_EQ(h.agent.Items[0].Level, "0");
    EXPECT_EQ(h.tree.caption(a), "Item");
    EXPECT_TRUE(h.tree.isExpanded(root));

    h.agent.InsertChildItem(a);
    const ItemTree::Node a2 = h.agent.InsertChildItem(a);
    EXPECT_EQ(h.agent.Items[2].Level, "1");
    EXPECT_EQ(h.tree.absoluteIndex(a2), 3);

    const ItemTree::Node b = h.agent.InsertChildItem(root);
    EXPECT_EQ(h.tree.absoluteIndex(b), 4);
    EXPECT_EQ(h.agent.Items.size(), 4u);
    EXPECT_EQ(Levels(h.agent), (std::vector<std::string>{"0", "1", "1", "0"}));
}

TEST(ItemTreeOperations, DeleteRemovesTheWholeSubtree) {
    AgentHarness h;
    const auto root = h.tree.root();
    const auto a = Add(h, root, "A");
    Add(h, a, "A1");
    Add(h, a, "A2");
    const auto b = Add(h, root, "B");
    Add(h, b, "B1");
    const auto c = Add(h, root, "C");

    h.agent.DeleteSubtree(a);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"B", "B1", "C"}));
    EXPECT_EQ(TreeCaptions(h.tree), Titles(h.agent));

    // The last subtree: no next sibling anywhere up the path.
    const auto c1 = Add(h, c, "C1");
    h.agent.DeleteSubtree(c1);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"B", "B1", "C"}));
    h.agent.DeleteSubtree(c);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"B", "B1"}));
    h.agent.DeleteSubtree(b);
    EXPECT_TRUE(h.agent.Items.empty());
    EXPECT_EQ(h.tree.count(), 1);
}

TEST(ItemTreeOperations, MovesCarrySubtreesOverSiblingsWithChildren) {
    AgentHarness h;
    const auto root = h.tree.root();
    const auto b = Add(h, root, "B");
    Add(h, b, "B1");
    Add(h, b, "B2");
    const auto n = Add(h, root, "N");
    Add(h, n, "N1");

    h.agent.MoveSubtreeUp(n);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"N", "N1", "B", "B1", "B2"}));
    EXPECT_EQ(TreeCaptions(h.tree), Titles(h.agent));

    h.agent.MoveSubtreeDown(n);
    EXPECT_EQ(Titles(h.agent), (std::vector<std::string>{"B", "B1", "B2", "N", "N1"}));
    EXPECT_EQ(TreeCaptions(h.tree), Titles(h.agent));
    EXPECT_EQ(Levels(h.agent), (std::vector<std::string>{"0", "1", "1", "0", "1"}));
}

TEST(ItemTreeOperations, RebuildFollowsTheLevels) {
    AgentHarness h;
    for (const char* level : {"0", "1", "1", "0", "1"}) {
        h.agent.Items.push_back(Named(std::string("L") + level, level));
    }
    h.agent.RebuildTree(h.tree);
    const auto root = h.tree.root();
    ASSERT_EQ(h.tree.childCount(root), 2);
    EXPECT_EQ(h.tree.childCount(h.tree.child(root, 0)), 2);
    EXPECT_EQ(h.tree.childCount(h.tree.child(root, 1)), 1);
    EXPECT_EQ(TreeCaptions(h.tree), Titles(h.agent));

    AgentHarness deep;
    for (const char* level : {"0", "1", "2", "1"})
        deep.agent.Items.push_back(Named(level, level));
    deep.agent.RebuildTree(deep.tree);
    const auto first = deep.tree.child(deep.tree.root(), 0);
    EXPECT_EQ(deep.tree.childCount(first), 2);
    EXPECT_EQ(deep.tree.depth(deep.tree.nodeAt(3)), 3);
    EXPECT_EQ(deep.tree.parent(deep.tree.nodeAt(4)), first);
}

TEST(ItemTreeOperations, RebuildRepairsListsTheProgramNeverWrites) {
    AgentHarness h;
    // first item deeper than 0, a jump of two, a word, a negative level
    for (const char* level : {"2", "0", "3", "abc", "1", "-4", ""})
        h.agent.Items.push_back(Named(level, level));
    h.agent.RebuildTree(h.tree);
    EXPECT_EQ(h.tree.count(), 8);
    EXPECT_EQ(Levels(h.agent), (std::vector<std::string>{"0", "0", "1", "0", "1", "0", "0"}));
    // Every item has its node at absolute index i + 1, and the stored level is its depth - 1.
    const auto nodes = h.tree.itemNodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(h.tree.absoluteIndex(nodes[i]), static_cast<int>(i) + 1);
        EXPECT_EQ(std::to_string(h.tree.depth(nodes[i]) - 1), h.agent.Items[i].Level);
    }
}

TEST(ItemTreeOperations, HostileNestingIsHeldAtAFixedDepthAndTornDownSafely) {
    AgentHarness h;
    const int n = 5000;
    for (int i = 0; i < n; ++i)
        h.agent.Items.push_back(Named("d", std::to_string(i)));
    h.agent.RebuildTree(h.tree);
    EXPECT_EQ(h.tree.count(), n + 1);
    EXPECT_EQ(h.agent.Items[999].Level, "999");
    EXPECT_EQ(h.agent.Items[n - 1].Level, std::to_string(TzqxAppletAgent::kMaxRebuildDepth));
    EXPECT_EQ(h.tree.depth(h.tree.nodeAt(n)), TzqxAppletAgent::kMaxRebuildDepth + 1);

    // The tree itself survives chains far deeper than any stack.
    auto deep = std::make_unique<MemoryItemTree>();
    ItemTree::Node node = deep->root();
    for (int i = 0; i < 200000; ++i)
        node = deep->addChild(node, "x");
    deep->remove(deep->child(deep->child(deep->root(), 0), 0));
    for (int i = 0; i < 200000; ++i)
        node = deep->addChild(deep->child(deep->root(), 0), "y");
    deep->clear();
    for (node = deep->root(); deep->depth(node) < 200000;)
        node = deep->addChild(node, "z");
    deep.reset();
}

TEST(ItemTreeOperations, RefreshLevelsFollowsTheTree) {
    AgentHarness h;
    const auto a = Add(h, h.tree.root(), "A");
    Add(h, a, "A1");
    for (auto& item : h.agent.Items)
        item.Level = "7";
    h.agent.RefreshLevels();
    EXPECT_EQ(Levels(h.agent), (std::vector<std::string>{"0", "1"}));
}

// An independent model of the tree: each node knows its title and children.
struct RefNode {
    std::string title;
    std::vector<std::unique_ptr<RefNode>> children;
};

void RefWalk(const RefNode& n, int depth, std::vector<std::pair<std::string, int>>& out) {
    for (const auto& c : n.children) {
        out.emplace_back(c->title, depth);
        RefWalk(*c, depth + 1, out);
    }
}

TEST(ItemTreeOperations, RandomEditsKeepListTreeAndReferenceInStep) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        AgentHarness h;
        RefNode ref;
        // Parallel handles: engine node and reference node for every item.
        std::vector<std::pair<ItemTree::Node, RefNode*>> nodes;
        int next = 0;
        auto refParentOf = [&](RefNode* target) -> RefNode* {
            std::vector<RefNode*> stack{&ref};
            while (!stack.empty()) {
                RefNode* n = stack.back();
                stack.pop_back();
                for (auto& c : n->children) {
                    if (c.get() == target)
                        return n;
                    stack.push_back(c.get());
                }
            }
            return nullptr;
        };
        auto forget = [&](RefNode* gone) {
            std::vector<RefNode*> doomed{gone};
            for (size_t i = 0; i < doomed.size(); ++i)
                for (auto& c : doomed[i]->children)
                    doomed.push_back(c.get());
            std::erase_if(nodes, [&](const auto& p) {
                return std::find(doomed.begin(), doomed.end(), p.second) != doomed.end();
            });
        };
        for (int step = 0; step < 120; ++step) {
            const int op = static_cast<int>(rng() % 5);
            if (op <= 1 || nodes.empty()) {
                // insert under the root or a depth-1 node
                std::vector<std::pair<ItemTree::Node, RefNode*>> parents{{h.tree.root(), &ref}};
                for (const auto& p : nodes)
                    if (h.tree.depth(p.first) == 1)
                        parents.push_back(p);
                const auto parent = parents[rng() % parents.size()];
                const std::string title = "n" + std::to_string(next++);
                const auto node = Add(h, parent.first, title);
                auto refNode = std::make_unique<RefNode>();
                refNode->title = title;
                nodes.emplace_back(node, refNode.get());
                parent.second->children.push_back(std::move(refNode));
                continue;
            }
            const auto pick = nodes[rng() % nodes.size()];
            RefNode* refParent = refParentOf(pick.second);
            auto& siblings = refParent->children;
            const auto at = std::find_if(siblings.begin(), siblings.end(),
                                         [&](const auto& c) { return c.get() == pick.second; });
            const size_t pos = static_cast<size_t>(at - siblings.begin());
            if (op == 2) {
                h.agent.DeleteSubtree(pick.first);
                forget(pick.second);
                siblings.erase(siblings.begin() + static_cast<long>(pos));
            } else if (op == 3 && pos > 0) {
                h.agent.MoveSubtreeUp(pick.first);
                std::swap(siblings[pos - 1], siblings[pos]);
            } else if (op == 4 && pos + 1 < siblings.size()) {
                h.agent.MoveSubtreeDown(pick.first);
                std::swap(siblings[pos], siblings[pos + 1]);
            }
            std::vector<std::pair<std::string, int>> expected;
            RefWalk(ref, 0, expected);
            ASSERT_EQ(h.agent.Items.size(), expected.size()) << "seed " << seed << " step " << step;
            ASSERT_EQ(h.tree.count(), static_cast<int>(expected.size()) + 1);
            const auto treeNodes = h.tree.itemNodes();
            for (size_t i = 0; i < expected.size(); ++i) {
                ASSERT_EQ(h.agent.Items[i].Title, expected[i].first)
                    << "seed " << seed << " step " << step;
                ASSERT_EQ(h.agent.Items[i].Level, std::to_string(expected[i].second));
                ASSERT_EQ(h.tree.caption(treeNodes[i]), expected[i].first);
                ASSERT_EQ(h.tree.nodeAt(static_cast<int>(i) + 1), treeNodes[i]);
            }
        }
        // A rebuild from the levels alone reproduces the same tree.
        MemoryItemTree rebuilt;
        TzqxAppletAgent copy(rebuilt, h.progress, h.messages, "/nowhere/");
        copy.Items = h.agent.Items;
        copy.RebuildTree(rebuilt);
        EXPECT_EQ(TreeCaptions(rebuilt), TreeCaptions(h.tree));
        const auto a = rebuilt.itemNodes();
        const auto b = h.tree.itemNodes();
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(rebuilt.depth(a[i]), h.tree.depth(b[i]));
    }
}

}  // namespace
}  // namespace lumivex
