// MMSI texts: what a box shows of a stored MMSI and what a typed one stores.
//
// Individual MMSIs (the user MMSI and the individual directory) are typed as
// 9 digits and stored with "0" appended; group MMSIs are typed as 8 digits, or
// as all 9 beginning with 0, and stored as "0", the 8 digits, "0". A box shows what the user types,
// so a stored value can be edited and committed again unchanged.
#pragma once

#include "core/notifier.h"
#include "core/records.h"

#include <optional>
#include <string>
#include <string_view>

namespace qb41::editor {

enum class MmsiKind { Individual, Group };

// 9 for individual, 8 for group.
int MmsiDigits(MmsiKind kind);

// The first 9 characters of an individual MMSI; characters 2 to 9 of a group MMSI.
std::string MmsiBoxText(std::string_view stored, MmsiKind kind);

// The stored form of a typed MMSI (blanks around it trimmed): "" for an empty
// text; an individual MMSI's 9 digits and "0"; a group MMSI's 8 digits
// between two "0"s, or its full 9 digits and "0". None for anything else; the result always passes
// StoredMmsiProblem.
std::optional<std::string> StoredMmsi(std::string_view typed, MmsiKind kind);

// One 0 and eight digits not beginning with 0: the full form of a group MMSI
// (a coast station's individual MMSI begins with "00").
bool IsGroupMmsiText(std::string_view typed);

// The text of the box's warning for a refused MMSI: "Data Error!!", with a
// second line when an individual box was given a group MMSI.
std::string MmsiErrorText(std::string_view typed, MmsiKind kind);

// Text without its leading and trailing blanks.
std::string_view TrimBlanks(std::string_view text);
bool AllDigits(std::string_view text);

// The warning an accepted MMSI or ATIS code box shows, titled as the box: the
// identity findings of the field at `address` (as `fields` names it) and, for
// a directory entry, those of the entries holding the same MMSI, one a line.
// None when the value fits its station kind.
std::optional<Message> IdentityWarning(const Records& records, std::string_view address,
                                       std::string title);

} // namespace qb41::editor
