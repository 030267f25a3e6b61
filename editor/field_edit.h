// Editing a field by its address: the value the settings data file would hold
// is handed to the same rule the window's control for that field calls, so a
// scripted edit is checked, refused and stored exactly as the window does it.
//
// Values are given as `ListFields` shows them: flags "0"/"1", list fields the
// number the file stores, texts as typed. MMSIs are taken as typed in their
// box (9 digits, 8 for a group) or in their stored form.
#pragma once

#include "rule_types.h"

#include "core/app_state.h"
#include "core/records.h"
#include "files/field_address.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb41::editor {

// Why a value was not taken: the rule in words, for "ADDRESS: RULE".
struct FieldRefusal {
    std::string address; // canonical
    std::string rule;
};

// One value to one field. A value equal to the stored one is accepted without
// asking any rule (the window would not see a change). nullopt when taken.
std::optional<std::string> ApplyFieldValue(Records& records, AppState& state,
                                           const FieldValue& field, std::string_view value);

// One value to the field `section`.`key` (as the file names it) that the
// caller knows to differ from the stored one: the grids, which hold the
// record rather than the file's text. nullopt when taken.
std::optional<std::string> ApplyChangedField(Records& records, AppState& state,
                                             std::string_view section, std::string_view key,
                                             std::string_view value);

struct FieldAssignment {
    std::string address; // canonical, any case, or short form
    std::string value;
};

// "ADDRESS=VALUE" split at the first "=" that follows a known address (keys
// hold no "=", values may). nullopt when the text has no "=".
std::optional<FieldAssignment> ParseAssignment(std::string_view text);

// All the edits or none: applied in order to a copy; the records and state
// take the copy only when every value was taken. The first refusal otherwise.
std::optional<FieldRefusal> ApplyFieldEdits(Records& records, AppState& state,
                                            const std::vector<FieldAssignment>& edits);

} // namespace qb41::editor
