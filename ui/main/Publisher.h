#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "ItemTree.h"
#include "Progress.h"

namespace lumivex::ui {

// The tree the engine reads: the window's own, or a copy of it while a publish reads it off
// the window's thread (the window repaints and updates its tree meanwhile).
class SwitchableItemTree final : public ItemTree {
public:
    explicit SwitchableItemTree(ItemTree& live) : live_(live) {}
    ~SwitchableItemTree() override;
    // Reads from a copy of the live tree from now until thaw().
    void freeze();
    void thaw();

    Node root() const override { return current().root(); }
    Node parent(Node node) const override { return current().parent(node); }
    int childCount(Node node) const override { return current().childCount(node); }
    Node child(Node node, int index) const override { return current().child(node, index); }
    int indexInParent(Node node) const override { return current().indexInParent(node); }
    std::string caption(Node node) const override { return current().caption(node); }
    void setCaption(Node node, const std::string& text) override {
        current().setCaption(node, text);
    }
    Node addChild(Node parent, const std::string& text) override {
        return current().addChild(parent, text);
    }
    void moveBefore(Node node, Node sibling) override { current().moveBefore(node, sibling); }
    void remove(Node node) override { current().remove(node); }
    void clear() override { current().clear(); }
    void expand(Node node) override { current().expand(node); }
    int depth(Node node) const override { return current().depth(node); }
    int absoluteIndex(Node node) const override { return current().absoluteIndex(node); }
    int count() const override { return current().count(); }

private:
    ItemTree& current() const { return frozen_ ? *frozen_ : live_; }
    ItemTree& live_;
    std::unique_ptr<ItemTree> frozen_;
};

// Runs a publish on a thread of its own while this thread's event loop goes on, one at a
// time, and carries its progress back to the window. Cancel stops it at the engine's next
// question, before the folder changes.
class Publisher final : public QObject, public Progress {
    Q_OBJECT
public:
    explicit Publisher(Progress& shown, QObject* parent = nullptr);
    // Returns when `work` has ended, the events of this thread served meanwhile; what it
    // raised is raised here.
    void run(const std::function<void()>& work);
    bool running() const { return running_; }
    void cancel() { stop_ = true; }

    // Forwarded to the progress shown, on this object's thread.
    void setMaximum(int maximum) override;
    void step(int amount) override;
    void setPosition(int position) override;
    void setHint(const std::string& text) override;
    void setBusy(bool busy) override;
    bool stopRequested() const override { return stop_; }

Q_SIGNALS:
    void runningChanged(bool running);

private:
    // From the work's thread the calls are gathered and shown at most once per turn of the
    // event loop: a call for every row or slide would keep the loop from serving anything else.
    struct Pending {
        std::optional<int> maximum;
        std::optional<int> position;
        int steps = 0;
        std::optional<std::string> hint;
        std::optional<bool> busy;
    };
    bool onOwnThread() const;
    void post(const std::function<void(Pending&)>& change);
    void showPending();

    Progress& shown_;
    std::mutex pendingMutex_;
    Pending pending_;
    bool showPosted_ = false;
    std::atomic<bool> stop_{false};
    bool running_ = false;
};

}  // namespace lumivex::ui
