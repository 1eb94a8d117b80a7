#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <optional>

struct _GSettings;

namespace lumivex::ui {

enum class Scheme { Light, Dark };

// The desktop's light or dark preference, and its changes while the program runs.
class ColorScheme : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    virtual Scheme current() const = 0;

Q_SIGNALS:
    void changed(Scheme scheme);
};

// What the desktop says, strongest first: the desktop portal's org.freedesktop.appearance
// color-scheme (1 dark, 2 light, 0 or nothing: no word), then GNOME's color-scheme setting
// ("prefer-dark", "prefer-light"), then a GTK theme whose name ends in "-dark".
Scheme SchemeFrom(std::optional<uint> portal, const QString& gnomeColorScheme,
                  const QString& gtkTheme);

// The desktop's scheme through the portal (D-Bus) and GSettings, each watched for changes.
class DesktopColorScheme final : public ColorScheme {
    Q_OBJECT

public:
    explicit DesktopColorScheme(QObject* parent = nullptr);
    ~DesktopColorScheme() override;
    Scheme current() const override { return current_; }

private Q_SLOTS:
    // The portal's SettingChanged(namespace, key, value).
    void portalSettingChanged(const QDBusMessage& message);

private:
    void settle();
    void readPortal();
    void watchGnome();
    static void gnomeChanged(_GSettings* settings, char* key, void* self);

    std::optional<uint> portal_;
    _GSettings* gnome_ = nullptr;
    Scheme current_ = Scheme::Light;
};

// The application in `scheme`: Fusion with a dark palette, or the style and palette it started
// with. The program's pictures pick their colours from the palette when they are painted.
void ApplyColorScheme(Scheme scheme);
// Applies `source`'s scheme now and at each of its changes.
void FollowColorScheme(ColorScheme& source);
// Whether the application's palette is a dark one (light text on a dark window).
bool PaletteIsDark();

}  // namespace lumivex::ui
