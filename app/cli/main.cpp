// lumivex-cli: publishes projects and exchanges menu structures without a screen, through the
// same engine as the editor.
#include <malloc.h>
#include <pthread.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "ProgramFolder.h"
#include "ProjectFromPhotos.h"
#include "PublishRecord.h"
#include "TerminalProgress.h"
#include "Text.h"
#include "Upload.h"

namespace fs = std::filesystem;
using namespace lumivex;

namespace {

constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char* const kHelp =
    "Usage: lumivex-cli COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  publish PROJECT.lvx TARGET    open the project and save it as the editor's Save does:\n"
    "                                page, style sheet, scripts, slide images, project file and\n"
    "                                publish report land in TARGET. TARGET is a folder (the\n"
    "                                project keeps its file name; it is created when missing)\n"
    "                                or a .lvx path.\n"
    "  upload PROJECT.lvx sftp://[user@]host[:port]/path [--identity FILE]\n"
    "                                publish the project into a private staging folder as\n"
    "                                publish does, then send it over SFTP, only the files whose\n"
    "                                content differs from what the server's .lumivex-manifest\n"
    "                                records, each under a temporary name renamed once complete\n"
    "                                (images first, the page last); files of an earlier upload\n"
    "                                that the slideshow no longer uses are removed, nothing\n"
    "                                else. \"/~/path\" is relative to the login folder. Host\n"
    "                                keys are checked against ~/.ssh/known_hosts and an unknown\n"
    "                                or changed key is refused; the agent, the keys of ~/.ssh\n"
    "                                and ~/.ssh/config serve to log in, or only FILE with\n"
    "                                --identity; a password is asked on the terminal.\n"
    "                                While it runs, a lock file (.lumivex-lock) in the folder\n"
    "                                keeps other uploads out: they are refused. A lock not\n"
    "                                renewed for 10 minutes (its upload was killed or cut off)\n"
    "                                is taken over, as is one of this user and computer whose\n"
    "                                process has ended. A server that leaves a request\n"
    "                                unanswered for 30 seconds (LUMIVEX_UPLOAD_TIMEOUT, in\n"
    "                                seconds) ends the upload: \"the server stopped answering\".\n"
    "  export-gms PROJECT.lvx OUT.gms  write the project's item tree as a menu structure file\n"
    "  import-gms IN.gms OUT.lvx     make a project of a menu structure file (settings at their\n"
    "                                defaults) and save it, without publishing\n"
    "  new PHOTOS... OUT.lvx [--size WxH] [--template NAME] [--web-output Modern|Classic]\n"
    "                                make a project of photos and folders (a folder gives its\n"
    "                                own photos, not its subfolders'), one slide per photo,\n"
    "                                ordered and titled as the editor's Add Photos does, and\n"
    "                                save it as OUT.lvx without publishing; OUT.lvx must not\n"
    "                                exist. --template takes a template's settings (NAME is a\n"
    "                                template's file name without .lvx, or a project file) and\n"
    "                                copies its loading image beside OUT.lvx; --size sets the\n"
    "                                box (1 to 9999 pixels a side); --web-output the web\n"
    "                                output. Then publish OUT.lvx publishes it.\n"
    "\n"
    "Options:\n"
    "  -h, --help                    show this help\n"
    "  --version                     show the version\n"
    "\n"
    "Project and menu structure files larger than 64 MiB, or of more than 200,000 items, are\n"
    "refused, as are files that are not whole projects.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read, written or is refused, or an upload\n"
    "fails (with the server's or the system's reason), 2 for bad arguments.\n";

class StderrMessages final : public MessageSink {
public:
    explicit StderrMessages(std::string file) : file_(std::move(file)) {}
    void showError(const std::string& text) override {
        std::fprintf(stderr, "lumivex-cli: %s: %s\n", file_.c_str(), text.c_str());
        refused = true;
    }
    bool refused = false;

private:
    std::string file_;
};

int usage(const std::string& problem) {
    std::fprintf(stderr, "lumivex-cli: %s\nTry 'lumivex-cli --help' for more information.\n",
                 problem.c_str());
    return kUsage;
}

constexpr const char* kPrivatePrefix = "lumivex-cli-";

// Private program folders of runs that ended without cleaning up (killed, or a power cut)
// carry their owner's process id; those whose owner is gone are removed.
void removeStalePrivateFolders(const fs::path& temp) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(temp, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kPrivatePrefix))
            continue;
        const std::string rest = name.substr(std::strlen(kPrivatePrefix));
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789") != dash)
            continue;
        struct stat st {};
        if (::lstat(entry.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (!ProcessIsAlive(std::stol(rest.substr(0, dash))))
            fs::remove_all(entry.path(), ec);
    }
}

