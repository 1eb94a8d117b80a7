#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "HelpWindow.h"

class QWidget;

namespace Ui {
class MainForm;
}

namespace lumivex::ui {

class Shell;
class TfrmHelp;

// The help buttons of the property pages, the help window they open, and the help and web
// commands of the Help menu.
class HelpCommands final : public QObject {
    Q_OBJECT
public:
    // `programFolder` ends with "/".
    HelpCommands(Ui::MainForm& ui, Shell& shell, const QString& programFolder, QWidget* window);
    // The help window, created hidden after the main window.
    void createWindow();
    static QString HelpPageForTag(int tag);

    void SpeedButton1Click(QObject* sender);
    void Topic1Click();
    void ViewSample1Click();
    void Homepage1Click();
    void ContactUs1Click();

    TfrmHelp* frmHelp() const { return frmHelp_; }

private:
    Shell& shell_;
    QString programFolder_;
    QWidget* window_;
    QPointer<TfrmHelp> frmHelp_;
};

}  // namespace lumivex::ui
