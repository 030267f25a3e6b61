// The link as the user meets it: the QSerialPort transport and the
// command-line tool against qb41-radio-sim on a real pseudo-terminal,
// unpaced. Fault cases use short injected time limits.
#include "link_support.h"
#include "pty_support.h"
#include "sim_process.h"

#include "link/clone_link.h"
#include "link/qt_serial_transport.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace qb41::link {
namespace {

using namespace std::chrono_literals;
using test::PatternMemory;

using sim::ChildProcess;

const Message kReadFailed{MessageIcon::Critical, "Read from Radio", "Communication Error!!"};
const Message kModelType{MessageIcon::Critical, "Read from Radio", "ModelType Error !!"};
constexpr LinkTiming kShortLimits{300ms, 150ms, 50ms, 0ms};

struct PtyRig {
    PtyRig(ModelNumber model, const std::string& port, LinkTiming timing = kShortLimits)
        : link(LinkContext{app, data, log, clock, transport, cancel}, port, timing) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
        before = data;
    }
    test::ScratchDir dir;
    SystemClock clock;
    AppState app;
    DataSet data;
    DataSet before;
    ErrorLog log{dir.path(), true, clock};
    CancelToken cancel;
    QtSerialTransport transport{clock};
    CloneLink link;
};

class PtyTransfer : public ::testing::TestWithParam<ModelNumber> {};