// Ctrl+C, SIGTERM and SIGHUP: the private folder and the temporary files being written go,
// then the signal ends the process as it would have. A thread of its own waits for them, so the
// clean-up is not bound to what a signal handler may do.
std::mutex privateFolderMutex;
std::string privateFolderInUse;
// The signal that is ending the run, once one came.
std::atomic<int> endingSignal{0};

// A run that a signal ends dies of that signal, however its work ended meanwhile (a write that
// was refused once the clean-up began, say): it waits here for the signal's thread.
std::atomic<bool> workEnded{false};

int finish(int status) {
    workEnded.store(true);
    while (endingSignal.load() != 0)
        std::this_thread::sleep_for(std::chrono::seconds(1));
    return status;
}

void cleanUpOnSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, sig);
    // Blocked here, before any other thread starts, so every thread inherits it.
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int sig = 0;
        if (sigwait(&set, &sig) != 0)
            return;
        endingSignal.store(sig);
        RemoveTemporaryFilesInUse();
        // The work stops at its next write, which is refused now, and cleans up on its way out;
        // the folder goes once it has, so that nothing is made in it afterwards.
        for (int waited = 0; waited < 200 && !workEnded.load(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        {
            std::lock_guard lock(privateFolderMutex);
            std::error_code ec;
            // Files may still appear while it goes; a few rounds catch them.
            for (int round = 0; round < 3 && !privateFolderInUse.empty(); ++round)
                fs::remove_all(privateFolderInUse, ec);
        }
        std::signal(sig, SIG_DFL);
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, sig);
        pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
        ::raise(sig);
        std::_Exit(128 + sig);
    }).detach();
}

