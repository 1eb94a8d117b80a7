#pragma once

// The main window's small event filters, one concern each.

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QScrollArea;
class QWidget;

namespace lumivex::ui {

class Publisher;

// Undo and Redo typed in a text field of `window` undo the project's last edit, not the
// field's own typing: there is one history. The field's override is refused, so the command
// runs. Installed on the application.
class OneHistoryInFields final : public QObject {
public:
    OneHistoryInFields(QWidget* window, QAction* redo);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QAction* redo_;
};

// Escape in `window` never closes it (one key while typing would lose the window): it stops a
// running publish, or leaves a field of `fields` for `home`. Installed on the application.
class EscapeLeavesFields final : public QObject {
public:
    EscapeLeavesFields(QWidget* window, QWidget* fields, QWidget* home, Publisher& publisher);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QWidget* fields_;
    QWidget* home_;
    Publisher& publisher_;
};

// The tooltip of a widget marked "lumivexHint" on the hint line while the pointer is over it,
// except while `paused` holds.
class HintLine final : public QObject {
public:
    HintLine(QLabel* line, const bool& paused) : line_(line), paused_(paused) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* line_;
    const bool& paused_;
};

// Keeps each property page's scroll area as wide as its page needs, whenever the page's layout
// changes: a translation longer than the English, or a larger font, widens the pane and the
// window rather than cutting the pages' lines or scrolling them sideways.
class PagesFitSideways final : public QObject {
public:
    explicit PagesFitSideways(QWidget* pages);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit(QScrollArea* scroll);

    QWidget* pages_;
    int designedWidth_;
};

// While a publish runs, the keys typed into `window` (but Escape) are held, and typed again in
// their order once it has ended: a user who types ahead, as into a window that was busy, loses
// nothing. Installed on the application for the publish's time.
class TypeAhead final : public QObject {
public:
    explicit TypeAhead(QWidget* window);
    ~TypeAhead() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Posts the held keys to the widget that has the focus now.
    void replay();

private:
    QWidget* window_;
    QList<std::shared_ptr<QKeyEvent>> held_;
};

}  // namespace lumivex::ui
