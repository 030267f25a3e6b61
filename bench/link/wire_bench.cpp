// A full read, a quick read (only the blocks a read keeps), a full program and
// a backup read followed by a changed-only program of a one-channel change,
// against qb41-radio-sim --pace: the wall time
// of each run against the wire minimum (every byte that crossed the line, in
// both directions, at 10 bits a byte and 9600 baud) plus the pauses the link
// makes on purpose, and the program's turnaround (from the last byte of a
// reply or ACK to the first byte of the next command, measured by the
// simulator). Targets: wall time within 2 % of wire minimum + pauses; median
// turnaround under 1 ms.
//
//   link_wire_bench [--model N]     (default 2, a 16 KiB image; about 150 s)
#include "sim_process.h"

#include "link/clone_link.h"
#include "link/qt_serial_transport.h"

#include "core/platform.h"
#include "image/codec.h"
#include "image/defaults.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace qb41::link {
namespace {

struct Figures {
    double wall;  // seconds
    double wire;  // seconds
    double pause; // seconds
    double bytesIn, bytesOut;
    double medianUs, p90Us, maxUs, turnarounds;
};

// The run measured; `data` starts as the fresh data set of the model.
using Operation = std::function<LinkOutcome(CloneLink&, DataSet& data)>;

Figures Measure(ModelNumber model, const RadioImage& memory, const Operation& operation,
                const std::filesystem::path& folder, int settlePauses = 1) {
    std::filesystem::create_directories(folder);
    sim::SimProcess radio(QB41_RADIO_SIM, model, memory, folder, {"--pace"});
    SystemClock clock;
    AppState app;
    app.modelNumber = model;
    DataSet data;
    MakeFreshDataSet(data, model);
    ErrorLog log(folder, false, clock);
    CancelToken cancel;
    QtSerialTransport transport(clock);
    const LinkTiming timing;
    CloneLink link({app, data, log, clock, transport, cancel}, radio.port(), timing);

    const auto start = std::chrono::steady_clock::now();
    const LinkStatus status = operation(link, data);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    radio.stop();
    if (status != LinkStatus::Ok) {
        std::fprintf(stderr, "link_wire_bench: the transfer failed\n");
        std::exit(1);
    }
    auto& s = radio.stats;
    return Figures{wall.count(),
                   (s["bytes_in"] + s["bytes_out"]) * 10.0 / 9600.0,
                   settlePauses * std::chrono::duration<double>(timing.settlePause).count(),
                   s["bytes_in"],
                   s["bytes_out"],
                   s["turnaround_median_us"],
                   s["turnaround_p90_us"],
                   s["turnaround_max_us"],
                   s["turnarounds"]};
}

bool Report(const char* name, const Figures& f) {
    const double floor = f.wire + f.pause;
    const double over = (f.wall - floor) / floor * 100.0;
    std::printf("%s\n", name);
    std::printf("  bytes on the wire   %.0f (program %.0f, radio %.0f)\n", f.bytesIn + f.bytesOut,
                f.bytesIn, f.bytesOut);
    std::printf("  wire minimum        %8.3f s\n", f.wire);
    std::printf("  specified pauses    %8.3f s\n", f.pause);
    std::printf("  wall time           %8.3f s   %+.2f %% over wire minimum + pauses\n", f.wall,
                over);
    std::printf("  turnaround          median %.0f us, p90 %.0f us, max %.0f us (%.0f exchanges)\n",
                f.medianUs, f.p90Us, f.maxUs, f.turnarounds);
    const bool met = over <= 2.0 && f.medianUs < 1000.0;
    std::printf("  targets (<= 2 %%, median < 1 ms): %s\n\n", met ? "met" : "MISSED");
    return met;
}

} // namespace
} // namespace qb41::link

int main(int argc, char** argv) {
    using namespace qb41;
    ModelNumber model = 2;
    if (argc == 3 && std::string(argv[1]) == "--model" && argv[2][0] >= '0' && argv[2][0] <= '3')
        model = static_cast<ModelNumber>(argv[2][0] - '0');
    link::QtCoreScope qt;
    DataSet fresh;
    MakeFreshDataSet(fresh, model);
    PrepareImageForWrite(fresh, model);
    const auto folder = std::filesystem::temp_directory_path() /
                        ("qb41-wire-bench-" + std::to_string(platform::ProcessId()));
    std::printf("paced simulator, model %d, %d-byte image, 9600 baud 8N1\n\n", model,
                ImageSize(model));
    using link::CloneLink;
    using link::LinkOutcome;
    bool met = link::Report("full read", link::Measure(
                                             model, fresh.image,
                                             [](CloneLink& l, DataSet&) { return l.ReadRun(); },
                                             folder / "read"));
    met = link::Report(
              "read --quick (only the blocks a read keeps)",
              link::Measure(
                  model, fresh.image,
                  [](CloneLink& l, DataSet&) { return l.ReadRun(link::ReadScope::KeptBlocks); },
                  folder / "quick")) &&
          met;
    met = link::Report("full program", link::Measure(
                                           model, fresh.image,
                                           [](CloneLink& l, DataSet&) { return l.ProgramRun(); },
                                           folder / "program")) &&
          met;
    // One channel changed: the backup read of the whole radio, then only the
    // blocks and bytes that differ.
    met = link::Report("backup read + program --changed-only (one channel changed)",
                       link::Measure(
                           model, fresh.image,
                           [](CloneLink& l, DataSet& data) {
                               data.records.CHUSA[10].Enable =
                                   data.records.CHUSA[10].Enable ? 0 : -1;
                               std::vector<std::uint8_t> backup;
                               LinkOutcome read = l.ReadImageRun(backup);
                               if (read != link::LinkStatus::Ok) return read;
                               link::ProgramOptions options;
                               options.radioImage = &backup;
                               return l.ProgramRun(options);
                           },
                           folder / "changed", 2)) &&
          met;
    std::filesystem::remove_all(folder);
    return met ? 0 : 1;
}