TEST_P(PtyTransfer, ReadProgramAndClearTheWholeImage) {
    const ModelNumber model = GetParam();
    const int last = ImageLastIndex(model);
    const RadioImage pattern = PatternMemory(model);
    Simulator sim(model, pattern);
    PtyRig rig(model, sim.port());

    const LinkOutcome read = rig.link.ReadRun();
    ASSERT_EQ(read, LinkStatus::Ok);
    EXPECT_EQ(rig.data.image[64], pattern[64]);
    EXPECT_EQ(rig.data.image[1000], pattern[1000]);
    EXPECT_EQ(rig.data.image[10], rig.before.image[10]);
    const std::uint8_t counter = rig.data.image[501];
    const LinkOutcome cleared = rig.link.ClearRun();
    ASSERT_EQ(cleared, LinkStatus::Ok);
    EXPECT_EQ(rig.data.image[501], 0);
    // Make every byte the program might send differ from the radio's, the
    // model code copies included, so that any write shows. (A model 1 radio
    // then carries the wrong code copy: the program runs last.)
    rig.data.records.UserMmsi = "123456789";
    for (int i : {64, 65, last - 1, last}) rig.data.image[static_cast<std::size_t>(i)] = 0xA5;
    const LinkOutcome programmed = rig.link.ProgramRun();
    ASSERT_EQ(programmed, LinkStatus::Ok);
    sim.stop();

    for (int i = 0; i <= last; ++i) {
        const auto at = static_cast<std::size_t>(i);
        ASSERT_EQ(sim.memory[at], test::ProgramWrites(i, last) ? rig.data.image[at] : pattern[at])
            << "index " << i;
    }
    EXPECT_EQ(sim.memory[64], pattern[64]); // the model code is never written
    EXPECT_EQ(sim.memory[static_cast<std::size_t>(last)], last == 8191 ? 0xA5 : pattern[16383]);
    EXPECT_NE(counter, 0);
    EXPECT_EQ(sim.memory[501], 0);
    EXPECT_EQ(sim.stats["write_blocks"], last == 16383 ? 209 : 121);
    EXPECT_EQ(sim.stats["write_bytes"], 110 + 1);
    EXPECT_EQ(sim.stats["read_blocks"], (last + 1) / 64);
    EXPECT_EQ(sim.stats["cancels"], 0);
    for (const LinkOutcome* run : {&read, &cleared, &programmed})
        EXPECT_EQ(run->messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Models, PtyTransfer, ::testing::Values(ModelNumber{1}, ModelNumber{2}));

TEST(PtyFaults, OneBadReplyIsRetriedTwoFail) {
    for (const char* fault : {"--bad-checksum", "--extra-bytes", "--no-reply"}) {
        SCOPED_TRACE(fault);
        Simulator once(2, PatternMemory(2), {fault, "9"});
        PtyRig good(2, once.port());
        EXPECT_EQ(good.link.ReadRun(), LinkStatus::Ok);
        once.stop();
        EXPECT_EQ(once.stats["cancels"], 1);

        Simulator twice(2, PatternMemory(2), {fault, "9,10"});
        PtyRig bad(2, twice.port());
        const LinkOutcome failed = bad.link.ReadRun();
        EXPECT_EQ(failed, LinkStatus::Failed);
        EXPECT_EQ(failed.messages, std::vector{kReadFailed});
        EXPECT_TRUE(bad.data.image == bad.before.image && bad.data.records == bad.before.records);
    }
}

TEST(PtyFaults, HangUpEndsPromptlyWithTheCommunicationError) {
    Simulator sim(2, PatternMemory(2), {"--hang-up-after", "30"});
    PtyRig rig(2, sim.port(), LinkTiming{}); // the radio's own 10 s limits
    const auto start = std::chrono::steady_clock::now();
    const LinkOutcome lost = rig.link.ReadRun();
    EXPECT_EQ(lost, LinkStatus::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(lost.messages, std::vector{kReadFailed});
    EXPECT_FALSE(rig.transport.isOpen());
    // The line is gone for good: the next operation cannot open it and says nothing.
    const LinkOutcome gone = rig.link.ReadRun();
    EXPECT_EQ(gone, LinkStatus::Failed);
    EXPECT_EQ(gone.reason, LinkReason::PortUnavailable);
    EXPECT_TRUE(gone.messages.empty());
    EXPECT_NE(test::ReadBytes(rig.log.path()).find("frmRadio.PortOpen -> "), std::string::npos);
}

TEST(PtyFaults, ModelMismatch) {
    Simulator sim(2, PatternMemory(2), {"--code-copy", "17D4"});
    PtyRig rig(2, sim.port());
    const LinkOutcome refused = rig.link.ReadRun();
    EXPECT_EQ(refused, LinkStatus::Failed);
    EXPECT_EQ(refused.messages, std::vector{kModelType});
}

TEST(PtyCancel, FromAnotherThreadEndsABlockedWait) {
    Simulator sim(2, PatternMemory(2), {"--no-reply", "12"});
    PtyRig rig(2, sim.port(), LinkTiming{});
    std::thread canceller;
    rig.link.setProgress([&](const Progress& p) {
        if (p.current == 7 && !canceller.joinable()) // block 7 is request 12
            canceller = std::thread([&] {
                std::this_thread::sleep_for(100ms);
                rig.cancel.cancel();
            });
    });
    const auto start = std::chrono::steady_clock::now();
    const LinkOutcome cancelled = rig.link.ReadRun();
    EXPECT_EQ(cancelled, LinkStatus::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    canceller.join();
    EXPECT_TRUE(cancelled.messages.empty());
    sim.stop();
    EXPECT_EQ(sim.stats["cancels"], 1); // the abort byte
    EXPECT_EQ(sim.stats["requests"], 12);
}

TEST(PtyCli, ReadWritesTheImageFile) {
    const RadioImage pattern = PatternMemory(2);
    Simulator sim(2, pattern);
    test::ScratchDir dir;
    ChildProcess cli({QB41_CLI, "read", "--port", sim.port(), dir / "out.hex"});
    EXPECT_EQ(cli.wait(), 0);
    const std::string file = test::ReadBytes(dir / "out.hex");
    ASSERT_EQ(file.size(), 16384u);
    EXPECT_EQ(static_cast<std::uint8_t>(file[1000]), pattern[1000]);
}

TEST(PtyCli, CtrlCCancelsAndSendsTheAbortByte) {
    Simulator sim(2, PatternMemory(2), {"--no-reply", "10"});
    test::ScratchDir dir;
    ChildProcess cli({QB41_CLI, "read", "--port", sim.port(), "--model", "2", dir / "out.hex"});
    std::string line = cli.line(true);
    while (!line.empty() && line.rfind("read: 0%", 0) != 0) line = cli.line(true);
    EXPECT_EQ(line.rfind("read: 0%", 0), 0u); // the block read has begun
    cli.signal(SIGINT);
    EXPECT_EQ(cli.wait(), 130);
    sim.stop();
    EXPECT_EQ(sim.stats["cancels"], 1);
    EXPECT_LE(sim.stats["requests"], 10);
}

} // namespace
} // namespace qb41::link

int main(int argc, char** argv) {
    qb41::link::QtCoreScope qt;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
