#include "Icons.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <utility>

#include "ColorScheme.h"

// The bundled pictures live in a static library, whose resources must be registered by hand.
static void initBundledIcons() {
    Q_INIT_RESOURCE(lumivex);
}

namespace lumivex::ui {

namespace {

struct IconSource {
    const char* themeName;
    const char* bundled;
};

IconSource source(IconId id) {
    switch (id) {
        case IconId::New:
            return {"document-new", "new"};
        case IconId::Open:
            return {"document-open", "open"};
        case IconId::Save:
            return {"document-save", "save"};
        case IconId::Insert:
            return {"list-add", "insert"};
        case IconId::Delete:
            return {"list-remove", "delete"};
        case IconId::MoveUp:
            return {"go-up", "up"};
        case IconId::MoveDown:
            return {"go-down", "down"};
        case IconId::BuildHtml:
            return {"text-html", "build"};
        case IconId::Preview:
            return {"document-print-preview", "preview"};
        case IconId::Help:
            return {"help-contents", "help"};
        case IconId::TreeRoot:
            return {nullptr, "root"};
        case IconId::TreeItem:
            return {nullptr, "item"};
        case IconId::HelpBook:
            return {nullptr, "book"};
        case IconId::Bold:
            return {"format-text-bold", "bold"};
        case IconId::Italic:
            return {"format-text-italic", "italic"};
        case IconId::PickFile:
            return {"document-open-folder", "pick"};
        case IconId::Refresh:
            return {"view-refresh", "refresh"};
        case IconId::AutoRefresh:
            return {nullptr, "autorefresh"};
        case IconId::Program:
            return {"lumivex", "root"};
        case IconId::Undo:
            return {"edit-undo", "undo"};
        case IconId::Redo:
            return {"edit-redo", "redo"};
        case IconId::PhotoMissing:
            return {nullptr, "missing"};
    }
    return {nullptr, "item"};
}

// The outlines and dark marks of the bundled pictures, and the lighter ones they take on a dark
// window; the light fills stay, so each picture keeps its look.
constexpr std::pair<const char*, const char*> kOnDark[] = {
    {"\"#1f3f73\"", "\"#b4ccf4\""}, {"\"#456\"", "\"#c3cdd8\""},    {"\"#666\"", "\"#b8b8b8\""},
    {"\"#333\"", "\"#e6e6e6\""},    {"\"#8a6418\"", "\"#e8c070\""}, {"\"#b22\"", "\"#ff8a8a\""},
    {"\"#2a7d2a\"", "\"#6cd46c\""}, {"\"#c25a00\"", "\"#ff9a40\""}, {"\"#c62828\"", "\"#ff7070\""},
    {"\"#4a78c2\"", "\"#6a98e2\""},
};

// A bundled picture drawn in the colours that suit the palette at the time it is painted, so a
// change between light and dark needs no new icons, only a repaint.
class BundledIconEngine final : public QIconEngine {
public:
    explicit BundledIconEngine(const QString& path) : path_(path) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            light_ = file.readAll();
        dark_ = light_;
        for (const auto& [from, to] : kOnDark)
            dark_.replace(from, to);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        const bool dark = PaletteIsDark();
        const QSize pixels = size * scale;
        const QString key = QStringLiteral("%1/%2x%3/%4/%5")
                                .arg(path_)
                                .arg(pixels.width())
                                .arg(pixels.height())
                                .arg(dark)
                                .arg(static_cast<int>(mode));
        if (const auto found = rendered_.constFind(key); found != rendered_.constEnd())
            return *found;
        QByteArray bytes = dark ? dark_ : light_;
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "svg");
        reader.setScaledSize(pixels);
        QPixmap made = QPixmap::fromImage(reader.read());
        if (mode == QIcon::Disabled && !made.isNull()) {
            QStyleOption option;
            option.palette = QApplication::palette();
            made = QApplication::style()->generatedIconPixmap(QIcon::Disabled, made, &option);
        }
        made.setDevicePixelRatio(scale);
        rendered_.insert(key, made);
        return made;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new BundledIconEngine(*this); }
    QString key() const override { return QStringLiteral("lumivex-bundled"); }
    bool isNull() override { return light_.isEmpty(); }

private:
    QString path_;
    QByteArray light_;
    QByteArray dark_;
    QHash<QString, QPixmap> rendered_;
};

}  // namespace

QIcon AppIcon(IconId id) {
    static const bool registered = (initBundledIcons(), true);
    Q_UNUSED(registered);
    static QHash<int, QIcon> cache;
    const auto key = static_cast<int>(id);
    if (auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    const IconSource s = source(id);
    const QIcon bundled(
        new BundledIconEngine(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(s.bundled))));
    // The tree's pictures and the help book are the program's own, the same on every desktop.
    const QIcon icon =
        s.themeName != nullptr ? QIcon::fromTheme(QLatin1String(s.themeName), bundled) : bundled;
    cache.insert(key, icon);
    return icon;
}

}  // namespace lumivex::ui
