#include "HTMLBuild.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>

#include "TextBytes.h"
#include "WindowSupport.h"
#include "ui_HTMLBuild.h"

namespace lumivex::ui {

TformHTML::TformHTML(QWidget* parent) : QDialog(parent), ui_(std::make_unique<::Ui::TformHTML>()) {
    ui_->setupUi(this);
    setWindowFlags(kDialogFrame);
    // Code reads best in the desktop's fixed-width font, at the form's 13 pixels.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(13);
    ui_->memoHTMLBuild->setFont(font);
    connect(ui_->Button2, &QPushButton::clicked, this, &TformHTML::Button2Click);
}

TformHTML::~TformHTML() = default;

void TformHTML::SetPageBytes(const std::string& bytes) {
    pageBytes_ = bytes;
    ui_->memoHTMLBuild->setPlainText(BytesToText(bytes));
}

void TformHTML::Button2Click() {
    ui_->memoHTMLBuild->selectAll();
    // The page as built, line ends included; the editor would hand out its own.
    QGuiApplication::clipboard()->setText(BytesToText(pageBytes_));
}

}  // namespace lumivex::ui
