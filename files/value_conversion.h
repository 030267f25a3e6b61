// Text <-> value conversions of the settings data file. The reader never
// fails on a value: a conversion that does not apply returns nullopt and the
// caller leaves its field as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb41 {

// A decimal number: optional sign, digits with at most one decimal separator
// ("." or "," alike, so files saved under either locale read back), optional
// exponent; blanks around it are allowed. Nothing else ("1 2", "inf", "0x10").
std::optional<double> TextToDouble(std::string_view text);

// A plain run of up to 15 digits with an optional sign ("16", "-1", "+3"),
// the form nearly every value of a settings file has, read directly;
// nullopt for anything else.
std::optional<double> PlainInteger(std::string_view text);

// "True"/"False" in any case, or any number (non-zero is true).
std::optional<bool> TextToBool(std::string_view text);

// Numbers rounded to the nearest integer, halves to even; out of range gives
// nullopt.
std::optional<std::int16_t> TextToInt16(std::string_view text);
std::optional<std::int32_t> TextToInt32(std::string_view text);

// The leading number of a text, as a plan-bank section's Position is read:
// leading blanks skipped, reading stops at the first character that cannot
// continue the number, no number gives 0. Only "." separates decimals here.
double LeadingNumber(std::string_view text);

// Rounds half to even into the 16-bit range; nullopt outside it (or NaN).
std::optional<std::int16_t> RoundToInt16(double value);

// Up to 15 significant digits without trailing zeros ("156.05", "0", "1E-05"),
// with the given decimal separator. nullopt for infinity and NaN.
std::optional<std::string> FormatReal(double value, char decimalSeparator);

// The decimal separator of the user's number format (the environment's
// locale, "." when it names none or one that is not installed).
char UserDecimalSeparator();

} // namespace qb41
