// qb41-cli as a whole process, as a script calls it: diff of two 16 KiB
// images, set of one field and export of a bank (each from a .hex image and
// from a .dat settings file). Each iteration starts the program, lets it run
// to its end and waits for it; the time includes start-up and file work.
// Target: under 10 ms a run.
//
//   cli_process_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs qb41-cli with `args`, output discarded; its exit status.
int Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = QB41_CLI;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Files {
    Files() {
        fs::create_directories(folder);
        Run({"new", "--model", "2", path("a.hex")});
        Run({"set", path("a.hex"), "usa:16.name=HARBOR", "wx:3.enable=1", "-o", path("b.hex")});
        Run({"convert", path("a.hex"), path("a.dat")});
    }
    ~Files() { fs::remove_all(folder); }
    std::string path(const std::string& name) const { return (folder / name).string(); }
    fs::path folder = fs::temp_directory_path() / ("qb41-cli-bench-" + std::to_string(::getpid()));
};

const Files& Scratch() {
    static const Files files;
    return files;
}

void Measure(benchmark::State& state, const std::vector<std::string>& args, int expected) {
    for (auto _ : state)
        if (Run(args) != expected) state.SkipWithError("qb41-cli failed");
}

void BM_DiffTwoImages(benchmark::State& state) {
    const Files& f = Scratch();
    Measure(state, {"diff", f.path("a.hex"), f.path("b.hex")}, 1);
}
void BM_SetOneFieldImage(benchmark::State& state) {
    const Files& f = Scratch();
    Measure(state, {"set", f.path("a.hex"), "usa:16.name=CALLING", "-o", f.path("s.hex")}, 0);
}
void BM_SetOneFieldDataFile(benchmark::State& state) {
    const Files& f = Scratch();
    Measure(state, {"set", f.path("a.dat"), "usa:16.name=CALLING", "-o", f.path("s.dat")}, 0);
}
void BM_ExportBankImage(benchmark::State& state) {
    const Files& f = Scratch();
    Measure(state, {"export", f.path("a.hex"), "--bank", "usa", f.path("usa.csv")}, 0);
}
void BM_ExportBankDataFile(benchmark::State& state) {
    const Files& f = Scratch();
    Measure(state, {"export", f.path("a.dat"), "--bank", "usa", f.path("usa.csv")}, 0);
}

} // namespace

BENCHMARK(BM_DiffTwoImages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SetOneFieldImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SetOneFieldDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportBankImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportBankDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();
