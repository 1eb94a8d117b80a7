#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

#include "MainFormFixture.h"
#include "Preview.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

// The window shown with its live preview docked beside the pages; the entry starts checked
// with the dock hidden, so the first trigger only clears the mark.
QWebEngineView* showLivePreview(MainFormFixture& f) {
    f.form->resize(1400, 700);
    f.form->show();
    f.ui().PreviewWindow1->trigger();
    f.ui().PreviewWindow1->trigger();
    return f.form->preview().frmPreview()->WebBrowser();
}

}  // namespace

class PreviewProtocolTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hiddenPreviewLoadsNothing();
    void shownPreviewRebuildsAndReloads();
    void theDockFollowsTheSelectionAndTakesAPhonesWidth_data();
    void theDockFollowsTheSelectionAndTakesAPhonesWidth();
    void aNewBoxShowsAtOnceAndItsPicturesFollow();
    void captionsAndStyleChangeInPlace_data();
    void captionsAndStyleChangeInPlace();
    void aClickOnTheHeldSlideSetsItsFocalPoint_data();
    void aClickOnTheHeldSlideSetsItsFocalPoint();
    void unwritableProgramFolderStillStarts();
};

void PreviewProtocolTest::hiddenPreviewLoadsNothing() {
    MainFormFixture f;
    f.insert(f.root(), "One");
    f.ui().edt_IToolTip->setText("edit");
    f.ui().spnedt_SlideShowWidth->setValue(300);
    QVERIFY(f.form->preview().refreshArmed());
    QVERIFY(!QFile::exists(f.folder + "preview/~preview.html"));
    QVERIFY(f.form->preview().frmPreview()->WebBrowser() == nullptr);
}

