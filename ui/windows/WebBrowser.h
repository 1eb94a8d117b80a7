#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "Platform.h"

class QRadioButton;

namespace Ui {
class TformWebBrowser;
}

namespace lumivex::ui {

struct TWebBrowserNamePath {
    QString Name;
    QString Path;
};

using InstalledBrowsers = std::function<QList<TWebBrowserNamePath>()>;

// The desktop's applications for http links, in the registry's order: each named as the
// desktop shows it, with its program resolved through PATH; programs not found are left out.
QList<TWebBrowserNamePath> InstalledBrowsersFromDesktop();

// The choice of the browser that shows the preview, and the launch itself. Every instance
// detects the browsers and reads the stored choice afresh.
class TformWebBrowser : public QDialog {
    Q_OBJECT

public:
    explicit TformWebBrowser(Platform& platform, QWidget* parent = nullptr,
                             InstalledBrowsers installed = InstalledBrowsersFromDesktop);
    ~TformWebBrowser() override;

    // Opens folder + fileName (joined as given) in the chosen browser. Without a usable choice
    // (a known browser chosen but none selected, or no mode at all) the default browser serves.
    void OpenInBrowser(const QString& folder, const QString& fileName);

    QList<TWebBrowserNamePath> KnownBrowsers;

public Q_SLOTS:
    void bitbtnOkClick();
    void spdbtnOpenExeFileClick();
    void ComboBoxBrowserListChange();
    void RadioButtonBrowserKnownInSystemClick();

private:
    void FormCreate(const InstalledBrowsers& installed);
    void DetectInternetExplorer();
    void DetectNavigator3();
    void DetectCommunicator();
    void DetectNetscape6();
    void addIfExists(const QString& name, const QString& path);
    void detectVersioned(const QString& key, const QString& programFile, const QString& name);
    void loadSettings();
    bool writeSettings();
    static void setRadio(QRadioButton* button, bool checked);

    Platform& platform_;
    std::unique_ptr<::Ui::TformWebBrowser> ui_;
};

}  // namespace lumivex::ui
