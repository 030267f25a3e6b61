#include "transfer_flow.h"

#include "link/messages.h"

#include <algorithm>

namespace qb41 {
namespace {

bool RunOn(TransferState state) {
    return state == TransferState::Running || state == TransferState::Cancelling;
}

// The line under the bar while a run is on.
std::string StatusText(RunStep step, link::LinkPhase phase, bool waiting) {
    if (waiting) return "Waiting for the radio...";
    if (phase == link::LinkPhase::Reading && step == RunStep::Backup)
        return "Reading the radio for a backup...";
    if (phase == link::LinkPhase::Reading && step == RunStep::Verify) return "Verifying...";
    switch (phase) {
    case link::LinkPhase::OpeningPort:
        return "Opening the port...";
    case link::LinkPhase::ModelCheck:
        return "Checking the radio model...";
    case link::LinkPhase::Reading:
        return "Reading...";
    case link::LinkPhase::Programming:
        return "Programming...";
    case link::LinkPhase::Clearing:
        return "Clearing...";
    case link::LinkPhase::Done:
        return {};
    }
    return {};
}

} // namespace

const std::string& TransferInstructions() {
    static const std::string text =
        "1.Connect the KVX cable between the PC serial port and the radio.\r\n"
        "2.On the radio, press and hold [DISTRESS] and [SCAN] keys while\r\n"
        "   turning the power on.\r\n"
        "   The radios display will show UART.\r\n"
        "3.Press the [OK] button to start.";
    return text;
}

std::string TransferCaption(TransferMode mode) {
    return mode == TransferMode::Read ? link::kTitleRead : link::kTitleProgram;
}

TransferFlow::TransferFlow(AppState& app, TransferMode mode) : app_(app), mode_(mode) {
    app_.completed = false;
}

void TransferFlow::enter(TransferState next) {
    state_ = next;
    switch (next) {
    case TransferState::Running:
        // Every run starts afresh, so a failure after an earlier success in
        // the same dialog reports no change either.
        app_.completed = false;
        app_.errorFlag = false;
        app_.cancelFlag = false;
        percent_ = 0;
        phase_ = link::LinkPhase::OpeningPort;
        step_ = RunStep::Transfer;
        waiting_ = false;
        break;
    case TransferState::Cancelling:
        app_.cancelFlag = true;
        break;
    case TransferState::Failed:
    case TransferState::Done:
        percent_ = 0;
        waiting_ = false;
        break;
    case TransferState::Ready:
    case TransferState::Closed:
        break;
    }
}

TransferAction TransferFlow::ok() {
    if (state_ != TransferState::Ready && state_ != TransferState::Failed)
        return TransferAction::None;
    enter(TransferState::Running);
    return TransferAction::StartRun;
}

TransferAction TransferFlow::cancel() {
    switch (state_) {
    case TransferState::Running:
        if (mode_ == TransferMode::Write && step_ == RunStep::Transfer &&
            phase_ == link::LinkPhase::Programming)
            return TransferAction::ConfirmCancel;
        enter(TransferState::Cancelling);
        return TransferAction::RequestCancel;
    case TransferState::Cancelling:
        return TransferAction::RequestCancel;
    case TransferState::Ready:
    case TransferState::Failed:
        enter(TransferState::Closed);
        return TransferAction::CloseDialog;
    case TransferState::Done:
    case TransferState::Closed:
        break;
    }
    return TransferAction::None;
}

TransferAction TransferFlow::cancelConfirmed() {
    if (state_ != TransferState::Running) return TransferAction::None;
    enter(TransferState::Cancelling);
    return TransferAction::RequestCancel;
}

void TransferFlow::step(RunStep next) {
    if (RunOn(state_)) step_ = next;
}

bool TransferFlow::closeRequested() {
    if (RunOn(state_)) return false;
    if (state_ != TransferState::Done) enter(TransferState::Closed);
    return true;
}

void TransferFlow::progress(const link::Progress& report) {
    if (!RunOn(state_)) return;
    percent_ = std::clamp(report.percent, 0, 100);
    phase_ = report.phase;
    waiting_ = report.waitingForRadio;
}

void TransferFlow::finished(link::LinkStatus status, const AppState& worker) {
    if (!RunOn(state_)) return;
    const bool completed = status == link::LinkStatus::Ok;
    app_.completed = completed;
    app_.errorFlag = !completed && worker.errorFlag;
    app_.cancelFlag = !completed && (worker.cancelFlag || status == link::LinkStatus::Cancelled);
    if (!completed && !app_.errorFlag && !app_.cancelFlag) app_.errorFlag = true;
    enter(completed ? TransferState::Done : TransferState::Failed);
}

TransferView TransferFlow::view() const {
    TransferView v;
    v.caption = TransferCaption(mode_);
    v.message = TransferInstructions();
    v.percent = percent_;
    const bool readFirst = mode_ == TransferMode::Read;
    v.pictALeftTwips = readFirst ? kPictureNearTwips : kPictureFarTwips;
    v.pictBLeftTwips = readFirst ? kPictureFarTwips : kPictureNearTwips;
    const bool running = RunOn(state_);
    const bool closed = state_ == TransferState::Done || state_ == TransferState::Closed;
    v.closed = closed;
    v.picturesVisible = !closed;
    v.okEnabled = !running && !closed;
    v.helpEnabled = !running && !closed;
    v.cancelEnabled = !closed;
    v.busyPointer = running;
    v.closeBoxAllowed = !running;
    if (state_ == TransferState::Cancelling)
        v.status = "Cancelling...";
    else if (running)
        v.status = StatusText(step_, phase_, waiting_);
    return v;
}

TransferFollowUp FollowUpAfterTransfer(TransferMode mode, bool completed) {
    TransferFollowUp f;
    switch (mode) {
    case TransferMode::Read:
        if (!completed) break;
        f.adoptData = true;
        f.showGeneral = true;
        f.showCurrentPane = true;
        f.rebuildTree = true;
        f.clearFileName = true;
        f.refreshCaption = true;
        f.clearDataChanged = true;
        break;
    case TransferMode::Write:
        // The program run repairs the records (usable groups, priority
        // channel) before it even opens the port, so the repaired records
        // come back and are shown whatever the outcome.
        f = FollowUpAfterPrepare();
        f.adoptData = true;
        break;
    case TransferMode::Clear:
        f.refreshCounter = true;
        if (!completed) break;
        f.adoptData = true;
        f.showCurrentPane = true;
        f.setDataChanged = true;
        break;
    case TransferMode::None:
        break;
    }
    return f;
}

TransferFollowUp FollowUpAfterPrepare() {
    TransferFollowUp f;
    f.showCurrentPane = true;
    f.rebuildTree = true;
    return f;
}

} // namespace qb41
