// qb41-cli fleet against two simulated radios on pseudo-terminals: each radio
// ends up with the template and its own unit's fields, the log has one row
// per unit, a second run does nothing, a bad units file touches no radio,
// identities can be kept, and a radio that hangs up fails only its unit.
#include "link_support.h"
#include "pty_support.h"
#include "sim_process.h"

#include "core/clock.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "files/csv.h"
#include "files/data_file_reader.h"
#include "image/codec.h"
#include "image/defaults.h"
#include "link/write_plan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>

namespace qb41::link {
namespace {

using sim::ChildProcess;
namespace fs = std::filesystem;

constexpr ModelNumber kModel = 3;

struct CliRun {
    int status;
    std::string err;
};

CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), QB41_CLI);
    ChildProcess child(args);
    CliRun run{0, ""};
    while (child.line(false) != "") {
    }
    for (std::string line; !(line = child.line(true)).empty();) run.err += line + "\n";
    run.status = child.wait();
    return run;
}

RadioImage ImageOf(const std::string& hex) {
    const std::string bytes = test::ReadBytes(hex);
    RadioImage image{};
    image.fill(0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
    return image;
}

// The indices of the write plan where the two differ.
int PlanDifferences(const RadioImage& a, const RadioImage& b) {
    int count = 0;
    for (const IndexRange& range : PlanRanges(ImageLastIndex(kModel)))
        for (int i = range.first; i <= range.last; ++i)
            count += a[static_cast<std::size_t>(i)] != b[static_cast<std::size_t>(i)];
    return count;
}

struct LogRow {
    std::string unit, port, result;
};
std::vector<LogRow> ReadLog(const std::string& path) {
    std::vector<LogRow> rows;
    for (const CsvRow& row : ParseCsv(test::ReadBytes(path)).rows)
        if (row.cells.size() >= 5) rows.push_back({row.cells[0], row.cells[1], row.cells[4]});
    return rows;
}

class FleetPty : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        ASSERT_EQ(Cli({"new", "--model", "3", path("fresh.dat")}).status, 0);
        // The template: a named channel and a DSC option away from the defaults.
        ASSERT_EQ(Cli({"set", path("fresh.dat"), "usa:16.name=FLEET", "Common Setup.Dual Watch=0",
                       "-o", path("t.dat")})
                      .status,
                  0);
    }
    std::string path(const std::string& name) const { return (files / name).string(); }
    // What programming the template with these fields writes into a radio
    // that held `base`: the settings encoded over the radio's own contents.
    RadioImage Expected(const std::vector<std::string>& fields, const std::string& name,
                        const RadioImage& base) {
        std::vector<std::string> args{"set", path("t.dat")};
        args.insert(args.end(), fields.begin(), fields.end());
        args.insert(args.end(), {"-o", path(name + ".dat")});
        EXPECT_EQ(Cli(args).status, 0);
        DataSet data;
        MakeFreshDataSet(data, kModel);
        EXPECT_TRUE(ReadDataFileAt(data.records, kModel, path(name + ".dat")).ok());
        BuildImageToWrite(data, kModel, base);
        return data.image;
    }
    void WriteUnits(const std::string& rows) {
        test::WriteBytes(files / "units.csv",
                         "unit,DSC Setup (Basic Setup).User MMSI,ATIS Setup (Common).Atis Code,"
                         "usa:9.name\r\n" +
                             rows);
    }

    test::ScratchDir data;
    test::ScratchDir files;
};

