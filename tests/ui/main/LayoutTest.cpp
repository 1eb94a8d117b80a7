#include <QAbstractButton>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

// At the window's designed size every page fits its width (no sideways scrolling, nothing cut
// off at the right), and every label shows its whole text.
class LayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pagesFitTheDesignedSize();
};

void LayoutTest::pagesFitTheDesignedSize() {
    MainFormFixture f;
    f.form->resize(781, 620);
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QTreeWidgetItem* item = f.insert(f.root(), "Item");
    for (QWidget* page :
         {static_cast<QWidget*>(f.ui().tbshtScript), static_cast<QWidget*>(f.ui().tbshtMainGroup),
          static_cast<QWidget*>(f.ui().tbshtPath), static_cast<QWidget*>(f.ui().tbshtItem)}) {
        f.select(page == f.ui().tbshtItem ? item : f.root());
        f.ui().pgcntrl1->setCurrentWidget(page);
        QTest::qWait(20);
        auto* scroll = page->findChild<QScrollArea*>();
        QVERIFY(scroll != nullptr);
        QVERIFY2(scroll->widget()->minimumSizeHint().width() <= scroll->viewport()->width(),
                 qPrintable(QStringLiteral("%1 needs %2 px, has %3")
                                .arg(page->objectName())
                                .arg(scroll->widget()->minimumSizeHint().width())
                                .arg(scroll->viewport()->width())));
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && !button->text().isEmpty())
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
        }
        for (QLabel* label : page->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->wordWrap())
                continue;
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
    }
}

LUMIVEX_UI_TEST(LayoutTest);
#include "LayoutTest.moc"
