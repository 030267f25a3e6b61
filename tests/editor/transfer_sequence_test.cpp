// What one OK runs (backup, program over the radio's contents, changed-only,
// verify, clear, restore) against the simulated radio in-process on a
// ManualClock, and the boxes the dialog shows about it afterwards.
#include "editor/transfer_sequence.h"

#include "link/link_support.h"
#include "link/sim_transport.h"

#include "files/backup_files.h"
#include "image/codec.h"
#include "image/defaults.h"
#include "image/layout.h"
#include "link/messages.h"
#include "link/write_plan.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

using link::LinkReason;
using link::LinkStatus;
namespace fs = std::filesystem;

struct Rig {
    explicit Rig(ModelNumber model = 3, sim::SimFaults faults = {})
        : before(test::PatternMemory(model)), radio(before, ImageLastIndex(model), faults) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model); // records from a file, not from this radio
        data.records.UserMmsi = "987654321";
        plan.backupFolder = dir / "backups";
    }
    SequenceResult run(TransferMode mode) {
        plan.mode = mode;
        return RunTransferSequence(link, app, notifier, data, clock, plan,
                                   [this](RunStep step) { steps.push_back(step); });
    }
    int writes() const { return radio.stats().writeBytes + radio.stats().writeBlocks; }

    test::ScratchDir dir;
    ManualClock clock;
    AppState app;
    DataSet data;
    RecordingNotifier notifier;
    ErrorLog log{dir.path(), false, clock};
    link::CancelToken cancel;
    RadioImage before;
    sim::SimRadio radio;
    link::SimTransport transport{radio, clock};
    qb41::link::CloneLink link{qb41::link::LinkContext{app, data, log, clock, transport, cancel},
                               "/dev/fake"};
    SequencePlan plan;
    std::vector<RunStep> steps;
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Program : public ::testing::TestWithParam<ModelNumber> {};

// The backup is the radio before; what goes out is the records over it, so
// every bit the records do not own keeps the radio's value.
TEST_P(Program, BacksUpAndKeepsTheRadiosOwnBits) {
    const ModelNumber model = GetParam();
    Rig rig(model);
    const SequenceResult result = rig.run(TransferMode::Write);
    ASSERT_EQ(result.outcome, LinkStatus::Ok) << result.outcome.detail;
    EXPECT_EQ(rig.steps, (std::vector{RunStep::Backup, RunStep::Transfer}));
    const int last = ImageLastIndex(model);
    ASSERT_FALSE(result.backup.empty());
    EXPECT_EQ(result.backup.parent_path(), rig.plan.backupFolder);
    EXPECT_EQ(test::ReadBytes(result.backup),
              std::string(rig.before.begin(), rig.before.begin() + last + 1));

    const layout::ByteMask owned = layout::CodecOwnedBits(model);
    const RadioImage& after = rig.radio.memory();
    for (const link::IndexRange& range : link::PlanRanges(last))
        for (int i = range.first; i <= range.last; ++i) {
            const auto at = static_cast<std::size_t>(i);
            ASSERT_EQ(after[at] & ~owned[at], rig.before[at] & ~owned[at]) << i;
            ASSERT_EQ(after[at], rig.data.image[at]) << i; // the window keeps what went out
        }
    DataSet decoded = rig.data;
    DecodeImage(decoded, model);
    EXPECT_TRUE(decoded.records.UserMmsi.starts_with("987654321"));
}

INSTANTIATE_TEST_SUITE_P(EveryModel, Program, ::testing::Values(0, 1, 2, 3));

TEST(Sequence, ChangedOnlyWritesLessAndEndsTheSame) {
    Rig full;
    ASSERT_EQ(full.run(TransferMode::Write).outcome, LinkStatus::Ok);
    Rig changed;
    changed.plan.choices.changedOnly = true;
    ASSERT_EQ(changed.run(TransferMode::Write).outcome, LinkStatus::Ok);
    EXPECT_EQ(changed.radio.memory(), full.radio.memory());
    EXPECT_LT(changed.writes(), full.writes());

    // Programming the same again changes nothing, so nothing is sent.
    Rig twice;
    twice.plan.choices.changedOnly = true;
    ASSERT_EQ(twice.run(TransferMode::Write).outcome, LinkStatus::Ok);
    const int first = twice.writes();
    ASSERT_EQ(twice.run(TransferMode::Write).outcome, LinkStatus::Ok);
    EXPECT_EQ(twice.writes(), first);
}

