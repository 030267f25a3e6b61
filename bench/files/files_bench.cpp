// The file operations without the GUI's pauses: save and load of a full
// settings data file, an image file load and a destination file load.
#include "core/clock.h"
#include "core/error_log.h"
#include "core/platform.h"
#include "editor/file_edge.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/destination_files.h"
#include "files/image_file.h"
#include "image/codec.h"
#include "image/defaults.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace qb41 {
namespace {

// A model 0 data set with every bank in use, in a scratch folder.
struct Bench {
    Bench() {
        app.modelNumber = 0;
        MakeFreshDataSet(data, 0);
        for (ChannelRecord& ch : data.records.CHEXP) {
            ch.Enable = kTrue;
            ch.Rxfreq = 157.0125;
            ch.Txfreq = 157.0125;
            ch.ChTag = "EXPORT";
        }
        for (DirectoryRecord& e : data.records.CHMMSID) e = {kTrue, "NAME", "366123450"};
        std::filesystem::create_directories(folder);
    }
    ~Bench() { std::filesystem::remove_all(folder); }
    FileContext context() { return FileContext{app, data, notifier, log}; }

    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("qb41-bench-" + std::to_string(platform::ProcessId()));
    AppState app;
    DataSet data;
    RecordingNotifier notifier;
    SystemClock clock;
    ErrorLog log{folder, false, clock};
};

// Includes flushing the file to the disk before it replaces the old one.
void SaveDataFile(benchmark::State& state) {
    Bench bench;
    FileContext context = bench.context();
    for (auto _ : state)
        if (!SaveFileAs(context, bench.folder / "full.dat", '.'))
            state.SkipWithError("save failed");
}
BENCHMARK(SaveDataFile)->Unit(benchmark::kMillisecond);

// The save above without the file system: the text of the whole file.
void FormatFullDataFile(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) benchmark::DoNotOptimize(FormatDataFile(bench.data.records, 0, '.'));
}
BENCHMARK(FormatFullDataFile)->Unit(benchmark::kMillisecond);

void LoadDataFile(benchmark::State& state) {
    Bench bench;
    FileContext context = bench.context();
    SaveFileAs(context, bench.folder / "full.dat", '.');
    for (auto _ : state)
        if (!FileRead2(context, bench.folder / "full.dat")) state.SkipWithError("load failed");
}
BENCHMARK(LoadDataFile)->Unit(benchmark::kMillisecond);

void LoadImageFile(benchmark::State& state) {
    Bench bench;
    FileContext context = bench.context();
    SaveImageFile(context, bench.folder / "full.hex");
    for (auto _ : state)
        if (!OpenImageFile(context, bench.folder / "full.hex")) state.SkipWithError("load failed");
}
BENCHMARK(LoadImageFile)->Unit(benchmark::kMillisecond);

void LoadDestinationFile(benchmark::State& state) {
    Bench bench;
    FileContext context = bench.context();
    const auto path = DestinationFilePath(ExecutableFolder(), "usa", 0);
    for (auto _ : state)
        if (!FileReadIni(context, path)) state.SkipWithError("load failed");
}
BENCHMARK(LoadDestinationFile)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qb41
