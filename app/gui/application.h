// The desktop program put together: the one AppState and DataSet, the
// notifier, settings store, error log and clock, and the main window that
// works on them. main() makes one; the Qt tests make their own.
#pragma once

#include "event_loop_clock.h"
#include "main_window.h"
#include "qt_notifier.h"
#include "qt_settings_store.h"

#include "core/error_log.h"

#include <QApplication>
#include <QStringList>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qb41::gui {

struct LaunchOptions {
    bool diagnostic = false;
    std::optional<std::string> port; // --port DEV, for this run only
    std::string file;                // a .dat (or, diagnostic, a .hex) to open
};

// The program's arguments (without the program name): "--port DEV" and one
// .dat/.hex file (or a folder, which the open refuses) are taken out; the rest, joined by blanks,
// is the diagnostic switch test ("/D").
LaunchOptions ParseCommandLine(const QStringList& arguments);

// Where the destination default files are: beside the program, or the shared
// data folder of an installed program (../share/qb41).
std::filesystem::path FindDestinationFolder(const std::filesystem::path& programFolder);

// The program's QApplication. No exception leaves an event handler: one that
// reaches the event loop is handed to the failure handler (the error box and
// err.log) and the event counts as handled, so the window and its data stay.
// After every event the after-event hook runs. Both hooks belong to one
// owner at a time and are dropped when that owner says so.
class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // `error` is null for an exception that is not a std::exception.
    using FailureHandler = std::function<void(const std::exception* error)>;
    void setHooks(const void* owner, FailureHandler failure, std::function<void()> afterEvent);
    void dropHooks(const void* owner);
    // The running application when it is a GuardedApplication, else null.
    static GuardedApplication* running();

private:
    void fail(const std::exception* error) noexcept;

    const void* owner_ = nullptr;
    FailureHandler failure_;
    std::function<void()> afterEvent_;
};

class Application {
public:
    // `settingsFile` empty = the user's store.
    Application(const LaunchOptions& options, const QString& settingsFile = {},
                std::filesystem::path programFolder = ExecutableFolder());
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the window after its start-up, then opens the file given, if any.
    void start();
    MainWindow& window() { return *window_; }
    AppState& app() { return app_; }
    DataSet& data() { return data_; }
    QtNotifier& notifier() { return notifier_; }

private:
    LaunchOptions options_;
    AppState app_;
    DataSet data_;
    QtNotifier notifier_;
    std::unique_ptr<QtSettingsStore> store_;
    EventLoopClock clock_;
    std::unique_ptr<ErrorLog> log_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace qb41::gui
