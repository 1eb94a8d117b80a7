#include "EditCommands.h"

#include <QCoreApplication>

namespace lumivex::ui {

namespace {

template <typename Record, std::size_t N>
int fieldNumber(const std::array<std::string Record::*, N>& fields, std::string Record::*field) {
    for (std::size_t k = 0; k < N; ++k) {
        if (fields[k] == field)
            return static_cast<int>(k);
    }
    return -1;
}

// Ids of mergeable commands: settings by field, item fields after them.
constexpr int kSettingIds = 1000;
constexpr int kItemFieldIds = 2000;
constexpr int kItemFieldsIds = 3000;

// `text` marked with QT_TRANSLATE_NOOP("EditCommands", ...), since the commands are no QObjects.
QString translated(const char* text) {
    return QCoreApplication::translate("EditCommands", text);
}

QString photosAdded(int count) {
    if (count == 1)
        return translated(QT_TRANSLATE_NOOP("EditCommands", "Add Photo"));
    return QCoreApplication::translate("EditCommands", "Add %n Photos", nullptr, count);
}

}  // namespace

SetSettingCommand::SetSettingCommand(EditTarget& target, std::string TAppletData::*field,
                                     std::string value, const QWidget* source, int session)
    : QUndoCommand(translated(QT_TRANSLATE_NOOP("EditCommands", "Change Setting"))),
      target_(target),
      field_(field),
      before_(target.model().AppletData.*field),
      after_(std::move(value)),
      source_(source),
      session_(session) {}

void SetSettingCommand::redo() {
    target_.model().AppletData.*field_ = after_;
    // The first time, the value comes from its control; later it is a redo the user sees.
    target_.showSetting(field_, done_ ? nullptr : source_, done_);
    done_ = true;
}

void SetSettingCommand::undo() {
    target_.model().AppletData.*field_ = before_;
    target_.showSetting(field_, nullptr, true);
}

int SetSettingCommand::id() const {
    return kSettingIds + fieldNumber(TAppletData::kFields, field_);
}

bool SetSettingCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const SetSettingCommand*>(other);
    if (next->field_ != field_ || next->session_ != session_)
        return false;
    after_ = next->after_;
    // Typed back to what it was: no step at all.
    setObsolete(after_ == before_);
    return true;
}

SetOptionCommand::SetOptionCommand(EditTarget& target, std::string name, std::string value)
    : QUndoCommand(translated(QT_TRANSLATE_NOOP("EditCommands", "Change Option"))),
      target_(target),
      name_(std::move(name)),
      before_(target.model().Options.value(name_)),
      after_(std::move(value)) {}

void SetOptionCommand::redo() {
    target_.model().Options.set(name_, after_);
    target_.showOption(name_, done_);
    done_ = true;
}

void SetOptionCommand::undo() {
    target_.model().Options.set(name_, before_);
    target_.showOption(name_, true);
}

SetItemFieldCommand::SetItemFieldCommand(EditTarget& target, int index,
                                         std::string TItemData::*field, std::string value,
                                         const QWidget* source, int session)
    : QUndoCommand(translated(QT_TRANSLATE_NOOP("EditCommands", "Change Item"))),
      target_(target),
      index_(index),
      field_(field),
      before_(target.model().Items.at(static_cast<std::size_t>(index)).*field),
      after_(std::move(value)),
      source_(source),
      session_(session) {}

void SetItemFieldCommand::redo() {
    target_.model().Items.at(static_cast<std::size_t>(index_)).*field_ = after_;
    target_.showItemField(index_, field_, done_ ? nullptr : source_, done_);
    done_ = true;
}

void SetItemFieldCommand::undo() {
    target_.model().Items.at(static_cast<std::size_t>(index_)).*field_ = before_;
    target_.showItemField(index_, field_, nullptr, true);
}

int SetItemFieldCommand::id() const {
    return kItemFieldIds + fieldNumber(TItemData::kFields, field_);
}

bool SetItemFieldCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const SetItemFieldCommand*>(other);
    if (next->field_ != field_ || next->index_ != index_ || next->session_ != session_)
        return false;
    after_ = next->after_;
    setObsolete(after_ == before_);
    return true;
}

SetItemFieldsCommand::SetItemFieldsCommand(EditTarget& target, std::string TItemData::*field,
                                           std::vector<Change> changes, const QWidget* source,
                                           int session, QUndoCommand* parent)
    : QUndoCommand(translated(QT_TRANSLATE_NOOP("EditCommands", "Change Items")), parent),
      target_(target),
      field_(field),
      source_(source),
      session_(session) {
    for (Change& change : changes) {
        indices_.push_back(change.index);
        before_.push_back(target.model().Items.at(static_cast<std::size_t>(change.index)).*field);
        after_.push_back(std::move(change.value));
    }
}

void SetItemFieldsCommand::show(bool reveal) {
    target_.showItemFields(indices_, field_, done_ ? nullptr : source_, reveal);
}

void SetItemFieldsCommand::redo() {
    for (std::size_t k = 0; k < indices_.size(); ++k)
        target_.model().Items.at(static_cast<std::size_t>(indices_[k])).*field_ = after_[k];
    show(done_);
    done_ = true;
}

void SetItemFieldsCommand::undo() {
    for (std::size_t k = 0; k < indices_.size(); ++k)
        target_.model().Items.at(static_cast<std::size_t>(indices_[k])).*field_ = before_[k];
    target_.showItemFields(indices_, field_, nullptr, true);
}

