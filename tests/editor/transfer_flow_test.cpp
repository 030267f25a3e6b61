// The transfer dialog's flow without a window: opening, OK, Cancel, the close
// box, progress and the run's end, and what the main window does afterwards.
#include "editor/transfer_flow.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

using link::LinkPhase;
using link::LinkStatus;

// The app state a worker run hands back.
AppState Worker(bool error, bool cancel) {
    AppState worker;
    worker.errorFlag = error;
    worker.cancelFlag = cancel;
    worker.completed = !error && !cancel;
    return worker;
}

TEST(TransferFlow, OpeningClearsTheCompletedFlagAndShowsTheModesLayout) {
    const struct {
        TransferMode mode;
        const char* caption;
        int pictA, pictB;
    } cases[] = {
        {TransferMode::Read, "Read from Radio", 450, 4200},
        {TransferMode::Write, "Program to Radio", 4200, 450},
        {TransferMode::Clear, "Program to Radio", 4200, 450},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        AppState app;
        app.completed = true; // left over from an earlier program or clear
        TransferFlow flow(app, c.mode);
        EXPECT_FALSE(app.completed);
        EXPECT_EQ(flow.state(), TransferState::Ready);
        const TransferView v = flow.view();
        EXPECT_EQ(v.caption, c.caption);
        EXPECT_EQ(v.pictALeftTwips, c.pictA);
        EXPECT_EQ(v.pictBLeftTwips, c.pictB);
        EXPECT_EQ(v.message, TransferInstructions());
        EXPECT_TRUE(v.okEnabled && v.cancelEnabled && v.helpEnabled && v.closeBoxAllowed);
        EXPECT_TRUE(v.picturesVisible);
        EXPECT_FALSE(v.busyPointer || v.closed);
        EXPECT_EQ(v.percent, 0);
        EXPECT_EQ(v.status, "");
    }
    const std::string& text = TransferInstructions();
    EXPECT_TRUE(text.starts_with("1.Connect the KVX cable"));
    EXPECT_TRUE(text.ends_with("3.Press the [OK] button to start."));
    std::size_t breaks = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++breaks;
    EXPECT_EQ(breaks, 4u);
}

TEST(TransferFlow, CancelBeforeOkClosesAtOnceAndStartsNothing) {
    AppState app;
    TransferFlow flow(app, TransferMode::Read);
    EXPECT_EQ(flow.cancel(), TransferAction::CloseDialog);
    EXPECT_EQ(flow.state(), TransferState::Closed);
    EXPECT_TRUE(flow.view().closed);
    EXPECT_FALSE(flow.view().picturesVisible);
    EXPECT_EQ(flow.ok(), TransferAction::None);
    EXPECT_FALSE(app.completed);
}

TEST(TransferFlow, ARunShowsItsProgressRefusesTheCloseBoxAndClosesWhenItCompletes) {
    AppState app;
    app.errorFlag = app.cancelFlag = true; // the last operation's outcome
    TransferFlow flow(app, TransferMode::Write);
    ASSERT_EQ(flow.ok(), TransferAction::StartRun);
    EXPECT_FALSE(app.errorFlag || app.cancelFlag || app.completed);
    EXPECT_EQ(flow.ok(), TransferAction::None); // OK is off while running

    TransferView v = flow.view();
    EXPECT_FALSE(v.okEnabled || v.helpEnabled || v.closeBoxAllowed);
    EXPECT_TRUE(v.cancelEnabled && v.busyPointer);
    EXPECT_FALSE(flow.closeRequested());
    EXPECT_EQ(flow.state(), TransferState::Running);

    const struct {
        link::Progress report;
        int percent;
        const char* status;
    } steps[] = {
        {{0, 0, 0, LinkPhase::ModelCheck, true}, 0, "Waiting for the radio..."},
        {{0, 0, 0, LinkPhase::ModelCheck, false}, 0, "Checking the radio model..."},
        {{-5, 0, 10, LinkPhase::Programming, false}, 0, "Programming..."},
        {{57, 5, 10, LinkPhase::Programming, false}, 57, "Programming..."},
        {{140, 10, 10, LinkPhase::Programming, false}, 100, "Programming..."},
    };
    for (const auto& step : steps) {
        flow.progress(step.report);
        v = flow.view();
        EXPECT_EQ(v.percent, step.percent);
        EXPECT_EQ(v.status, step.status);
    }

    flow.finished(LinkStatus::Ok, Worker(false, false));
    EXPECT_EQ(flow.state(), TransferState::Done);
    EXPECT_TRUE(app.completed);
    EXPECT_FALSE(app.errorFlag || app.cancelFlag);
    v = flow.view();
    EXPECT_TRUE(v.closed);
    EXPECT_EQ(v.percent, 0);
    EXPECT_FALSE(v.busyPointer);
    // A late report or end changes nothing.
    flow.progress({50, 0, 0, LinkPhase::Reading, false});
    flow.finished(LinkStatus::Failed, Worker(true, false));
    EXPECT_EQ(flow.state(), TransferState::Done);
    EXPECT_TRUE(app.completed);
}

