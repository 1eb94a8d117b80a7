#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace lumivex::ui {

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButton { None, Ok, Yes, No, Cancel };

// Message boxes, file dialogs and the colour dialog. Everything the windows ask the user goes
// through here, so tests can script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // `buttons` in the order shown; the first one is the default. Closing the box without a
    // button answers Cancel when offered, else No, else the only button.
    virtual MessageButton message(QWidget* parent, MessageKind kind, const QString& text,
                                  const QList<MessageButton>& buttons) = 0;
    // `filter` as the windows write it: "Desc|*.a;*.b|Desc2|*.c". An empty result is a
    // cancelled dialog.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& filter,
                                            const QString& initialFolder = {}) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& filter,
                                            const QString& initialFolder = {}) = 0;
    // Several files at once; an empty list is a cancelled dialog.
    virtual QStringList openFiles(QWidget* parent, const QString& filter,
                                  const QString& initialFolder = {}) = 0;
    virtual std::optional<QColor> pickColor(QWidget* parent, const QColor& initial) = 0;
    // A folder; nothing when cancelled.
    virtual std::optional<QString> pickFolder(QWidget* parent, const QString& initialFolder) = 0;
    // A password or passphrase, typed without being shown; nothing when cancelled.
    virtual std::optional<QString> askSecret(QWidget* parent, const QString& prompt) = 0;
};

// "Desc|*.a;*.b|Desc2|*.c" in the form QFileDialog takes: "Desc (*.a *.b);;Desc2 (*.c)". A
// description that already ends with its patterns in parentheses is not given them twice.
QString QtFileFilter(const QString& filter);

// The standard Qt dialogs, titled "Lumivex".
class QtDialogs final : public Dialogs {
public:
    MessageButton message(QWidget* parent, MessageKind kind, const QString& text,
                          const QList<MessageButton>& buttons) override;
    std::optional<QString> openFile(QWidget* parent, const QString& filter,
                                    const QString& initialFolder) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& filter,
                                    const QString& initialFolder) override;
    QStringList openFiles(QWidget* parent, const QString& filter,
                          const QString& initialFolder) override;
    std::optional<QColor> pickColor(QWidget* parent, const QColor& initial) override;
    std::optional<QString> pickFolder(QWidget* parent, const QString& initialFolder) override;
    std::optional<QString> askSecret(QWidget* parent, const QString& prompt) override;
};

}  // namespace lumivex::ui
