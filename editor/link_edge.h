// The edge of the clone link: where a run's outcome becomes the program's
// error, cancel, completed and loading flags and the messages the user sees.
//
// A run of the link (link/clone_link.h) only reads AppState and shows
// nothing; it returns its messages and final flags as data in its LinkOutcome.
// The window's transfer sequence (on its worker, over the worker's AppState)
// and every verb of the command-line tool run each operation through
// RunLinkOperation, so that both programs set the same flags and show the
// same messages in the same order, at the end of each run.
#pragma once

#include "core/app_state.h"
#include "core/notifier.h"
#include "link/outcome.h"

#include <functional>

namespace qb41 {

// What the program has always done at the end of a run: the completed flag
// after a completed read, program or clear; the error and cancel flags as the
// run left them; each message of the run in order through `notifier` (its
// answer is not used); then the loading flag off.
void ApplyLinkOutcome(AppState& app, Notifier& notifier, const link::LinkOutcome& outcome);

// One operation of a CloneLink whose context reads `app` (the run starts from
// its error and cancel flags): the loading flag on for the run's length, the
// run, then ApplyLinkOutcome. Returns the run's outcome.
link::LinkOutcome RunLinkOperation(AppState& app, Notifier& notifier,
                                   const std::function<link::LinkOutcome()>& run);

} // namespace qb41
