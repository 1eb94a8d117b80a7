#include "FontFamilies.h"

#include <QCompleter>
#include <QFontDatabase>
#include <QLineEdit>
#include <QStringListModel>

namespace lumivex::ui {

namespace {

class FontListCompleter final : public QCompleter {
public:
    FontListCompleter(QLineEdit* edit) : QCompleter(edit), edit_(edit) {
        QStringList families = QFontDatabase::families();
        // The generic families a web page may end its list with.
        families << QStringLiteral("serif") << QStringLiteral("sans-serif")
                 << QStringLiteral("monospace") << QStringLiteral("cursive");
        setModel(new QStringListModel(families, this));
        setCaseSensitivity(Qt::CaseInsensitive);
        setFilterMode(Qt::MatchStartsWith);
    }

    QStringList splitPath(const QString& path) const override {
        return {path.section(',', -1).trimmed()};
    }

    QString pathFromIndex(const QModelIndex& index) const override {
        const QString typed = edit_->text();
        const qsizetype comma = typed.lastIndexOf(',');
        const QString before = comma < 0 ? QString() : typed.left(comma + 1) + ' ';
        return before + index.data().toString();
    }

private:
    QLineEdit* edit_;
};

}  // namespace

void OfferFontFamilies(QLineEdit* edit) {
    edit->setCompleter(new FontListCompleter(edit));
}

}  // namespace lumivex::ui