// A program folder of this run alone, seeded with the runtime, so the generated files and the
// preview folder never meet those of a running editor.
class PrivateProgramFolder {
public:
    explicit PrivateProgramFolder(const ProgramFolderContext& context) {
        const fs::path temp = fs::temp_directory_path();
        removeStalePrivateFolders(temp);
        std::string pattern =
            (temp / (kPrivatePrefix + std::to_string(::getpid()) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw FileError(pattern, errno, "create");
        path_ = pattern + "/";
        {
            std::lock_guard lock(privateFolderMutex);
            privateFolderInUse = path_;
        }
        const std::string programFolder = ResolveProgramFolder(context);
        const std::string runtime = programFolder + "lumivex.js";
        // A runtime that is there but cannot be copied (a full temporary folder) is an error
        // of its own, raised by the copy; the folder goes with it.
        bool found = false;
        try {
            found = CopyFileIfPresent(runtime, path_ + "lumivex.js");
            CopyFileIfPresent(programFolder + "lumivex.min.js", path_ + "lumivex.min.js");
        } catch (...) {
            remove();
            throw;
        }
        if (!found) {
            std::fprintf(
                stderr,
                "lumivex-cli: warning: the slideshow runtime lumivex.js was not found; the "
                "published page will show no slideshow\n");
        }
    }
    ~PrivateProgramFolder() { remove(); }
    PrivateProgramFolder(const PrivateProgramFolder&) = delete;
    PrivateProgramFolder& operator=(const PrivateProgramFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    void remove() {
        std::lock_guard lock(privateFolderMutex);
        std::error_code ignored;
        fs::remove_all(path_, ignored);
        privateFolderInUse.clear();
    }

    std::string path_;
};

std::string absolutePath(const std::string& path) {
    return fs::absolute(path).lexically_normal().string();
}

struct Session {
    explicit Session(const std::string& file)
        : context(ProgramFolderContext::FromEnvironment()),
          folder(context),
          messages(file),
          progress(stderr),
          agent(tree, progress, messages, folder.path()) {
        agent.SetDefaults();
        agent.ImageCacheFolder = DefaultImageCacheFolder(context);
        agent.PublishRecordsFolder = DefaultPublishRecordsFolder();
        agent.ScratchFolder = folder.path();
    }
    ~Session() { agent.ClearPreviewFolder(); }

    ProgramFolderContext context;
    PrivateProgramFolder folder;
    MemoryItemTree tree;
    StderrMessages messages;
    cli::TerminalProgress progress;
    TzqxAppletAgent agent;

    // Opens a project as the editor's Open does; false, with a message, when the file is not
    // a whole project: publishing it would write a project that lost what the file held.
    bool open(const std::string& project) {
        agent.ClearPreviewFolder();
        tree.clear();
        const ProjectRead read = agent.LoadFromFile(project, tree);
        if (read.outcome == ProjectReadOutcome::Refused)
            return false;
        if (read.outcome != ProjectReadOutcome::Complete) {
            const char* what = read.outcome == ProjectReadOutcome::Incomplete
                                   ? "the project is incomplete"
                                   : "not a project";
            messages.showError(std::string(what) + ": " + read.problem + " Nothing was written.");
            return false;
        }
        agent.CopyResourceFilesToPreview(FolderPart(project));
        return true;
    }
};

int publish(const std::string& projectArg, const std::string& targetArg) {
    const std::string project = absolutePath(projectArg);
    std::string folder;
    std::string name;
    std::error_code ec;
    // A .lvx path names the project file; anything else is the folder to publish into.
    if (!LowerCase(targetArg).ends_with(".lvx") || fs::is_directory(targetArg, ec)) {
        folder = absolutePath(targetArg);
        if (!folder.ends_with("/"))
            folder += "/";
        name = FileNamePart(project);
    } else {
        const std::string target = absolutePath(targetArg);
        folder = FolderPart(target);
        name = FileNamePart(target);
    }
    Session session(projectArg);
    if (!session.open(project))
        return kFailure;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) {
        std::fprintf(stderr, "lumivex-cli: cannot create the folder \"%s\": %s\n", folder.c_str(),
                     ec ? ec.message().c_str() : "not a folder");
        return kFailure;
    }
    session.agent.SaveAndPublish(folder, name, session.tree);
    std::printf("%s%s.html\n", folder.c_str(), TzqxAppletAgent::PublishBaseName(name).c_str());
    return 0;
}

// Reads a secret from the terminal without echoing it; nothing when there is no terminal.
std::optional<std::string> askOnTerminal(const std::string& prompt) {
    std::FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr)
        return std::nullopt;
    termios before{};
    const int fd = ::fileno(tty);
    const bool quiet = ::tcgetattr(fd, &before) == 0;
    if (quiet) {
        termios silent = before;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &silent);
    }
    std::fprintf(tty, "%s", prompt.c_str());
    std::fflush(tty);
    std::string answer;
    bool ended = false;
    for (int c; (c = std::fgetc(tty)) != EOF;) {
        if (c == '\n') {
            ended = true;
            break;
        }
        answer += static_cast<char>(c);
    }
    if (quiet)
        ::tcsetattr(fd, TCSAFLUSH, &before);
    std::fputc('\n', tty);
    std::fclose(tty);
    if (!ended)
        return std::nullopt;
    return answer;
}

