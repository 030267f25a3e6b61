#include "link_edge.h"

namespace qb41 {

void ApplyLinkOutcome(AppState& app, Notifier& notifier, const link::LinkOutcome& outcome) {
    if (outcome.transferCompleted) app.completed = true;
    app.errorFlag = outcome.flags.error;
    app.cancelFlag = outcome.flags.cancel;
    for (const Message& message : outcome.messages) notifier.ask(message);
    app.loading = false;
}

link::LinkOutcome RunLinkOperation(AppState& app, Notifier& notifier,
                                   const std::function<link::LinkOutcome()>& run) {
    app.loading = true;
    link::LinkOutcome outcome = run();
    ApplyLinkOutcome(app, notifier, outcome);
    return outcome;
}

} // namespace qb41
