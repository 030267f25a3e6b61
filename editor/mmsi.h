// MMSI texts: what a box shows of a stored MMSI and what a typed one stores.
//
// Individual MMSIs (the user MMSI and the individual directory) are typed as
// 9 digits and stored with "0" appended; group MMSIs are typed as 8 digits and
// stored as "0", the digits, "0". A box shows what the user types, so a stored
// value can be edited and committed again unchanged.
#pragma once

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
// text; none when it is not exactly MmsiDigits(kind) decimal digits.
std::optional<std::string> StoredMmsi(std::string_view typed, MmsiKind kind);

// Text without its leading and trailing blanks.
std::string_view TrimBlanks(std::string_view text);
bool AllDigits(std::string_view text);

} // namespace qb41::editor
