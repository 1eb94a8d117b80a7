#include "ColorScheme.h"

#include <gio/gio.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QFileInfo>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace lumivex::ui {

namespace {

constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kPortalSettings = "org.freedesktop.portal.Settings";
constexpr const char* kAppearance = "org.freedesktop.appearance";
constexpr const char* kColorSchemeKey = "color-scheme";
constexpr const char* kGnomeInterface = "org.gnome.desktop.interface";
// The portal answers at once when it runs; a desktop without one must not hold up the start.
constexpr int kPortalTimeout = 500;

// Read wraps the value in one more variant than ReadOne does; either is unwrapped.
std::optional<uint> portalNumber(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const uint number = value.toUInt(&ok);
    return ok ? std::optional<uint>(number) : std::nullopt;
}

QString gnomeText(GSettings* settings, const char* key) {
    if (settings == nullptr)
        return {};
    GSettingsSchema* schema = nullptr;
    g_object_get(settings, "settings-schema", &schema, nullptr);
    const bool has = schema != nullptr && g_settings_schema_has_key(schema, key);
    if (schema != nullptr)
        g_settings_schema_unref(schema);
    if (!has)
        return {};
    gchar* text = g_settings_get_string(settings, key);
    const QString value = QString::fromUtf8(text);
    g_free(text);
    return value;
}

struct StartingLook {
    QString style;
    QPalette palette;
};

StartingLook& startingLook() {
    static StartingLook look{QApplication::style()->name(), QApplication::palette()};
    return look;
}

QPalette darkPalette() {
    const QColor window(45, 45, 48), base(30, 30, 32), text(232, 232, 232), dim(140, 140, 140);
    QPalette p(window);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, dim);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 58, 62));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 110, 110));
    p.setColor(QPalette::Link, QColor(122, 170, 255));
    p.setColor(QPalette::LinkVisited, QColor(190, 150, 255));
    p.setColor(QPalette::Highlight, QColor(53, 110, 200));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, QColor(75, 75, 80));
    p.setColor(QPalette::Midlight, QColor(62, 62, 66));
    p.setColor(QPalette::Mid, QColor(40, 40, 42));
    p.setColor(QPalette::Dark, QColor(25, 25, 26));
    p.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    return p;
}

}  // namespace

Scheme SchemeFrom(std::optional<uint> portal, const QString& gnomeColorScheme,
                  const QString& gtkTheme) {
    if (portal == 1u)
        return Scheme::Dark;
    if (portal == 2u)
        return Scheme::Light;
    if (gnomeColorScheme == QLatin1String("prefer-dark"))
        return Scheme::Dark;
    if (gnomeColorScheme == QLatin1String("prefer-light"))
        return Scheme::Light;
    return gtkTheme.endsWith(QLatin1String("-dark"), Qt::CaseInsensitive) ? Scheme::Dark
                                                                          : Scheme::Light;
}

DesktopColorScheme::DesktopColorScheme(QObject* parent) : ColorScheme(parent) {
    readPortal();
    watchGnome();
    settle();
}

DesktopColorScheme::~DesktopColorScheme() {
    if (gnome_ != nullptr) {
        g_signal_handlers_disconnect_by_data(gnome_, this);
        g_object_unref(gnome_);
    }
}

void DesktopColorScheme::readPortal() {
    // With no session bus named, asking would start one of its own (autolaunch), and the portal
    // is never on that one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        !QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus")))
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(QLatin1String(kPortalService), QLatin1String(kPortalPath),
                QLatin1String(kPortalSettings), QStringLiteral("SettingChanged"), this,
                SLOT(portalSettingChanged(QDBusMessage)));
    QDBusMessage read =
        QDBusMessage::createMethodCall(QLatin1String(kPortalService), QLatin1String(kPortalPath),
                                       QLatin1String(kPortalSettings), QStringLiteral("Read"));
    read << QLatin1String(kAppearance) << QLatin1String(kColorSchemeKey);
    // Answered while the window is being made, so start-up never waits on a portal that is
    // slow to start; a change heard before the answer is the newer word.
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(read, kPortalTimeout), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusMessage reply = call->reply();
                if (portal_ || reply.type() != QDBusMessage::ReplyMessage ||
                    reply.arguments().isEmpty())
                    return;
                portal_ = portalNumber(reply.arguments().first());
                settle();
            });
}

void DesktopColorScheme::watchGnome() {
    // GLib ends the process on a schema it does not know, so ask first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source != nullptr
                                  ? g_settings_schema_source_lookup(source, kGnomeInterface, TRUE)
                                  : nullptr;
    if (schema == nullptr)
        return;
    g_settings_schema_unref(schema);
    gnome_ = g_settings_new(kGnomeInterface);
    // Qt's GLib event loop delivers the signal, on this thread.
    g_signal_connect(gnome_, "changed", G_CALLBACK(&DesktopColorScheme::gnomeChanged), this);
}

void DesktopColorScheme::gnomeChanged(_GSettings*, char* key, void* self) {
    const QLatin1String changed(key);
    if (changed == QLatin1String(kColorSchemeKey) || changed == QLatin1String("gtk-theme"))
        static_cast<DesktopColorScheme*>(self)->settle();
}

void DesktopColorScheme::portalSettingChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() != 3 || arguments[0].toString() != QLatin1String(kAppearance) ||
        arguments[1].toString() != QLatin1String(kColorSchemeKey))
        return;
    portal_ = portalNumber(arguments[2]);
    settle();
}

void DesktopColorScheme::settle() {
    const Scheme now =
        SchemeFrom(portal_, gnomeText(gnome_, kColorSchemeKey), gnomeText(gnome_, "gtk-theme"));
    if (now == current_)
        return;
    current_ = now;
    Q_EMIT changed(now);
}

void ApplyColorScheme(Scheme scheme) {
    const StartingLook& start = startingLook();
    if (scheme == Scheme::Dark) {
        if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive))
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    } else {
        if (QApplication::style()->name() != start.style)
            QApplication::setStyle(QStyleFactory::create(start.style));
        QApplication::setPalette(start.palette);
    }
    // A widget with a style sheet of its own keeps the colours it was polished with.
    for (QWidget* widget : QApplication::allWidgets()) {
        if (!widget->styleSheet().isEmpty())
            widget->setStyleSheet(widget->styleSheet());
    }
}

void FollowColorScheme(ColorScheme& source) {
    startingLook();
    ApplyColorScheme(source.current());
    QObject::connect(&source, &ColorScheme::changed, qApp, &ApplyColorScheme);
}

bool PaletteIsDark() {
    const QPalette palette = QApplication::palette();
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

}  // namespace lumivex::ui
