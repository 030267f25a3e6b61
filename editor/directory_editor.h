// The directory entry editor (pictG): one entry of the individual MMSI
// directory (CHMMSID, "Memory ID", keys SM1..SM40) or of the group directory
// (CHGRPID, "Group ID", keys SG1..SG10).
//
// Used entries run from entry 1 without gaps: only the next free entry can be
// added, and deleting an entry (or clearing its MMSI) moves the later ones up.
#pragma once

#include "mmsi.h"
#include "rule_types.h"

#include "core/app_state.h"
#include "core/notifier.h"
#include "core/records.h"

#include <optional>
#include <string>
#include <string_view>

namespace qb41::editor {

struct DirectoryRef {
    MmsiKind kind = MmsiKind::Individual;
    int entry = 1; // 1-based

    bool operator==(const DirectoryRef&) const = default;
};

// "SM3", "SG10"; none for another key or an entry outside the directory.
std::optional<DirectoryRef> DirectoryFromKey(std::string_view key, const Records& records);

// The number of used entries: entries 1, 2, ... that are enabled or hold an
// MMSI, counted up to the first that is neither.
int UsedEntries(const Records& records, MmsiKind kind);

struct DirectoryView {
    std::string nameLabel; // "Station Name" / "Group Name"
    std::string name;
    std::string mmsi; // as typed: MmsiBoxText of the stored value
    bool addTicked = false;
    bool deleteTicked = false;
    ControlState add;
    ControlState remove;
    bool fieldsEnabled = false; // both labels and both boxes
    int mmsiMaxLength = 9;
    int helpMmsi = 2308;
};

inline constexpr int kDirectoryCheckHelp = 2304;
inline constexpr int kDirectoryNameHelp = 2306;

DirectoryView ViewDirectoryEntry(const Records& records, DirectoryRef ref);

// "Add" ticked by the user: the next free entry becomes enabled.
EditResult AddDirectoryEntry(Records& records, AppState& state, DirectoryRef ref);

// "Delete" ticked by the user on a used entry: asks "Are you sure ?" (Yes/No,
// under the window title); on Yes the later entries move up one place and the
// last is cleared. On No nothing changes and the pane is refilled (unticking
// "Delete").
EditResult DeleteDirectoryEntry(Records& records, AppState& state, Notifier& notifier,
                                DirectoryRef ref);

// Leaving the name box after a change: the text is stored as typed.
EditResult SetDirectoryName(Records& records, AppState& state, DirectoryRef ref,
                            std::string_view text);

// Leaving the MMSI box after a change: 9 digits (individual) or 8 digits
// (group) are stored in their stored form; an empty box deletes the entry
// after the question Delete asks (on No the stored MMSI comes back and
// nothing changes); anything else is refused with "Data Error!!" titled
// "Individual Directory MMSI" / "Group Directory MMSI".
FieldCheck CommitDirectoryMmsi(Records& records, AppState& state, Notifier& notifier,
                               DirectoryRef ref, std::string_view text);

} // namespace qb41::editor
