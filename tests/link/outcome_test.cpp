// The outcome of a run as data (status, reason, detail, radioWritten, model
// codes), the phases in the progress reports, and the runs the backup,
// verify, quick-read, changed-only and detection features are made of.
#include "link_support.h"
#include "sim_transport.h"

#include "link/clone_link.h"
#include "link/write_plan.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qb41::link {
namespace {

struct Rig {
    explicit Rig(ModelNumber model, sim::SimFaults faults = {},
                 std::optional<RadioImage> memory = std::nullopt)
        : radio(memory.value_or(test::PatternMemory(model)), ImageLastIndex(model),
                std::move(faults)) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
        link.setProgress([this](const Progress& p) { progress.push_back(p); });
    }
    std::vector<LinkPhase> phases() const {
        std::vector<LinkPhase> seen;
        for (const Progress& p : progress)
            if (seen.empty() || seen.back() != p.phase) seen.push_back(p.phase);
        return seen;
    }
    bool sawWaiting() const {
        return std::any_of(progress.begin(), progress.end(),
                           [](const Progress& p) { return p.waitingForRadio; });
    }

    test::ScratchDir dir;
    ManualClock clock;
    AppState app;
    DataSet data;
    ErrorLog log{dir.path(), false, clock};
    CancelToken cancel;
    sim::SimRadio radio;
    SimTransport transport{radio, clock};
    CloneLink link{LinkContext{app, data, log, clock, transport, cancel}, "/dev/fake"};
    std::vector<Progress> progress;
};

std::vector<std::uint8_t> MemoryBytes(const sim::SimRadio& radio) {
    return {radio.memory().begin(), radio.memory().begin() + radio.lastIndex() + 1};
}

using Phases = std::vector<LinkPhase>;

template <typename Set> sim::SimFaults Faults(Set set) {
    sim::SimFaults faults;
    set(faults);
    return faults;
}

TEST(Outcome, CompletedRunsSayNoneAndWalkTheirPhases) {
    Rig reader(2);
    LinkOutcome read = reader.link.ReadRun();
    EXPECT_EQ(read.status, LinkStatus::Ok);
    EXPECT_EQ(read.reason, LinkReason::None);
    EXPECT_TRUE(read.detail.empty());
    EXPECT_FALSE(read.radioWritten);
    EXPECT_EQ(read.radioModelCode, ModelCode(2));
    EXPECT_EQ(reader.phases(), (Phases{LinkPhase::OpeningPort, LinkPhase::ModelCheck,
                                       LinkPhase::Reading, LinkPhase::Done}));

    Rig writer(2);
    LinkOutcome written = writer.link.ProgramRun();
    EXPECT_EQ(written, LinkStatus::Ok);
    EXPECT_TRUE(written.radioWritten);
    EXPECT_EQ(writer.phases(), (Phases{LinkPhase::OpeningPort, LinkPhase::ModelCheck,
                                       LinkPhase::Programming, LinkPhase::Done}));

    Rig clearer(2);
    EXPECT_EQ(clearer.link.ClearRun(), LinkStatus::Ok);
    EXPECT_EQ(clearer.phases(), (Phases{LinkPhase::OpeningPort, LinkPhase::ModelCheck,
                                        LinkPhase::Clearing, LinkPhase::Done}));
    // Existing callers keep the status alone.
    LinkStatus status = clearer.link.ClearRun();
    EXPECT_EQ(status, LinkStatus::Ok);
}

TEST(Outcome, FirstModelCheckByteIsReportedAsAwaited) {
    Rig rig(2);
    rig.link.ReadRun();
    ASSERT_GE(rig.progress.size(), 3u);
    auto first = std::find_if(rig.progress.begin(), rig.progress.end(),
                              [](const Progress& p) { return p.waitingForRadio; });
    ASSERT_NE(first, rig.progress.end());
    EXPECT_EQ(first->phase, LinkPhase::ModelCheck);
    EXPECT_FALSE((first + 1)->waitingForRadio); // the answer came
}

