#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <functional>

#include "EngineErrors.h"
#include "MainFormFixture.h"

using namespace lumivex;
using namespace lumivex::ui;
using namespace lumivex::ui::testing;

class PropertyBindingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyBoundControlExists();
    void fontListsCompleteTheirLastFamily_data();
    void fontListsCompleteTheirLastFamily();
    void everyFieldRoundTripsWithItsNormalisation();
    void conversionErrorKeepsLaterControls();
    void modifiedFlagPerControl();
    void pickers();
    void reservedSeparatorIsNeverStored();
    void legacyBytesSurviveUnedited();
    void pathToFileUrl();
    void recentFiles();
};

// A control renamed in the form would silently drop its field from every save.
void PropertyBindingTest::everyBoundControlExists() {
    MainFormFixture f;
    const QStringList names = PropertyBinder::BoundControlNames();
    QCOMPARE(names.size(), 54);  // 46 bindings of the settings, 7 of an item, the second radio
    for (const QString& name : names) {
        QWidget* control = f.form->findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QVERIFY2(f.ui().pgcntrl1->isAncestorOf(control), qPrintable(name));
    }
}

void PropertyBindingTest::everyFieldRoundTripsWithItsNormalisation() {
    MainFormFixture f;
    TAppletData in = f.agent().GetAppletData();
    in.CtrlId = "  Show_2  ";
    in.Reserved1 = "kept";
    in.Reserved16 = "also kept";
    in.SlideInfoOpacity = "12345";
    in.RotateDelay = "-20000";
    in.SlideShowWidth = " 640";
    in.SlideShowBackgroundColor = "a0b1c2";
    in.SlideShowLoadingBgColor = "transparent";
    in.SlideInfoBgColor = "TRANSPARENT";
    in.SlideInfoHeightAuto = "yes";
    in.SlideInfoTitleFontWeight = "0";
    in.SlideInfoDescFontStyle = "1";
    in.SlideInfoDescTextDecoration = "2";
    in.SlideInfoTitleFontFamily = " Georgia ";
    in.RootDirLocalChecked = "1";
    in.ImageLeadingPathEnabled = "1";
    in.ImageLeadingPath = "http://example.com/img/";
    f.agent().SetAppletData(in);
    f.form->binder().LoadAppletProperties();
    QVERIFY(f.ui().spdbtn_SlideShowLoadingBgColor->isChecked());
    QVERIFY(f.ui().rdbtnpInternalUse_RootDir_Local_Checked->isChecked());
    QVERIFY(!f.ui().rdbtnpInternalUse_RootDir_Local_Checked2->isChecked());
    f.form->binder().StoreAppletProperties();
    const TAppletData out = f.agent().GetAppletData();
    QCOMPARE(out.CtrlId, std::string("Show_2"));
    QCOMPARE(out.Reserved1, std::string("kept"));
    QCOMPARE(out.Reserved16, std::string("also kept"));
    QCOMPARE(out.SlideInfoOpacity, std::string("9999"));
    QCOMPARE(out.RotateDelay, std::string("-9999"));
    QCOMPARE(out.SlideShowWidth, std::string("640"));
    QCOMPARE(out.SlideShowBackgroundColor, std::string("A0B1C2"));
    QCOMPARE(out.SlideShowLoadingBgColor, std::string("Transparent"));
    QCOMPARE(out.SlideInfoBgColor, std::string("Transparent"));
    QCOMPARE(out.SlideInfoHeightAuto, std::string("0"));
    QCOMPARE(out.SlideInfoTitleFontWeight, std::string("0"));
    QCOMPARE(out.SlideInfoDescFontStyle, std::string("1"));
    QCOMPARE(out.SlideInfoDescTextDecoration, std::string("0"));
    QCOMPARE(out.SlideInfoTitleFontFamily, std::string("Georgia"));
    QCOMPARE(out.RootDirLocalChecked, std::string("1"));
    QCOMPARE(out.ImageLeadingPathEnabled, std::string("1"));
    QCOMPARE(out.ImageLeadingPath, std::string("http://example.com/img/"));
    // Every other field comes back as it went in.
    const TAppletData defaults = DefaultAppletData();
    QCOMPARE(out.SlideInfoDescPaddingLeft, defaults.SlideInfoDescPaddingLeft);
    QCOMPARE(out.SlideInfoTitleColor, defaults.SlideInfoTitleColor);

    // Releasing a "T" button gives the swatch's colour: black after "Transparent".
    f.ui().spdbtn_SlideShowLoadingBgColor->setChecked(false);
    f.form->binder().StoreAppletProperties();
    QCOMPARE(f.agent().GetAppletData().SlideShowLoadingBgColor, std::string("000000"));

    // Loading "0" clears the radio button without choosing the other one.
    in = f.agent().GetAppletData();
    in.RootDirLocalChecked = "0";
    f.agent().SetAppletData(in);
    f.form->binder().LoadAppletProperties();
    QVERIFY(!f.ui().rdbtnpInternalUse_RootDir_Local_Checked->isChecked());
    QVERIFY(!f.ui().rdbtnpInternalUse_RootDir_Local_Checked2->isChecked());
    // Clearing the leading path's check box disables its edit.
    QVERIFY(f.ui().edt_pImageLeadingPath->isEnabled());
    f.ui().chbx_pImageLeadingPathEnabled->click();
    QVERIFY(!f.ui().edt_pImageLeadingPath->isEnabled());

    // Item fields: trimmed link, any target text, untouched unbound fields.
    QTreeWidgetItem* node = f.insert(f.root(), "Item");
    TItemData item = f.agent().GetItem(0);
    item.LinkUrl = "  http://example.com/  ";
    item.LinkTarget = "frame7";
    item.SlideImageFile = "slider0.jpg";
    f.agent().SetItem(item, 0);
    f.select(node);
    f.form->binder().StoreItemProperties(0);
    f.select(f.root());
    QCOMPARE(f.agent().GetItem(0).LinkUrl, std::string("http://example.com/"));
    QCOMPARE(f.agent().GetItem(0).LinkTarget, std::string("frame7"));
    QCOMPARE(f.agent().GetItem(0).SlideImageFile, std::string("slider0.jpg"));

    // Text typed into a spin box that is not a whole number is stored as the minimum.
    f.ui().spnedt_SlideShowZIndex->findChild<QLineEdit*>()->setText(QStringLiteral("-"));
    f.form->binder().StoreAppletProperties();
    QCOMPARE(f.agent().GetAppletData().SlideShowZIndex, std::string("-9999"));
}

