#include "ItemTree.h"

#include <algorithm>
#include <cassert>

namespace lumivex {

int ItemTree::depth(Node node) const {
    int d = 0;
    for (Node p = parent(node); p != nullptr; p = parent(p))
        ++d;
    return d;
}

int ItemTree::absoluteIndex(Node node) const {
    // Everything before a node in the walk: its ancestors, plus the subtrees of the earlier
    // siblings of it and of each ancestor.
    int index = 0;
    for (Node n = node; parent(n) != nullptr; n = parent(n)) {
        const Node p = parent(n);
        const int position = indexInParent(n);
        for (int i = 0; i < position; ++i)
            index += subtreeSize(child(p, i));
        index += 1;  // the parent itself
    }
    return index;
}

int ItemTree::count() const {
    return subtreeSize(root());
}

ItemTree::Node ItemTree::nodeAt(int target) const {
    if (target < 0)
        return nullptr;
    Node n = root();
    int index = 0;
    while (index < target) {
        // Descend into the child whose subtree holds the target.
        const int children = childCount(n);
        int i = 0;
        ++index;  // first child's index
        for (; i < children; ++i) {
            const Node c = child(n, i);
            const int size = subtreeSize(c);
            if (target < index + size)
                break;
            index += size;
        }
        if (i == children)
            return nullptr;
        n = child(n, i);
    }
    return n;
}

ItemTree::Node ItemTree::previousSibling(Node node) const {
    const Node p = parent(node);
    if (p == nullptr)
        return nullptr;
    const int i = indexInParent(node);
    return i > 0 ? child(p, i - 1) : nullptr;
}

ItemTree::Node ItemTree::nextSibling(Node node) const {
    const Node p = parent(node);
    if (p == nullptr)
        return nullptr;
    const int i = indexInParent(node);
    return i + 1 < childCount(p) ? child(p, i + 1) : nullptr;
}

int ItemTree::subtreeSize(Node node) const {
    int size = 1;
    std::vector<Node> stack{node};
    while (!stack.empty()) {
        const Node n = stack.back();
        stack.pop_back();
        const int children = childCount(n);
        size += children;
        for (int i = 0; i < children; ++i)
            stack.push_back(child(n, i));
    }
    return size;
}

std::vector<ItemTree::Node> ItemTree::itemNodes() const {
    std::vector<Node> out;
    std::vector<Node> stack;
    const Node r = root();
    for (int i = childCount(r) - 1; i >= 0; --i)
        stack.push_back(child(r, i));
    while (!stack.empty()) {
        const Node n = stack.back();
        stack.pop_back();
        out.push_back(n);
        for (int i = childCount(n) - 1; i >= 0; --i)
            stack.push_back(child(n, i));
    }
    return out;
}

struct MemoryItemTree::Entry {
    std::string caption;
    Entry* parent = nullptr;
    std::vector<std::unique_ptr<Entry>> children;
    bool expanded = false;
    int depth = 0;

    int position() const {
        const auto& siblings = parent->children;
        const auto it = std::find_if(siblings.begin(), siblings.end(),
                                     [this](const auto& c) { return c.get() == this; });
        return static_cast<int>(it - siblings.begin());
    }
};

namespace {

// Frees a subtree without recursion: a hostile file can nest items thousands of levels deep,
// and the nested destructors would run out of stack.
template <typename Entry>
void destroyIteratively(std::unique_ptr<Entry> top) {
    std::vector<std::unique_ptr<Entry>> pending;
    pending.push_back(std::move(top));
    while (!pending.empty()) {
        std::unique_ptr<Entry> e = std::move(pending.back());
        pending.pop_back();
        for (auto& c : e->children)
            pending.push_back(std::move(c));
        e->children.clear();
    }
}

}  // namespace

MemoryItemTree::MemoryItemTree() {
    clear();
}
MemoryItemTree::~MemoryItemTree() {
    destroyIteratively(std::move(root_));
}

ItemTree::Node MemoryItemTree::root() const {
    return root_.get();
}

ItemTree::Node MemoryItemTree::parent(Node node) const {
    return entry(node)->parent;
}

int MemoryItemTree::childCount(Node node) const {
    return static_cast<int>(entry(node)->children.size());
}

ItemTree::Node MemoryItemTree::child(Node node, int index) const {
    return entry(node)->children.at(static_cast<size_t>(index)).get();
}

int MemoryItemTree::indexInParent(Node node) const {
    const Entry* e = entry(node);
    return e->parent == nullptr ? 0 : e->position();
}

std::string MemoryItemTree::caption(Node node) const {
    return entry(node)->caption;
}

void MemoryItemTree::setCaption(Node node, const std::string& caption) {
    entry(node)->caption = caption;
}

ItemTree::Node MemoryItemTree::addChild(Node parentNode, const std::string& caption) {
    Entry* p = entry(parentNode);
    auto e = std::make_unique<Entry>();
    e->caption = caption;
    e->parent = p;
    e->depth = p->depth + 1;
    p->children.push_back(std::move(e));
    return p->children.back().get();
}

void MemoryItemTree::moveBefore(Node node, Node sibling) {
    Entry* e = entry(node);
    Entry* s = entry(sibling);
    assert(e->parent != nullptr && e->parent == s->parent);
    if (e == s)
        return;
    auto& siblings = e->parent->children;
    const int from = e->position();
    std::unique_ptr<Entry> moving = std::move(siblings[static_cast<size_t>(from)]);
    siblings.erase(siblings.begin() + from);
    const int to = s->position();
    siblings.insert(siblings.begin() + to, std::move(moving));
}

void MemoryItemTree::remove(Node node) {
    Entry* e = entry(node);
    if (e->parent == nullptr) {
        clear();
        return;
    }
    auto& siblings = e->parent->children;
    const auto at = siblings.begin() + e->position();
    std::unique_ptr<Entry> gone = std::move(*at);
    siblings.erase(at);
    destroyIteratively(std::move(gone));
}

void MemoryItemTree::clear() {
    if (root_)
        destroyIteratively(std::move(root_));
    root_ = std::make_unique<Entry>();
    root_->caption = kRootCaption;
}

void MemoryItemTree::expand(Node node) {
    entry(node)->expanded = true;
}

int MemoryItemTree::depth(Node node) const {
    return entry(node)->depth;
}

bool MemoryItemTree::isExpanded(Node node) const {
    return entry(node)->expanded;
}

}  // namespace lumivex
