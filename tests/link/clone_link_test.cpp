// The transfer operations against the simulated radio, in-process on a
// ManualClock: whole transfers, every line fault, cancel, hang-up, model
// mismatch and clear, with the exact messages, flags and data afterwards, as
// the outcome of each run carries them.
#include "link_support.h"
#include "sim_transport.h"

#include "link/clone_link.h"

#include "image/codec.h"
#include "image/defaults.h"
#include "image/primitives.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qb41::link {
namespace {

using namespace std::chrono_literals;
using test::PatternMemory;
using test::ProgramWrites;

struct Rig {
    explicit Rig(ModelNumber model, sim::SimFaults faults = {},
                 std::optional<RadioImage> memory = std::nullopt)
        : pattern(memory.value_or(PatternMemory(model))),
          radio(pattern, ImageLastIndex(model), std::move(faults)) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
        before = data;
        // The bar's reports: the transfer phase's counts (phase changes and
        // waiting notices are pinned in outcome_test.cpp).
        link.setProgress([this](const Progress& p) {
            const bool transfer = p.phase == LinkPhase::Reading ||
                                  p.phase == LinkPhase::Programming ||
                                  p.phase == LinkPhase::Clearing;
            if (transfer && !p.waitingForRadio) progress.push_back(p);
        });
    }
    std::string logText() const { return test::ReadBytes(log.path()); }
    bool dataUnchanged() const {
        return data.image == before.image && data.records == before.records;
    }

    test::ScratchDir dir;
    ManualClock clock;
    AppState app;
    DataSet data;
    DataSet before;
    ErrorLog log{dir.path(), true, clock};
    CancelToken cancel;
    RadioImage pattern;
    sim::SimRadio radio;
    SimTransport transport{radio, clock};
    CloneLink link{LinkContext{app, data, log, clock, transport, cancel}, "/dev/fake"};
    std::vector<Progress> progress;
};

} // namespace
} // namespace qb41::link

namespace qb41 {
void PrintTo(const Message& m, std::ostream* out) {
    *out << "{icon " << static_cast<int>(m.icon) << ", \"" << m.title << "\", \"" << m.text
         << "\"}";
}
} // namespace qb41

