// In-process timings of the editor's main window, built over simple doubles of its seams:
//   bench_editor_ops photos FOLDER                 Add Photos on a folder of photos, and their
//                                                  pictures in the tree
//   bench_editor_ops ops PROJECT.lvx [ROUNDS]      Open, Insert, Move Down, Undo and Redo on a
//                                                  large project
//   bench_editor_ops preview PROJECT.lvx [ROUNDS]  Refresh in the preview window to page loaded
//   bench_editor_ops live PROJECT.lvx [ROUNDS]     The live preview: its first slide from a cold
//                                                  cache, then a character typed into a caption
//                                                  and a change of the box's width, each until
//                                                  the page shows it; then a new photo for the
//                                                  held slide from each JPEG in PROJECT's new/
//   bench_editor_ops save FOLDER [KEEP.lvx]        Save of a project of the folder's photos, cold:
//                                                  its time and the event loop's longest block;
//                                                  then one cancelled midway, how long Cancel
//                                                  took and whether the folder stayed as it was
// Each time includes the events the command leaves behind (layout and painting). Settings,
// data and cache live in a temporary folder. Prints "name median_ms min_ms" lines.
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "ErrorReport.h"
#include "MainForm.h"
#include "PhotosIn.h"
#include "PreviewController.h"
#include "ProjectDocument.h"
#include "Thumbnails.h"
#include "TreePanel.h"
#include "UsableCores.h"
#include "image/Image.h"
#include "image/SlidePicture.h"

using namespace lumivex::ui;

