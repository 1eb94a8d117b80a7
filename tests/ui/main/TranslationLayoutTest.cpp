#include <QAbstractButton>
#include <QDir>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTranslator>

#include "About.h"
#include "HTMLBuild.h"
#include "MainFormFixture.h"
#include "MessageBox_LinkTip.h"
#include "Preview.h"
#include "PublishReport.h"
#include "PublishToServer.h"
#include "Translations.h"
#include "WebBrowser.h"
#include "templet.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

// The main window's pages, then the small windows.
const char* const kWindows[] = {"Script",      "Slide Info",     "Path",
                                "Item",        "About",          "Build HTML",
                                "Link tip",    "Publish report", "Publish to server",
                                "Web browser", "Templates",      "Preview"};

// Shows the window of the table named `name` over the main window; `owned` keeps one made for it.
QWidget* show(MainFormFixture& f, const QString& name, std::unique_ptr<QWidget>& owned) {
    QWidget* form = f.form.get();
    form->resize(name == QLatin1String("Preview") ? 1200 : 781, 620);
    form->show();
    const QHash<QString, QWidget*> pages{{"Script", f.ui().tbshtScript},
                                         {"Slide Info", f.ui().tbshtMainGroup},
                                         {"Path", f.ui().tbshtPath},
                                         {"Item", f.ui().tbshtItem}};
    QWidget* shown = form;
    if (QWidget* page = pages.value(name)) {
        if (page == f.ui().tbshtItem)
            f.select(f.insert(f.root(), "Item"));
        f.ui().pgcntrl1->setCurrentWidget(page);
    } else if (name == QLatin1String("Preview")) {
        form->findChild<QDockWidget*>(QStringLiteral("dckPreview"))->show();
        shown = f.form->preview().frmPreview();
    } else {
        const QHash<QString, std::function<QWidget*()>> make{
            {"About", [&] { return new TformAbout(f.platform, form); }},
            {"Build HTML", [&] { return new TformHTML(form); }},
            {"Link tip", [&] { return new TfrmMsgBox_LinkTip(f.platform, form); }},
            {"Publish report", [&] { return new TfrmPublishReport(form); }},
            {"Publish to server", [&] { return new TfrmPublishToServer(f.dialogs, form); }},
            {"Web browser", [&] { return new TformWebBrowser(f.platform, form); }},
            {"Templates", [&] { return new TfrmTemplet(f.platform, *f.form, f.folder, form); }}};
        owned.reset(make.value(name)());
        shown = owned.get();
    }
    shown->show();
    if (QTest::qWaitForWindowExposed(shown->window()))
        QTest::qWait(50);
    return shown;
}

bool showing(QWidget* w, QWidget* in) {
    return w->isVisibleTo(in) && !w->visibleRegion().isEmpty();
}

// Whether `w` reaches past its window's left or right edge, where nothing shows it.
bool pastTheSides(QWidget* w) {
    const int left = w->mapTo(w->window(), QPoint()).x();
    return left < 0 || left + w->width() > w->window()->width();
}

// Every label, button and group title under `in` whose text needs more room than it has.
QStringList clipped(QWidget* in) {
    QStringList found;
    const auto report = [&found](QWidget* w, const QString& text, int needs) {
        found << QStringLiteral("%1 \"%2\" needs %3 px, has %4")
                     .arg(w->objectName(), text)
                     .arg(needs)
                     .arg(w->width());
    };
    for (QLabel* label : in->findChildren<QLabel*>()) {
        if (!showing(label, in) || label->text().isEmpty())
            continue;
        if (pastTheSides(label) ||
            (label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                               : label->width() < label->sizeHint().width()))
            report(label, label->text(), label->sizeHint().width());
    }
    for (QAbstractButton* button : in->findChildren<QAbstractButton*>()) {
        if (showing(button, in) && !button->text().isEmpty() &&
            (pastTheSides(button) || button->width() < button->sizeHint().width()))
            report(button, button->text(), button->sizeHint().width());
    }
    // A page that scrolls sideways hides the ends of its lines.
    for (QScrollArea* scroll : in->findChildren<QScrollArea*>()) {
        if (showing(scroll, in) && (scroll->horizontalScrollBar()->isVisible() ||
                                    scroll->widget()->width() > scroll->viewport()->width()))
            report(scroll, QStringLiteral("page"), scroll->widget()->width());
    }
    for (QGroupBox* group : in->findChildren<QGroupBox*>()) {
        const int needs = group->fontMetrics().horizontalAdvance(group->title()) + 16 +
                          (group->isCheckable() ? 20 : 0);
        if (showing(group, in) && !group->title().isEmpty() && group->width() < needs)
            report(group, group->title(), needs);
    }
    return found;
}

// Controls of one parent that cover each other.
QStringList overlapping(QWidget* in) {
    QStringList found;
    QList<QWidget*> controls;
    for (QWidget* w : in->findChildren<QWidget*>()) {
        if ((qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) && showing(w, in))
            controls << w;
    }
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (controls[i]->parentWidget() == controls[j]->parentWidget() &&
                controls[i]->geometry().intersects(controls[j]->geometry()))
                found << controls[i]->objectName() + " / " + controls[j]->objectName();
        }
    }
    return found;
}