// The upload's questions and progress on the terminal; without a terminal it trusts no new
// host key and knows no password, so a run from a script fails instead of waiting.
class TerminalUpload final : public upload::UploadObserver {
public:
    explicit TerminalUpload(cli::TerminalProgress& progress) : progress_(progress) {}
    void stage(const std::string& text) override {
        stage_ = text;
        progress_.setHint(stage_ + " ... ...");
    }
    void progress(std::uint64_t sent, std::uint64_t total) override {
        if (!progress_.enabled())
            return;
        if (sent == 0)
            started_ = std::chrono::steady_clock::now();
        progress_.setMaximum(1000);
        std::string hint = stage_ + " (" + std::to_string(sent / 1024) + " of " +
                           std::to_string(total / 1024) + " KiB";
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        if (sent > 0 && elapsed > 1)
            hint += ", " + std::to_string(static_cast<long>(elapsed * (total - sent) / sent)) +
                    " s left";
        progress_.setHint(hint + ")");
        progress_.setPosition(total == 0 ? 1000 : static_cast<int>(sent * 1000 / total));
    }
    // Ctrl+C stops the transfer at its next chunk, so the server's temporary files go too.
    bool cancelled() override { return endingSignal.load() != 0; }
    std::optional<std::string> password(const std::string& account, bool again) override {
        return askOnTerminal(std::string(again ? "Wrong password. " : "") + account +
                             "'s password: ");
    }
    std::optional<std::string> passphrase(const std::string& prompt) override {
        return askOnTerminal(prompt + " ");
    }

private:
    cli::TerminalProgress& progress_;
    std::string stage_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

int uploadProject(const std::string& projectArg, const std::string& address,
                  const upload::UploadOptions& options) {
    upload::Destination destination;
    try {
        destination = upload::ParseDestination(address);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "lumivex-cli: %s: %s\n", address.c_str(), e.what());
        return kUsage;  // a bad argument, as the help says
    }
    const std::string project = absolutePath(projectArg);
    Session session(projectArg);
    if (!session.open(project))
        return kFailure;
    const std::string staging = session.folder.path() + "staging/";
    if (!CreateFolderQuietly(staging)) {
        std::fprintf(stderr, "lumivex-cli: cannot create the staging folder \"%s\": %s\n",
                     staging.c_str(), std::strerror(errno));
        return kFailure;
    }
    const std::vector<std::string> names =
        upload::PublishForUpload(session.agent, session.tree, staging, FileNamePart(project));
    TerminalUpload observer(session.progress);
    upload::UploadResult result;
    try {
        ProgressReset reset(session.progress);
        result = upload::UploadFolder(destination, staging, names, options, observer);
    } catch (const upload::UploadError& e) {
        if (endingSignal.load() == 0)
            std::fprintf(stderr, "lumivex-cli: %s\n", e.what());
        return kFailure;
    }
    for (const std::string& name : result.sent)
        std::printf("sent %s\n", name.c_str());
    for (const std::string& name : result.removed)
        std::printf("removed %s\n", name.c_str());
    std::printf("%s: %zu sent (%llu bytes), %zu removed, %zu unchanged\n",
                destination.url().c_str(), result.sent.size(),
                static_cast<unsigned long long>(result.bytesSent), result.removed.size(),
                result.unchanged);
    return 0;
}

int exportGms(const std::string& projectArg, const std::string& out) {
    Session session(projectArg);
    if (!session.open(absolutePath(projectArg)))
        return kFailure;
    session.agent.ExportMenuStructure(out);
    return 0;
}

int importGms(const std::string& in, const std::string& out) {
    Session session(in);
    session.agent.ImportMenuStructure(in, session.tree);
    if (session.messages.refused)
        return kFailure;
    session.agent.SaveToFile(out);
    return 0;
}

// A template by its file name without ".lvx", in any letter case, from the program folder's
// templates or the installed ones; anything with a "/" or ending in ".lvx" is a file.
std::optional<std::string> findTemplate(const std::string& name, std::string& known) {
    if (name.find('/') != std::string::npos || LowerCase(name).ends_with(".lvx"))
        return absolutePath(name);
    const ProgramFolderContext context = ProgramFolderContext::FromEnvironment();
    std::vector<std::string> names;
    for (const std::string& folder : {ResolveProgramFolder(context) + "templates/",
                                      context.installedDataFolder + "templates/"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const fs::path file = entry.path();
            if (!LowerCase(file.extension().string()).ends_with(".lvx"))
                continue;
            if (LowerCase(file.stem().string()) == LowerCase(name))
                return file.string();
            names.push_back(file.stem().string());
        }
        if (!names.empty())
            break;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& n : names)
        known += (known.empty() ? "" : ", ") + n;
    return std::nullopt;
}

