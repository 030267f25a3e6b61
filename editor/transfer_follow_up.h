// What the desktop program does once a transfer dialog has closed: the data
// set the run worked on taken over, the tree, the pane, the file name, the
// data-changed flag and the DSC pane's entry counter brought up to date. It
// works on the session and the records; the window only shows the result.
#pragma once

#include "session.h"
#include "transfer_flow.h"
#include "view.h"

namespace qb41::editor {

struct FollowUpParts {
    AppState& app;
    DataSet& data;
    Session& session;
    MainView& view;
};

// Does `followUp` in the order of its fields. `result` is the data set the
// last run worked on (null when none ran); without it nothing is adopted.
void ApplyTransferFollowUp(const FollowUpParts& parts, const TransferFollowUp& followUp,
                           const DataSet* result);

} // namespace qb41::editor