namespace qb41::link {
namespace {

const Message kReadFailed{MessageIcon::Critical, "Read from Radio", "Communication Error!!"};
const Message kProgramFailed{MessageIcon::Critical, "Program to Radio", "CommunicatiOn Error!!"};
const Message kClearFailed{MessageIcon::Critical, "Clear Data", "CommunicatiOn Error!!"};
const Message kModelType{MessageIcon::Critical, "Read from Radio", "ModelType Error !!"};
const Message kCheckFailed{MessageIcon::Critical, "Model Check", "Communication Error!!"};
Message Complete(const char* title) {
    return {MessageIcon::Information, title, "Complete!!"};
}

class WholeTransfer : public ::testing::TestWithParam<ModelNumber> {};

TEST_P(WholeTransfer, ReadTakesTheAcceptedRangesAndDecodes) {
    Rig rig(GetParam());
    const int last = ImageLastIndex(GetParam());
    const LinkOutcome read = rig.link.ReadRun();
    ASSERT_EQ(read, LinkStatus::Ok);
    EXPECT_EQ(read.messages, std::vector{Complete("Read from Radio")});
    EXPECT_TRUE(read.transferCompleted);
    EXPECT_EQ(read.flags, RunFlags{});
    EXPECT_EQ(rig.radio.stats().readBytes, 4);
    EXPECT_EQ(rig.radio.stats().readBlocks, (last + 1) / 64);

    DataSet expected = rig.before;
    CopyReadImage(expected.image, last, std::span(rig.pattern.data(), std::size_t(last) + 1));
    DecodeImage(expected, GetParam());
    EXPECT_EQ(rig.data.image, expected.image);
    EXPECT_EQ(rig.data.records, expected.records);
    EXPECT_EQ(rig.data.image[64], rig.pattern[64]);
    EXPECT_EQ(rig.data.image[200], rig.before.image[200]); // 192-255 keep their bytes

    ASSERT_EQ(rig.progress.size(), std::size_t((last + 1) / 64 + 1));
    EXPECT_EQ(rig.progress.front().percent, 0);
    EXPECT_EQ(rig.progress.back().percent, last == 16383 ? 100 : 99);
    for (const Progress& p : rig.progress) EXPECT_LE(p.percent, 100);
    EXPECT_EQ(rig.clock.pauses(), std::vector{std::chrono::milliseconds(500)});
}

TEST_P(WholeTransfer, ProgramFollowsTheWritePlan) {
    Rig rig(GetParam());
    const int last = ImageLastIndex(GetParam());
    const LinkOutcome written = rig.link.ProgramRun();
    ASSERT_EQ(written, LinkStatus::Ok);
    EXPECT_EQ(written.messages, std::vector{Complete("Program to Radio")});
    EXPECT_TRUE(written.transferCompleted);
    EXPECT_EQ(written.flags, RunFlags{});
    EXPECT_EQ(rig.data.image[95], Checksum(rig.data.image, 66, 29)); // prepared first
    for (int i = 0; i <= last; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const bool written = ProgramWrites(i, last);
        ASSERT_EQ(rig.radio.writeCounts()[at], written ? 1 : 0) << i;
        ASSERT_EQ(rig.radio.memory()[at], written ? rig.data.image[at] : rig.pattern[at]) << i;
    }
    EXPECT_EQ(rig.radio.stats().writeBytes, 110);
    EXPECT_EQ(rig.radio.stats().writeBlocks, last == 16383 ? 209 : 121);
    EXPECT_EQ(rig.progress.back().percent, last == 16383 ? 100 : 99);
}

// The commands on the wire, in the order they were sent (CAN bytes left out).
using Sent = std::vector<std::pair<CommandCode, int>>;
Sent SentCommands(const Bytes& sent) {
    Sent commands;
    for (auto at = sent.begin(); at != sent.end(); ++at) {
        if (*at != kSOH) continue;
        const auto end = std::find(at, sent.end(), kCR);
        if (end == sent.end()) break;
        auto command = ParseCommand(std::span(&*at, static_cast<std::size_t>(end - at) + 1));
        if (command) commands.emplace_back(command->code, command->address);
        at = end;
    }
    return commands;
}

void AddRun(Sent& out, CommandCode code, int first, int last, int step) {
    for (int a = first; a <= last; a += step) out.emplace_back(code, a);
}

TEST_P(WholeTransfer, CommandsGoOutInTheirOrder) {
    const int last = ImageLastIndex(GetParam());
    Sent check;
    for (int index : {64, 65, last - 1, last}) check.emplace_back(CommandCode::ReadByte, index);

    Sent read = check;
    AddRun(read, CommandCode::ReadBlock, 0, last - 63, 64);
    Rig reader(GetParam());
    ASSERT_EQ(reader.link.ReadRun(), LinkStatus::Ok);
    EXPECT_EQ(SentCommands(reader.transport.sent), read);

    Sent program = check;
    AddRun(program, CommandCode::WriteByte, 66, 127, 1);
    AddRun(program, CommandCode::WriteBlock, 128, 128, 64);
    AddRun(program, CommandCode::WriteBlock, 256, 448, 64);
    AddRun(program, CommandCode::WriteByte, 512, 559, 1);
    AddRun(program, CommandCode::WriteBlock, 768, std::min(13760, last - 63), 64);
    Rig writer(GetParam());
    ASSERT_EQ(writer.link.ProgramRun(), LinkStatus::Ok);
    EXPECT_EQ(SentCommands(writer.transport.sent), program);

    Sent clear = check;
    clear.emplace_back(CommandCode::WriteByte, 501);
    Rig clearer(GetParam());
    ASSERT_EQ(clearer.link.ClearRun(), LinkStatus::Ok);
    EXPECT_EQ(SentCommands(clearer.transport.sent), clear);
}

INSTANTIATE_TEST_SUITE_P(Models, WholeTransfer, ::testing::Values(ModelNumber{1}, ModelNumber{2}));

struct Fault {
    const char* name;
    std::set<int> sim::SimFaults::*requests;
    // Garbage before an answer is skipped, and bytes after an ACK are dropped
    // by the next exchange: neither needs a resend.
    bool readRetries;
    bool writeRetries;
};
const Fault kFaults[] = {
    {"garbage", &sim::SimFaults::garbage, false, false},
    {"bad checksum", &sim::SimFaults::badChecksum, true, true},
    {"wrong type", &sim::SimFaults::wrongType, true, true},
    {"extra bytes", &sim::SimFaults::extraBytes, true, false},
    {"no reply", &sim::SimFaults::noReply, true, true},
};

using sim::HangUpAfter;
using sim::NoReply;

sim::SimFaults On(const Fault& fault, std::set<int> requests) {
    sim::SimFaults faults;
    faults.*fault.requests = std::move(requests);
    return faults;
}

TEST(LineFaults, OneBadReplyIsRetriedOnce) {
    constexpr int kBlockRequest = 7, kWriteRequest = 14; // a block read, a single-byte write
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        Rig reader(2, On(fault, {kBlockRequest}));
        EXPECT_EQ(reader.link.ReadRun(), LinkStatus::Ok);
        EXPECT_EQ(reader.radio.stats().cancels, fault.readRetries ? 1 : 0);
        const std::vector<std::chrono::milliseconds> pauses =
            fault.readRetries ? std::vector{50ms, 500ms} : std::vector{500ms};
        EXPECT_EQ(reader.clock.pauses(), pauses);

        Rig writer(2, On(fault, {kWriteRequest}));
        const LinkOutcome written = writer.link.ProgramRun();
        EXPECT_EQ(written, LinkStatus::Ok);
        EXPECT_EQ(writer.radio.stats().cancels, fault.writeRetries ? 1 : 0);
        EXPECT_EQ(written.messages, std::vector{Complete("Program to Radio")});
    }
}

TEST(LineFaults, TwoBadRepliesFailAndLeaveTheDataAlone) {
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        if (!fault.readRetries) continue;
        Rig reader(2, On(fault, {7, 8}));
        const LinkOutcome read = reader.link.ReadRun();
        EXPECT_EQ(read, LinkStatus::Failed);
        EXPECT_EQ(read.messages, std::vector{kReadFailed});
        EXPECT_TRUE(read.flags.error);
        EXPECT_FALSE(read.transferCompleted);
        EXPECT_TRUE(reader.dataUnchanged());
        EXPECT_EQ(reader.radio.stats().requests, 8); // the read stops at the failed block

        Rig checker(2, On(fault, {2, 3}));
        const LinkOutcome checked = checker.link.ReadRun();
        EXPECT_EQ(checked, LinkStatus::Failed);
        EXPECT_EQ(checked.messages, std::vector{kCheckFailed});
        EXPECT_EQ(checker.radio.stats().readBlocks, 0);

        if (!fault.writeRetries) continue;
        Rig writer(2, On(fault, {14, 15}));
        const LinkOutcome written = writer.link.ProgramRun();
        EXPECT_EQ(written, LinkStatus::Failed);
        EXPECT_EQ(written.messages, std::vector{kProgramFailed});
        EXPECT_EQ(writer.radio.stats().requests, 15); // nothing after the failed byte
    }
}

