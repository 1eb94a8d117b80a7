#include "PublishReport.h"

#include <QFile>

#include "FileIO.h"
#include "TextBytes.h"
#include "ui_PublishReport.h"

namespace lumivex::ui {

TfrmPublishReport::TfrmPublishReport(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<::Ui::TfrmPublishReport>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

TfrmPublishReport::~TfrmPublishReport() = default;

void TfrmPublishReport::LoadReport(const QString& path) {
    const std::string bytes = ReadWholeFile(QFile::encodeName(path).toStdString());
    ui_->memoPublishReport->setPlainText(BytesToText(bytes));
}

}  // namespace lumivex::ui