TEST(Sequence, VerifyReadsBackAndNamesADifference) {
    Rig good;
    good.plan.choices.verify = true;
    const SequenceResult verified = good.run(TransferMode::Write);
    EXPECT_EQ(verified.outcome, LinkStatus::Ok);
    EXPECT_TRUE(verified.verified);
    EXPECT_EQ(good.steps.back(), RunStep::Verify);

    sim::SimFaults corrupt;
    corrupt.corruptAt = 0x0400;
    Rig bad(3, corrupt);
    bad.plan.choices.verify = true;
    const SequenceResult differs = bad.run(TransferMode::Write);
    EXPECT_EQ(differs.outcome.reason, LinkReason::VerifyMismatch);
    EXPECT_EQ(differs.outcome.differences, "0x0400");
    EXPECT_EQ(differs.step, RunStep::Verify);
    EXPECT_FALSE(differs.verified);
}

TEST(Sequence, NothingIsWrittenWithoutABackup) {
    // The 100th block of the backup read goes unanswered, twice.
    sim::SimFaults silent;
    silent.noReply = {104, 105};
    Rig unread(3, silent);
    const SequenceResult failed = unread.run(TransferMode::Write);
    EXPECT_EQ(failed.outcome.reason, LinkReason::NoAnswer);
    EXPECT_EQ(failed.step, RunStep::Backup);
    EXPECT_EQ(unread.writes(), 0);
    EXPECT_TRUE(ListBackups(unread.plan.backupFolder).empty());

    Rig unsaved;
    test::WriteBytes(unsaved.dir / "file", "x");
    unsaved.plan.backupFolder = unsaved.dir / "file" / "backups";
    const SequenceResult refused = unsaved.run(TransferMode::Clear);
    EXPECT_EQ(refused.outcome, LinkStatus::Failed);
    EXPECT_EQ(refused.step, RunStep::Backup);
    EXPECT_TRUE(unsaved.app.errorFlag);
    EXPECT_EQ(unsaved.writes(), 0);

    // Cancel pressed right after OK: the backup read stops, nothing goes out.
    Rig cancelled;
    cancelled.cancel.cancel();
    EXPECT_EQ(cancelled.run(TransferMode::Write).outcome, LinkStatus::Cancelled);
    EXPECT_EQ(cancelled.writes(), 0);
}

TEST(Sequence, ClearBacksUpAndRestoreProgramsTheBackupAsItStands) {
    Rig clear;
    const SequenceResult cleared = clear.run(TransferMode::Clear);
    ASSERT_EQ(cleared.outcome, LinkStatus::Ok);
    EXPECT_FALSE(cleared.backup.empty());
    EXPECT_EQ(clear.radio.memory()[501], 0);
    EXPECT_EQ(clear.writes(), 1);

    // A program, then its backup restored over the programmed radio.
    Rig rig;
    const SequenceResult programmed = rig.run(TransferMode::Write);
    ASSERT_EQ(programmed.outcome, LinkStatus::Ok);
    ASSERT_NE(rig.radio.memory(), rig.before);
    const std::string bytes = test::ReadBytes(programmed.backup);
    rig.plan.restoreImage = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    rig.steps.clear();
    const SequenceResult restored = rig.run(TransferMode::Write);
    ASSERT_EQ(restored.outcome, LinkStatus::Ok);
    EXPECT_EQ(rig.steps, std::vector{RunStep::Transfer}); // no backup of its own
    EXPECT_TRUE(restored.backup.empty());
    EXPECT_EQ(rig.radio.memory(), rig.before);
}