TEST(LineFaults, TimeLimitsAreTheRadiosUnlessInjected) {
    Rig rig(2, On(kFaults[4], {7, 8}));
    const Clock::TimePoint start = rig.clock.now();
    rig.link.ReadRun();
    EXPECT_EQ(rig.clock.now() - start, 10s + 50ms + 10s); // two SOH waits, one retry pause

    Rig frame(2, On(kFaults[3], {7}));
    const Clock::TimePoint frameStart = frame.clock.now();
    frame.link.ReadRun();
    EXPECT_EQ(frame.clock.now() - frameStart, 1s + 50ms + 500ms); // 133 bytes never counted
}

TEST(LineFaults, HangUpEndsWithTheCommunicationError) {
    Rig rig(2, HangUpAfter(20));
    const LinkOutcome read = rig.link.ReadRun();
    EXPECT_EQ(read, LinkStatus::Failed);
    EXPECT_EQ(read.messages, std::vector{kReadFailed});
    EXPECT_TRUE(rig.dataUnchanged());
    EXPECT_NE(rig.logText().find("frmRadio.ReadData -> 57Device I/O error"), std::string::npos);
    EXPECT_EQ(rig.radio.stats().requests, 20);
}

TEST(Cancel, DuringAWaitStopsSilently) {
    Rig reader(2, NoReply({7}));
    reader.transport.onWait = [&](int) { reader.cancel.cancel(); };
    const LinkOutcome read = reader.link.ReadRun();
    EXPECT_EQ(read, LinkStatus::Cancelled);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_TRUE(read.flags.cancel);
    EXPECT_TRUE(reader.dataUnchanged());
    EXPECT_EQ(reader.transport.sent.back(), kCAN); // the abort byte
    EXPECT_EQ(reader.radio.stats().requests, 7);

    Rig writer(2, NoReply({14}));
    writer.transport.onWait = [&](int) { writer.cancel.cancel(); };
    const LinkOutcome written = writer.link.ProgramRun();
    EXPECT_EQ(written, LinkStatus::Cancelled);
    EXPECT_TRUE(written.messages.empty());
    EXPECT_EQ(writer.transport.sent.back(), kCR); // no abort byte after a write
    EXPECT_EQ(writer.radio.stats().requests, 14);
}

