#include <gio/gio.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "ColorScheme.h"
#include "ColorSwatch.h"
#include "Icons.h"
#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

class FakeColorScheme final : public ColorScheme {
public:
    Scheme current() const override { return now_; }
    void set(Scheme scheme) {
        now_ = scheme;
        Q_EMIT changed(scheme);
    }

private:
    Scheme now_ = Scheme::Light;
};

// The desktop portal's settings, as a desktop serves them: `value` is the colour scheme.
class FakePortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    uint value = 1;
    void change(uint now) {
        value = now;
        QDBusMessage changed = QDBusMessage::createSignal(
            "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Settings", "SettingChanged");
        changed << QString("org.freedesktop.appearance") << QString("color-scheme")
                << QVariant::fromValue(QDBusVariant(now));
        QDBusConnection::sessionBus().send(changed);
    }

public Q_SLOTS:
    QDBusVariant Read(const QString&, const QString&) {
        return QDBusVariant(QVariant::fromValue(QDBusVariant(value)));
    }
};

// The contrast ratio of two colours as the web's accessibility guidelines define it.
double contrast(QColor a, QColor b) {
    const auto luminance = [](QColor c) {
        double sum = 0;
        for (const auto& [v, weight] :
             {std::pair{c.redF(), 0.2126}, {c.greenF(), 0.7152}, {c.blueF(), 0.0722}})
            sum += weight * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        return sum + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

// The contrast against `background` that the most distinct quarter of a picture's painted
// pixels reach: its outline or its marks, which make it out.
double outlineContrast(const QImage& picture, QColor background) {
    std::vector<double> painted;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.alpha() >= 128)
                painted.push_back(contrast(c, background));
        }
    }
    if (painted.empty())
        return 0;
    std::sort(painted.begin(), painted.end(), std::greater<>());
    return painted[painted.size() / 4];
}

}  // namespace

// The editor in the desktop's light or dark scheme, switched while it runs: its own pictures
// and the swatches' frames stay visible on the window's colour.
class ColorSchemeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void desktopSettingsGiveTheScheme_data();
    void desktopSettingsGiveTheScheme();
    void picturesStayLegible_data();
    void picturesStayLegible();
    void desktopSwitchesAreFollowed();
};

void ColorSchemeTest::desktopSettingsGiveTheScheme_data() {
    QTest::addColumn<int>("portal");  // -1: no portal
    QTest::addColumn<QString>("gnome");
    QTest::addColumn<QString>("gtkTheme");
    QTest::addColumn<bool>("dark");
    const struct {
        const char* row;
        int portal;
        const char* gnome;
        const char* gtkTheme;
        bool dark;
    } rows[] = {
        {"portal over GNOME", 2, "prefer-dark", "Adwaita-dark", false},
        {"portal without a word", 0, "prefer-dark", "Adwaita", true},
        {"GNOME over theme", -1, "prefer-light", "Adwaita-dark", false},
        {"theme name", -1, "default", "Adwaita-dark", true},
        {"nothing known", -1, "", "", false},
    };
    for (const auto& r : rows)
        QTest::newRow(r.row) << r.portal << QString(r.gnome) << QString(r.gtkTheme) << r.dark;
}

void ColorSchemeTest::desktopSettingsGiveTheScheme() {
    QFETCH(int, portal);
    QFETCH(QString, gnome);
    QFETCH(QString, gtkTheme);
    QFETCH(bool, dark);
    const auto word = portal < 0 ? std::nullopt : std::optional<uint>(static_cast<uint>(portal));
    QCOMPARE(SchemeFrom(word, gnome, gtkTheme) == Scheme::Dark, dark);
}

void ColorSchemeTest::picturesStayLegible_data() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

void ColorSchemeTest::picturesStayLegible() {
    QFETCH(bool, dark);
    FakeColorScheme desktop;
    FollowColorScheme(desktop);
    MainFormFixture f;
    f.insert(f.root(), "Item");
    f.form->resize(781, 620);
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    // The switch comes while the window is up, as a desktop's does.
    desktop.set(dark ? Scheme::Dark : Scheme::Light);
    QTest::qWait(50);
    QCOMPARE(PaletteIsDark(), dark);
    const QColor window = f.form->palette().color(QPalette::Window);
    QCOMPARE(window.lightness() < 128, dark);
    const QString folder = QCoreApplication::applicationDirPath() + "/screenshots/";
    QDir().mkpath(folder);
    f.form->grab().save(folder + (dark ? "scheme-dark.png" : "scheme-light.png"));

    for (const IconId id :
         {IconId::Bold,         IconId::Italic,    IconId::TreeRoot, IconId::TreeItem,
          IconId::PhotoMissing, IconId::HelpBook,  IconId::New,      IconId::Open,
          IconId::Save,         IconId::Insert,    IconId::Delete,   IconId::MoveUp,
          IconId::MoveDown,     IconId::BuildHtml, IconId::Preview,  IconId::Help,
          IconId::Undo,         IconId::Redo,      IconId::Refresh,  IconId::AutoRefresh,
          IconId::PickFile}) {
        const QImage picture = AppIcon(id).pixmap(32, 32).toImage();
        const double share = outlineContrast(picture, window);
        // Above the 3:1 that the web's guidelines ask of controls, with some room.
        QVERIFY2(
            share >= 3.5,
            qPrintable(
                QStringLiteral("picture %1: contrast %2").arg(static_cast<int>(id)).arg(share)));
    }
    // A swatch of the window's own colour still shows its frame.
    ColorSwatch swatch(f.form.get());
    swatch.setColor(window);
    swatch.show();
    const QImage drawn = swatch.grab().toImage();
    QVERIFY(contrast(drawn.pixelColor(5, drawn.height() / 2), window) >= 3);

    desktop.set(Scheme::Light);
    QVERIFY(!PaletteIsDark());
}

// A switch in GNOME's settings, then the portal's word over it and its own switch, while the
// program runs.
void ColorSchemeTest::desktopSwitchesAreFollowed() {
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    QVERIFY(bus.waitForReadyRead(5000));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    qputenv("GSETTINGS_BACKEND", "memory");
    GSettings* gnome = g_settings_new("org.gnome.desktop.interface");
    g_settings_set_string(gnome, "color-scheme", "prefer-light");
    {
        DesktopColorScheme desktop;
        QCOMPARE(desktop.current(), Scheme::Light);
        g_settings_set_string(gnome, "color-scheme", "prefer-dark");
        QTRY_COMPARE(desktop.current(), Scheme::Dark);
    }
    FakePortal portal;
    QDBusConnection session = QDBusConnection::sessionBus();
    QVERIFY(session.registerObject("/org/freedesktop/portal/desktop", &portal,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(session.registerService("org.freedesktop.portal.Desktop"));
    portal.value = 2;
    // The portal's answer comes after start-up, over GNOME's dark.
    DesktopColorScheme desktop;
    QTRY_COMPARE(desktop.current(), Scheme::Light);
    QSignalSpy changed(&desktop, &ColorScheme::changed);
    portal.change(1);
    QTRY_COMPARE(desktop.current(), Scheme::Dark);
    QCOMPARE(changed.count(), 1);
    g_object_unref(gnome);
    bus.kill();
    bus.waitForFinished();
}

LUMIVEX_UI_TEST(ColorSchemeTest);
#include "ColorSchemeTest.moc"
