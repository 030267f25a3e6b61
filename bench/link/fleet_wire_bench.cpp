// qb41-cli fleet against paced simulators: one unit on one port, then two
// units on two ports, each the whole run (detection, backup read, program).
// The wire is the limit, so two ports should take at most 1.15 times as long
// as one. Run by hand: about 80 s a run, three minutes in all.
//
//   fleet_wire_bench [--model N]     (default 2, a 16 KiB image)
#include "sim_process.h"
#include "sim_radio.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace qb41 {
namespace {

namespace fs = std::filesystem;

int RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), QB41_CLI);
    sim::ChildProcess child(args);
    while (!child.line(true).empty()) {
    }
    return child.wait();
}

// Seconds for `units` units on as many paced simulators.
double Measure(ModelNumber model, int units, const fs::path& folder) {
    fs::create_directories(folder);
    const std::string t = (folder / "t.dat").string();
    if (RunCli({"new", "--model", std::to_string(model), t}) != 0) std::exit(1);
    std::ofstream csv(folder / "units.csv", std::ios::binary);
    csv << "unit,DSC Setup (Basic Setup).User MMSI\r\n";
    for (int u = 1; u <= units; ++u) csv << "unit" << u << ",21100000" << u << "\r\n";
    csv.close();
    RadioImage memory{};
    memory.fill(0xFF);
    sim::SetModelCode(memory, ImageLastIndex(model), ModelCode(model), ModelCode(model));
    std::vector<std::unique_ptr<sim::SimProcess>> radios;
    std::vector<std::string> args{"fleet", "--template", t, "--units",
                                  (folder / "units.csv").string()};
    for (int u = 0; u < units; ++u) {
        const fs::path radioFolder = folder / ("radio" + std::to_string(u));
        fs::create_directories(radioFolder);
        radios.push_back(std::make_unique<sim::SimProcess>(
            QB41_RADIO_SIM, model, memory, radioFolder, std::vector<std::string>{"--pace"}));
        args.insert(args.end(), {"--port", radios.back()->port()});
    }
    const auto start = std::chrono::steady_clock::now();
    const int status = RunCli(args);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    for (auto& radio : radios) radio->stop();
    if (status != 0) {
        std::fprintf(stderr, "fleet_wire_bench: the fleet run failed (%d)\n", status);
        std::exit(1);
    }
    return wall.count();
}

} // namespace
} // namespace qb41

int main(int argc, char** argv) {
    qb41::ModelNumber model = 2;
    if (argc == 3 && std::string(argv[1]) == "--model")
        model = static_cast<qb41::ModelNumber>(std::atoi(argv[2]));
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qb41-fleet-bench-" + std::to_string(::getpid()));
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    const double one = qb41::Measure(model, 1, folder / "one");
    std::printf("one unit, one port:   %.1f s\n", one);
    std::fflush(stdout);
    const double two = qb41::Measure(model, 2, folder / "two");
    std::printf("two units, two ports: %.1f s (%.3f x one; target at most 1.15)\n", two, two / one);
    std::filesystem::remove_all(folder);
    return two / one <= 1.15 ? 0 : 1;
}