namespace {

// Dialogs answer at once: message boxes with their first button, the open dialog with the
// project under test; anything else is cancelled.
class AnsweringDialogs final : public Dialogs {
public:
    MessageButton message(QWidget*, MessageKind, const QString& text,
                          const QList<MessageButton>& buttons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons.isEmpty() ? MessageButton::None : buttons.first();
    }
    std::optional<QString> openFile(QWidget*, const QString&, const QString&) override {
        return openAnswer;
    }
    std::optional<QString> saveFile(QWidget*, const QString&, const QString&) override {
        return saveAnswer;
    }
    QStringList openFiles(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QColor> pickColor(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<QString> askSecret(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<QString> pickFolder(QWidget*, const QString&) override { return folderAnswer; }
    QString openAnswer;
    std::optional<QString> folderAnswer;
    std::optional<QString> saveAnswer;
};

class QuietShell final : public Shell {
public:
    void open(const QString&) override {}
    void startProgram(const QString&, const QString&) override {}
};

class MemorySettings final : public SettingsStore {
public:
    SettingRead read(const QString& key, const QString& name) override {
        const auto found = values.constFind(key + '/' + name);
        if (found == values.constEnd())
            return {ReadStatus::Missing, {}};
        return {ReadStatus::Present, *found};
    }
    bool keyExists(const QString& key) override {
        for (auto it = values.constBegin(); it != values.constEnd(); ++it)
            if (it.key().startsWith(key + '/'))
                return true;
        return false;
    }
    bool write(const QString& key, const QString& name, const QVariant& value) override {
        values.insert(key + '/' + name, value);
        return true;
    }
    SettingRead readSystemRecord(bool, const QString&, const QString&) override {
        return {ReadStatus::Missing, {}};
    }
    QHash<QString, QVariant> values;
};

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The command, then the events it posted (layout, painting), on the clock.
double timeCommand(const std::function<void()>& command) {
    QElapsedTimer timer;
    timer.start();
    command();
    QCoreApplication::processEvents();
    return elapsedMs(timer);
}

void report(const char* name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s %.2f %.2f\n", name, times[times.size() / 2], times.front());
    std::fflush(stdout);
}

void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench_editor_ops: %s\n", what);
    std::exit(1);
}

int runOps(TMainForm& form, AnsweringDialogs& dialogs, const QString& project, int rounds) {
    dialogs.openAnswer = project;
    auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("trvwDesignPanel"));
    if (tree == nullptr)
        fail("no item tree");
    std::vector<double> open, insert, moveDown, undo, redo;
    size_t items = 0;
    for (int r = 0; r < rounds; ++r) {
        form.document().setModified(false);
        open.push_back(timeCommand([&] { form.Open1Click(); }));
        items = form.agent().Items.size();
        QTreeWidgetItem* root = tree->topLevelItem(0);
        if (root == nullptr || root->childCount() < 2)
            fail("the project did not open");
        // The first slide: every item after it moves in the list.
        tree->setCurrentItem(root->child(0));
        QCoreApplication::processEvents();
        insert.push_back(timeCommand([&] { form.tree().Insert1Click(); }));
        if (form.agent().Items.size() != items + 1)
            fail("Insert added no item");
        tree->setCurrentItem(root->child(0));
        QCoreApplication::processEvents();
        moveDown.push_back(timeCommand([&] { form.tree().MoveDown1Click(); }));
        if (root->indexOfChild(tree->currentItem()) != 1)
            fail("Move Down did not move the item");
        // Back over the move and the insert, and forward again.
        for (int step = 0; step < 2; ++step)
            undo.push_back(timeCommand([&] { form.Undo1Click(); }));
        if (form.agent().Items.size() != items)
            fail("Undo did not take the insert back");
        for (int step = 0; step < 2; ++step)
            redo.push_back(timeCommand([&] { form.Redo1Click(); }));
        if (form.agent().Items.size() != items + 1)
            fail("Redo did not insert again");
    }
    // Every slide selected, one field typed for all of them, and that edit undone.
    auto* description = form.findChild<QLineEdit*>(QStringLiteral("edt_Description"));
    std::vector<double> bulkEdit, bulkUndo, relink;
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    tree->selectAll();
    QCoreApplication::processEvents();
    for (int r = 0; r < rounds; ++r) {
        bulkEdit.push_back(
            timeCommand([&] { description->setText(QStringLiteral("Bulk %1").arg(r)); }));
        if (form.agent().Items.back().Description != "Bulk " + std::to_string(r))
            fail("the bulk edit missed an item");
        bulkUndo.push_back(timeCommand([&] { form.Undo1Click(); }));
    }
    // Every photo moved into subfolders of one folder, found again there.
    const QString moved = QDir::tempPath() + QStringLiteral("/lumivex-bench-relink/");
    QDir(moved).removeRecursively();
    for (std::size_t k = 0; k < form.agent().Items.size(); ++k) {
        const QString name = QStringLiteral("photo%1.jpg").arg(k);
        const QString folder = moved + QStringLiteral("%1/").arg(k % 40);
        QDir().mkpath(folder);
        QFile(folder + name).open(QIODevice::WriteOnly);
        form.agent().Items[k].OriginalImagePath = "/gone/photos/" + name.toStdString();
    }
    dialogs.folderAnswer = moved;
    for (int r = 0; r < rounds; ++r) {
        relink.push_back(timeCommand([&] { form.photos().FindMissingPhotos1Click(); }));
        if (form.agent().Items.front().OriginalImagePath.rfind("/gone/", 0) == 0)
            fail("Find Missing Photos relinked nothing");
        form.Undo1Click();
    }
    QDir(moved).removeRecursively();
    std::printf("items %zu\n", items);
    report("bulkedit", bulkEdit);
    report("bulkundo", bulkUndo);
    report("relink", relink);
    report("open", open);
    report("insert", insert);
    report("movedown", moveDown);
    report("undo", undo);
    report("redo", redo);
    return 0;
}

int runPreview(TMainForm& form, AnsweringDialogs& dialogs, const QString& project, int rounds) {
    dialogs.openAnswer = project;
    form.Open1Click();
    auto* previewWindow = form.findChild<QAction*>(QStringLiteral("PreviewWindow1"));
    if (previewWindow == nullptr)
        fail("no Preview Window command");
    // The command shows the window when it turns the mark on; the first page load starts the
    // browser process, and the image cache is filled behind it.
    QElapsedTimer cold;
    cold.start();
    previewWindow->setChecked(false);
    previewWindow->trigger();
    TfrmPreview* preview = form.preview().frmPreview();
    if (preview == nullptr || !preview->isVisible() || preview->WebBrowser() == nullptr)
        fail("the preview window did not show its browser");
    QWebEngineView* view = preview->WebBrowser();
    int loads = 0;
    bool lastOk = false;
    QObject::connect(view, &QWebEngineView::loadFinished, [&](bool ok) {
        ++loads;
        lastOk = ok;
    });
    const auto waitForLoad = [&](int before) {
        if (loads == before) {
            QEventLoop loop;
            const auto done =
                QObject::connect(view, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
            QTimer::singleShot(20000, &loop, &QEventLoop::quit);
            loop.exec();
            QObject::disconnect(done);
        }
        if (loads == before || !lastOk)
            fail("the preview page did not load");
    };
    waitForLoad(0);
    std::printf("preview_first_load %.2f\n", elapsedMs(cold));
    // The slides away from view are made behind; the rounds start with all of them cached.
    while (form.preview().makingSlides())
        settle(100);
    // The window's own refresh a second after showing; let it pass.
    settle(1500);
    auto* refresh = preview->findChild<QToolButton*>(QStringLiteral("spdbtnReload"));
    if (refresh == nullptr)
        fail("no Refresh button");
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        settle(100);
        const int before = loads;
        QElapsedTimer timer;
        timer.start();
        refresh->click();
        waitForLoad(before);
        times.push_back(elapsedMs(timer));
    }
    report("preview_refresh", times);
    return 0;
}

// How long until `script` gives `want` in the page, asked as often as the page answers; -1
// after `timeoutMs`.
double untilPageGives(QWebEngineView* view, const QString& script, const QVariant& want,
                      int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QVariant got;
        bool answered = false;
        view->page()->runJavaScript(script, [&](const QVariant& v) {
            got = v;
            answered = true;
        });
        while (!answered && timer.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (answered && got == want)
            return elapsedMs(timer);
    }
    return -1;
}

void reportWorst(const char* name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s %.2f %.2f %.2f\n", name, times[times.size() / 2], times.front(), times.back());
    std::fflush(stdout);
}

int runLive(TMainForm& form, AnsweringDialogs& dialogs, const QString& project, int rounds) {
    dialogs.openAnswer = project;
    form.Open1Click();
    auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("trvwDesignPanel"));
    auto* caption = form.findChild<QLineEdit*>(QStringLiteral("edt_Text"));
    auto* width = form.findChild<QSpinBox*>(QStringLiteral("spnedt_SlideShowWidth"));
    auto* previewWindow = form.findChild<QAction*>(QStringLiteral("PreviewWindow1"));
    if (tree == nullptr || caption == nullptr || width == nullptr || previewWindow == nullptr ||
        tree->topLevelItem(0)->childCount() < 5)
        fail("no tree, caption, width or preview command, or fewer than 5 slides");
    QElapsedTimer cold;
    cold.start();
    previewWindow->setChecked(false);
    previewWindow->trigger();
    QWebEngineView* view = form.preview().frmPreview()->WebBrowser();
    if (view == nullptr)
        fail("the preview did not show its browser");
    const QString title =
        QStringLiteral("(document.querySelector('[class*=_SlideInfoTitle]') || {}).textContent");
    const QString first = tree->topLevelItem(0)->child(0)->text(0);
    if (untilPageGives(view, title, first, 120000) < 0)
        fail("the first slide did not show");
    std::printf("live_cold_first_slide %.2f\n", elapsedMs(cold));
    settle(1500);
    tree->setCurrentItem(tree->topLevelItem(0)->child(4));
    if (untilPageGives(view, title, caption->text()) < 0)
        fail("the selected slide did not show");
    settle(300);
    const auto typeRounds = [&](const char* name) {
        std::vector<double> typed;
        for (int r = 0; r < rounds; ++r) {
            caption->setFocus();
            caption->end(false);
            QElapsedTimer timer;
            timer.start();
            caption->insert(QString(QChar('a' + r % 26)));
            if (untilPageGives(view, title, caption->text()) < 0)
                fail("a typed character did not show");
            typed.push_back(elapsedMs(timer));
            settle(150);
        }
        reportWorst(name, typed);
    };
    // While the other slides are made behind, then with every picture made.
    typeRounds("live_typed_behind");
    QElapsedTimer made;
    made.start();
    while (form.preview().makingSlides() && made.elapsed() < 600000)
        settle(100);
    std::printf("live_all_made %.2f\n", elapsedMs(cold));
    settle(1000);
    typeRounds("live_typed");
    // The box's width as its style sheet gives it: a modern box is no wider than its dock.
    const QString box = QStringLiteral(
        "parseInt([...document.styleSheets].flatMap((s) => [...s.cssRules]).find((r) => "
        "/_div$/.test(r.selectorText)).style.width)");
    std::vector<double> sized;
    for (int r = 0; r < rounds; ++r) {
        const int wanted = width->value() + (r % 2 == 0 ? 20 : -20);
        QElapsedTimer timer;
        timer.start();
        width->setValue(wanted);
        if (untilPageGives(view, box, wanted) < 0)
            fail("a new width did not show");
        sized.push_back(elapsedMs(timer));
        settle(150);
    }
    reportWorst("live_width", sized);
    // A new photo for the held slide, each one new to the image cache: portrait, so that its
    // slide tells itself apart from the landscape one it replaces.
    auto* photo = form.findChild<QLineEdit*>(QStringLiteral("edtOriginalImagePath"));
    const QDir fresh(QFileInfo(project).absolutePath() + QStringLiteral("/new"));
    const QStringList photos = fresh.entryList({QStringLiteral("*.jpg")}, QDir::Files);
    if (photo == nullptr || photos.isEmpty())
        return 0;
    const QString portrait = QStringLiteral(
        "String(((i) => i ? i.naturalHeight > i.naturalWidth : false)([...document.images].find("
        "(i) => /slider4[.@]/.test(i.currentSrc) && i.complete && "
        "getComputedStyle(i).visibility != 'hidden')))");
    const QString landscape = photo->text();
    std::vector<double> photoShown;
    for (const QString& name : photos) {
        QElapsedTimer timer;
        timer.start();
        photo->setText(fresh.filePath(name));
        if (untilPageGives(view, portrait, QStringLiteral("true")) < 0)
            fail("a new photo did not show");
        photoShown.push_back(elapsedMs(timer));
        photo->setText(landscape);
        if (untilPageGives(view, portrait, QStringLiteral("false")) < 0)
            fail("the photo before did not show again");
        settle(150);
    }
    reportWorst("live_photo", photoShown);
    return 0;
}

// Add Photos on a folder of camera photos: the items in the tree, then every picture in the
// tree, while a timer notes how late the event loop serves it; and the floor for the pictures:
// each photo decoded at the smallest DCT scale for them, one after another on one core.
int runPhotos(TMainForm& form, const QString& folder) {
    auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("trvwDesignPanel"));
    QTreeWidgetItem* root = tree->topLevelItem(0);
    const QStringList photos = QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    if (photos.isEmpty())
        fail("no photos");
    double worstLateness = 0;
    QElapsedTimer tick;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        worstLateness = std::max(worstLateness, elapsedMs(tick) - 10.0);
        tick.restart();
    });
    QElapsedTimer timer;
    timer.start();
    form.photos().addPhotos({folder}, root);
    const double items = elapsedMs(timer);
    if (root->childCount() != photos.size())
        fail("Add Photos did not add every photo");
    tick.start();
    ticker.start();
    const auto shown = [&] {
        for (int i = 0; i < root->childCount(); ++i) {
            if (!root->child(i)
                     ->data(0, Qt::UserRole + 1)
                     .toString()
                     .startsWith(QLatin1String("photo:")))
                return false;
        }
        return true;
    };
    while (!shown() && timer.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double pictures = elapsedMs(timer);
    ticker.stop();
    if (!shown())
        fail("not every picture appeared");

    const int side = tree->iconSize().width();
    QElapsedTimer floorTimer;
    floorTimer.start();
    for (const QString& name : photos) {
        const std::string path = QFile::encodeName(folder + '/' + name).toStdString();
        lumivex::image::DecodeJpegAsStored(
            lumivex::image::Source{path, nullptr},
            [side](int w, int h) { return lumivex::image::FitIntoBox(w, h, side, side); });
    }
    std::printf(
        "photos %lld\nitems_ms %.1f\npictures_ms %.1f\nfloor_one_core_ms %.1f\ncores %u\n"
        "worst_lateness_ms %.1f\n",
        static_cast<long long>(photos.size()), items, pictures, elapsedMs(floorTimer),
        lumivex::UsableCores(), worstLateness);
    return 0;
}