TEST(Cancel, APressBetweenStartAndTheFirstExchangeCounts) {
    // Cancel right after OK, before the run reached its first wait: the
    // program stops in its model check and no write command goes out.
    Rig writer(2);
    writer.cancel.cancel();
    const LinkOutcome written = writer.link.ProgramRun();
    EXPECT_EQ(written, LinkStatus::Cancelled);
    EXPECT_EQ(writer.radio.stats().writeBytes + writer.radio.stats().writeBlocks, 0);
    EXPECT_TRUE(written.messages.empty());
    EXPECT_EQ(writer.radio.memory(), writer.pattern);

    Rig clearer(2);
    clearer.cancel.cancel();
    EXPECT_EQ(clearer.link.ClearRun(), LinkStatus::Cancelled);
    EXPECT_EQ(clearer.radio.stats().writeBytes, 0);

    // The caller's reset before the next run is what clears it.
    Rig reader(2);
    reader.cancel.cancel();
    EXPECT_EQ(reader.link.ReadRun(), LinkStatus::Cancelled);
    EXPECT_TRUE(reader.dataUnchanged());
    reader.cancel.reset();
    EXPECT_EQ(reader.link.ReadRun(), LinkStatus::Ok);
}

TEST(ModelCheck, RefusesAnotherModelOrDifferingCopies) {
    const std::uint16_t right = ModelCode(2), other = ModelCode(3);
    for (auto [front, back] :
         {std::pair{other, other}, std::pair{right, other}, std::pair{other, right}}) {
        RadioImage memory = PatternMemory(2);
        sim::SetModelCode(memory, 16383, front, back);
        Rig reader(2, {}, memory);
        const LinkOutcome read = reader.link.ReadRun();
        EXPECT_EQ(read, LinkStatus::Failed);
        EXPECT_EQ(read.messages, std::vector{kModelType});
        EXPECT_TRUE(read.flags.error);
        // Another model's code at 64-65 ends the check before the copy.
        EXPECT_EQ(reader.radio.stats().requests, front == right ? 4 : 2);

        Rig writer(2, {}, memory);
        const LinkOutcome written = writer.link.ProgramRun();
        EXPECT_EQ(written, LinkStatus::Failed);
        Rig clearer(2, {}, memory);
        const LinkOutcome cleared = clearer.link.ClearRun();
        EXPECT_EQ(cleared, LinkStatus::Failed);
        for (const LinkOutcome* outcome : {&written, &cleared})
            EXPECT_EQ(outcome->messages, std::vector{kModelType});
        for (const Rig* rig : {&writer, &clearer})
            EXPECT_EQ(rig->radio.stats().writeBytes + rig->radio.stats().writeBlocks, 0);
    }
    // An 8 KiB radio has no byte 16382: the check names the model at once
    // instead of waiting out the read of the copy.
    RadioImage smallMemory = PatternMemory(1);
    for (std::size_t i = 8192; i < smallMemory.size(); ++i) smallMemory[i] = 0xFF;
    Rig bigger(2, {}, smallMemory);
    bigger.radio = sim::SimRadio(smallMemory, 8191);
    const auto start = bigger.clock.now();
    LinkOutcome refused = bigger.link.ProgramRun();
    EXPECT_EQ(refused.reason, LinkReason::ModelMismatch);
    EXPECT_EQ(refused.radioModelCode, ModelCode(1));
    EXPECT_EQ(bigger.clock.now(), start); // no time limit ran out
    EXPECT_EQ(bigger.radio.stats().writeBytes + bigger.radio.stats().writeBlocks, 0);

    // Model 1 keeps its copy at 8190-8191.
    Rig small(1);
    EXPECT_EQ(small.link.ReadRun(), LinkStatus::Ok);
    EXPECT_NE(std::string(small.transport.sent.begin(), small.transport.sent.end()).find("121FFE"),
              std::string::npos);
}