TEST(TransferFlow, AFailedRunLeavesTheDialogOpenForAnotherTry) {
    AppState app;
    TransferFlow flow(app, TransferMode::Read);
    flow.ok();
    flow.progress({30, 3, 10, LinkPhase::Reading, false});
    flow.finished(LinkStatus::Failed, Worker(true, false)); // e.g. a model mismatch
    EXPECT_EQ(flow.state(), TransferState::Failed);
    EXPECT_TRUE(app.errorFlag);
    EXPECT_FALSE(app.completed);
    TransferView v = flow.view();
    EXPECT_TRUE(v.okEnabled && v.helpEnabled && v.closeBoxAllowed && !v.closed);
    EXPECT_EQ(v.percent, 0);

    EXPECT_EQ(flow.ok(), TransferAction::StartRun); // OK runs the model check again
    EXPECT_FALSE(app.errorFlag);
    // A run that fails without saying so still counts as failed.
    flow.finished(LinkStatus::Failed, Worker(false, false));
    EXPECT_TRUE(app.errorFlag);
    EXPECT_EQ(flow.state(), TransferState::Failed);
    EXPECT_TRUE(flow.closeRequested());
    EXPECT_EQ(flow.state(), TransferState::Closed);
}

TEST(TransferFlow, CancelDuringARunStopsItAndASecondCancelCloses) {
    AppState app;
    TransferFlow flow(app, TransferMode::Read);
    flow.ok();
    EXPECT_EQ(flow.cancel(), TransferAction::RequestCancel);
    EXPECT_EQ(flow.state(), TransferState::Cancelling);
    EXPECT_TRUE(app.cancelFlag);
    EXPECT_EQ(flow.view().status, "Cancelling...");
    EXPECT_FALSE(flow.view().closeBoxAllowed);
    EXPECT_EQ(flow.cancel(), TransferAction::RequestCancel); // still running
    flow.finished(LinkStatus::Cancelled, Worker(false, true));
    EXPECT_EQ(flow.state(), TransferState::Failed);
    EXPECT_TRUE(app.cancelFlag);
    EXPECT_FALSE(app.completed);
    EXPECT_FALSE(flow.view().closed);
    EXPECT_EQ(flow.cancel(), TransferAction::CloseDialog);
    EXPECT_TRUE(flow.view().closed);
}

