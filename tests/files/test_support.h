// Shared fixtures of the files tests: a scratch folder and a file context
// whose messages are recorded and whose err.log goes to that folder.
#pragma once

#include "core/clock.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "files/file_context.h"
#include "image/defaults.h"
#include "support/scratch.h"

#include <filesystem>
#include <string>

namespace qb41::test {

// An application with a fresh data set for `model`, in diagnostic mode so
// that failures reach err.log in the scratch folder.
struct Harness {
    explicit Harness(ModelNumber model) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
    }
    FileContext context() { return FileContext{app, data, notifier, log}; }
    std::string logText() const { return ReadBytes(log.path()); }

    ScratchDir dir;
    AppState app;
    DataSet data;
    RecordingNotifier notifier;
    ManualClock clock;
    ErrorLog log{dir.path(), true, clock};
};

// A file message: the program's own text, then on the next line the file's
// path, ": " and the cause.
inline Message FileMessage(MessageIcon icon, const std::string& title, const std::string& text,
                           const std::filesystem::path& path, const std::string& cause) {
    return Message{icon, title, text + "\n" + path.string() + ": " + cause};
}

// The program's own text of a message, without the path and cause after it.
inline std::string OwnText(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

} // namespace qb41::test