TEST_F(FleetPty, EachRadioGetsTheTemplateAndItsUnitAndARerunDoesNothing) {
    WriteUnits("boat1,211000001,9211000001,ONE\r\nboat2,211000002,9211000002,TWO\r\n");
    const RadioImage fresh = test::PatternMemory(kModel);
    Simulator a(kModel, fresh), b(kModel, fresh);
    CliRun run = Cli({"fleet", "--template", path("t.dat"), "--units", path("units.csv"), "--port",
                      a.port(), "--port", b.port(), "--log", path("log.csv"), "--verify"});
    ASSERT_EQ(run.status, 0) << run.err;
    a.stop();
    b.stop();

    const std::vector<LogRow> log = ReadLog(path("log.csv"));
    ASSERT_EQ(log.size(), 3u) << run.err; // header and one row per unit
    EXPECT_EQ(log[0].unit, "unit");
    std::map<std::string, std::string> portOf;
    for (std::size_t i = 1; i < log.size(); ++i) {
        EXPECT_EQ(log[i].result, "ok, verified");
        portOf[log[i].unit] = log[i].port;
    }
    ASSERT_EQ(portOf.size(), 2u);
    EXPECT_NE(portOf["boat1"], portOf["boat2"]);
    const std::map<std::string, RadioImage> expected{
        {"boat1", Expected({"DSC Setup (Basic Setup).User MMSI=211000001",
                            "ATIS Setup (Common).Atis Code=9211000001", "usa:9.name=ONE"},
                           "boat1", fresh)},
        {"boat2", Expected({"DSC Setup (Basic Setup).User MMSI=211000002",
                            "ATIS Setup (Common).Atis Code=9211000002", "usa:9.name=TWO"},
                           "boat2", fresh)}};
    for (const auto& [unit, image] : expected) {
        const Simulator& sim = portOf[unit] == a.port() ? a : b;
        EXPECT_EQ(PlanDifferences(sim.memory, image), 0) << unit;
    }

    // Everything in the log is done: the second run opens no port at all
    // (the simulators are gone, so touching one would fail).
    CliRun again = Cli({"fleet", "--template", path("t.dat"), "--units", path("units.csv"),
                        "--port", a.port(), "--port", b.port(), "--log", path("log.csv")});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("2 unit(s) are done already"), std::string::npos) << again.err;
    EXPECT_EQ(ReadLog(path("log.csv")).size(), 3u);
}

TEST_F(FleetPty, ABadUnitsFileSendsNoByteToAnyPort) {
    const std::string cases[] = {
        "boat1,211000001,9211000001,ONE\r\nboat2,211000001,9211000002,TWO\r\n", // same MMSI
        "boat1,211000001,9211000001,ONE\r\nboat2,211000002,9211000001,TWO\r\n", // same ATIS
        "boat1,211000001,9211000001,ONE\r\nboat1,211000002,9211000002,TWO\r\n", // same unit
        "boat1,21100000,9211000001,ONE\r\n",                                    // refused MMSI
    };
    const std::string says[] = {"user MMSI 2110000010 is also on line 2",
                                "ATIS code 9211000001 is also on line 2",
                                "unit boat1 is also on line 2", "\"Data Error!!\" (User MMSI)"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        WriteUnits(cases[i]);
        Simulator a(kModel, test::PatternMemory(kModel)), b(kModel, test::PatternMemory(kModel));
        CliRun run = Cli({"fleet", "--template", path("t.dat"), "--units", path("units.csv"),
                          "--port", a.port(), "--port", b.port()});
        a.stop();
        b.stop();
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find(says[i]), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("no radio was touched"), std::string::npos) << run.err;
        EXPECT_EQ(a.stats["requests"], 0);
        EXPECT_EQ(b.stats["requests"], 0);
        EXPECT_EQ(a.stats["bytes_in"], 0);
        EXPECT_EQ(b.stats["bytes_in"], 0);
    }
}