TEST(Outcome, SilentRadioIsNoAnswerAndReportedAsWaiting) {
    Rig rig(2, Faults([](sim::SimFaults& f) { f.noReply = std::set<int>{1, 2}; }));
    LinkOutcome outcome = rig.link.ReadRun();
    EXPECT_EQ(outcome.status, LinkStatus::Failed);
    EXPECT_EQ(outcome.reason, LinkReason::NoAnswer);
    EXPECT_NE(outcome.detail.find("0x0040"), std::string::npos) << outcome.detail;
    EXPECT_TRUE(rig.sawWaiting());
    EXPECT_FALSE(rig.progress.back().waitingForRadio);
}

TEST(Outcome, LongWaitMidReadIsReportedAsWaiting) {
    Rig rig(2, Faults([](sim::SimFaults& f) { f.noReply = std::set<int>{10}; }));
    EXPECT_EQ(rig.link.ReadRun(), LinkStatus::Ok); // the retry answers
    auto waiting = std::find_if(rig.progress.begin(), rig.progress.end(), [](const Progress& p) {
        return p.waitingForRadio && p.phase == LinkPhase::Reading;
    });
    EXPECT_NE(waiting, rig.progress.end());
}

TEST(Outcome, BadAnswersAreAProtocolError) {
    Rig rig(2, Faults([](sim::SimFaults& f) { f.badChecksum = std::set<int>{7, 8}; }));
    LinkOutcome outcome = rig.link.ReadRun();
    EXPECT_EQ(outcome.reason, LinkReason::ProtocolError);
}

TEST(Outcome, ModelMismatchCarriesTheRadiosCode) {
    RadioImage memory = test::PatternMemory(2);
    sim::SetModelCode(memory, 16383, ModelCode(3), ModelCode(3));
    Rig rig(2, {}, memory);
    LinkOutcome outcome = rig.link.ProgramRun();
    EXPECT_EQ(outcome.reason, LinkReason::ModelMismatch);
    EXPECT_EQ(outcome.radioModelCode, ModelCode(3));
    EXPECT_EQ(outcome.radioModelCopy, std::nullopt); // the front code already told
    EXPECT_FALSE(outcome.radioWritten);
    EXPECT_NE(outcome.detail.find("17D4"), std::string::npos) << outcome.detail;
}

TEST(Outcome, LineLostMidWriteSaysTheRadioWasWritten) {
    Rig rig(2, Faults([](sim::SimFaults& f) { f.hangUpAfter = 30; }));
    LinkOutcome outcome = rig.link.ProgramRun();
    EXPECT_EQ(outcome.status, LinkStatus::Failed);
    EXPECT_EQ(outcome.reason, LinkReason::LineLost);
    EXPECT_TRUE(outcome.radioWritten);
}

TEST(Outcome, CancelAndPortFailure) {
    Rig writer(2, Faults([](sim::SimFaults& f) { f.noReply = std::set<int>{14}; }));
    writer.transport.onWait = [&](int) { writer.cancel.cancel(); };
    LinkOutcome cancelled = writer.link.ProgramRun();
    EXPECT_EQ(cancelled.status, LinkStatus::Cancelled);
    EXPECT_EQ(cancelled.reason, LinkReason::Cancelled);
    EXPECT_TRUE(cancelled.radioWritten);

    Rig closed(2);
    closed.transport.failOpen = true;
    LinkOutcome unavailable = closed.link.ReadRun();
    EXPECT_EQ(unavailable.reason, LinkReason::PortUnavailable);
    EXPECT_FALSE(unavailable.detail.empty());
}

class PerModel : public ::testing::TestWithParam<ModelNumber> {};

TEST_P(PerModel, DetectNamesTheModel) {
    const ModelNumber model = GetParam();
    Rig rig(model == 0 ? 3 : 0, {}, test::PatternMemory(model)); // selection is ignored
    rig.radio = sim::SimRadio(test::PatternMemory(model), ImageLastIndex(model));
    LinkOutcome outcome = rig.link.DetectRun();
    ASSERT_EQ(outcome.status, LinkStatus::Ok) << outcome.detail;
    EXPECT_EQ(outcome.radioModel, model);
    EXPECT_EQ(rig.app.modelNumber, model == 0 ? 3 : 0);
    EXPECT_EQ(rig.radio.stats().readBytes, 4);
}

