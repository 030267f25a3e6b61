// What an edit rule hands back to the pane that called it.
//
// The rules in editor/ write straight into the records, set the data-changed
// flag in AppState when they change something, and never write while the
// loading flag is set (a pane being filled must not count as an edit). The
// result tells the Qt pane what else to do: refill its controls from the
// records, patch a tree node text, or rebuild the tree.
#pragma once

#include "core/app_state.h"
#include "core/notifier.h"

#include <optional>
#include <string>

namespace qb41::editor {

struct EditResult {
    bool changed = false;           // a record field took a new value
    bool refill = false;            // show the pane again from the records
    bool nodeTextChanged = false;   // the selected node's "[Enable]" mark changed
    bool directoryTexts = false;    // every node text of the directory may have changed
    bool rebuildTree = false;       // nodes appear or disappear (usable group switched)
    bool groupTextsChanged = false; // the bank nodes' "(status name)" suffixes
};

// Writes `value` into `field`; true when that changed the field.
template <typename T> bool StoreField(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

// What an edit hands back: a change sets the data-changed flag and, unless the
// pane shows the new value already, asks for a refill.
inline EditResult Edited(AppState& state, bool changed, bool refill = true) {
    EditResult result;
    result.changed = changed;
    result.refill = changed && refill;
    if (changed) state.dataChanged = true;
    return result;
}

// The outcome of committing a checked text box (on leaving it, or when the
// window asks the editor to validate the field the user last edited).
struct FieldCheck {
    bool accepted = true;
    std::optional<Message> message; // shown once when not accepted; focus returns to the box
    std::string boxText;            // accepted: the text the box shows now
    EditResult result;
    std::optional<Message> warning; // accepted, but the radio's identity rules would not give it
};

// Whether a control is on its pane at all and whether it takes input.
struct ControlState {
    bool visible = true;
    bool enabled = true;
    std::string reason; // the tooltip of a control disabled because the image does not keep it

    bool operator==(const ControlState&) const = default;
};

} // namespace qb41::editor
