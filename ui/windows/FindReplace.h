#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TfrmFindReplace;
}

namespace lumivex::ui {

// Edit > Find and Replace: what to find and what to put instead, over the slides' texts. The
// window asks; `replaceAll` does the replacing and answers how many slides it changed.
class TfrmFindReplace final : public QDialog {
    Q_OBJECT
public:
    using ReplaceAll = std::function<int(const QString& find, const QString& replace,
                                         Qt::CaseSensitivity matchCase)>;
    TfrmFindReplace(ReplaceAll replaceAll, QWidget* parent = nullptr);
    ~TfrmFindReplace() override;

    void btnReplaceAllClick();

private:
    ReplaceAll replaceAll_;
    std::unique_ptr<::Ui::TfrmFindReplace> ui_;
};

}  // namespace lumivex::ui
