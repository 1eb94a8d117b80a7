#include "PublishReport.h"

#include <QFile>
#include <QFontDatabase>

#include "FileIO.h"
#include "TextBytes.h"
#include "WindowSupport.h"
#include "ui_PublishReport.h"

namespace lumivex::ui {

TfrmPublishReport::TfrmPublishReport(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<::Ui::TfrmPublishReport>()) {
    ui_->setupUi(this);
    setWindowFlags(kDialogFrame);
    // The report is laid out in columns of characters. Lines wrap at blanks only, so a rule of
    // "=" stays one line, cut off at the window's edge, and never breaks into two.
    ui_->memoPublishReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

TfrmPublishReport::~TfrmPublishReport() = default;

void TfrmPublishReport::LoadReport(const QString& path) {
    const std::string bytes = ReadWholeFile(QFile::encodeName(path).toStdString());
    ui_->memoPublishReport->setPlainText(BytesToText(bytes));
}

void TfrmPublishReport::ShowReport(const QString& title, const QString& text) {
    setWindowTitle(title);
    ui_->memoPublishReport->setPlainText(text);
}

}  // namespace lumivex::ui
