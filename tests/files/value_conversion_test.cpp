#include "files/value_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace qb41 {
namespace {

// clang-format off
TEST(ValueConversion, BooleanTexts) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"1", true}, {"0", false}, {"-1", true}, {"2", true}, {"0.0", false}, {"True", true},
        {"FALSE", false}, {" true ", true}, {"yes", std::nullopt}, {"", std::nullopt},
        {"1x", std::nullopt}, {"on", std::nullopt}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(TextToBool(text), expected) << text;
}

TEST(ValueConversion, SixteenBitIntegersRoundHalfToEvenAndCheckRange) {
    const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
        {"5", 5}, {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"2.51", 3}, {" 7 ", 7}, {"1e3", 1000},
        {"5,5", 6}, {"32767", 32767}, {"-32768", -32768}, {"-32768.4", -32768},
        {"32768", std::nullopt}, {"32767.5", std::nullopt}, {"abc", std::nullopt},
        {"", std::nullopt}, {"1 2", std::nullopt}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(TextToInt16(text), expected) << text;
    EXPECT_EQ(TextToInt32("65535"), 65535);
    EXPECT_EQ(TextToInt32("-1"), -1);
    EXPECT_EQ(TextToInt32("2147483648"), std::nullopt);
}
// clang-format on

TEST(ValueConversion, RealsTakeEitherDecimalSeparator) {
    EXPECT_EQ(TextToDouble("156.05"), 156.05);
    EXPECT_EQ(TextToDouble("156,05"), 156.05);
    EXPECT_EQ(TextToDouble("-0,5"), -0.5);
    EXPECT_EQ(TextToDouble("1E-05"), 1e-5);
    EXPECT_EQ(TextToDouble(".5"), 0.5);
    for (const char* bad : {"1.2.3", "1,2.3", "inf", "nan", "1e999", "0x10", "", ".", "1e", "--1"})
        EXPECT_EQ(TextToDouble(bad), std::nullopt) << bad;
}

// clang-format off
TEST(ValueConversion, LeadingNumberReadsUpToTheFirstForeignCharacter) {
    const std::pair<const char*, double> cases[] = {
        {"  12abc", 12}, {"abc", 0}, {"", 0}, {"-3x", -3}, {"5e", 5}, {"1e2x", 100}, {".5", 0.5},
        {"7.25.1", 7.25}, {"+4", 4}, {"9 9", 9}, {"1,5", 1}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(LeadingNumber(text), expected) << text;
    EXPECT_TRUE(std::isinf(LeadingNumber("1e999")));
    EXPECT_EQ(LeadingNumber("1e-999"), 0.0);
    EXPECT_EQ(RoundToInt16(LeadingNumber("1e999")), std::nullopt);
}

TEST(ValueConversion, RealsAreWrittenWithFifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {156.05, "156.05"}, {0.0, "0"}, {-0.0, "0"}, {0.1 + 0.2, "0.3"}, {162.55, "162.55"},
        {156.0125, "156.0125"}, {1e-5, "1E-05"}, {1234567890123456.0, "1.23456789012346E+15"},
        {-3.5, "-3.5"}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(FormatReal(value, '.'), expected);
    EXPECT_EQ(FormatReal(156.05, ','), "156,05");
    EXPECT_EQ(FormatReal(std::numeric_limits<double>::quiet_NaN(), '.'), std::nullopt);
    EXPECT_EQ(FormatReal(std::numeric_limits<double>::infinity(), '.'), std::nullopt);
}
// clang-format on

} // namespace
} // namespace qb41