TEST(Clear, WritesZeroOrPutsTheOldValueBack) {
    Rig done(2);
    done.data.image[501] = 5;
    const LinkOutcome clearedNow = done.link.ClearRun();
    EXPECT_EQ(clearedNow, LinkStatus::Ok);
    EXPECT_TRUE(clearedNow.transferCompleted);
    EXPECT_EQ(done.data.image[501], 0);
    EXPECT_EQ(done.radio.memory()[501], 0);
    EXPECT_EQ(done.radio.stats().writeBytes, 1);
    EXPECT_EQ(clearedNow.messages, std::vector{Complete("Clear Data")});
    EXPECT_EQ(done.progress.back().percent, 100);

    Rig failed(2, NoReply({5, 6}));
    failed.data.image[501] = 5;
    const LinkOutcome notCleared = failed.link.ClearRun();
    EXPECT_EQ(notCleared, LinkStatus::Failed);
    EXPECT_FALSE(notCleared.transferCompleted);
    EXPECT_EQ(failed.data.image[501], 5);
    EXPECT_EQ(notCleared.messages, std::vector{kClearFailed});

    Rig cancelled(2, NoReply({5}));
    cancelled.data.image[501] = 5;
    cancelled.transport.onWait = [&](int) { cancelled.cancel.cancel(); };
    const LinkOutcome stopped = cancelled.link.ClearRun();
    EXPECT_EQ(stopped, LinkStatus::Cancelled);
    EXPECT_EQ(cancelled.data.image[501], 5);
    EXPECT_TRUE(stopped.messages.empty());
}

TEST(Failures, PortThatWillNotOpenIsLoggedNotShown) {
    Rig rig(2);
    rig.transport.failOpen = true;
    const LinkOutcome read = rig.link.ReadRun();
    EXPECT_EQ(read, LinkStatus::Failed);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_TRUE(read.flags.error);
    EXPECT_EQ(rig.link.portFailure(), "8012The device port is not available");
    EXPECT_NE(rig.logText().find("frmRadio.PortOpen -> 8012The device port is not available"),
              std::string::npos);
}

TEST(Failures, RunTimeErrorIsTrappedByTheOperation) {
    Rig rig(2);
    rig.transport.throwOnWrite = 10; // the sixth block read
    const LinkOutcome read = rig.link.ReadRun();
    EXPECT_EQ(read, LinkStatus::Failed);
    const Message trapped{MessageIcon::Critical, "frmRadio.ReadData", "7\n\nOut of memory"};
    EXPECT_EQ(read.messages, std::vector{trapped});
    EXPECT_EQ(read.flags, (RunFlags{true, true}));
    EXPECT_FALSE(rig.transport.isOpen());
    EXPECT_TRUE(rig.dataUnchanged());
    EXPECT_NE(rig.logText().find("frmRadio.ReadData -> 7Out of memory"), std::string::npos);
}

} // namespace
} // namespace qb41::link

namespace qb41::link {
namespace {

// A run says what it has to say once, at its end: the outcome carries the
// messages in order and the flags the program is left with; the run itself
// leaves AppState as it was (the edge applies the outcome).
TEST(RunMessages, TheOutcomeCarriesWhatTheRunSaysAndItsFlags) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> arrange;
        std::vector<Message> said;
        RunFlags flags;
    };
    const Case cases[] = {
        {"complete", [](Rig&) {}, {Complete("Read from Radio")}, {false, false}},
        {"line lost", [](Rig&) {}, {kReadFailed}, {true, false}},
        {"other model", [](Rig& r) { r.app.modelNumber = 0; }, {kModelType}, {true, false}},
        {"cancelled",
         [](Rig& r) { r.transport.onWait = [&r](int) { r.cancel.cancel(); }; },
         {},
         {true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = c.name;
        Rig rig(2, name == "line lost"   ? HangUpAfter(20)
                   : name == "cancelled" ? NoReply({7})
                                         : sim::SimFaults{});
        c.arrange(rig);
        const AppState before = rig.app;
        const LinkOutcome outcome = rig.link.ReadRun();
        EXPECT_EQ(outcome.messages, c.said);
        EXPECT_EQ(outcome.flags, c.flags);
        EXPECT_EQ(outcome.transferCompleted, name == "complete");
        EXPECT_EQ(rig.app.errorFlag, before.errorFlag);
        EXPECT_EQ(rig.app.cancelFlag, before.cancelFlag);
        EXPECT_EQ(rig.app.completed, before.completed);
        EXPECT_EQ(rig.app.loading, before.loading);
    }
}

// A run starts from the flags the program had: a port that will not open
// leaves the cancel flag of the run before.
TEST(RunMessages, ARunStartsFromTheProgramsFlags) {
    for (bool cancelBefore : {false, true}) {
        Rig rig(2);
        rig.app.cancelFlag = cancelBefore;
        rig.transport.failOpen = true;
        const LinkOutcome outcome = rig.link.ReadRun();
        EXPECT_EQ(outcome.flags, (RunFlags{true, cancelBefore}));
    }
}

} // namespace
} // namespace qb41::link
