#include "WebBrowser.h"

#include <gio/gio.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "Icons.h"
#include "WindowSupport.h"
#include "ui_WebBrowser.h"

namespace lumivex::ui {

namespace {

// The records that other desktops keep of their browsers; this one keeps none, so the lookups
// find nothing unless a store provides them.
const QString kIexplorePathKey =
    QStringLiteral(R"(SOFTWARE\Microsoft\windows\CurrentVersion\App Paths\IEXPLORE.EXE)");
const QString kNavigatorMainKey = QStringLiteral(R"(SOFTWARE\Netscape\Netscape Navigator\Main)");
const QString kNavigatorKey = QStringLiteral(R"(SOFTWARE\Netscape\Netscape Navigator)");
const QString kNetscape6Key = QStringLiteral(R"(SOFTWARE\Netscape\Netscape 6)");
const QString kInstallDirectory = QStringLiteral("Install Directory");

bool ProgramFileExists(const QString& path) {
    const QFileInfo file(path);
    return !path.isEmpty() && file.exists() && file.isFile();
}

// The text of a record, or empty when it is missing or cannot be read.
QString RecordText(SettingsStore& store, bool machineWide, const QString& key,
                   const QString& name) {
    const SettingRead read = store.readSystemRecord(machineWide, key, name);
    return read.status == ReadStatus::Present ? read.value.toString() : QString();
}

}  // namespace

namespace {

bool HandlesHttp(GAppInfo* app) {
    const char** types = g_app_info_get_supported_types(app);
    for (; types != nullptr && *types != nullptr; ++types)
        if (g_strcmp0(*types, "x-scheme-handler/http") == 0)
            return true;
    return false;
}

}  // namespace

QList<TWebBrowserNamePath> InstalledBrowsersFromDesktop() {
    // The registry's own list comes from the desktop's MIME cache; a desktop without that cache
    // (no desktop-file-utils) still has the entries themselves, which follow in their order.
    GList* registered = g_app_info_get_all_for_type("x-scheme-handler/http");
    GList* all = g_app_info_get_all();
    QList<TWebBrowserNamePath> found;
    QSet<QString> seen;
    for (GList* list : {registered, all}) {
        for (GList* entry = list; entry != nullptr; entry = entry->next) {
            GAppInfo* app = G_APP_INFO(entry->data);
            const QString id = QString::fromUtf8(g_app_info_get_id(app));
            if (seen.contains(id) || (list == all && !HandlesHttp(app)))
                continue;
            seen.insert(id);
            const char* executable = g_app_info_get_executable(app);
            if (executable == nullptr || *executable == '\0')
                continue;
            gchar* resolved = g_find_program_in_path(executable);
            if (resolved == nullptr)
                continue;
            const QString path = QFile::decodeName(resolved);
            g_free(resolved);
            if (ProgramFileExists(path))
                found.append({QString::fromUtf8(g_app_info_get_display_name(app)), path});
        }
    }
    g_list_free_full(registered, g_object_unref);
    g_list_free_full(all, g_object_unref);
    return found;
}

TformWebBrowser::TformWebBrowser(Platform& platform, QWidget* parent, InstalledBrowsers installed)
    : QDialog(parent), platform_(platform), ui_(std::make_unique<::Ui::TformWebBrowser>()) {
    ui_->setupUi(this);
    setWindowFlags(kDialogFrame);
    ui_->spdbtnOpenExeFile->setIcon(AppIcon(IconId::PickFile));
    FixSizeAtLeast(this, QSize(393, 237));
    connect(ui_->bitbtnOk, &QPushButton::clicked, this, &TformWebBrowser::bitbtnOkClick);
    connect(ui_->spdbtnOpenExeFile, &QToolButton::clicked, this,
            &TformWebBrowser::spdbtnOpenExeFileClick);
    connect(ui_->ComboBoxBrowserList, &QComboBox::activated, this,
            &TformWebBrowser::ComboBoxBrowserListChange);
    connect(ui_->RadioButtonBrowserKnownInSystem, &QRadioButton::clicked, this,
            &TformWebBrowser::RadioButtonBrowserKnownInSystemClick);
    FormCreate(installed);
}

TformWebBrowser::~TformWebBrowser() = default;

void TformWebBrowser::FormCreate(const InstalledBrowsers& installed) {
    DetectInternetExplorer();
    DetectNavigator3();
    DetectCommunicator();
    DetectNetscape6();
    if (installed)
        for (const TWebBrowserNamePath& browser : installed())
            addIfExists(browser.Name, browser.Path);
    ui_->ComboBoxBrowserList->clear();
    for (const TWebBrowserNamePath& browser : KnownBrowsers)
        ui_->ComboBoxBrowserList->addItem(browser.Name);
    ui_->ComboBoxBrowserList->setCurrentIndex(-1);
    loadSettings();
}

void TformWebBrowser::addIfExists(const QString& name, const QString& path) {
    if (ProgramFileExists(path))
        KnownBrowsers.append({name, path});
}

void TformWebBrowser::DetectInternetExplorer() {
    addIfExists(QStringLiteral("Internet Explorer"),
                RecordText(platform_.settings, true, kIexplorePathKey, QString()));
}

void TformWebBrowser::DetectNavigator3() {
    const QString folder =
        RecordText(platform_.settings, false, kNavigatorMainKey, kInstallDirectory);
    if (!folder.isEmpty())
        addIfExists(QStringLiteral("Netscape Navigator 3"),
                    folder + QStringLiteral("/Program/Netscape.exe"));
}

void TformWebBrowser::detectVersioned(const QString& key, const QString& programFile,
                                      const QString& name) {
    const QString version =
        RecordText(platform_.settings, true, key, QStringLiteral("CurrentVersion"));
    if (version.isEmpty())
        return;
    const QString folder =
        RecordText(platform_.settings, true, key + '\\' + version + QStringLiteral("\\Main"),
                   kInstallDirectory);
    if (!folder.isEmpty())
        addIfExists(name + version, folder + programFile);
}

void TformWebBrowser::DetectCommunicator() {
    detectVersioned(kNavigatorKey, QStringLiteral("/Program/Netscape.exe"),
                    QStringLiteral("Netscape Communicator "));
}

void TformWebBrowser::DetectNetscape6() {
    detectVersioned(kNetscape6Key, QStringLiteral("/netscp6.exe"), QStringLiteral("Netscape "));
}

void TformWebBrowser::setRadio(QRadioButton* button, bool checked) {
    if (checked) {
        button->setChecked(true);
        return;
    }
    // An exclusive button cannot be cleared on its own; a stored choice may select none.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void TformWebBrowser::loadSettings() {
    SettingsStore& store = platform_.settings;
    if (!store.keyExists(kWebBrowsersKey))
        return;
    // A value that cannot be read ends the loading; what was read before stays.
    const std::pair<const char*, QRadioButton*> modes[] = {
        {"UseDefaultBrowser", ui_->RadioButtonBrowserDefault},
        {"UseKnownBrowser", ui_->RadioButtonBrowserKnownInSystem},
        {"UseSpecifiedBrowser", ui_->RadioButtonBrowserUserSpecify},
    };
    for (const auto& [name, button] : modes) {
        const BoolRead mode = ReadBool(store, kWebBrowsersKey, QLatin1String(name));
        if (mode.status != ReadStatus::Present)
            return;
        setRadio(button, mode.value);
    }

    const SettingRead number = store.read(kWebBrowsersKey, QStringLiteral("SelectedBrowserNumber"));
    bool isNumber = false;
    const int index = number.value.toString().trimmed().toInt(&isNumber);
    if (number.status != ReadStatus::Present || !isNumber)
        return;
    QComboBox* list = ui_->ComboBoxBrowserList;
    if (index < list->count())
        list->setCurrentIndex(index < 0 ? -1 : index);
    else
        list->setCurrentIndex(list->count() > 0 ? 0 : -1);

    const SettingRead path = store.read(kWebBrowsersKey, QStringLiteral("SpecifiedBrowserExePath"));
    if (path.status == ReadStatus::Failed)
        return;
    ui_->editSpecifiedBrowserFileName->setText(path.value.toString());
}

bool TformWebBrowser::writeSettings() {
    SettingsStore& store = platform_.settings;
    return WriteBool(store, kWebBrowsersKey, QStringLiteral("UseDefaultBrowser"),
                     ui_->RadioButtonBrowserDefault->isChecked()) &&
           WriteBool(store, kWebBrowsersKey, QStringLiteral("UseKnownBrowser"),
                     ui_->RadioButtonBrowserKnownInSystem->isChecked()) &&
           WriteBool(store, kWebBrowsersKey, QStringLiteral("UseSpecifiedBrowser"),
                     ui_->RadioButtonBrowserUserSpecify->isChecked()) &&
           store.write(kWebBrowsersKey, QStringLiteral("SelectedBrowserNumber"),
                       ui_->ComboBoxBrowserList->currentIndex()) &&
           store.write(kWebBrowsersKey, QStringLiteral("SpecifiedBrowserExePath"),
                       ui_->editSpecifiedBrowserFileName->text());
}

void TformWebBrowser::OpenInBrowser(const QString& folder, const QString& fileName) {
    const QString page = folder + fileName;
    Shell& shell = platform_.shell;
    if (ui_->RadioButtonBrowserUserSpecify->isChecked()) {
        shell.startProgram(ui_->editSpecifiedBrowserFileName->text(), page);
        return;
    }
    const int known = ui_->ComboBoxBrowserList->currentIndex();
    if (ui_->RadioButtonBrowserKnownInSystem->isChecked() && known >= 0 &&
        known < KnownBrowsers.size()) {
        shell.startProgram(KnownBrowsers[known].Path, page);
        return;
    }
    // The default browser, also when the stored choice names no usable browser: the user asked
    // to see the page.
    shell.open(page);
}

void TformWebBrowser::bitbtnOkClick() {
    // A store that cannot be written costs only the remembered choice.
    writeSettings();
    accept();
}

void TformWebBrowser::spdbtnOpenExeFileClick() {
    // Programs on this desktop carry no extension: every file is offered.
    if (const auto picked = platform_.dialogs.openFile(this, tr("All Files|*")))
        ui_->editSpecifiedBrowserFileName->setText(*picked);
}

void TformWebBrowser::ComboBoxBrowserListChange() {
    ui_->RadioButtonBrowserKnownInSystem->setChecked(true);
}

void TformWebBrowser::RadioButtonBrowserKnownInSystemClick() {
    if (ui_->ComboBoxBrowserList->count() == 0)
        ui_->RadioButtonBrowserDefault->setChecked(true);
}

}  // namespace lumivex::ui