TEST_P(PerModel, WholeImageReadIsTheRadiosMemory) {
    const ModelNumber model = GetParam();
    Rig rig(model);
    std::vector<std::uint8_t> image;
    ASSERT_EQ(rig.link.ReadImageRun(image), LinkStatus::Ok);
    EXPECT_EQ(image, MemoryBytes(rig.radio));
    EXPECT_EQ(rig.data.image, [&] {
        DataSet fresh;
        MakeFreshDataSet(fresh, model);
        return fresh.image;
    }()); // the data set is left alone
}

TEST_P(PerModel, QuickReadEqualsAFullRead) {
    const ModelNumber model = GetParam();
    Rig full(model), quick(model);
    ASSERT_EQ(full.link.ReadRun(), LinkStatus::Ok);
    ASSERT_EQ(quick.link.ReadRun(ReadScope::KeptBlocks), LinkStatus::Ok);
    EXPECT_EQ(quick.data.image, full.data.image);
    EXPECT_TRUE(quick.data.records == full.data.records);
    EXPECT_LT(quick.radio.stats().readBlocks, full.radio.stats().readBlocks);
    EXPECT_EQ(quick.progress.back().phase, LinkPhase::Done);
}

TEST_P(PerModel, ChangedOnlyWriteEndsEqualToAFullWrite) {
    const ModelNumber model = GetParam();
    Rig full(model), changed(model);
    // Start the second radio from what a full write leaves, then change one channel.
    ASSERT_EQ(full.link.ProgramRun(), LinkStatus::Ok);
    changed.radio = sim::SimRadio(full.radio.memory(), ImageLastIndex(model));
    Rig target(model);
    target.data.records.CHUSA[5].Enable = target.data.records.CHUSA[5].Enable ? 0 : -1;
    ASSERT_EQ(target.link.ProgramRun(), LinkStatus::Ok);

    changed.data = target.data;
    std::vector<std::uint8_t> current;
    ASSERT_EQ(changed.link.ReadImageRun(current), LinkStatus::Ok);
    ProgramOptions options;
    options.radioImage = &current;
    ASSERT_EQ(changed.link.ProgramRun(options), LinkStatus::Ok);
    EXPECT_EQ(changed.radio.memory(), target.radio.memory());
    const int writes = changed.radio.stats().writeBlocks + changed.radio.stats().writeBytes;
    EXPECT_GE(writes, 1);
    EXPECT_LE(writes, 3);
}

TEST_P(PerModel, UnpreparedProgramSendsTheImageAsItStands) {
    const ModelNumber model = GetParam();
    Rig rig(model);
    for (std::size_t i = 0; i < rig.data.image.size(); ++i)
        rig.data.image[i] = static_cast<std::uint8_t>(i * 13 + 1);
    const RadioImage image = rig.data.image;
    ProgramOptions options;
    options.prepareImage = false;
    ASSERT_EQ(rig.link.ProgramRun(options), LinkStatus::Ok);
    const int last = ImageLastIndex(model);
    for (const IndexRange& range : PlanRanges(last))
        for (int i = range.first; i <= range.last; ++i)
            ASSERT_EQ(rig.radio.memory()[static_cast<std::size_t>(i)],
                      image[static_cast<std::size_t>(i)])
                << i;
}

INSTANTIATE_TEST_SUITE_P(Models, PerModel, ::testing::Values(0, 1, 2, 3));

TEST(WritePlan, RangesAreTheBytesTheProgramWrites) {
    for (int last : {8191, 16383}) {
        std::vector<bool> planned(static_cast<std::size_t>(last) + 1, false);
        for (const IndexRange& range : PlanRanges(last))
            for (int i = range.first; i <= range.last; ++i)
                planned[static_cast<std::size_t>(i)] = true;
        for (int i = 0; i <= last; ++i) {
            EXPECT_EQ(planned[static_cast<std::size_t>(i)], test::ProgramWrites(i, last)) << i;
            if (planned[static_cast<std::size_t>(i)]) {
                EXPECT_TRUE(ReadKeepsBlock(i / kBlockSize * kBlockSize, last)) << i;
            }
        }
    }
}

} // namespace
} // namespace qb41::link