void PreviewProtocolTest::shownPreviewRebuildsAndReloads() {
    MainFormFixture f;
    f.insert(f.root(), "Shown");
    f.form->show();
    // The entry starts checked with the window hidden: the first click only clears the mark.
    QVERIFY(f.ui().PreviewWindow1->isChecked());
    f.ui().PreviewWindow1->trigger();
    QVERIFY(!f.form->preview().frmPreview()->isVisible());
    f.ui().PreviewWindow1->trigger();
    TfrmPreview* preview = f.form->preview().frmPreview();
    QVERIFY(preview->isVisible());
    QVERIFY(f.ui().PreviewWindow1->isChecked());
    QWebEngineView* view = preview->WebBrowser();
    QVERIFY(view != nullptr);
    // The page was rebuilt into the preview folder, the flag disarmed until the load ends.
    const QByteArray page = ReadFile(f.folder + "preview/~preview.html");
    QVERIFY(page.contains("Lumivex1_div"));
    QVERIFY(QFile::exists(f.folder + "preview/lumivex.js"));
    QVERIFY(!QFile::exists(f.form->scratchFolder() + "~preview.html"));
    QVERIFY(!f.form->preview().refreshArmed());
    QTRY_VERIFY_WITH_TIMEOUT(view->url().toLocalFile().endsWith("preview/~preview.html"), 20000);
    // With Auto Refresh pressed the finished load arms the next edit.
    QTRY_VERIFY_WITH_TIMEOUT(f.form->preview().refreshArmed(), 20000);
    QSignalSpy loads(view, &QWebEngineView::loadFinished);
    f.select(f.root()->child(0));
    QTRY_VERIFY_WITH_TIMEOUT(f.form->preview().refreshArmed(), 20000);
    loads.clear();
    f.ui().edt_IToolTip->setText("edited");
    QVERIFY(!f.form->preview().refreshArmed());
    QVERIFY(loads.wait(20000));

    // Closing the window clears the menu mark; hidden again, edits load nothing.
    preview->close();
    QVERIFY(!f.ui().PreviewWindow1->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(f.form->preview().refreshArmed(), 20000);
    loads.clear();
    f.ui().edt_IToolTip->setText("while hidden");
    QVERIFY(f.form->preview().refreshArmed());
    QTest::qWait(200);
    QCOMPARE(loads.size(), 0);
}

void PreviewProtocolTest::theDockFollowsTheSelectionAndTakesAPhonesWidth_data() {
    QTest::addColumn<QString>("output");
    QTest::newRow("classic") << "Classic";
    QTest::newRow("modern") << "Modern";
}

void PreviewProtocolTest::theDockFollowsTheSelectionAndTakesAPhonesWidth() {
    QFETCH(QString, output);
    MainFormFixture f;
    f.agent().Options.set("WebOutput", output.toStdString());
    for (const char* title : {"First", "Second", "Third"})
        f.insert(f.root(), title);
    QWebEngineView* view = showLivePreview(f);
    QVERIFY(f.form->findChild<QDockWidget*>("dckPreview")->isVisible());
    QVERIFY(view != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(view->url().toLocalFile().endsWith("preview/~preview.html"), 20000);
    const QString caption =
        QStringLiteral("(document.querySelector('[class*=_SlideInfoTitle]') || {}).textContent");
    f.select(f.root()->child(2));
    QVERIFY(pageGives(view, caption, QStringLiteral("Third")));
    f.select(f.root()->child(1));
    QVERIFY(pageGives(view, caption, QStringLiteral("Second")));
    // Typed while the page reloads: the last text shows all the same.
    f.ui().edt_Text->setText("Second, edited");
    f.ui().edt_Text->setText("Second, edited twice");
    QVERIFY(pageGives(view, caption, QStringLiteral("Second, edited twice")));
    // The runtime that publishes is not the preview's.
    QVERIFY(!ReadFile(f.folder + "lumivex.js").contains("lumivexPreviewShow"));

    // A phone's width, density and touch screen, until another size is chosen.
    const QString device = QStringLiteral(
        "innerWidth + ' ' + devicePixelRatio + ' ' + matchMedia('(pointer: coarse)').matches");
    auto* size = f.form->preview().frmPreview()->findChild<QComboBox*>("cmbPreviewSize");
    size->setCurrentIndex(2);
    QVERIFY(pageGives(view, device, QStringLiteral("390 3 true")));
    size->setCurrentIndex(0);
    QVERIFY(pageGives(view,
                      QStringLiteral("devicePixelRatio + ' ' + matchMedia('(pointer: "
                                     "coarse)').matches"),
                      QStringLiteral("1 false")));
}

// A box of a new size shows with the pictures staged before; the ones made for it follow.
void PreviewProtocolTest::aNewBoxShowsAtOnceAndItsPicturesFollow() {
    MainFormFixture f;
    const QString photo = FreshFolder(QStringLiteral("box")) + "photo.png";
    QImage picture(800, 600, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(photo));
    f.insert(f.root(), "Slide");
    f.agent().Items[0].OriginalImagePath = QFile::encodeName(photo).toStdString();
    QWebEngineView* view = showLivePreview(f);
    const QString slide = QStringLiteral(
        "([...document.images].find((i) => /slider0/.test(i.src) && i.complete) || "
        "{}).naturalWidth");
    QVERIFY(pageGives(view, slide, 400));
    f.ui().spnedt_SlideShowWidth->setValue(200);
    QCOMPARE(f.agent().PendingSlides.size(), std::size_t{1});
    QCOMPARE(f.agent().Items[0].ImageWidth, std::string("400"));
    QVERIFY(
        pageGives(view, QStringLiteral("document.querySelector('[id$=_div]').offsetWidth"), 200));
    QVERIFY(pageGives(view, slide, 200));
}

void PreviewProtocolTest::captionsAndStyleChangeInPlace_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("seen");  // read in the page until it gives `want`
    QTest::addColumn<QString>("want");
    QTest::addColumn<bool>("inPlace");
    const QString title = "document.querySelector('[class*=_SlideInfoTitle]').textContent";
    const QString desc = "document.querySelector('[class*=_SlideInfoDesc]').textContent";
    const QString rules =
        "String([...document.styleSheets].some((s) => "
        "[...s.cssRules].some((r) => /font-size: [^;]*31px/.test(r.cssText))))";
    for (const QString output : {"Classic", "Modern"}) {
        const QByteArray o = output.toLatin1();
        QTest::newRow(o + " title") << output << "edt_Text"
                                    << "Typed" << title << "Typed" << true;
        QTest::newRow(o + " description") << output << "edt_Description"
                                          << "Told" << desc << "Told" << true;
        QTest::newRow(o + " font size") << output << "spnedt_SlideInfoTitleFontSize"
                                        << "31" << rules << "true" << true;
        QTest::newRow(o + " tooltip, in the slide's markup")
            << output << "edt_IToolTip"
            << "Hint" << title << "Second" << false;
        QTest::newRow(o + " timing") << output << "spnedt_rotateDelay"
                                     << "4321" << title << "Second" << false;
    }
}

// Caption texts and style sheet edits reach the loaded page without a reload (a mark set in
// the page stays); what the slides' markup or the timeline holds reloads it.
void PreviewProtocolTest::captionsAndStyleChangeInPlace() {
    QFETCH(QString, output);
    QFETCH(QString, control);
    QFETCH(QString, value);
    QFETCH(QString, seen);
    QFETCH(QString, want);
    QFETCH(bool, inPlace);
    MainFormFixture f;
    f.agent().Options.set("WebOutput", output.toStdString());
    f.insert(f.root(), "First");
    f.insert(f.root(), "Second");
    QWebEngineView* view = showLivePreview(f);
    f.select(f.root()->child(1));
    const QString title =
        QStringLiteral("(document.querySelector('[class*=_SlideInfoTitle]') || {}).textContent");
    QVERIFY(pageGives(view, title, QStringLiteral("Second")));
    QTRY_VERIFY_WITH_TIMEOUT(f.form->preview().refreshArmed(), 20000);
    QVERIFY(pageGives(view, QStringLiteral("window.kept = 'kept'"), QStringLiteral("kept")));
    QWidget* edited = f.form->findChild<QWidget*>(control);
    if (auto* spin = qobject_cast<QSpinBox*>(edited))
        spin->setValue(value.toInt());
    else
        qobject_cast<QLineEdit*>(edited)->setText(value);
    QVERIFY(pageGives(view, seen, want));
    QTRY_VERIFY_WITH_TIMEOUT(f.form->preview().refreshArmed(), 20000);
    QVERIFY(pageGives(view, QStringLiteral("String(window.kept)"),
                      inPlace ? QStringLiteral("kept") : QStringLiteral("undefined")));
    // The slide stays held with the caption in.
    QVERIFY(pageGives(view, title, control == "edt_Text" ? value : QStringLiteral("Second")));
}

void PreviewProtocolTest::aClickOnTheHeldSlideSetsItsFocalPoint_data() {
    QTest::addColumn<QString>("fit");
    QTest::addColumn<QString>("point");
    // A square photo in a 400 x 200 box: fitted, the click's place in the picture is the point;
    // filled, the picture shown is rows 100 to 300 of a 400 x 400 copy.
    QTest::newRow("fit") << "Fit"
                         << "25,75";
    QTest::newRow("fill") << "Fill"
                          << "25,62.5";
}

void PreviewProtocolTest::aClickOnTheHeldSlideSetsItsFocalPoint() {
    QFETCH(QString, fit);
    QFETCH(QString, point);
    MainFormFixture f;
    f.agent().Options.set("SlideFit", fit.toStdString());
    const QString photo = FreshFolder(QStringLiteral("click")) + "photo.png";
    QImage picture(600, 600, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(photo));
    f.insert(f.root(), "Slide");
    f.agent().Items[0].OriginalImagePath = QFile::encodeName(photo).toStdString();
    f.ui().spnedt_SlideShowWidth->setValue(400);
    f.ui().spedt_SlideShowHeight->setValue(200);
    QWebEngineView* view = showLivePreview(f);
    f.select(f.root()->child(0));
    QTRY_VERIFY_WITH_TIMEOUT(f.ui().pntFocalPoint->hasPicture(), 10000);
    QVERIFY(pageGives(view, QStringLiteral("String(window.lumivexHeld)"), QStringLiteral("0")));
    const QString click = QStringLiteral(
        "(function () {"
        "  var img = [...document.images].find((i) => /slider0/.test(i.src) && i.complete);"
        "  if (!img) return 'none';"
        "  var r = img.getBoundingClientRect();"
        "  return String(img.dispatchEvent(new MouseEvent('click', {bubbles: true,"
        "    cancelable: true, clientX: r.left + r.width / 4, clientY: r.top + r.height * 3 / "
        "4})));"
        "})()");
    // Not followed as a link: the click is taken.
    QVERIFY(pageGives(view, click, QStringLiteral("false")));
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(f.agent().Items[0].Reserved6), point, 10000);
    QCOMPARE(f.form->document().history().undoText(), QStringLiteral("Change Focal Point"));
}

void PreviewProtocolTest::unwritableProgramFolderStillStarts() {
    FakeDialogs dialogs;
    FakeShell shell;
    MemorySettingsStore settings;
    Platform platform{dialogs, shell, settings};
    ErrorReport::setDialogs(&dialogs);
    // A folder below a regular file can never be created, whoever runs the test.
    const QString blocked = FreshFolder("blocked");
    WriteFile(blocked + "file", "x");
    TMainForm form(platform, blocked + "file/program/");
    ErrorReport::setDialogs(nullptr);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
    QVERIFY(form.form()->mnitRecentFiles->actions().isEmpty());
    // What comes after the list still ran.
    QVERIFY(form.preview().refreshArmed());
    QVERIFY(!form.document().isModified());
    QCOMPARE(form.form()->pgcntrl1->currentWidget(), form.form()->tbshtScript);
}

LUMIVEX_UI_TEST(PreviewProtocolTest);
#include "PreviewProtocolTest.moc"
