#include "transfer_follow_up.h"

#include "settings_panes.h"

namespace qb41::editor {

void ApplyTransferFollowUp(const FollowUpParts& parts, const TransferFollowUp& followUp,
                           const DataSet* result) {
    if (followUp.adoptData && result) parts.data = *result;
    if (followUp.showGeneral || followUp.clearFileName) {
        // "General", the tree and its texts, no file name, the caption, and
        // the data-changed flag cleared.
        parts.session.AfterRadioRead();
    } else if (followUp.rebuildTree) {
        parts.session.BuildTree();
    }
    if (followUp.showCurrentPane) parts.session.ShowCurrentPane();
    if (followUp.clearDataChanged) parts.app.dataChanged = false;
    if (followUp.setDataChanged) parts.app.dataChanged = true;
    if (followUp.refreshCounter) {
        // Shown as the panes are filled: with the loading flag set, so the
        // box's change counts as no edit.
        const bool wasLoading = parts.app.loading;
        parts.app.loading = true;
        parts.view.showEntryCount(ViewDscPane(parts.data).entryCount);
        parts.app.loading = wasLoading;
    }
}

} // namespace qb41::editor
