#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "Dialogs.h"
#include "SettingsStore.h"
#include "Shell.h"

namespace lumivex::ui::testing {

// Answers dialogs from scripted queues and records what was asked. An unscripted message box
// answers with its first button; an unscripted file or colour dialog is cancelled.
class FakeDialogs final : public Dialogs {
public:
    struct Message {
        MessageKind kind;
        QString text;
        QList<MessageButton> buttons;
    };
    struct FileRequest {
        bool save;
        QString filter;
        QString initialFolder;
    };

    MessageButton message(QWidget*, MessageKind kind, const QString& text,
                          const QList<MessageButton>& buttons) override {
        messages.append({kind, text, buttons});
        if (onMessage)
            onMessage(messages.last());
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons.isEmpty() ? MessageButton::None : buttons.first();
    }
    std::optional<QString> openFile(QWidget*, const QString& filter,
                                    const QString& initialFolder) override {
        files.append({false, filter, initialFolder});
        return nextFile();
    }
    std::optional<QString> saveFile(QWidget*, const QString& filter,
                                    const QString& initialFolder) override {
        files.append({true, filter, initialFolder});
        return nextFile();
    }
    QStringList openFiles(QWidget*, const QString& filter, const QString& initialFolder) override {
        files.append({false, filter, initialFolder});
        return filesAnswers.isEmpty() ? QStringList() : filesAnswers.takeFirst();
    }
    std::optional<QColor> pickColor(QWidget*, const QColor& initial) override {
        colorRequests.append(initial);
        if (colors.isEmpty())
            return std::nullopt;
        return colors.takeFirst();
    }

    // Answered from fileAnswers, as the file dialogs are.
    std::optional<QString> pickFolder(QWidget*, const QString& initialFolder) override {
        files.append({false, QStringLiteral("folder"), initialFolder});
        return nextFile();
    }

    std::optional<QString> askSecret(QWidget*, const QString& prompt) override {
        secretPrompts << prompt;
        return secrets.isEmpty() ? std::nullopt : secrets.takeFirst();
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const Message& m : messages)
            texts << m.text;
        return texts;
    }
    void clear() {
        messages.clear();
        files.clear();
        colorRequests.clear();
    }

    QList<MessageButton> answers;
    QList<std::optional<QString>> fileAnswers;
    QList<QStringList> filesAnswers;  // for the dialogs that take several files
    QList<std::optional<QColor>> colors;
    QList<Message> messages;
    QList<FileRequest> files;
    QList<QColor> colorRequests;
    QList<std::optional<QString>> secrets;  // answers to askSecret; none left cancels
    QStringList secretPrompts;
    std::function<void(const Message&)> onMessage;

private:
    std::optional<QString> nextFile() {
        if (fileAnswers.isEmpty())
            return std::nullopt;
        return fileAnswers.takeFirst();
    }
};

class FakeShell final : public Shell {
public:
    void open(const QString& pathOrUrl) override { opened << pathOrUrl; }
    void startProgram(const QString& program, const QString& argument) override {
        started << qMakePair(program, argument);
    }
    QStringList opened;
    QList<QPair<QString, QString>> started;
};

// A store in memory; `failReads` / `failWrites` make it behave like an unreadable or
// unwritable store.
class MemorySettingsStore final : public SettingsStore {
public:
    SettingRead read(const QString& key, const QString& name) override {
        if (failReads)
            return {ReadStatus::Failed, {}};
        const auto found = values.constFind(key + '/' + name);
        if (found == values.constEnd())
            return {ReadStatus::Missing, {}};
        return {ReadStatus::Present, *found};
    }
    bool keyExists(const QString& key) override {
        if (failReads)
            return false;
        for (auto it = values.constBegin(); it != values.constEnd(); ++it)
            if (it.key().startsWith(key + '/'))
                return true;
        return false;
    }
    bool write(const QString& key, const QString& name, const QVariant& value) override {
        if (failWrites)
            return false;
        values.insert(key + '/' + name, value);
        return true;
    }
    SettingRead readSystemRecord(bool machineWide, const QString& key,
                                 const QString& name) override {
        systemReads << QStringLiteral("%1:%2:%3").arg(machineWide ? "machine" : "user", key, name);
        const auto found = systemRecords.constFind(
            QStringLiteral("%1:%2:%3").arg(machineWide ? "machine" : "user", key, name));
        if (found == systemRecords.constEnd())
            return {ReadStatus::Missing, {}};
        return {ReadStatus::Present, *found};
    }

    QHash<QString, QVariant> values;         // "key/name"
    QHash<QString, QVariant> systemRecords;  // "machine|user:key:name"
    QStringList systemReads;
    bool failReads = false;
    bool failWrites = false;
};

}  // namespace lumivex::ui::testing
