#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TfrmPublishReport;
}

namespace lumivex::ui {

// Shows a publish report as the engine wrote it; the window has no text of its own.
class TfrmPublishReport : public QDialog {
    Q_OBJECT

public:
    explicit TfrmPublishReport(QWidget* parent = nullptr);
    ~TfrmPublishReport() override;

    // Throws lumivex::FileError when the report cannot be read; the text stays as it was.
    void LoadReport(const QString& path);
    // A report made in memory (an upload's), under its own window title.
    void ShowReport(const QString& title, const QString& text);

private:
    std::unique_ptr<::Ui::TfrmPublishReport> ui_;
};

}  // namespace lumivex::ui
