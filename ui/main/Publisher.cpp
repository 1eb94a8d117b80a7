#include "Publisher.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QThread>
#include <exception>
#include <thread>
#include <utility>

#include "EngineErrors.h"

namespace lumivex::ui {

namespace {

void copyChildren(const ItemTree& from, ItemTree::Node source, ItemTree& to,
                  ItemTree::Node target) {
    for (int i = 0; i < from.childCount(source); ++i) {
        const ItemTree::Node child = from.child(source, i);
        copyChildren(from, child, to, to.addChild(target, from.caption(child)));
    }
}

}  // namespace

SwitchableItemTree::~SwitchableItemTree() = default;

void SwitchableItemTree::freeze() {
    auto copy = std::make_unique<MemoryItemTree>();
    copy->setCaption(copy->root(), live_.caption(live_.root()));
    copyChildren(live_, live_.root(), *copy, copy->root());
    frozen_ = std::move(copy);
}

void SwitchableItemTree::thaw() {
    frozen_.reset();
}

Publisher::Publisher(Progress& shown, QObject* parent) : QObject(parent), shown_(shown) {}

void Publisher::run(const std::function<void()>& work) {
    if (running_)
        throw EngineError(tr("A publish is running already.").toStdString());
    running_ = true;
    stop_ = false;
    Q_EMIT runningChanged(true);
    const auto ended = qScopeGuard([this] {
        running_ = false;
        Q_EMIT runningChanged(false);
    });
    QEventLoop loop;
    std::exception_ptr error;
    // The quit is posted after every progress call of the work, so they are all shown first.
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (error)
        std::rethrow_exception(error);
}

bool Publisher::onOwnThread() const {
    return QThread::currentThread() == thread();
}

void Publisher::post(const std::function<void(Pending&)>& change) {
    std::lock_guard lock(pendingMutex_);
    change(pending_);
    if (showPosted_)
        return;
    showPosted_ = true;
    QMetaObject::invokeMethod(this, &Publisher::showPending, Qt::QueuedConnection);
}

void Publisher::showPending() {
    Pending now;
    {
        std::lock_guard lock(pendingMutex_);
        now = std::exchange(pending_, Pending());
        showPosted_ = false;
    }
    if (now.maximum)
        shown_.setMaximum(*now.maximum);
    if (now.position)
        shown_.setPosition(*now.position);
    if (now.steps != 0)
        shown_.step(now.steps);
    if (now.hint)
        shown_.setHint(*now.hint);
    if (now.busy)
        shown_.setBusy(*now.busy);
}

void Publisher::setMaximum(int maximum) {
    if (onOwnThread())
        return shown_.setMaximum(maximum);
    post([maximum](Pending& p) { p.maximum = maximum; });
}

void Publisher::step(int amount) {
    if (onOwnThread())
        return shown_.step(amount);
    post([amount](Pending& p) { p.steps += amount; });
}

void Publisher::setPosition(int position) {
    if (onOwnThread())
        return shown_.setPosition(position);
    post([position](Pending& p) {
        p.position = position;
        p.steps = 0;
    });
}

void Publisher::setHint(const std::string& text) {
    if (onOwnThread())
        return shown_.setHint(text);
    post([&text](Pending& p) { p.hint = text; });
}

void Publisher::setBusy(bool busy) {
    if (onOwnThread())
        return shown_.setBusy(busy);
    post([busy](Pending& p) { p.busy = busy; });
}

}  // namespace lumivex::ui
