// What a run of the clone link tells its caller: the outcome as data (status,
// reason, detail) returned from the run's single exit, and the progress
// reports with the phase the run is in.
//
// A window or the command-line tool decides what to say from `reason` (and
// `radioWritten`, `radioModelCode`), never from message texts; `detail` is a
// plain-English line for a log or a "more" box, not for parsing.
//
// A run shows nothing and sets no flag of AppState: what the program has
// always shown and set after a run (its messages, the error, cancel, completed
// and loading flags) is in the outcome as data, and the edge outside the link
// (editor/link_edge.h) turns it into messages and flags.
#pragma once

#include "core/model.h"
#include "core/notifier.h" // Message

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qb41::link {

enum class LinkStatus { Ok, Failed, Cancelled };

// The error and cancel state of a run: the run's own copy of the program's
// error and cancel flags, started from AppState's at the run's start, set and
// cleared by its transactions, and handed back in the outcome at its exit.
struct RunFlags {
    bool error = false;
    bool cancel = false;
    bool operator==(const RunFlags&) const = default;
};

// Why a run did not complete; None for a completed run.
enum class LinkReason {
    None,
    PortUnavailable, // the port would not open (missing, busy, no permission); nothing was sent
    NoAnswer,        // no answer within the time limit, after the retry
    ProtocolError,   // answers arrived but failed their checks (checksum, length, end, type)
    LineLost,        // the line failed during the run (adapter pulled, far end hung up)
    ModelMismatch,   // the radio carries another model code, or its two copies differ
    Cancelled,       // the CancelToken was set while an answer was awaited
    RuntimeError,    // a trapped run-time error (detail: number and description)
    VerifyMismatch,  // VerifyRun: the radio's bytes differ from the image (detail: where)
};

struct LinkOutcome {
    LinkStatus status = LinkStatus::Ok;
    LinkReason reason = LinkReason::None;
    std::string detail; // empty for Ok; e.g. "no answer to the read of address 0x0040"
    // At least one write command (program or clear) went out during the run:
    // after a failure or cancel the radio may hold part of the new image.
    bool radioWritten = false;
    // The model code word at 64-65 and its copy at the end of the image, when
    // the model check (or detection) received them.
    std::optional<std::uint16_t> radioModelCode;
    std::optional<std::uint16_t> radioModelCopy;
    // DetectRun: the model whose code the radio carries (both copies agree).
    std::optional<ModelNumber> radioModel;
    // VerifyRun: the address ranges of the write plan where the radio differs
    // from the image ("0x0100-0x013F, 0x0200"); empty when they match.
    std::string differences;
    // What the run said, in order: the failure or completion messages the
    // window shows ("Communication Error!!", "Complete!!", a trapped error's
    // number and description). The edge shows them through the Notifier as
    // soon as the run returns.
    std::vector<Message> messages;
    // The error and cancel flags as the run left them: what the program's
    // flags become after the run.
    RunFlags flags;
    // A read, program or clear that completed: the program's completed flag
    // is set. (A backup read, a verify and a detection leave it alone.)
    bool transferCompleted = false;

    // Existing callers keep working with the status alone:
    // `LinkStatus s = link.ReadRun();`, `link.ReadRun() == LinkStatus::Ok`.
    operator LinkStatus() const { return status; }
    friend bool operator==(const LinkOutcome& outcome, LinkStatus status) {
        return outcome.status == status;
    }
};

// Stable English name of a reason ("no answer", "line lost", ...).
const char* ReasonName(LinkReason reason);

// What a run is doing, in order; Done is reported once when a run completes.
enum class LinkPhase { OpeningPort, ModelCheck, Reading, Programming, Clearing, Done };

// `percent` is what the progress bar shows; `current` of `maximum` counts the
// blocks (read) or write-plan steps (program) done before this report.
// `waitingForRadio` is true from the moment an answer has been awaited for
// LinkTiming::waitNotice (and at once for the first byte of the model check,
// when a radio not yet in clone mode sits silent) until the answer arrives or
// the wait ends; a report with it false follows.
struct Progress {
    int percent = 0;
    int current = 0;
    int maximum = 0;
    LinkPhase phase = LinkPhase::Reading;
    bool waitingForRadio = false;
};
using ProgressCallback = std::function<void(const Progress&)>;

} // namespace qb41::link
