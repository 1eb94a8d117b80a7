#pragma once

#include <QString>
#include <QVariant>

namespace lumivex::ui {

// The program's keys in the per-user store.
inline const QString kSettingsKey = QStringLiteral("1.0/Settings");
inline const QString kWebBrowsersKey = QStringLiteral("1.0/Web Browsers");
// The main window's docks and bars, as QMainWindow::saveState() gives them.
inline const QString kWindowLayout = QStringLiteral("Window Layout");
// Its size and place (QWidget::saveGeometry()), and how the tree and the pages share it.
inline const QString kWindowGeometry = QStringLiteral("Window Geometry");
inline const QString kSplitterLayout = QStringLiteral("Splitter Layout");

enum class ReadStatus { Present, Missing, Failed };

struct SettingRead {
    ReadStatus status = ReadStatus::Missing;
    QVariant value;
};

// The per-user settings store. A read tells a missing value from a store that cannot be read:
// the windows treat the two differently.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual SettingRead read(const QString& key, const QString& name) = 0;
    virtual bool keyExists(const QString& key) = 0;
    // Creates the key as needed; false when the value could not be stored.
    virtual bool write(const QString& key, const QString& name, const QVariant& value) = 0;
    // Read-only records of installed programs kept by the system, machine-wide or the user's
    // own. This desktop keeps none, so the real store finds nothing.
    virtual SettingRead readSystemRecord(bool machineWide, const QString& key,
                                         const QString& name) = 0;
};

// Booleans live as the integers 0 and 1; a value that is not a whole number fails to read.
struct BoolRead {
    ReadStatus status = ReadStatus::Missing;
    bool value = false;
};
BoolRead ReadBool(SettingsStore& store, const QString& key, const QString& name);
bool WriteBool(SettingsStore& store, const QString& key, const QString& name, bool value);
// Missing counts as `whenMissing`, a failed read as false.
bool ReadBoolOr(SettingsStore& store, const QString& key, const QString& name, bool whenMissing);

// QSettings for organisation "ZQX", application "Lumivex", native format.
class QtSettingsStore final : public SettingsStore {
public:
    SettingRead read(const QString& key, const QString& name) override;
    bool keyExists(const QString& key) override;
    bool write(const QString& key, const QString& name, const QVariant& value) override;
    SettingRead readSystemRecord(bool machineWide, const QString& key,
                                 const QString& name) override;
};

}  // namespace lumivex::ui
