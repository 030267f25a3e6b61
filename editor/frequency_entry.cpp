#include "frequency_entry.h"

#include "mmsi.h"

#include "image/value_rules.h"

#include <charconv>
#include <cmath>

namespace qb41::editor {

std::string FrequencyTitle(FreqSide side) {
    return side == FreqSide::Rx ? "Rx frequency" : "Tx frequency";
}

std::optional<double> ParseFrequencyEntry(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return 0.0;
    // Digits with at most one point and at least one digit; no sign, no exponent.
    int points = 0;
    bool digit = false;
    for (char c : text) {
        if (c == '.')
            ++points;
        else if (c >= '0' && c <= '9')
            digit = true;
        else
            return std::nullopt;
    }
    if (points > 1 || !digit) return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value == 0.0 || FrequencyProblem(value)) return std::nullopt;
    return value;
}

Message FrequencyError(FreqSide side) {
    return Message{MessageIcon::Warning, FrequencyTitle(side), "Data Error!!", MessageButtons::Ok};
}

} // namespace qb41::editor