void PropertyBindingTest::conversionErrorKeepsLaterControls() {
    MainFormFixture f;
    f.ui().spnedt_SlideShowWidth->setValue(123);
    f.ui().spnedt_rotateDelay->setValue(777);
    TAppletData in = f.agent().GetAppletData();
    in.SlideInfoOpacity = "12";
    in.RotateDelay = "abc";
    in.SlideShowWidth = "640";
    f.agent().SetAppletData(in);
    QVERIFY_THROWS_EXCEPTION(ConversionError, f.form->binder().LoadAppletProperties());
    QCOMPARE(f.ui().spnedt_slideInfoOpacity->value(), 12);
    QCOMPARE(f.ui().spnedt_rotateDelay->value(), 777);
    QCOMPARE(f.ui().spnedt_SlideShowWidth->value(), 123);
}

void PropertyBindingTest::modifiedFlagPerControl() {
    MainFormFixture f;
    f.select(f.insert(f.root(), "Edited"));
    // Changes that reach the project, however small, are not lost at Exit.
    const std::function<void()> changes[] = {
        [&] { f.ui().spnedt_SlideShowWidth->setValue(500); },
        [&] { f.ui().spdbtn_SlideInfoTitleFontWeight->click(); },
        [&] { f.ui().chbx_SlideInfoHeight->click(); },
        [&] {
            f.ui().rdbtnpInternalUse_RootDir_Local_Checked->click();
            f.form->document().setModified(false);
            f.ui().rdbtnpInternalUse_RootDir_Local_Checked2->click();
        },
        [&] { f.ui().edt_SlideInfoTitleFontFamily->setText("Arial"); },
        [&] { f.ui().edt_pImageLeadingPath->setText("x/"); },
        [&] { f.ui().edtOriginalImagePath->setText("/tmp/a.jpg"); },
    };
    for (const auto& change : changes) {
        f.form->document().setModified(false);
        change();
        QVERIFY(f.form->document().isModified());
    }
    for (QWidget* control : {static_cast<QWidget*>(f.ui().edt_ctrlId),
                             static_cast<QWidget*>(f.ui().edt_SlideShowLoadingBgImage),
                             static_cast<QWidget*>(f.ui().edtpInternalUse_RootDir_Local),
                             static_cast<QWidget*>(f.ui().edtpInternalUse_RootDir_Remote),
                             static_cast<QWidget*>(f.ui().edt_Text)}) {
        f.form->document().setModified(false);
        static_cast<QLineEdit*>(control)->setText("changed");
        QVERIFY2(f.form->document().isModified(), qPrintable(control->objectName()));
    }
    f.form->document().setModified(false);
    f.ui().cmbx_Target->setEditText("_top");
    QVERIFY(f.form->document().isModified());
    // A cancelled colour dialog changes nothing; a chosen colour leaves a pressed "T" button
    // pressed.
    f.ui().spdbtn_SlideInfoBgColor->setChecked(true);
    f.form->document().setModified(false);
    f.ui().pnl_SlideInfoBgColor->click();
    QVERIFY(!f.form->document().isModified());
    f.dialogs.colors = {QColor(0x12, 0x34, 0x56)};
    f.ui().pnl_SlideInfoBgColor->click();
    QCOMPARE(f.dialogs.colorRequests.last(), QColor(Qt::black));
    f.form->binder().StoreAppletProperties();
    QCOMPARE(f.agent().GetAppletData().SlideInfoBgColor, std::string("Transparent"));
    f.ui().spdbtn_SlideInfoBgColor->setChecked(false);
    f.form->binder().StoreAppletProperties();
    QCOMPARE(f.agent().GetAppletData().SlideInfoBgColor, std::string("123456"));
}

