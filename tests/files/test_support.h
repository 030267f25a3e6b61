// Shared fixtures of the files tests: a scratch folder and a file context
// whose messages are recorded and whose err.log goes to that folder.
#pragma once

#include "core/clock.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "files/file_context.h"
#include "image/defaults.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace qb41::test {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("qb41-files-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An application with a fresh data set for `model`, in diagnostic mode so
// that failures reach err.log in the scratch folder.
struct Harness {
    explicit Harness(ModelNumber model) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
    }
    FileContext context() { return FileContext{app, data, notifier, log}; }
    std::string logText() const { return ReadBytes(log.path()); }

    TempDir dir;
    AppState app;
    DataSet data;
    RecordingNotifier notifier;
    ManualClock clock;
    ErrorLog log{dir.path(), true, clock};
};

} // namespace qb41::test
