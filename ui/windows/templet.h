#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "Platform.h"

class QListWidgetItem;

namespace Ui {
class TfrmTemplet;
}

namespace lumivex::ui {

class TfrmTemplatePreview;

// What the template chooser asks of the main window.
class TemplateHost {
public:
    virtual ~TemplateHost() = default;
    virtual void OpenProjectFile(const QString& path) = 0;
    virtual void New1Click() = 0;
};

// Lists the project files of the templates folder: OK opens the chosen one as the current
// project, Cancel (or Escape) starts a new project.
class TfrmTemplet : public QDialog {
    Q_OBJECT

public:
    // `programFolder` ends with "/".
    TfrmTemplet(Platform& platform, TemplateHost& host, const QString& programFolder,
                QWidget* parent = nullptr);
    ~TfrmTemplet() override;

    QString TemplatesFolder() const { return templatesFolder_; }
    // The full path of the selected template, empty when none is selected.
    QString SelectedFileName() const;
    // The selected template's slideshow, made at the first selection.
    TfrmTemplatePreview* Preview() const { return preview_; }

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void TempletListDblClick();
    void chckbxDontShowClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void showPreviewOf(QListWidgetItem* entry);

    Platform& platform_;
    TemplateHost& host_;
    QString programFolder_;
    QString templatesFolder_;
    std::unique_ptr<::Ui::TfrmTemplet> ui_;
    TfrmTemplatePreview* preview_ = nullptr;
};

}  // namespace lumivex::ui
