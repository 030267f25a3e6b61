// qb41-cli's safe radio work against qb41-radio-sim on a pseudo-terminal:
// backups, the restore after a hang-up, verify, quick read, changed-only
// write, detection, and the messages for a port that cannot be opened.
#include "link_support.h"
#include "pty_support.h"
#include "sim_process.h"

#include "image/codec.h"
#include "image/defaults.h"
#include "image/layout.h"
#include "link/write_plan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace qb41::link {
namespace {

using sim::ChildProcess;
using test::PatternMemory;
namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out, err;
};

// Runs qb41-cli (or, with `program`, any command line) to its end,
// collecting its output.
CliRun Cli(std::vector<std::string> args, bool program = false) {
    if (!program) args.insert(args.begin(), QB41_CLI);
    ChildProcess child(args);
    CliRun run{0, "", ""};
    for (std::string line; !(line = child.line(false)).empty();) run.out += line + "\n";
    for (std::string line; !(line = child.line(true)).empty();) run.err += line + "\n";
    run.status = child.wait();
    return run;
}

// Every test keeps its backups in a scratch data folder.
class PtyCliSafe : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", data.path().c_str(), 1); }
    fs::path Backup() const {
        const fs::path folder = data / "QB41" / "backups";
        if (!fs::exists(folder)) return {};
        for (const auto& entry : fs::directory_iterator(folder)) return entry.path();
        return {};
    }
    std::string path(const std::string& name) const { return (files / name).string(); }

    test::ScratchDir data;
    test::ScratchDir files;
};

bool PlanBytesEqual(const RadioImage& a, const RadioImage& b, int last) {
    for (const IndexRange& range : PlanRanges(last))
        for (int i = range.first; i <= range.last; ++i)
            if (a[static_cast<std::size_t>(i)] != b[static_cast<std::size_t>(i)]) return false;
    return true;
}

TEST_F(PtyCliSafe, BackupIsTheRadioBeforeTheWriteAndVerifyPasses) {
    const RadioImage pattern = PatternMemory(3);
    ASSERT_EQ(Cli({"new", "--model", "3", path("fresh.dat")}).status, 0);
    Simulator sim(3, pattern);
    CliRun write = Cli({"write", "--port", sim.port(), "--verify", path("fresh.dat")});
    ASSERT_EQ(write.status, 0) << write.err;
    const fs::path backup = Backup();
    ASSERT_FALSE(backup.empty());
    EXPECT_NE(write.err.find("backup of the radio saved as " + backup.string()), std::string::npos)
        << write.err;
    EXPECT_EQ(test::ReadBytes(backup), std::string(pattern.begin(), pattern.end()));
    EXPECT_NE(write.err.find("the radio matches"), std::string::npos) << write.err;
    CliRun verify = Cli({"verify", "--port", sim.port(), path("fresh.dat")});
    EXPECT_EQ(verify.status, 0) << verify.err;
    sim.stop();
}

TEST_F(PtyCliSafe, VerifyFindsAChangedByte) {
    ASSERT_EQ(Cli({"new", "--model", "2", path("fresh.hex")}).status, 0);
    std::string bytes = test::ReadBytes(path("fresh.hex"));
    RadioImage memory{};
    std::copy(bytes.begin(), bytes.end(), memory.begin());
    memory[0x0300] ^= 0x5A;
    Simulator sim(2, memory);
    CliRun verify = Cli({"verify", "--port", sim.port(), path("fresh.hex")});
    EXPECT_EQ(verify.status, 1);
    EXPECT_NE(verify.err.find("differs from " + path("fresh.hex") + " at 0x0300\n"),
              std::string::npos)
        << verify.err;
    sim.stop();
}

TEST_F(PtyCliSafe, HangUpMidWriteLeavesABackupAndTheRestoreCommandBringsItBack) {
    const RadioImage pattern = PatternMemory(2);
    ASSERT_EQ(Cli({"new", "--model", "2", path("fresh.dat")}).status, 0);
    // 4 + 4 model-check bytes and 256 blocks of the backup, then 40 writes.
    Simulator sim(2, pattern, {"--hang-up-after", "308"});
    CliRun write = Cli({"write", "--port", sim.port(), path("fresh.dat")});
    EXPECT_EQ(write.status, 1);
    sim.SimProcess::stop();
    const fs::path backup = Backup();
    ASSERT_FALSE(backup.empty());
    EXPECT_NE(write.err.find("the line to " + sim.port() + " was lost"), std::string::npos)
        << write.err;
    EXPECT_NE(write.err.find("the radio may be partly programmed"), std::string::npos);
    const std::string restore = "qb41-cli write --port " + sim.port() + " " + backup.string();
    ASSERT_NE(write.err.find("  " + restore + "\n"), std::string::npos) << write.err;
    EXPECT_FALSE(PlanBytesEqual(sim.memory, pattern, 16383)); // partly programmed

    // The radio as the hang-up left it, restored with the printed command.
    Simulator again(2, sim.memory);
    CliRun restored = Cli({"write", "--port", again.port(), "--no-backup", backup.string()});
    ASSERT_EQ(restored.status, 0) << restored.err;
    again.stop();
    EXPECT_TRUE(PlanBytesEqual(again.memory, pattern, 16383));
}

