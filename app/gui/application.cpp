#include "application.h"

#include "exchange_commands.h"
#include "transfer_commands.h"

#include "core/platform.h"

#include <QFileInfo>

#include <vector>

namespace qb41::gui {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

GuardedApplication* GuardedApplication::running() {
    return qobject_cast<GuardedApplication*>(QCoreApplication::instance());
}

void GuardedApplication::setHooks(const void* owner, FailureHandler failure,
                                  std::function<void()> afterEvent) {
    owner_ = owner;
    failure_ = std::move(failure);
    afterEvent_ = std::move(afterEvent);
}

void GuardedApplication::dropHooks(const void* owner) {
    if (owner != owner_) return;
    owner_ = nullptr;
    failure_ = {};
    afterEvent_ = {};
}

void GuardedApplication::fail(const std::exception* error) noexcept {
    try {
        if (failure_) failure_(error);
    } catch (...) {
        // The report itself failed (no memory for the box): the event loop
        // must still go on.
    }
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = true;
    try {
        handled = QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        fail(&error);
    } catch (...) {
        fail(nullptr);
    }
    if (afterEvent_) {
        try {
            afterEvent_();
        } catch (...) {
            fail(nullptr);
        }
    }
    return handled;
}

LaunchOptions ParseCommandLine(const QStringList& arguments) {
    LaunchOptions options;
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--port") && i + 1 < arguments.size()) {
            options.port = arguments[++i].toStdString();
            continue;
        }
        if (argument.startsWith(QLatin1String("--port="))) {
            options.port = argument.mid(7).toStdString();
            continue;
        }
        // A named data file that is missing, or a folder, is taken too: the
        // open then says why it cannot be read instead of passing it over.
        const QString suffix = QFileInfo(argument).suffix().toLower();
        if (options.file.empty() &&
            (suffix == QLatin1String("dat") || suffix == QLatin1String("hex") ||
             QFileInfo(argument).isDir())) {
            options.file = QFileInfo(argument).absoluteFilePath().toStdString();
            continue;
        }
        rest << argument;
    }
    options.diagnostic = IsDiagnosticSwitch(rest.join(QLatin1Char(' ')).toStdString());
    return options;
}

namespace {

// Where the shipped files may be, in order: beside the program (a build, a
// Windows installation), in share/qb41 beside its bin folder (an installation
// on Linux), in the Resources folder of an app bundle (macOS, where the
// program is in qb41.app/Contents/MacOS).
std::vector<std::filesystem::path> SharedFileFolders(const std::filesystem::path& programFolder) {
    return {programFolder, programFolder.parent_path() / "share" / "qb41",
            programFolder.parent_path() / "Resources"};
}

} // namespace

std::filesystem::path FindDestinationFolder(const std::filesystem::path& programFolder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(programFolder, error))
        if (entry.path().extension() == ".ini") return programFolder;
    for (const std::filesystem::path& folder : SharedFileFolders(programFolder))
        if (folder != programFolder && std::filesystem::is_directory(folder, error)) return folder;
    return programFolder;
}

Application::Application(const LaunchOptions& options, const QString& settingsFile,
                         std::filesystem::path programFolder)
    : options_(options) {
    app_.diagnosticMode = options.diagnostic;
    store_ = settingsFile.isEmpty() ? std::make_unique<QtSettingsStore>()
                                    : std::make_unique<QtSettingsStore>(settingsFile);
    log_ = std::make_unique<ErrorLog>(programFolder, app_.diagnosticMode, clock_);
    std::filesystem::path help = programFolder / "QB41.html";
    for (const std::filesystem::path& folder : SharedFileFolders(programFolder)) {
        if (std::filesystem::exists(folder / "QB41.html")) {
            help = folder / "QB41.html";
            break;
        }
    }
    window_ =
        std::make_unique<MainWindow>(WindowParts{app_, data_, notifier_, *store_, *log_, clock_,
                                                 FindDestinationFolder(programFolder), help});
    CommandParts commands{app_, data_, notifier_, *log_, clock_, help};
    commands.store = store_.get();
    InstallTransferAndReports(*window_, std::move(commands));
    InstallExchangeCommands(*window_, {app_, data_, notifier_, *log_});
    if (GuardedApplication* guarded = GuardedApplication::running())
        guarded->setHooks(
            this,
            [this](const std::exception* error) {
                window_->session().ReportUnexpectedFailure(error ? ErrorText(*error)
                                                                 : std::string("unknown failure"));
            },
            [this] { window_->showChangedMark(); });
}

Application::~Application() {
    if (GuardedApplication* guarded = GuardedApplication::running()) guarded->dropHooks(this);
}

void Application::start() {
    window_->session().Startup(options_.port);
    window_->restorePlacement();
    window_->show();
    if (options_.file.empty()) return;
    const std::filesystem::path file = platform::PathFromUtf8(options_.file);
    std::string suffix = file.extension().string();
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (suffix == ".dat" || suffix != ".hex")
        window_->session().OpenDataFileAt(file);
    else if (suffix == ".hex" && app_.diagnosticMode)
        window_->session().OpenImageAt(file);
}

} // namespace qb41::gui