TEST_F(FleetPty, KeepIdentityLeavesEachRadiosOwnAndWritesTheRest) {
    // Two radios, each with its own MMSI, ATIS code and entry counter.
    std::vector<RadioImage> own;
    const std::pair<const char*, const char*> ids[] = {{"366000011", "9366000011"},
                                                       {"366000022", "9366000022"}};
    for (const auto& [mmsi, atis] : ids) {
        ASSERT_EQ(
            Cli({"set", path("fresh.dat"), std::string("DSC Setup (Basic Setup).User MMSI=") + mmsi,
                 std::string("ATIS Setup (Common).Atis Code=") + atis, "-o",
                 path(std::string(mmsi) + ".dat")})
                .status,
            0);
        ASSERT_EQ(
            Cli({"convert", path(std::string(mmsi) + ".dat"), path(std::string(mmsi) + ".hex")})
                .status,
            0);
        RadioImage image = ImageOf(path(std::string(mmsi) + ".hex"));
        image[501] = static_cast<std::uint8_t>(own.size() + 2);
        own.push_back(image);
    }
    Simulator a(kModel, own[0]), b(kModel, own[1]);
    ChildProcess fleet({QB41_CLI, "fleet", "--template", path("t.dat"), "--keep-identity", "--port",
                        a.port(), "--port", b.port(), "--log", path("log.csv")});
    std::string err;
    int done = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (done < 2 && std::chrono::steady_clock::now() < deadline) {
        const std::string line = fleet.line(true);
        err += line + "\n";
        if (line.find(": ok") != std::string::npos) ++done;
    }
    fleet.signal(SIGINT);
    for (std::string line; !(line = fleet.line(true)).empty();) err += line + "\n";
    EXPECT_EQ(fleet.wait(), 0) << err;
    ASSERT_EQ(done, 2) << err;
    a.stop();
    b.stop();

    const std::vector<LogRow> log = ReadLog(path("log.csv"));
    ASSERT_EQ(log.size(), 3u) << err;
    std::set<std::string> units{log[1].unit, log[2].unit};
    EXPECT_EQ(units, (std::set<std::string>{"366000011", "366000022"}));
    const Simulator* sims[] = {&a, &b};
    for (std::size_t i = 0; i < 2; ++i) {
        RadioImage expected =
            Expected({std::string("DSC Setup (Basic Setup).User MMSI=") + ids[i].first,
                      std::string("ATIS Setup (Common).Atis Code=") + ids[i].second},
                     "keep" + std::to_string(i), own[i]);
        expected[501] = own[i][501];
        EXPECT_EQ(PlanDifferences(sims[i]->memory, expected), 0) << ids[i].first;
        EXPECT_EQ(sims[i]->memory[501], own[i][501]);
    }
}

TEST_F(FleetPty, ARadioThatHangsUpFailsItsUnitWhileTheOtherPortCompletes) {
    WriteUnits("boat1,211000001,9211000001,ONE\r\nboat2,211000002,9211000002,TWO\r\n");
    const RadioImage fresh = test::PatternMemory(kModel);
    Simulator good(kModel, fresh);
    // Past the detection and the backup read, in the middle of the write.
    Simulator lost(kModel, fresh, {"--hang-up-after", "400"});
    CliRun run = Cli({"fleet", "--template", path("t.dat"), "--units", path("units.csv"), "--port",
                      good.port(), "--port", lost.port(), "--log", path("log.csv")});
    EXPECT_EQ(run.status, 1) << run.err;
    good.stop();
    lost.SimProcess::stop();

    const std::vector<LogRow> log = ReadLog(path("log.csv"));
    ASSERT_EQ(log.size(), 3u) << run.err;
    for (std::size_t i = 1; i < log.size(); ++i) {
        if (log[i].port == good.port()) {
            EXPECT_EQ(log[i].result, "ok");
        } else {
            EXPECT_EQ(log[i].port, lost.port());
            EXPECT_EQ(log[i].result.rfind("failed: the line was lost", 0), 0u) << log[i].result;
            EXPECT_NE(log[i].result.find("restore with: qb41-cli write --port " + lost.port()),
                      std::string::npos)
                << log[i].result;
        }
    }
    EXPECT_NE(run.err.find("1 programmed, 1 failed"), std::string::npos) << run.err;
}

TEST_F(FleetPty, VerifyNamesTheFieldsThatDifferAfterTheRanges) {
    ASSERT_EQ(Cli({"convert", path("t.dat"), path("t.hex")}).status, 0);
    ASSERT_EQ(Cli({"set", path("t.dat"), "usa:9.name=OTHER", "-o", path("other.dat")}).status, 0);
    Simulator sim(kModel, ImageOf(path("t.hex")));
    CliRun same = Cli({"verify", "--port", sim.port(), path("t.dat")});
    EXPECT_EQ(same.status, 0) << same.err;
    CliRun differs = Cli({"verify", "--port", sim.port(), path("other.dat")});
    sim.stop();
    EXPECT_EQ(differs.status, 1) << differs.err;
    const std::size_t ranges = differs.err.find("differs from " + path("other.dat") + " at 0x");
    const std::size_t field =
        differs.err.find("  CHUSA18.ChTag: CALLING -> OTHER  (USA 09 name)\n");
    EXPECT_NE(ranges, std::string::npos) << differs.err;
    EXPECT_NE(field, std::string::npos) << differs.err;
    EXPECT_LT(ranges, field);
}

} // namespace
} // namespace qb41::link
