// Selection lists: the entries a drop-down shows, the value each one stores,
// and which entry a stored value selects.
//
// A stored value that no entry stands for (a hand-edited settings file can
// hold any number) selects nothing: the list shows no selection and the field
// keeps its value until the user picks. Valid values a list cannot otherwise
// show (an inverted DCS code, a priority channel that is disabled or in the
// EXP bank) get one extra entry of their own, so that opening a pane and
// saving never changes them.
#pragma once

#include "core/model.h"
#include "core/records.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb41::editor {

struct ChoiceEntry {
    std::string text;
    std::int32_t value = 0; // what picking the entry stores

    bool operator==(const ChoiceEntry&) const = default;
};

struct ChoiceList {
    std::vector<ChoiceEntry> entries;
    std::optional<int> selected; // index into entries, none when the value has no entry

    // The value stored by picking entry `index`; none outside the list.
    std::optional<std::int32_t> valueAt(int index) const;
};

// Entry i stores i; the stored value selects its own index when it has one.
ChoiceList IndexedChoices(std::span<const std::string_view> labels, int stored);
// "Off" (false) and "On" (true); any non-zero value shows "On".
ChoiceList OffOnChoices(int stored);
// "Low" (false) and "Hi" (true); any non-zero value shows "Hi".
ChoiceList LowHiChoices(int stored);

// "Off" 0, "1".."4" storing 4..7. A value with bit 2 set shows entry
// (value AND 3) + 1, any other value shows "Off".
ChoiceList ScramblerChoices(std::int16_t stored);
// "Off" then the 50 tones; the list index is the stored value.
ChoiceList CtcssChoices(std::int16_t stored);
// "Off" then the 104 codes storing 0..104; an inverted code 105..208 adds one
// entry labelled like the report ("023I").
ChoiceList DcsChoices(std::int16_t stored);

// Common setup lists, each storing its list index.
ChoiceList TxPoDisplayChoices(int stored);  // "Lo Po Only", "Lo Po on Changing CH", "Last TX Po"
ChoiceList ResumeTimeChoices(int stored);   // "Off", "1Sec", "2Sec", "3Sec"
ChoiceList OffsetTimeChoices(int stored);   // the 25 offset texts
ChoiceList MagVarChoices(int stored);       // "True", "Mag"
ChoiceList WeatherAlertChoices(int stored); // "Off", "On Wx", "On Scan", "Wx and Scan"

// "Priority CH" of usable group 0..3: "Off" (-1), then every enabled channel of
// the group's plan bank in bank order, showing the master table text and
// storing the channel's Position. The EXP group (3) lists and shows only
// "Off", as it has no priority channel in the image. Any
// value below 0 or above 279 shows "Off", as the report prints it; a channel
// reference 0..279 not among the entries adds an entry labelled as the report
// labels it.
ChoiceList PriorityChoices(const Records& records, int group, ModelNumber model);

} // namespace qb41::editor