void PropertyBindingTest::pickers() {
    MainFormFixture f;
    f.select(f.insert(f.root(), "Pictured"));
    const QString pictures = FreshFolder("pictures");
    WriteFile(pictures + "wait.gif", "GIF89a");
    f.form->document().setModified(false);
    f.dialogs.fileAnswers = {pictures + "photo.jpg"};
    f.ui().spdbtnOriginalImagePath->click();
    QCOMPARE(f.ui().edtOriginalImagePath->text(), pictures + "photo.jpg");
    QVERIFY(f.form->document().isModified());
    QVERIFY(f.dialogs.files[0].filter.startsWith("All Image Files(*.gif;*.jpg;*.jpeg)|"));

    f.form->document().setModified(false);
    f.dialogs.fileAnswers = {pictures + "wait.gif"};
    f.ui().spdbtn_SlideShowLoadingBgImage->click();
    QCOMPARE(f.ui().edt_SlideShowLoadingBgImage->text(), QStringLiteral("wait.gif"));
    QVERIFY(f.form->document().isModified());
    QVERIFY(QFile::exists(f.folder + "preview/wait.gif"));

    // The link tip shows while the setting allows it; its answer becomes the item's link, as a
    // file URL.
    f.form->document().setModified(false);
    f.settings.values.insert(kSettingsKey + "/ShowLinkTipDialog", 0);
    f.dialogs.fileAnswers = {QStringLiteral("/home/me/my site/a.html")};
    f.ui().spdbtnItURL->click();
    QCOMPARE(f.ui().cmbx_Link->currentText(), QStringLiteral("file:///home/me/my%20site/a.html"));
    QCOMPARE(f.dialogs.files.last().filter,
             QStringLiteral("HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*"));
    QVERIFY(f.form->document().isModified());
}

void PropertyBindingTest::reservedSeparatorIsNeverStored() {
    MainFormFixture f;
    f.ui().edt_ctrlId->setText("ab#$@cd");
    QCOMPARE(f.dialogs.messageTexts(),
             QStringList{"The text can't include \"#$@\", it is used by system!"});
    QCOMPARE(f.dialogs.messages[0].buttons, QList<MessageButton>{MessageButton::Yes});
    QVERIFY(f.ui().edt_ctrlId->text().isEmpty());
    // Typed one key at a time, in a combo box.
    f.dialogs.clear();
    f.ui().cmbx_Link->setEditText(QString());
    f.ui().cmbx_Link->setFocus();
    QTest::keyClicks(f.ui().cmbx_Link, "x#$@");
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.ui().cmbx_Link->currentText().isEmpty());
    f.dialogs.clear();
    f.ui().edt_SlideInfoTitleFontFamily->setText("Arial#$@");
    QCOMPARE(f.dialogs.messages.size(), 1);
}

