#include "Dialogs.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace lumivex::ui {

QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        // Qt reads the patterns from the last parentheses of an entry; the descriptions may
        // carry their own ("*.exe, *.com"), so the real ones always go last.
        description.remove(QRegularExpression(R"(\s*\([^()]*\)\s*$)"));
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(' '));
    }
    return entries.join(QStringLiteral(";;"));
}

namespace {

QMessageBox::StandardButton standard(MessageButton button) {
    switch (button) {
        case MessageButton::Ok:
            return QMessageBox::Ok;
        case MessageButton::Yes:
            return QMessageBox::Yes;
        case MessageButton::No:
            return QMessageBox::No;
        case MessageButton::Cancel:
            return QMessageBox::Cancel;
        case MessageButton::None:
            break;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon icon(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

MessageButton escapeAnswer(const QList<MessageButton>& buttons) {
    for (MessageButton b : {MessageButton::Cancel, MessageButton::No})
        if (buttons.contains(b))
            return b;
    return buttons.isEmpty() ? MessageButton::None : buttons.first();
}

}  // namespace

MessageButton QtDialogs::message(QWidget* parent, MessageKind kind, const QString& text,
                                 const QList<MessageButton>& buttons) {
    QMessageBox box(icon(kind), QCoreApplication::translate("Dialogs", "Lumivex"), text,
                    QMessageBox::NoButton, parent);
    for (MessageButton b : buttons)
        box.addButton(standard(b));
    if (!buttons.isEmpty())
        box.setDefaultButton(standard(buttons.first()));
    box.setEscapeButton(box.button(standard(escapeAnswer(buttons))));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (MessageButton b : buttons)
        if (clicked != nullptr && clicked == box.button(standard(b)))
            return b;
    return escapeAnswer(buttons);
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, const QString& filter,
                                           const QString& initialFolder) {
    const QString path =
        QFileDialog::getOpenFileName(parent, QCoreApplication::translate("Dialogs", "Open"),
                                     initialFolder, QtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const QString& filter,
                                           const QString& initialFolder) {
    // The name is taken as typed: the callers add an extension where the files need one.
    QFileDialog dialog(parent, QCoreApplication::translate("Dialogs", "Save As"), initialFolder,
                       QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& filter,
                                 const QString& initialFolder) {
    return QFileDialog::getOpenFileNames(parent, QCoreApplication::translate("Dialogs", "Open"),
                                         initialFolder, QtFileFilter(filter));
}

std::optional<QColor> QtDialogs::pickColor(QWidget* parent, const QColor& initial) {
    const QColor color =
        QColorDialog::getColor(initial, parent, QCoreApplication::translate("Dialogs", "Color"));
    if (!color.isValid())
        return std::nullopt;
    return color;
}

std::optional<QString> QtDialogs::pickFolder(QWidget* parent, const QString& initialFolder) {
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QCoreApplication::translate("Dialogs", "Choose Folder"), initialFolder);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

std::optional<QString> QtDialogs::askSecret(QWidget* parent, const QString& prompt) {
    bool ok = false;
    const QString secret =
        QInputDialog::getText(parent, QCoreApplication::translate("Dialogs", "Lumivex"), prompt,
                              QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return secret;
}

}  // namespace lumivex::ui