// Every file of a folder with its size and time: what a cancelled publish must leave alone.
QStringList folderState(const QString& folder) {
    QStringList state;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        state << file.fileName() + ' ' + QString::number(file.size()) + ' ' +
                     QString::number(file.lastModified().toMSecsSinceEpoch());
    return state;
}

// Notes how late a 5 ms timer is served while it runs.
struct LoopWatch {
    LoopWatch() {
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            worst = std::max(worst, elapsedMs(tick));
            tick.restart();
        });
        tick.start();
        ticker.start();
    }
    QTimer ticker;
    QElapsedTimer tick;
    double worst = 0;
};

int runSave(TMainForm& form, AnsweringDialogs& dialogs, const QString& folder,
            const QString& cacheFolder, const QString& keepProject) {
    auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("trvwDesignPanel"));
    form.photos().addPhotos({folder}, tree->topLevelItem(0));
    const int photos = tree->topLevelItem(0)->childCount();
    if (photos == 0)
        fail("no photos");
    QTemporaryDir site;
    dialogs.saveAnswer = site.path() + QStringLiteral("/Show.lvx");
    // The tree's pictures first: the save alone is measured.
    form.thumbnails()->waitForDone();
    settle(200);
    double saveMs = 0, worstBlock = 0;
    {
        LoopWatch watch;
        QElapsedTimer timer;
        timer.start();
        form.Save1Click();
        saveMs = elapsedMs(timer);
        worstBlock = watch.worst;
    }
    if (form.document().isModified() || !QFile::exists(site.path() + QStringLiteral("/Show.html")))
        fail("the save did not publish");
    // The same project for the peer to publish.
    if (!keepProject.isEmpty())
        QFile::copy(site.path() + QStringLiteral("/Show.lvx"), keepProject);

    // The same again, cold, stopped at 40 % of the time the first took.
    QDir(cacheFolder).removeRecursively();
    form.agent().AppletData.CtrlId = "Changed";
    form.document().setModified(true);
    const QStringList before = folderState(site.path());
    auto* cancel = form.findChild<QPushButton*>(QStringLiteral("btnCancelPublish"));
    QElapsedTimer sinceCancel;
    QTimer::singleShot(static_cast<int>(saveMs * 0.4), [&] {
        sinceCancel.start();
        cancel->click();
    });
    form.Save1Click();
    const double cancelMs = elapsedMs(sinceCancel);
    std::printf("photos %d\nsave_ms %.1f\nworst_block_ms %.1f\ncancel_ms %.1f\n", photos, saveMs,
                worstBlock, cancelMs);
    std::printf("folder_unchanged %d\nstill_modified %d\n",
                folderState(site.path()) == before ? 1 : 0, form.document().isModified() ? 1 : 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s ops|preview|live PROJECT.lvx [ROUNDS] | photos|save FOLDER\n",
                     argv[0]);
        return 2;
    }
    // Everything the window writes (settings, registration, image cache) stays in here.
    QTemporaryDir temporary;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString folder = temporary.path() + '/' + QString::fromLatin1(variable);
        QDir().mkpath(folder);
        qputenv(variable, folder.toLocal8Bit());
    }
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString project = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    if (!QFileInfo::exists(project))
        fail("no such project or folder");

    const QString folder = temporary.path() + QStringLiteral("/program/");
    QDir().mkpath(folder);
    QFile::copy(QStringLiteral(LUMIVEX_SHARE_DIR "/lumivex.js"), folder + "lumivex.js");
    AnsweringDialogs dialogs;
    QuietShell shell;
    MemorySettings settings;
    Platform platform{dialogs, shell, settings};
    ErrorReport::setDialogs(&dialogs);
    // Where the editor's own start-up goes, first time in the process: the main window, the
    // windows made with it, and its first showing.
    QElapsedTimer phase;
    phase.start();
    TMainForm form(platform, folder);
    const double constructed = elapsedMs(phase);
    form.CreateLastingWindows();
    const double lasting = elapsedMs(phase);
    form.show();
    QCoreApplication::processEvents();
    const double shown = elapsedMs(phase);
    std::printf("startup_main_window %.2f\nstartup_lasting_windows %.2f\nstartup_first_show %.2f\n",
                constructed, lasting - constructed, shown - lasting);
    settle(200);
    const QString cache = temporary.path() + QStringLiteral("/XDG_CACHE_HOME/lumivex");
    const int status = mode == QLatin1String("photos") ? runPhotos(form, project)
                       : mode == QLatin1String("save")
                           ? runSave(form, dialogs, project, cache,
                                     argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString())
                       : mode == QLatin1String("preview")
                           ? runPreview(form, dialogs, project, rounds)
                       : mode == QLatin1String("live") ? runLive(form, dialogs, project, rounds)
                                                       : runOps(form, dialogs, project, rounds);
    ErrorReport::setDialogs(nullptr);
    return status;
}