void PropertyBindingTest::legacyBytesSurviveUnedited() {
    MainFormFixture f;
    QTreeWidgetItem* node = f.insert(f.root(), "x");
    TItemData item = f.agent().GetItem(0);
    item.Title = "Caf\xe9";                   // Windows-1252
    item.Description = "Gr\xc3\xbc\xc3\x9f";  // UTF-8
    f.agent().SetItem(item, 0);
    f.select(node);
    QCOMPARE(f.ui().edt_Text->text(), QString::fromUtf8("Caf\xc3\xa9"));
    QCOMPARE(f.ui().edt_Description->text(), QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"));
    f.select(f.root());
    QCOMPARE(f.agent().GetItem(0).Title, std::string("Caf\xe9"));
    f.select(node);
    f.ui().edt_Text->setText(QString::fromUtf8("Caf\xc3\xa9!"));
    f.select(f.root());
    QCOMPARE(f.agent().GetItem(0).Title, std::string("Caf\xc3\xa9!"));
}

void PropertyBindingTest::pathToFileUrl() {
    QCOMPARE(PropertyBinder::PathToFileUrl("C:\\site\\a.html"),
             QStringLiteral("file:///C|/site/a.html"));
    QCOMPARE(PropertyBinder::PathToFileUrl("/home/me/help/x.htm"),
             QStringLiteral("file:///home/me/help/x.htm"));
}

void PropertyBindingTest::recentFiles() {
    MainFormFixture f;
    const QString site = FreshFolder("recent");
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths << site + QStringLiteral("p%1.lvx").arg(i);
        f.form->recentFiles().AddRecentFile(paths.last());
    }
    const QByteArray expected = "&1 " + paths[4].toUtf8() + "\r\n&2 " + paths[3].toUtf8() +
                                "\r\n&3 " + paths[2].toUtf8() + "\r\n&4 " + paths[1].toUtf8() +
                                "\r\n";
    QCOMPARE(ReadFile(f.folder + "recentfile.dat"), expected);
    // A listed path keeps its place; another letter case is another file.
    f.form->recentFiles().AddRecentFile(paths[2]);
    QCOMPARE(ReadFile(f.folder + "recentfile.dat"), expected);
    f.form->recentFiles().AddRecentFile(paths[2].toUpper());
    QVERIFY(ReadFile(f.folder + "recentfile.dat").startsWith("&1 " + paths[2].toUpper().toUtf8()));
    const QList<QAction*> entries = f.ui().mnitRecentFiles->actions();
    QCOMPARE(entries.size(), 4);
    QVERIFY(entries[1]->text().startsWith("&2 "));
    // Clicking an entry opens it (here: a file that cannot be read, which the report shows).
    f.dialogs.answers = {MessageButton::No};
    QVERIFY_THROWS_EXCEPTION(FileError, f.form->recentFiles().RecentFileClick(entries[1]));
}

void PropertyBindingTest::fontListsCompleteTheirLastFamily_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("completed");
    QTest::newRow("one family") << "sans-s"
                                << "sans-serif";
    QTest::newRow("after a list") << "Verdana, Arial, SANS-"
                                  << "Verdana, Arial, sans-serif";
}

// The family being typed is completed from the installed ones; the list before it stays.
void PropertyBindingTest::fontListsCompleteTheirLastFamily() {
    QFETCH(QString, typed);
    QFETCH(QString, completed);
    MainFormFixture f;
    for (QLineEdit* edit :
         {f.ui().edt_SlideInfoTitleFontFamily, f.ui().edt_SlideInfoDescFontFamily}) {
        QCompleter* completer = edit->completer();
        QVERIFY(completer != nullptr);
        edit->setText(typed);
        completer->setCompletionPrefix(completer->splitPath(typed).first());
        QVERIFY(completer->setCurrentRow(0));
        QCOMPARE(completer->pathFromIndex(completer->currentIndex()), completed);
    }
}

LUMIVEX_UI_TEST(PropertyBindingTest);
#include "PropertyBindingTest.moc"