// The boxes after a run: the link's message first, then cause and step; the
// silent failures get the mode's message; a program stopped part-way offers
// the restore.
TEST(Boxes, SayWhatHappenedAndOfferTheWayOn) {
    link::ExplainContext context;
    context.device = "/dev/ttyUSB3";
    context.model = 3;

    Rig unplugged;
    unplugged.transport.failOpen = true;
    SequenceResult portless = unplugged.run(TransferMode::Write);
    context.port = link::PortDiagnosis{link::PortCause::Missing, {}};
    std::vector<TransferBox> boxes =
        TransferBoxes(unplugged.plan, portless, unplugged.notifier.messages, context);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message.title, link::kTitleProgram);
    EXPECT_EQ(boxes[0].message.text.substr(0, boxes[0].message.text.find('\n')),
              link::kWriteCommunicationError);
    EXPECT_TRUE(Has(boxes[0].message.text, "no such device /dev/ttyUSB3"));
    EXPECT_TRUE(Has(boxes[0].message.text, "Options > SerialPort"));
    context.port.reset();

    // The sixth write (request 270, after the backup's 260 requests and the
    // program's model check) and its retry go unanswered: the radio is
    // partly programmed.
    sim::SimFaults halfway;
    halfway.noReply = {270, 271};
    Rig broken(3, halfway);
    const SequenceResult partly = broken.run(TransferMode::Write);
    ASSERT_TRUE(partly.outcome.radioWritten);
    boxes = TransferBoxes(broken.plan, partly, broken.notifier.messages, context);
    ASSERT_EQ(boxes.size(), 1u);
    const Message& failed = boxes[0].message;
    EXPECT_TRUE(failed.text.starts_with(std::string(link::kWriteCommunicationError) + "\n"));
    EXPECT_TRUE(Has(failed.text, "the radio did not answer on /dev/ttyUSB3"));
    EXPECT_TRUE(Has(failed.text, "partly programmed"));
    EXPECT_TRUE(Has(failed.text, partly.backup.string()));
    EXPECT_EQ(failed.buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes[0].offer, TransferBox::Offer::RestoreBackup);

    Rig done;
    done.plan.choices.verify = true;
    const SequenceResult complete = done.run(TransferMode::Write);
    boxes = TransferBoxes(done.plan, complete, done.notifier.messages, context);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message.icon, MessageIcon::Information);
    EXPECT_TRUE(boxes[0].message.text.starts_with("Complete!!\n"));
    EXPECT_TRUE(Has(boxes[0].message.text, complete.backup.string()));
    EXPECT_TRUE(Has(boxes[0].message.text, "Verified"));

    sim::SimFaults corrupt;
    corrupt.corruptAt = 0x0400;
    Rig wrong(3, corrupt);
    wrong.plan.choices.verify = true;
    const SequenceResult differs = wrong.run(TransferMode::Write);
    boxes = TransferBoxes(wrong.plan, differs, wrong.notifier.messages, context);
    ASSERT_EQ(boxes.size(), 1u); // no "Complete!!" before it
    EXPECT_EQ(boxes[0].message.icon, MessageIcon::Critical);
    EXPECT_TRUE(Has(boxes[0].message.text, "0x0400"));

    // The radio is another model: the box asks whether to switch and read.
    Rig other(3);
    other.app.modelNumber = 2; // Edit > Model says ZH540
    MakeFreshDataSet(other.data, 2);
    const SequenceResult mismatch = other.run(TransferMode::Read);
    context.model = 2;
    boxes = TransferBoxes(other.plan, mismatch, other.notifier.messages, context);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].message.text.starts_with("ModelType Error !!\n"));
    EXPECT_TRUE(Has(boxes[0].message.text, "LW6100"));
    EXPECT_TRUE(boxes[0].message.text.ends_with("?"));
    EXPECT_EQ(boxes[0].offer, TransferBox::Offer::SwitchModel);
    EXPECT_EQ(boxes[0].model, 3);

    // Cancelled before anything was written: silence, as ever.
    Rig cancelled;
    cancelled.cancel.cancel();
    const SequenceResult stopped = cancelled.run(TransferMode::Write);
    EXPECT_TRUE(
        TransferBoxes(cancelled.plan, stopped, cancelled.notifier.messages, context).empty());
}

TEST(ProgramChoices, AreKeptInTheSettingsStore) {
    MemorySettingsStore store;
    EXPECT_EQ(ReadProgramChoices(store), ProgramChoices{});
    SaveProgramChoices(store, {true, false});
    EXPECT_EQ(ReadProgramChoices(store), (ProgramChoices{true, false}));
    SaveProgramChoices(store, {false, true});
    EXPECT_EQ(ReadProgramChoices(store), (ProgramChoices{false, true}));
}

} // namespace
} // namespace qb41
