// The desktop program put together: the one AppState and DataSet, the
// notifier, settings store, error log and clock, and the main window that
// works on them. main() makes one; the Qt tests make their own.
#pragma once

#include "event_loop_clock.h"
#include "main_window.h"
#include "qt_notifier.h"
#include "qt_settings_store.h"

#include "core/error_log.h"

#include <QStringList>

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
// existing .dat/.hex file are taken out; the rest, joined by blanks, is the
// diagnostic switch test ("/D").
LaunchOptions ParseCommandLine(const QStringList& arguments);

// Where the destination default files are: beside the program, or the shared
// data folder of an installed program (../share/qb41).
std::filesystem::path FindDestinationFolder(const std::filesystem::path& programFolder);

class Application {
public:
    // `settingsFile` empty = the user's store.
    Application(const LaunchOptions& options, const QString& settingsFile = {},
                std::filesystem::path programFolder = ExecutableFolder());

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
