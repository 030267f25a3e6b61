// Identity checks: whether an MMSI or ATIS code has the form its station kind
// is given. The radio accepts any digits, so these are warnings to show (check,
// set, import, fleet), never reasons to refuse a value.
//
// A ship MMSI is 9 digits opening with an assigned MID (201-775); a group
// MMSI is "0" and a MID; a coast station "00" and a MID; an ATIS code is 10
// digits, "9" and a MID. A directory holds each MMSI once.
#pragma once

#include "core/records.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb41 {

enum class StationKind { Ship, Group, Coast };

// What is wrong with a 9-digit MMSI for a station of `kind`; nullopt when it fits.
std::optional<std::string> MmsiIdentityProblem(std::string_view mmsi, StationKind kind);
// What is wrong with an ATIS code; nullopt when it fits.
std::optional<std::string> AtisIdentityProblem(std::string_view code);

struct IdentityFinding {
    std::string address; // the field, as `fields` names it
    std::string text;
};

// Every identity warning for the records: the user MMSI (a ship), the
// individual directory (ships or coast stations), the group directory, the
// ATIS code, and MMSIs entered twice in one directory. Empty fields are fine.
std::vector<IdentityFinding> IdentityFindings(const Records& records);

// The nine digits of a stored individual MMSI (the tenth is the radio's "0"),
// or the nine of a stored group MMSI ("0" + 8 typed digits + "0").
std::string NineDigitMmsi(std::string_view stored);

} // namespace qb41
