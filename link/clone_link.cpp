// The shared frame of every run: its start, its progress reports, its first
// failure and its one exit, and the step every exchange with the radio is
// made in.
#include "clone_link.h"

#include "image/layout.h"

#include <algorithm>

namespace qb41::link {

CloneLink::CloneLink(LinkContext context, std::string device, LinkTiming timing)
    : ctx_(context), device_(std::move(device)),
      port_(context.transport, context.clock, context.app, context.cancel, context.log, timing) {}

int CloneLink::lastIndex() const {
    return ImageLastIndex(ctx_.app.modelNumber);
}

int CodeCopyIndex(ModelNumber model) {
    return layout::ModelIdBack(ImageLastIndex(model));
}

void CloneLink::ShowProgress(int percent, int current, int maximum) {
    last_.percent = std::min(percent, 100);
    last_.current = current;
    last_.maximum = maximum;
    last_.waitingForRadio = false;
    if (progress_) progress_(last_);
}

void CloneLink::ShowWaiting(bool waiting) {
    if (last_.waitingForRadio == waiting) return;
    last_.waitingForRadio = waiting;
    if (progress_) progress_(last_);
}

// A new phase starts with an empty count (Done keeps the last one); reported
// only when it changes.
void CloneLink::SetPhase(LinkPhase phase) {
    if (last_.phase == phase) return;
    if (phase != LinkPhase::Done) last_ = Progress{};
    last_.phase = phase;
    last_.waitingForRadio = false;
    if (progress_) progress_(last_);
}

// The token is left alone: whoever starts a run resets it before, so that a
// Cancel pressed between starting and this point still counts.
void CloneLink::Begin() {
    port_.beginRun();
    // The run works on its own copy of the flags, starting from where the
    // last operation left them, and hands them back in its outcome.
    port_.flags = RunFlags{ctx_.app.errorFlag, ctx_.app.cancelFlag};
    outcome_ = LinkOutcome{};
    last_ = Progress{0, 0, 0, LinkPhase::Done, false};
    if (progress_)
        port_.setWaitNotice([this](bool waiting) { ShowWaiting(waiting); });
    else
        port_.setWaitNotice({});
    SetPhase(LinkPhase::OpeningPort);
}

// The first failure of a run is the one it reports.
void CloneLink::Fail(LinkReason reason, std::string detail) {
    if (outcome_.reason != LinkReason::None) return;
    outcome_.reason = reason;
    outcome_.detail = std::move(detail);
}

// A transfer step that ended with the error flag: why, as the port saw it.
void CloneLink::FailTransfer() {
    LinkReason reason = port_.lineLost() ? LinkReason::LineLost : port_.lastFailure();
    if (reason == LinkReason::None) reason = LinkReason::ProtocolError;
    Fail(reason, port_.failureDetail());
}

void CloneLink::Tell(MessageIcon icon, std::string title, std::string text) {
    outcome_.messages.push_back(Message{icon, std::move(title), std::move(text)});
}

// The one exit of every run: the phase and the outcome as data, with the
// run's messages and its error and cancel flags.
LinkOutcome CloneLink::Finish(bool completed) {
    LinkOutcome outcome = outcome_;
    outcome.flags = port_.flags;
    outcome.radioWritten = port_.writesSent() > 0;
    if (completed) {
        outcome.status = LinkStatus::Ok;
        outcome.reason = LinkReason::None;
        outcome.detail.clear();
        SetPhase(LinkPhase::Done);
    } else if (port_.cancelSeen() && outcome.reason != LinkReason::RuntimeError) {
        outcome.status = LinkStatus::Cancelled;
        outcome.reason = LinkReason::Cancelled;
        if (outcome.detail.empty()) outcome.detail = "cancelled";
    } else {
        outcome.status = LinkStatus::Failed;
        if (outcome.reason == LinkReason::None || outcome.reason == LinkReason::Cancelled) {
            outcome.reason = port_.lineLost() ? LinkReason::LineLost : LinkReason::ProtocolError;
            if (outcome.detail.empty()) outcome.detail = ReasonName(outcome.reason);
        }
    }
    radioImage_ = nullptr;
    scope_ = ReadScope::Whole;
    return outcome;
}

// What ReadData, WriteData and ClearData share: the port open for the
// exchange, then either nothing (cancelled), the failure message, or the
// pause after a success.
void CloneLink::TransferStep(const char* source, const char* title, const char* failure,
                             const std::function<void()>& exchange,
                             const std::function<void()>& succeeded) {
    try {
        if (!port_.PortOpen(device_)) {
            port_.flags.error = true;
            Fail(LinkReason::PortUnavailable, port_.openFailure());
            return;
        }
        exchange();
        port_.PortClose();
        LogLineLost(source);
        if (port_.flags.cancel) return;
        if (port_.flags.error) {
            FailTransfer();
            Tell(MessageIcon::Critical, title, failure);
            return;
        }
        if (succeeded) succeeded();
        ctx_.clock.pause(port_.timing().settlePause);
    } catch (const std::exception& error) {
        TrapRuntimeError(source, error);
    }
}

} // namespace qb41::link
