#pragma once

#include <QUndoCommand>
#include <functional>
#include <string>
#include <vector>

#include "AppletAgent.h"

class QWidget;

namespace lumivex::ui {

// What the edit commands change, and the window that shows it. Every change of the model is one
// of the commands below on the window's undo stack; nothing else writes the model.
class EditTarget {
public:
    virtual ~EditTarget() = default;
    virtual TzqxAppletAgent& model() = 0;
    virtual ItemTree& items() = 0;
    // The model changed a setting or an item's field: the controls and the caption show it
    // again, except `source`, where the user typed it. `reveal` selects what changed (undo and
    // redo), so the user sees it.
    virtual void showSetting(std::string TAppletData::*field, const QWidget* source,
                             bool reveal) = 0;
    virtual void showItemField(int index, std::string TItemData::*field, const QWidget* source,
                               bool reveal) = 0;
    // Runs a change of the tree's shape with the selection handling held, then selects the node
    // of the absolute index that `change` returns (the tree's own choice when it is below 0)
    // and shows it.
    virtual void changeTree(const std::function<int()>& change) = 0;
    // The model changed a project option (ProjectOptions): the controls that show it show it
    // again; `reveal` as above.
    virtual void showOption(const std::string& name, bool reveal) = 0;
    // Many items' field changed at once (a bulk edit, a relink): shown as one change; `reveal`
    // selects those items.
    virtual void showItemFields(const std::vector<int>& indices, std::string TItemData::*field,
                                const QWidget* source, bool reveal) = 0;
    // Runs the changes of one step, showing the tree and the pages once at the end.
    virtual void batch(const std::function<void()>& run) = 0;
};

// Several commands as one step, shown once: each is run as it is added, so the next one is
// made against the tree the previous one left.
class BatchCommand final : public QUndoCommand {
public:
    BatchCommand(EditTarget& target, const QString& text);
    // Runs `command` (made with this batch as its parent) now, inside the batch.
    void add(QUndoCommand* command);
    bool empty() const { return childCount() == 0; }
    void redo() override;
    void undo() override;

private:
    EditTarget& target_;
    // The children ran as they were added; the push that follows must not run them again.
    bool ran_ = true;
};

// One project option (the web output, the upload destination); an empty value removes it.
class SetOptionCommand final : public QUndoCommand {
public:
    SetOptionCommand(EditTarget& target, std::string name, std::string value);
    void redo() override;
    void undo() override;

private:
    EditTarget& target_;
    std::string name_;
    std::string before_, after_;
    bool done_ = false;
};

// One setting. Typing into one field is one step: edits of the same field in the same typing
// session merge.
class SetSettingCommand final : public QUndoCommand {
public:
    SetSettingCommand(EditTarget& target, std::string TAppletData::*field, std::string value,
                      const QWidget* source, int session);
    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    EditTarget& target_;
    std::string TAppletData::*field_;
    std::string before_, after_;
    const QWidget* source_;
    int session_;
    bool done_ = false;
};

// One field of many items, each to its own value: one step, and typing into the field for the
// same items merges as for one item.
class SetItemFieldsCommand final : public QUndoCommand {
public:
    struct Change {
        int index;
        std::string value;
    };
    SetItemFieldsCommand(EditTarget& target, std::string TItemData::*field,
                         std::vector<Change> changes, const QWidget* source, int session,
                         QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    void show(bool reveal);
    EditTarget& target_;
    std::string TItemData::*field_;
    std::vector<int> indices_;
    std::vector<std::string> before_, after_;
    const QWidget* source_;
    int session_;
    bool done_ = false;
};

// One field of one item.
class SetItemFieldCommand final : public QUndoCommand {
public:
    SetItemFieldCommand(EditTarget& target, int index, std::string TItemData::*field,
                        std::string value, const QWidget* source, int session);
    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    EditTarget& target_;
    int index_;
    std::string TItemData::*field_;
    std::string before_, after_;
    const QWidget* source_;
    int session_;
    bool done_ = false;
};

// A new item as the last child of the node at absolute index `parent`; the selection stays.
class InsertItemCommand final : public QUndoCommand {
public:
    InsertItemCommand(EditTarget& target, int parent);
    void redo() override;
    void undo() override;

private:
    EditTarget& target_;
    int parent_;
    int inserted_ = -1;
};

// The node at absolute index `node` with its whole subtree.
class DeleteItemCommand final : public QUndoCommand {
public:
    DeleteItemCommand(EditTarget& target, int node, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    EditTarget& target_;
    int node_;
    TzqxAppletAgent::Subtree taken_;
};

// The node at absolute index `node` and its subtree, before its previous sibling (up) or after
// its next one.
class MoveItemCommand final : public QUndoCommand {
public:
    MoveItemCommand(EditTarget& target, int node, bool up, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    EditTarget& target_;
    int node_;
    bool up_;
    int moved_ = -1;
};

// New items (photos added at once) as children of the node at absolute index `parent`, from
// child position `position` on: one step, however many.
class AddItemsCommand final : public QUndoCommand {
public:
    AddItemsCommand(EditTarget& target, int parent, int position, TItemArray items);
    void redo() override;
    void undo() override;

private:
    EditTarget& target_;
    TzqxAppletAgent::Subtree added_;
    int first_ = -1;
};

// The node at absolute index `node` with its subtree to another place: under the node that has
// absolute index `parent` once the subtree is taken out, at child position `position` there.
class MoveItemToCommand final : public QUndoCommand {
public:
    MoveItemToCommand(EditTarget& target, int node, int parent, int position,
                      QUndoCommand* parentCommand = nullptr);
    void redo() override;
    void undo() override;

private:
    EditTarget& target_;
    int node_;
    int parent_;
    int position_;
    int moved_ = -1;
    int oldParent_ = -1;
    int oldPosition_ = -1;
};

}  // namespace lumivex::ui
