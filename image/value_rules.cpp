#include "value_rules.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qb41 {
namespace {

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kAlnum =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// Digits and the letters a seven-segment channel display can draw.
constexpr std::string_view kChannelNumber = "0123456789AbCdEFHLnPtU";
// The characters the image stores as text.
constexpr std::string_view kNameText =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-/*()+., ";
constexpr std::string_view kStatusName =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-+().*/ ";

// Indexed by TextField.
constexpr std::array<TextRule, 7> kTextRules{{
    {kNameText, 12},
    {kStatusName, 4},
    {kChannelNumber, 2},
    {kChannelNumber, 1},
    {kNameText, 11},
    {kDigits, 3},
    {kAlnum, 3},
}};

// Indexed by NumberField.
constexpr std::array<NumberRange, 9> kRanges{{
    {0, 7},
    {0, 3},
    {0, 2},
    {0, 24},
    {0, 1},
    {0, 3},
    {-1, 279},
    {0, 208},
    {0, 50},
}};

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

const TextRule& RuleOf(TextField field) {
    return kTextRules.at(static_cast<std::size_t>(field));
}

bool TextFits(TextField field, std::string_view text) {
    return !TextProblem(field, text);
}

std::optional<std::string> TextProblem(TextField field, std::string_view text) {
    const TextRule& rule = RuleOf(field);
    if (text.size() > static_cast<std::size_t>(rule.maxLength))
        return "is longer than the " + std::to_string(rule.maxLength) +
               " characters the radio keeps";
    for (char c : text)
        if (rule.allowed.find(c) == std::string_view::npos)
            return "holds a character the radio cannot show";
    return std::nullopt;
}

bool FrequencyStorable(double mhz) {
    if (mhz == 0.0) return true;
    if (!std::isfinite(mhz) || mhz <= 100.0 || mhz >= 200.0) return false;
    const double units = mhz * 10000.0;
    return std::fabs(units - std::nearbyint(units)) < 1e-6;
}

std::optional<std::string> FrequencyProblem(double mhz) {
    if (mhz == 0.0) return std::nullopt;
    if (!std::isfinite(mhz) || mhz < kLowestMhz || mhz > kHighestMhz)
        return "is outside 137 to 174 MHz";
    if (!FrequencyStorable(mhz)) return "has more decimals than the radio keeps (4)";
    if (std::llround(mhz * 10000.0) % kRasterUnits != 0) return "is not on the 25 kHz raster";
    return std::nullopt;
}

std::optional<std::string> StoredMmsiProblem(MmsiForm form, std::string_view stored) {
    if (stored.empty()) return std::nullopt;
    const bool nine = stored.size() == 9, ten = stored.size() == 10;
    if (!AllDigits(stored) || !(nine || ten) || (ten && stored.back() != '0'))
        return "is not an MMSI of 9 digits";
    // A group MMSI is "0" and the administration's digits (which never begin
    // with 0); a coast station's individual MMSI begins with "00".
    const bool group = stored[0] == '0' && stored[1] != '0';
    if (form == MmsiForm::Individual && group)
        return "is a group MMSI (one 0 before its digits), not an individual one";
    if (form == MmsiForm::Group && !group) return "does not begin with one 0 as a group MMSI does";
    return std::nullopt;
}

std::optional<std::string> AtisCodeProblem(std::string_view code) {
    if (code.empty()) return std::nullopt;
    if (code.size() != 10 || !AllDigits(code) || code.front() != '9')
        return "is not 10 digits starting with 9";
    return std::nullopt;
}

NumberRange RangeOf(NumberField field) {
    return kRanges.at(static_cast<std::size_t>(field));
}

std::optional<std::string> NumberProblem(NumberField field, long long value) {
    const NumberRange range = RangeOf(field);
    if (value >= range.lowest && value <= range.highest) return std::nullopt;
    return "is outside " + std::to_string(range.lowest) + " to " + std::to_string(range.highest);
}

} // namespace qb41
