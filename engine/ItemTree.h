#pragma once

#include <memory>
#include <string>
#include <vector>

namespace lumivex {

inline constexpr const char* kRootCaption = "Lumivex";

// The item tree that the main window shows: a root standing for the slideshow and one node per
// item. The engine reaches it only through this interface; the editor adapts its tree widget.
class ItemTree {
public:
    using Node = void*;

    virtual ~ItemTree() = default;

    virtual Node root() const = 0;
    virtual Node parent(Node node) const = 0;  // nullptr for the root
    virtual int childCount(Node node) const = 0;
    virtual Node child(Node node, int index) const = 0;
    virtual int indexInParent(Node node) const = 0;
    virtual std::string caption(Node node) const = 0;
    virtual void setCaption(Node node, const std::string& caption) = 0;

    virtual Node addChild(Node parent, const std::string& caption) = 0;
    // Moves `node` to the place just before `sibling`, which has the same parent.
    virtual void moveBefore(Node node, Node sibling) = 0;
    // Removes the node with all its descendants.
    virtual void remove(Node node) = 0;
    // Leaves a fresh root captioned "Lumivex" and nothing else.
    virtual void clear() = 0;
    virtual void expand(Node) {}

    // Derived queries, written once over the primitives above.
    virtual int depth(Node node) const;          // root 0
    virtual int absoluteIndex(Node node) const;  // position in a parent-before-children walk
    virtual int count() const;                   // number of nodes, root included
    Node nodeAt(int absoluteIndex) const;        // nullptr when out of range
    Node previousSibling(Node node) const;
    Node nextSibling(Node node) const;
    int subtreeSize(Node node) const;  // 1 + descendants
    // Every node but the root, in walk order: element k is the node with absolute index k + 1.
    std::vector<Node> itemNodes() const;
};

// A plain tree in memory, for tests and the command-line tool.
class MemoryItemTree final : public ItemTree {
public:
    MemoryItemTree();
    ~MemoryItemTree() override;

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
    int depth(Node node) const override;

    bool isExpanded(Node node) const;

private:
    struct Entry;
    static Entry* entry(Node node) { return static_cast<Entry*>(node); }
    std::unique_ptr<Entry> root_;
};

}  // namespace lumivex