TEST_F(PtyCliSafe, QuickReadEqualsAFullRead) {
    const RadioImage pattern = PatternMemory(3);
    Simulator sim(3, pattern);
    ASSERT_EQ(Cli({"read", "--port", sim.port(), path("full.dat")}).status, 0);
    ASSERT_EQ(Cli({"read", "--port", sim.port(), "--quick", path("quick.dat")}).status, 0);
    ASSERT_EQ(Cli({"read", "--port", sim.port(), path("full.hex")}).status, 0);
    ASSERT_EQ(Cli({"read", "--port", sim.port(), "--quick", path("quick.hex")}).status, 0);
    sim.stop();
    EXPECT_EQ(test::ReadBytes(path("quick.dat")), test::ReadBytes(path("full.dat")));
    EXPECT_EQ(test::ReadBytes(path("quick.hex")), test::ReadBytes(path("full.hex")));
}

TEST_F(PtyCliSafe, ChangedOnlyWriteEndsEqualToAFullWrite) {
    const RadioImage pattern = PatternMemory(2);
    ASSERT_EQ(Cli({"new", "--model", "2", path("fresh.dat")}).status, 0);
    Simulator full(2, pattern);
    ASSERT_EQ(Cli({"write", "--port", full.port(), path("fresh.dat")}).status, 0);
    full.stop();
    Simulator changed(2, pattern);
    CliRun run = Cli({"write", "--port", changed.port(), "--changed-only", path("fresh.dat")});
    ASSERT_EQ(run.status, 0) << run.err;
    changed.stop();
    EXPECT_EQ(changed.memory, full.memory);
}

// A radio as one is found in use: settings of its own, and in every bit the
// settings do not own a value no fresh image has (the user-MMSI entry counter,
// the second bytes of the plan entries, the header bytes, the markers).
RadioImage RadioInUse(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    Records& r = data.records;
    r.CHUSA[20].ChTag = "  HARBOUR";
    r.CHINT[7].Enable = kTrue;
    r.CHEXP[3] = r.CHEXP[0];
    ChannelRecord& exp = r.CHEXP[3];
    exp.Enable = kTrue;
    exp.CHDisplayL = "A1";
    exp.Rxfreq = 156.075;
    exp.Txfreq = 160.6;
    exp.Narrow = kTrue;
    exp.DcsCode = {3, 108};
    exp.CtcssTone = {4, 0};
    r.UserMmsi = "3669999990";
    r.AtisCode = "9123456789";
    r.AtisKikkerGroup = {kTrue, kFalse, kTrue, kFalse};
    r.CHMMSID[0] = {kTrue, "BASE", "2111234560"};
    r.CHGRPID[0] = {kTrue, "FLEET", "0366999900"};
    PrepareImageForWrite(data, model);
    const layout::ByteMask owned = layout::CodecOwnedBits(model);
    const RadioImage pattern = PatternMemory(model);
    RadioImage radio = data.image;
    for (std::size_t i = 66; i < radio.size(); ++i)
        radio[i] = static_cast<std::uint8_t>((radio[i] & owned[i]) | (pattern[i] & ~owned[i]));
    radio[layout::kClearCounter] = 3;
    data.image = radio;
    StoreChecksum(data.image);
    return data.image;
}

TEST_F(PtyCliSafe, ReadThenWriteOfTheDataFileChangesNoByteOfTheRadio) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        SCOPED_TRACE(model);
        const RadioImage radio = RadioInUse(model);
        Simulator sim(model, radio);
        const std::string file = path("radio" + std::to_string(model) + ".dat");
        CliRun read = Cli({"read", "--port", sim.port(), file});
        ASSERT_EQ(read.status, 0) << read.err;
        CliRun write = Cli({"write", "--port", sim.port(), "--verify", file});
        EXPECT_EQ(write.status, 0) << write.err;
        EXPECT_NE(write.err.find("the radio matches"), std::string::npos) << write.err;
        sim.stop();
        for (std::size_t i = 0; i < static_cast<std::size_t>(ImageSize(model)); ++i)
            ASSERT_EQ(sim.memory[i], radio[i]) << "byte " << i;
    }
}

TEST_F(PtyCliSafe, WithoutTheBackupReadTheFileGoesOverDefaultsAndSaysSo) {
    const RadioImage radio = RadioInUse(3);
    Simulator source(3, radio);
    ASSERT_EQ(Cli({"read", "--port", source.port(), path("r.dat")}).status, 0);
    source.stop();
    Simulator sim(3, radio);
    CliRun write = Cli({"write", "--port", sim.port(), "--no-backup", path("r.dat")});
    EXPECT_EQ(write.status, 0) << write.err;
    sim.stop();
    EXPECT_NE(write.err.find("take default values"), std::string::npos) << write.err;
    EXPECT_EQ(sim.memory[layout::kClearCounter], 0) << "the fresh image's counter";
}

