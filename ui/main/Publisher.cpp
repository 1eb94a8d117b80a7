#include "Publisher.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QThread>
#include <exception>
#include <thread>

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
        throw EngineError("A publish is running already.");
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

void Publisher::forward(std::function<void(Progress&)> call) {
    if (QThread::currentThread() == thread()) {
        call(shown_);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, call = std::move(call)] { call(shown_); }, Qt::QueuedConnection);
}

void Publisher::setMaximum(int maximum) {
    forward([maximum](Progress& p) { p.setMaximum(maximum); });
}

void Publisher::step(int amount) {
    forward([amount](Progress& p) { p.step(amount); });
}

void Publisher::setPosition(int position) {
    forward([position](Progress& p) { p.setPosition(position); });
}

void Publisher::setHint(const std::string& text) {
    forward([text](Progress& p) { p.setHint(text); });
}

void Publisher::setBusy(bool busy) {
    forward([busy](Progress& p) { p.setBusy(busy); });
}

}  // namespace lumivex::ui
