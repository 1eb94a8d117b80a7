#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class TformHTML;
}

namespace lumivex::ui {

// The page code of the last build. Its bytes are the program's copy of that page: the preview
// page is written from them, so they are kept exactly as given, whatever their encoding.
class TformHTML : public QDialog {
    Q_OBJECT

public:
    explicit TformHTML(QWidget* parent = nullptr);
    ~TformHTML() override;

    void SetPageBytes(const std::string& bytes);
    const std::string& PageBytes() const { return pageBytes_; }

public Q_SLOTS:
    void Button2Click();

private:
    std::unique_ptr<::Ui::TformHTML> ui_;
    std::string pageBytes_;
};

}  // namespace lumivex::ui
