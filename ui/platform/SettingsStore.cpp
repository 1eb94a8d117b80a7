#include "SettingsStore.h"

#include <QFileInfo>
#include <QSettings>

namespace lumivex::ui {

BoolRead ReadBool(SettingsStore& store, const QString& key, const QString& name) {
    const SettingRead r = store.read(key, name);
    if (r.status != ReadStatus::Present)
        return {r.status, false};
    bool ok = false;
    const int number = r.value.toString().trimmed().toInt(&ok);
    if (!ok)
        return {ReadStatus::Failed, false};
    return {ReadStatus::Present, number != 0};
}

bool WriteBool(SettingsStore& store, const QString& key, const QString& name, bool value) {
    return store.write(key, name, value ? 1 : 0);
}

bool ReadBoolOr(SettingsStore& store, const QString& key, const QString& name, bool whenMissing) {
    const BoolRead r = ReadBool(store, key, name);
    switch (r.status) {
        case ReadStatus::Present:
            return r.value;
        case ReadStatus::Missing:
            return whenMissing;
        case ReadStatus::Failed:
            break;
    }
    return false;
}

namespace {

bool unreadable(const QSettings& settings) {
    if (settings.status() != QSettings::NoError)
        return true;
    const QFileInfo file(settings.fileName());
    return file.exists() && !file.isReadable();
}

}  // namespace

SettingRead QtSettingsStore::read(const QString& key, const QString& name) {
    QSettings settings(QStringLiteral("ZQX"), QStringLiteral("Lumivex"));
    if (unreadable(settings))
        return {ReadStatus::Failed, {}};
    const QString path = key + '/' + name;
    if (!settings.contains(path))
        return {ReadStatus::Missing, {}};
    return {ReadStatus::Present, settings.value(path)};
}

bool QtSettingsStore::keyExists(const QString& key) {
    QSettings settings(QStringLiteral("ZQX"), QStringLiteral("Lumivex"));
    if (unreadable(settings))
        return false;
    settings.beginGroup(key);
    return !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
}

bool QtSettingsStore::write(const QString& key, const QString& name, const QVariant& value) {
    QSettings settings(QStringLiteral("ZQX"), QStringLiteral("Lumivex"));
    if (settings.status() != QSettings::NoError)
        return false;
    settings.setValue(key + '/' + name, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

SettingRead QtSettingsStore::readSystemRecord(bool, const QString&, const QString&) {
    return {ReadStatus::Missing, {}};
}

}  // namespace lumivex::ui
