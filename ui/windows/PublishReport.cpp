#include "PublishReport.h"

#include <QFile>
#include <QFontDatabase>

#include "FileIO.h"
#include "TextBytes.h"
#include "ui_PublishReport.h"

namespace lumivex::ui {

TfrmPublishReport::TfrmPublishReport(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<::Ui::TfrmPublishReport>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // The report is laid out in columns of characters; its long rules must not wrap.
    ui_->memoPublishReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

TfrmPublishReport::~TfrmPublishReport() = default;

void TfrmPublishReport::LoadReport(const QString& path) {
    const std::string bytes = ReadWholeFile(QFile::encodeName(path).toStdString());
    ui_->memoPublishReport->setPlainText(BytesToText(bytes));
}

}  // namespace lumivex::ui