// Cancel asks first only while a program is writing; the backup read and the
// verify read before and after it stop at once.
TEST(TransferFlow, StoppingAWriteAsksFirst) {
    const auto report = [](LinkPhase phase) {
        link::Progress p;
        p.phase = phase;
        return p;
    };
    const struct {
        TransferMode mode;
        RunStep step;
        LinkPhase phase;
        TransferAction action;
        const char* status;
    } cases[] = {
        {TransferMode::Write, RunStep::Backup, LinkPhase::Reading, TransferAction::RequestCancel,
         "Reading the radio for a backup..."},
        {TransferMode::Write, RunStep::Transfer, LinkPhase::ModelCheck,
         TransferAction::RequestCancel, "Checking the radio model..."},
        {TransferMode::Write, RunStep::Transfer, LinkPhase::Programming,
         TransferAction::ConfirmCancel, "Programming..."},
        {TransferMode::Write, RunStep::Verify, LinkPhase::Reading, TransferAction::RequestCancel,
         "Verifying..."},
        {TransferMode::Clear, RunStep::Transfer, LinkPhase::Clearing, TransferAction::RequestCancel,
         "Clearing..."},
        {TransferMode::Read, RunStep::Transfer, LinkPhase::Reading, TransferAction::RequestCancel,
         "Reading..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        AppState app;
        TransferFlow flow(app, c.mode);
        flow.ok();
        flow.step(c.step);
        flow.progress(report(c.phase));
        EXPECT_EQ(flow.view().status, c.status);
        EXPECT_EQ(flow.cancel(), c.action);
        if (c.action != TransferAction::ConfirmCancel) continue;
        EXPECT_EQ(flow.state(), TransferState::Running); // nothing stopped yet
        EXPECT_FALSE(app.cancelFlag);
        EXPECT_EQ(flow.cancelConfirmed(), TransferAction::RequestCancel);
        EXPECT_EQ(flow.state(), TransferState::Cancelling);
        // Answered after the run had ended: nothing left to stop.
        flow.finished(LinkStatus::Cancelled, Worker(false, true));
        EXPECT_EQ(flow.cancelConfirmed(), TransferAction::None);
    }
    // A new run starts at its first step again.
    AppState app;
    TransferFlow flow(app, TransferMode::Write);
    flow.ok();
    flow.step(RunStep::Verify);
    flow.finished(LinkStatus::Failed, Worker(true, false));
    flow.ok();
    flow.progress(report(LinkPhase::Programming));
    EXPECT_EQ(flow.cancel(), TransferAction::ConfirmCancel);
}

// A clear that fails after an earlier successful program reports no change:
// the counter field is refreshed and nothing else.
TEST(TransferFlow, AFailedClearAfterAnEarlierSuccessChangesNothing) {
    AppState app;
    {
        TransferFlow program(app, TransferMode::Write);
        program.ok();
        program.finished(LinkStatus::Ok, Worker(false, false));
    }
    ASSERT_TRUE(app.completed);
    TransferFlow clear(app, TransferMode::Clear);
    clear.ok();
    clear.finished(LinkStatus::Failed, Worker(true, false));
    clear.cancel();
    const TransferFollowUp f = FollowUpAfterTransfer(TransferMode::Clear, app.completed);
    TransferFollowUp counterOnly;
    counterOnly.refreshCounter = true;
    EXPECT_EQ(f, counterOnly);
}

TEST(TransferFlow, FollowUpsByModeAndOutcome) {
    TransferFollowUp none;
    TransferFollowUp read;
    read.adoptData = read.showGeneral = read.showCurrentPane = read.rebuildTree = true;
    read.clearFileName = read.refreshCaption = read.clearDataChanged = true;
    TransferFollowUp program;
    program.adoptData = program.showCurrentPane = program.rebuildTree = true;
    TransferFollowUp cleared;
    cleared.adoptData = cleared.showCurrentPane = cleared.setDataChanged = true;
    cleared.refreshCounter = true;
    TransferFollowUp clearFailed;
    clearFailed.refreshCounter = true;
    TransferFollowUp prepared;
    prepared.showCurrentPane = prepared.rebuildTree = true;

    const struct {
        TransferMode mode;
        bool completed;
        TransferFollowUp expected;
    } cases[] = {
        {TransferMode::Read, true, read},     {TransferMode::Read, false, none},
        {TransferMode::Write, true, program}, {TransferMode::Write, false, program},
        {TransferMode::Clear, true, cleared}, {TransferMode::Clear, false, clearFailed},
        {TransferMode::None, true, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode) * 10 + c.completed);
        EXPECT_EQ(FollowUpAfterTransfer(c.mode, c.completed), c.expected);
    }
    EXPECT_EQ(FollowUpAfterPrepare(), prepared);
}

} // namespace
} // namespace qb41
