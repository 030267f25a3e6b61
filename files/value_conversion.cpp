#include "value_conversion.h"

#include "section_table.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <locale>

namespace qb41 {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<double> ParseNormalised(const std::string& number) {
    double value = 0.0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <typename Int> std::optional<Int> RoundTo(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

} // namespace

// Exactly the value the general path below gives such a text.
std::optional<double> PlainInteger(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) i = 1;
    if (i == text.size() || text.size() - i > 15) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    const double result = static_cast<double>(value);
    return negative ? -result : result;
}

std::optional<double> TextToDouble(std::string_view text) {
    text = TrimBlanks(text);
    if (std::optional<double> plain = PlainInteger(text)) return plain;
    std::string number;
    number.reserve(text.size());
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool digits = false;
    bool separator = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (IsDigit(c)) {
            digits = true;
            number += c;
        } else if ((c == '.' || c == ',') && !separator) {
            separator = true;
            number += '.';
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        number += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
        bool exponentDigits = false;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            exponentDigits = true;
            number += text[i];
        }
        if (!exponentDigits) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    std::optional<double> value = ParseNormalised(number);
    if (value && negative) *value = -*value;
    return value;
}

std::optional<bool> TextToBool(std::string_view text) {
    std::string_view word = TrimBlanks(text);
    if (SameName(word, "true")) return true;
    if (SameName(word, "false")) return false;
    std::optional<double> value = TextToDouble(word);
    if (!value) return std::nullopt;
    return *value != 0.0;
}

std::optional<std::int16_t> TextToInt16(std::string_view text) {
    std::optional<double> value = TextToDouble(text);
    return value ? RoundTo<std::int16_t>(*value) : std::nullopt;
}

std::optional<std::int32_t> TextToInt32(std::string_view text) {
    std::optional<double> value = TextToDouble(text);
    return value ? RoundTo<std::int32_t>(*value) : std::nullopt;
}

std::optional<std::int16_t> RoundToInt16(double value) {
    return RoundTo<std::int16_t>(value);
}

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    std::size_t mantissa = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            ++mantissa;
            number += text[i];
        } else if (text[i] == '.' && !point) {
            point = true;
            number += '.';
        } else {
            break;
        }
    }
    if (mantissa == 0) return 0.0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        std::size_t start = j;
        while (j < text.size() && IsDigit(text[j])) exponent += text[j++];
        if (j > start) number += exponent;
    }
    double value = 0.0;
    const char* first = number.data();
    if (*first == '-') ++first; // from_chars takes the sign itself, but not "-."
    auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) // too large, or too small to hold
        value =
            number.find("e-") == std::string::npos ? std::numeric_limits<double>::infinity() : 0.0;
    else if (error != std::errc())
        return 0.0;
    return number.front() == '-' ? -value : value;
}

std::optional<std::string> FormatReal(double value, char decimalSeparator) {
    if (!std::isfinite(value)) return std::nullopt;
    if (value == 0.0) return std::string("0");
    std::array<char, 64> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 15);
    if (error != std::errc()) return std::nullopt;
    std::string text(buffer.data(), end);
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
        if (c == 'e') c = 'E';
    }
    return text;
}

char UserDecimalSeparator() {
    // The user's number format is the environment's locale; asking for it
    // leaves the process-wide locale (and every other formatter) alone.
    try {
        char point = std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
        return point != '\0' ? point : '.';
    } catch (const std::exception&) {
        return '.'; // no such locale installed
    }
}

} // namespace qb41