void grab(QWidget* shown, const QString& name) {
    const QString folder = QCoreApplication::applicationDirPath() + "/screenshots/";
    QDir().mkpath(folder);
    shown->window()->grab().save(folder + QString(name).replace(' ', '-') + ".png");
}

}  // namespace

// The windows in longer texts and from right to left: a translation that is longer than the
// English, or a language written the other way, must find room in every window.
class TranslationLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void longerTextsFit_data();
    void longerTextsFit();
    void rightToLeftMirrors_data() { longerTextsFit_data(); }
    void rightToLeftMirrors();
    void germanIsShown();

private:
    QTranslator pseudo_;
};

void TranslationLayoutTest::initTestCase() {
    QVERIFY(pseudo_.load(QStringLiteral(LUMIVEX_PSEUDO_QM)));
}

void TranslationLayoutTest::cleanupTestCase() {
    InstallTranslations(QLocale(QLocale::English));
    QCoreApplication::removeTranslator(&pseudo_);
    QApplication::setLayoutDirection(Qt::LeftToRight);
}

void TranslationLayoutTest::longerTextsFit_data() {
    QTest::addColumn<QString>("window");
    for (const char* name : kWindows)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TranslationLayoutTest::longerTextsFit() {
    QFETCH(QString, window);
    QCoreApplication::installTranslator(&pseudo_);
    MainFormFixture f;
    std::unique_ptr<QWidget> owned;
    QWidget* shown = show(f, window, owned);
    // The pseudo-translation is in force: the File menu's title is the longer one.
    QVERIFY2(f.ui().mnuFile->title().startsWith('['), qPrintable(f.ui().mnuFile->title()));
    grab(shown, "pseudo-" + window);
    const QStringList cut = clipped(shown);
    QCoreApplication::removeTranslator(&pseudo_);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
}

void TranslationLayoutTest::rightToLeftMirrors() {
    QFETCH(QString, window);
    // Where each named control stands from left to right, then from right to left.
    QHash<QString, QRect> leftToRight;
    for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        QApplication::setLayoutDirection(direction);
        MainFormFixture f;
        std::unique_ptr<QWidget> owned;
        QWidget* shown = show(f, window, owned);
        const QStringList covered = overlapping(shown);
        QVERIFY2(covered.isEmpty(), qPrintable(covered.join('\n')));
        QStringList unmirrored;
        for (QWidget* w : shown->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) ||
                !showing(w, shown) || w->isWindow())
                continue;
            if (direction == Qt::LeftToRight) {
                leftToRight.insert(w->objectName(), w->geometry());
                continue;
            }
            const QRect was = leftToRight.value(w->objectName());
            const int mirrored = w->parentWidget()->width() - was.right() - 1;
            if (!was.isNull() && std::abs(w->x() - mirrored) > 2 &&
                was.width() < w->parentWidget()->width())
                unmirrored << QStringLiteral("%1 at %2, not %3")
                                  .arg(w->objectName())
                                  .arg(w->x())
                                  .arg(mirrored);
        }
        if (direction == Qt::RightToLeft)
            grab(shown, "rtl-" + window);
        QApplication::setLayoutDirection(Qt::LeftToRight);
        QVERIFY2(unmirrored.isEmpty(), qPrintable(unmirrored.join('\n')));
    }
}

// In German the menus, Qt's own buttons and the help's start page are German (that the catalogue
// holds every text is ui.GermanCatalogue's test).
void TranslationLayoutTest::germanIsShown() {
    QCOMPARE(InstallTranslations(QLocale(QLocale::German, QLocale::Austria)), QStringLiteral("de"));
    QCOMPARE(UiLanguage(), QStringLiteral("de"));
    {
        MainFormFixture f;
        QCOMPARE(f.ui().mnuFile->title(), QStringLiteral("&Datei"));
        QCOMPARE(f.ui().New1->text(), QStringLiteral("&Neu..."));
        // Every menu reaches each of its entries by a key of its own.
        const auto key = [](const QString& text) {
            const qsizetype at = text.indexOf('&');
            return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
        };
        for (QMenu* menu : f.form->findChildren<QMenu*>()) {
            QSet<QChar> keys;
            for (QAction* action : menu->actions()) {
                const QChar k = key(action->text());
                QVERIFY2(k.isNull() || !keys.contains(k),
                         qPrintable(menu->title() + ": " + action->text()));
                keys.insert(k);
            }
        }
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
        const QString help = QStringLiteral(LUMIVEX_SOURCE_DIR "/share/help/");
        QCOMPARE(LocalizedHelpPage(help, QStringLiteral("index.html")),
                 QStringLiteral("index.de.html"));
        QCOMPARE(LocalizedHelpPage(help, QStringLiteral("publish_to_server.htm")),
                 QStringLiteral("publish_to_server.htm"));
    }
    // An English desktop needs no catalogue: the windows show the source texts again.
    QCOMPARE(InstallTranslations(QLocale(QLocale::English, QLocale::UnitedKingdom)), QString());
    MainFormFixture f;
    QCOMPARE(f.ui().mnuFile->title(), QStringLiteral("&File"));
}

LUMIVEX_UI_TEST(TranslationLayoutTest);
#include "TranslationLayoutTest.moc"
