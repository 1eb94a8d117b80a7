#include <QTest>
#include <memory>

#include "About.h"
#include "FakePlatform.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "MessageBox_LinkTip.h"
#include "Preview.h"
#include "PublishReport.h"
#include "UiTestSupport.h"
#include "WebBrowser.h"
#include "templet.h"

using namespace lumivex::ui;
using namespace lumivex::ui::testing;

namespace {

struct IdleHost final : PreviewHost, TemplateHost {
    void RefreshPreview() override {}
    void SetPreviewRefreshArmed(bool) override {}
    void ClearPreviewWindowMark() override {}
    void OpenProjectFile(const QString&) override {}
    void New1Click() override {}
};

std::unique_ptr<QWidget> MakeWindow(const QString& name, FakePlatform& fake, IdleHost& host) {
    const QString program = FreshFolder("program");
    if (name == "about")
        return std::make_unique<TformAbout>(fake.platform);
    if (name == "html")
        return std::make_unique<TformHTML>();
    if (name == "link tip")
        return std::make_unique<TfrmMsgBox_LinkTip>(fake.platform);
    if (name == "publish report")
        return std::make_unique<TfrmPublishReport>();
    if (name == "browser")
        return std::make_unique<TformWebBrowser>(fake.platform, nullptr,
                                                 [] { return QList<TWebBrowserNamePath>{}; });
    if (name == "templates")
        return std::make_unique<TfrmTemplet>(fake.platform, host, program);
    if (name == "preview")
        return std::make_unique<TfrmPreview>(fake.platform, host, program);
    return std::make_unique<TfrmHelp>();
}

}  // namespace

// What the window manager is asked for: dialogs with a title and a close box only; the preview
// a tool window above the editor; the help page a window of its own, which the editor may cover.
class WindowFrameTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesFitTheWindows_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("minimise");
        QTest::addColumn<bool>("onTop");
        for (const char* dialog :
             {"about", "html", "link tip", "publish report", "browser", "templates"})
            QTest::newRow(dialog) << dialog << int(Qt::Dialog) << false << false;
        QTest::newRow("preview") << "preview" << int(Qt::Tool) << false << true;
        QTest::newRow("help") << "help" << int(Qt::Window) << true << false;
    }

    void framesFitTheWindows() {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(bool, minimise);
        QFETCH(bool, onTop);
        FakePlatform fake;
        IdleHost host;
        const std::unique_ptr<QWidget> window = MakeWindow(name, fake, host);
        const Qt::WindowFlags flags = window->windowFlags();
        QCOMPARE(int(window->windowType()), type);
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(flags.testFlag(Qt::WindowMinimizeButtonHint), minimise);
        QCOMPARE(flags.testFlag(Qt::WindowStaysOnTopHint), onTop);
    }
};

LUMIVEX_UI_TEST(WindowFrameTest);

#include "WindowFrameTest.moc"