// The options of `new`, taken out of `args`; a message when one is wrong.
std::optional<std::string> takeNewOptions(std::vector<std::string>& args,
                                          PhotoProjectSettings& settings) {
    for (auto a = args.begin(); a != args.end();) {
        std::string name = *a, value;
        const std::size_t equals = name.find('=');
        if (name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (name == "--size" || name == "--template" || name == "--web-output") {
            if (a + 1 == args.end())
                return "'" + name + "' needs a value";
            value = *(a + 1);
            a = args.erase(a);
        }
        if (name == "--size") {
            int width = 0, height = 0;
            char x = 0, rest = 0;
            if (value.size() > 9 ||
                std::sscanf(value.c_str(), "%d%c%d%c", &width, &x, &height, &rest) != 3 ||
                (x != 'x' && x != 'X') || width < 1 || height < 1 || width > kMaxBoxSide ||
                height > kMaxBoxSide || value.find_first_not_of("0123456789xX") != value.npos)
                return "'--size' takes WIDTHxHEIGHT, 1 to 9999 pixels each, not '" + value + "'";
            settings.width = width;
            settings.height = height;
        } else if (name == "--web-output") {
            if (value != "Modern" && value != "Classic")
                return "'--web-output' takes Modern or Classic, not '" + value + "'";
            settings.webOutput = value;
        } else if (name == "--template") {
            std::string known;
            const std::optional<std::string> file = findTemplate(value, known);
            if (!file)
                return "no template '" + value + "'" +
                       (known.empty() ? std::string(" (none are installed)")
                                      : " (templates: " + known + ")");
            settings.templateFile = *file;
        } else {
            ++a;
            continue;
        }
        a = args.erase(a);
    }
    return std::nullopt;
}

int newProject(const std::vector<std::string>& args, const PhotoProjectSettings& settings) {
    const std::string out = absolutePath(args.back());
    Session session(out);
    try {
        MakeProjectFromPhotos(session.agent, {args.begin(), args.end() - 1}, settings);
        SaveNewPhotoProject(session.agent, out, settings.templateFile);
    } catch (const PhotoProjectError& e) {
        std::fprintf(stderr, "lumivex-cli: %s\n", e.what());
        return kFailure;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A publish makes and drops picture buffers of megabytes, slide after slide. Kept in the
    // heap for the next slide rather than mapped afresh each time (a page fault for every 4 KiB
    // touched); the process is short-lived, so holding its peak costs nothing.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage("no command given");
    for (const std::string& a : args) {
        if (a == "-h" || a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (a == "--version") {
            std::puts("lumivex-cli 1.0");
            return 0;
        }
    }
    const std::string command = args[0];
    args.erase(args.begin());
    upload::UploadOptions uploadOptions;
    if (command == "upload") {
        for (auto a = args.begin(); a != args.end();) {
            if (*a == "--identity") {
                if (a + 1 == args.end())
                    return usage("'--identity' needs a key file");
                uploadOptions.identityFile = absolutePath(*(a + 1));
                a = args.erase(a, a + 2);
            } else if (a->starts_with("--identity=")) {
                uploadOptions.identityFile = absolutePath(a->substr(11));
                a = args.erase(a);
            } else {
                ++a;
            }
        }
    }
    PhotoProjectSettings newSettings;
    if (command == "new") {
        if (const std::optional<std::string> problem = takeNewOptions(args, newSettings))
            return usage(*problem);
    }
    for (const std::string& a : args) {
        if (a.size() > 1 && a[0] == '-')
            return usage("unknown option '" + a + "'");
    }
    const bool known = command == "publish" || command == "export-gms" || command == "import-gms" ||
                       command == "upload" || command == "new";
    if (!known)
        return usage("unknown command '" + command + "'");
    if (command == "new" && (args.size() < 2 || !LowerCase(args.back()).ends_with(".lvx")))
        return usage("'new' takes photos or folders, then the project file to make (OUT.lvx)");
    if (command != "new" && args.size() != 2)
        return usage("'" + command + "' takes two arguments");
    cleanUpOnSignals();
    try {
        if (command == "new")
            return finish(newProject(args, newSettings));
        if (command == "publish")
            return finish(publish(args[0], args[1]));
        if (command == "upload")
            return finish(uploadProject(args[0], args[1], uploadOptions));
        if (command == "export-gms")
            return finish(exportGms(args[0], args[1]));
        return finish(importGms(args[0], args[1]));
    } catch (const std::exception& e) {
        // A failure that the ending signal caused is not the run's to report.
        if (endingSignal.load() == 0)
            std::fprintf(stderr, "lumivex-cli: %s\n", e.what());
    }
    return finish(kFailure);
}
