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

} // namespace qb41::test
