// Typed export-channel frequencies: 137 to 174 MHz on the 25 kHz raster, or
// an empty box for no frequency.
#pragma once

#include "core/notifier.h"

#include <optional>
#include <string>
#include <string_view>

namespace qb41::editor {

enum class FreqSide { Rx, Tx };

// "Rx frequency" / "Tx frequency": the title of the box's error message.
std::string FrequencyTitle(FreqSide side);

// The value a typed frequency stores: 0 for an empty (or blank) text, the
// number for a plain decimal number ("156.025", "157", "156.") within 137..174
// MHz whose count of 100 Hz units is a multiple of 250; none for anything else.
std::optional<double> ParseFrequencyEntry(std::string_view text);

// The message shown for a rejected frequency.
Message FrequencyError(FreqSide side);

} // namespace qb41::editor