int SetItemFieldsCommand::id() const {
    return kItemFieldsIds + fieldNumber(TItemData::kFields, field_);
}

bool SetItemFieldsCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const SetItemFieldsCommand*>(other);
    if (next->field_ != field_ || next->indices_ != indices_ || next->session_ != session_)
        return false;
    after_ = next->after_;
    setObsolete(after_ == before_);
    return true;
}

BatchCommand::BatchCommand(EditTarget& target, const QString& text)
    : QUndoCommand(text), target_(target) {}

void BatchCommand::add(QUndoCommand* command) {
    target_.batch([command] { command->redo(); });
}

void BatchCommand::redo() {
    if (ran_) {
        ran_ = false;
        return;
    }
    target_.batch([this] { QUndoCommand::redo(); });
}

void BatchCommand::undo() {
    target_.batch([this] { QUndoCommand::undo(); });
}

InsertItemCommand::InsertItemCommand(EditTarget& target, int parent)
    : QUndoCommand(translated(QT_TRANSLATE_NOOP("EditCommands", "Insert"))),
      target_(target),
      parent_(parent) {}

void InsertItemCommand::redo() {
    target_.changeTree([this] {
        ItemTree& tree = target_.items();
        inserted_ = tree.absoluteIndex(target_.model().InsertChildItem(tree.nodeAt(parent_)));
        return parent_;
    });
}

void InsertItemCommand::undo() {
    target_.changeTree([this] {
        target_.model().DeleteSubtree(target_.items().nodeAt(inserted_));
        return parent_;
    });
}

DeleteItemCommand::DeleteItemCommand(EditTarget& target, int node, QUndoCommand* parent)
    : QUndoCommand(translated(QT_TRANSLATE_NOOP("EditCommands", "Delete")), parent),
      target_(target),
      node_(node) {}

void DeleteItemCommand::redo() {
    target_.changeTree([this] {
        const ItemTree::Node node = target_.items().nodeAt(node_);
        taken_ = target_.model().TakeSubtreeCopy(node);
        target_.model().DeleteSubtree(node);
        return -1;
    });
}

void DeleteItemCommand::undo() {
    target_.changeTree([this] {
        target_.model().RestoreSubtree(taken_);
        return node_;
    });
}

MoveItemCommand::MoveItemCommand(EditTarget& target, int node, bool up, QUndoCommand* parent)
    : QUndoCommand(up ? translated(QT_TRANSLATE_NOOP("EditCommands", "Move Up"))
                      : translated(QT_TRANSLATE_NOOP("EditCommands", "Move Down")),
                   parent),
      target_(target),
      node_(node),
      up_(up) {}

// The moved node stays selected where it went, both ways.
void MoveItemCommand::redo() {
    target_.changeTree([this] {
        ItemTree& tree = target_.items();
        const ItemTree::Node node = tree.nodeAt(node_);
        if (up_)
            target_.model().MoveSubtreeUp(node);
        else
            target_.model().MoveSubtreeDown(node);
        moved_ = tree.absoluteIndex(node);
        return moved_;
    });
}

void MoveItemCommand::undo() {
    target_.changeTree([this] {
        const ItemTree::Node node = target_.items().nodeAt(moved_);
        if (up_)
            target_.model().MoveSubtreeDown(node);
        else
            target_.model().MoveSubtreeUp(node);
        return node_;
    });
}

AddItemsCommand::AddItemsCommand(EditTarget& target, int parent, int position, TItemArray items)
    : QUndoCommand(photosAdded(static_cast<int>(items.size()))), target_(target) {
    added_.parentIndex = parent;
    added_.position = position;
    added_.depths.assign(items.size(), 0);
    added_.items = std::move(items);
}

void AddItemsCommand::redo() {
    target_.changeTree([this] {
        first_ = target_.items().absoluteIndex(target_.model().RestoreSubtree(added_));
        return first_;
    });
}

void AddItemsCommand::undo() {
    target_.changeTree([this] {
        for (std::size_t i = 0; i < added_.items.size(); ++i)
            target_.model().DeleteSubtree(target_.items().nodeAt(first_));
        return added_.parentIndex;
    });
}

MoveItemToCommand::MoveItemToCommand(EditTarget& target, int node, int parent, int position,
                                     QUndoCommand* parentCommand)
    : QUndoCommand(translated(QT_TRANSLATE_NOOP("EditCommands", "Move")), parentCommand),
      target_(target),
      node_(node),
      parent_(parent),
      position_(position) {}

void MoveItemToCommand::redo() {
    target_.changeTree([this] {
        const ItemTree::Node node = target_.items().nodeAt(node_);
        TzqxAppletAgent::Subtree subtree = target_.model().TakeSubtreeCopy(node);
        // A parent comes before its children, so its index stays the same without them.
        oldParent_ = subtree.parentIndex;
        oldPosition_ = subtree.position;
        target_.model().DeleteSubtree(node);
        subtree.parentIndex = parent_;
        subtree.position = position_;
        moved_ = target_.items().absoluteIndex(target_.model().RestoreSubtree(subtree));
        return moved_;
    });
}

void MoveItemToCommand::undo() {
    target_.changeTree([this] {
        const ItemTree::Node node = target_.items().nodeAt(moved_);
        TzqxAppletAgent::Subtree subtree = target_.model().TakeSubtreeCopy(node);
        target_.model().DeleteSubtree(node);
        subtree.parentIndex = oldParent_;
        subtree.position = oldPosition_;
        target_.model().RestoreSubtree(subtree);
        return node_;
    });
}

}  // namespace lumivex::ui