TEST_F(PtyCliSafe, DetectNamesEachModel) {
    const char* names[] = {"TQ4800M (12C0)", "ZH520 (0208)", "ZH540 (021C)", "LW6100 (17D4)"};
    for (ModelNumber model = 0; model <= 3; ++model) {
        Simulator sim(model, PatternMemory(model));
        CliRun run = Cli({"detect", "--port", sim.port()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "model " + std::to_string(model) + " " + names[model] + " on " +
                               sim.port() + "\n");
        sim.stop();
    }
}

TEST_F(PtyCliSafe, PortsThatCannotBeOpenedSayWhy) {
    CliRun missing = Cli({"detect", "--port", "/dev/qb41-no-such-port"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no such device /dev/qb41-no-such-port"), std::string::npos)
        << missing.err;
    EXPECT_NE(missing.err.find("qb41-cli ports"), std::string::npos);

    // A device node this user may not open: the simulator's terminal made
    // unreadable, or (as root, who may open anything) the tool run as nobody.
    Simulator sim(2, PatternMemory(2));
    const std::string device = fs::canonical(sim.port()).string();
    CliRun denied;
    if (::geteuid() == 0) {
        ::chmod(device.c_str(), 0600);
        denied = Cli({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                      QB41_CLI, "detect", "--port", device},
                     true);
    } else {
        ::chmod(device.c_str(), 0);
        denied = Cli({"detect", "--port", device});
    }
    EXPECT_NE(denied.err.find("permission denied on " + device), std::string::npos) << denied.err;
    EXPECT_NE(denied.err.find("sudo usermod -aG "), std::string::npos);
    ::chmod(device.c_str(), 0620);
    sim.stop();
}

TEST_F(PtyCliSafe, ThingsThatAreNoSerialDeviceAreNamedSo) {
    test::WriteBytes(files / "radio.hex", "x");
    for (const std::string& device :
         {std::string("/dev/null"), path("radio.hex"), files.path().string()}) {
        CliRun run = Cli({"detect", "--port", device});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(device + " is not a serial device"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("busy"), std::string::npos) << run.err;
    }
}

// A 16 KiB file for an 8 KiB radio: the model is named at once, not after
// waiting out a read of a byte the radio does not have.
TEST_F(PtyCliSafe, AFileForABiggerModelNamesTheMismatch) {
    ASSERT_EQ(Cli({"new", "--model", "2", path("big.dat")}).status, 0);
    Simulator sim(1, PatternMemory(1));
    for (const char* verb : {"write", "verify"}) {
        CliRun run = Cli({verb, "--port", sim.port(), path("big.dat")});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("the radio is ZH520 (0208); the file is for ZH540 (021C)"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.err.find("did not answer"), std::string::npos) << run.err;
    }
    sim.stop();
    EXPECT_EQ(sim.stats["write_bytes"] + sim.stats["write_blocks"], 0.0);
}

// The restore command printed after a failed write pastes into a shell as
// it stands, blanks in the backup's path included.
TEST_F(PtyCliSafe, TheRestoreCommandIsQuoted) {
    const fs::path spaced = data / "my data";
    ::setenv("XDG_DATA_HOME", spaced.c_str(), 1);
    ASSERT_EQ(Cli({"new", "--model", "2", path("fresh.dat")}).status, 0);
    Simulator sim(2, PatternMemory(2), {"--hang-up-after", "308"});
    CliRun write = Cli({"write", "--port", sim.port(), path("fresh.dat")});
    EXPECT_EQ(write.status, 1);
    sim.SimProcess::stop();
    const fs::path folder = spaced / "QB41" / "backups";
    ASSERT_TRUE(fs::exists(folder));
    const fs::path backup = fs::directory_iterator(folder)->path();
    const std::string restore =
        "qb41-cli write --port " + sim.port() + " '" + backup.string() + "'";
    EXPECT_NE(write.err.find("  " + restore + "\n"), std::string::npos) << write.err;
}

TEST_F(PtyCliSafe, OneDeviceUnderTwoNamesIsHeldByOneProcess) {
    Simulator sim(2, PatternMemory(2), {"--no-reply", "1", "--no-reply", "2"});
    const std::string device = fs::canonical(sim.port()).string();
    // The first holds the port while it waits out the model check.
    ChildProcess first({QB41_CLI, "detect", "--port", sim.port()});
    EXPECT_NE(first.line(true).find("waiting for the radio"), std::string::npos);
    CliRun second = Cli({"detect", "--port", device});
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find(device + " is busy"), std::string::npos) << second.err;
    first.signal(SIGTERM);
    EXPECT_EQ(first.wait(), 130);
    sim.stop();
}

} // namespace
} // namespace qb41::link
