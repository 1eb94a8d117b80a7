#include "AccessKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <functional>
#include <vector>

namespace lumivex::ui {

namespace {

struct Target {
    QWidget* widget;
    QString text;  // without marks
    // Positions of the letters it may take, the first letters of words first.
    std::vector<qsizetype> choices;
};

std::vector<qsizetype> letterChoices(const QString& text) {
    std::vector<qsizetype> starts, others;
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (!text[k].isLetterOrNumber())
            continue;
        const bool wordStart = k == 0 || !text[k - 1].isLetterOrNumber();
        (wordStart ? starts : others).push_back(k);
    }
    starts.insert(starts.end(), others.begin(), others.end());
    return starts;
}

QString textOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return static_cast<QAbstractButton*>(widget)->text();
}

void setTextOf(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else
        static_cast<QAbstractButton*>(widget)->setText(text);
}

// Matches targets to distinct letters (augmenting paths, trying each target's preferred letters
// first); `allowed` says which letters may be used at all.
class LetterMatching {
public:
    LetterMatching(std::vector<Target>& targets, std::vector<int>& chosen)
        : targets_(targets), chosen_(chosen) {}

    void run(const std::function<bool(QChar)>& allowed) {
        allowed_ = allowed;
        for (std::size_t t = 0; t < targets_.size(); ++t) {
            if (chosen_[t] >= 0)
                continue;
            visited_.clear();
            place(static_cast<int>(t));
        }
    }

private:
    QChar letter(int target, int choice) const {
        const Target& t = targets_[static_cast<std::size_t>(target)];
        return t.text[t.choices[static_cast<std::size_t>(choice)]].toLower();
    }
    int owner(QChar c) const {
        for (std::size_t t = 0; t < targets_.size(); ++t) {
            if (chosen_[t] >= 0 && letter(static_cast<int>(t), chosen_[t]) == c)
                return static_cast<int>(t);
        }
        return -1;
    }
    bool place(int target) {
        const Target& t = targets_[static_cast<std::size_t>(target)];
        for (std::size_t k = 0; k < t.choices.size(); ++k) {
            const QChar c = letter(target, static_cast<int>(k));
            if (!allowed_(c) || visited_.contains(c))
                continue;
            visited_ += c;
            const int other = owner(c);
            if (other < 0 || place(other)) {
                chosen_[static_cast<std::size_t>(target)] = static_cast<int>(k);
                return true;
            }
        }
        return false;
    }

    std::vector<Target>& targets_;
    std::vector<int>& chosen_;
    std::function<bool(QChar)> allowed_;
    QString visited_;
};

}  // namespace

QString WithoutAccessKey(QString text) {
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k] == '&')
            text.remove(k, 1);  // "&&" keeps one
    }
    return text;
}

QString MenuBarLetters(const QMenuBar* menuBar) {
    QString letters;
    for (const QAction* action : menuBar->actions()) {
        const QString text = action->text();
        const qsizetype mark = text.indexOf('&');
        if (mark >= 0 && mark + 1 < text.size() && text[mark + 1] != '&')
            letters += text[mark + 1].toLower();
    }
    return letters;
}

void AssignAccessKeys(QWidget* page, const QString& avoid) {
    std::vector<Target> targets;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const bool field = label != nullptr ? label->buddy() != nullptr
                                            : qobject_cast<QCheckBox*>(widget) != nullptr ||
                                                  qobject_cast<QRadioButton*>(widget) != nullptr;
        if (!field)
            continue;
        const QString text = WithoutAccessKey(textOf(widget));
        if (!text.isEmpty())
            targets.push_back({widget, text, letterChoices(text)});
    }
    std::vector<int> chosen(targets.size(), -1);
    LetterMatching matching(targets, chosen);
    matching.run([&avoid](QChar c) { return !avoid.contains(c); });
    matching.run([](QChar) { return true; });
    for (std::size_t t = 0; t < targets.size(); ++t) {
        QString text = QString(targets[t].text).replace('&', QStringLiteral("&&"));
        if (chosen[t] >= 0) {
            const qsizetype at = targets[t].choices[static_cast<std::size_t>(chosen[t])];
            // Doubled marks before the letter moved it on.
            const qsizetype shift = targets[t].text.left(at).count('&');
            text.insert(at + shift, '&');
        }
        setTextOf(targets[t].widget, text);
    }
}

}  // namespace lumivex::ui
