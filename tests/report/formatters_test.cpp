#include "report/formatters.h"

#include "core/errors.h"
#include "image/defaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qb41 {
namespace {

TEST(SplitList, TrimsEveryItemAndKeepsEmptyOnes) {
    using List = std::vector<std::string>;
    EXPECT_EQ(SplitList("Individual ACK Menu, Individual ACK Message Menu, POS Request ACK Menu"),
              (List{"Individual ACK Menu", "Individual ACK Message Menu", "POS Request ACK Menu"}));
    EXPECT_EQ(SplitList("USA, INTL, Canada, EXP CH"), (List{"USA", "INTL", "Canada", "EXP CH"}));
    EXPECT_EQ(SplitList("0, 12, 17"), (List{"0", "12", "17"}));
    EXPECT_EQ(SplitList("  one  "), (List{"one"}));
    EXPECT_EQ(SplitList(""), (List{""}));
    EXPECT_EQ(SplitList("A,,B"), (List{"A", "", "B"}));
    EXPECT_EQ(SplitList(",A,"), (List{"", "A", ""}));
    EXPECT_EQ(SplitList(" , "), (List{"", ""}));
}

TEST(FixedWidth, PadLabelDashAndStatusName) {
    struct Case {
        std::string got, want;
    };
    const Case cases[] = {
        {PadText("AB", 5), "AB   "},
        {PadText("ABCDEF", 3), "ABC"},
        {PadText("ABC", 0), ""},
        {PadText("ABC", -2), ""},
        {LabelText("SCAN", 20), "SCAN" + std::string(15, ' ') + ": "},
        {LabelText("Count", 7), "Count : "},
        {LabelText("LongerThanWidth", 4), "Lon: "},
        {DashField("", 12), "------------"},
        {DashField("", 3), "---"},
        {DashField("ABCDEFGHIJKLMN", 12), "ABCDEFGHIJKL"},
        {DashField("AB", 9), "AB       "},
        {DashField(" ", 3), "   "},
        {StatusNameText(""), "----"},
        {StatusNameText("    "), "----"},
        {StatusNameText(" AB "), " AB "},
        {StatusNameText("HOME"), "HOME"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(FreqText, PatternRoundingAndDashes) {
    struct Case {
        double f;
        const char* want;
    };
    const Case cases[] = {
        {156.8, "156.800"},   {9.5, "009.500"},      {0.0, "---.---"},      {-1.0, "---.---"},
        {161.4, "161.400"},   {156.0004, "156.000"}, {156.0005, "156.001"}, {156.8125, "156.813"},
        {99.9996, "100.000"}, {0.0004, "000.000"},   {1234.5, "1234.500"},
    };
    for (const Case& c : cases) EXPECT_EQ(FreqText(c.f), c.want) << c.f;
    EXPECT_EQ(FreqText(std::numeric_limits<double>::quiet_NaN()), "---.---");
    EXPECT_THROW(FreqText(std::numeric_limits<double>::infinity()), RuntimeError);
    EXPECT_EQ(FreqText(1e20), "100000000000000000000.000");
    EXPECT_EQ(TxFreqText(156.8, false), "156.800");
    EXPECT_EQ(TxFreqText(156.8, true), "---.---");
    EXPECT_EQ(TxFreqText(0.0, false), "---.---");
}

// What the radio gets: four decimals, off the raster or not, and the record
// is never touched.
TEST(ExpFreqText, ShowsTheStoredValue) {
    const struct {
        double f;
        const char* want;
    } cases[] = {
        {156.0512, "156.0512"},
        {156.0125, "156.0125"},
        {156.025, "156.0250"},
        {157.1, "157.1000"},
        {156.01234, "156.0123"},
        {300000, "300000.0000"},
        {0.0, "---.----"},
        {-3.0, "---.----"},
        {std::numeric_limits<double>::infinity(), "---.----"},
    };
    for (const auto& c : cases) {
        const double field = c.f;
        EXPECT_EQ(ExpFreqText(field), c.want) << c.f;
    }
}

TEST(ChannelReferences, PriorityScrambleAndTones) {
    EXPECT_EQ(PriorityText(32, 0), "16");
    EXPECT_EQ(PriorityText(0, 0), "00");
    EXPECT_EQ(PriorityText(33, 0), "16A");
    EXPECT_EQ(PriorityText(239, 0), "119A");
    EXPECT_EQ(PriorityText(240, 0), "EXP1");
    EXPECT_EQ(PriorityText(240, 2), "LMR1");
    EXPECT_EQ(PriorityText(279, 3), "EXP40");
    EXPECT_EQ(PriorityText(280, 0), "Off");
    EXPECT_EQ(PriorityText(-1, 0), "Off");
    EXPECT_EQ(PriorityText(65535, 0), "Off");

    const std::pair<std::int16_t, const char*> scrambles[] = {
        {0, "--"}, {3, "--"}, {4, " 0"}, {5, " 1"}, {7, " 3"}, {12, " 0"}, {-1, " 3"}};
    for (const auto& [v, want] : scrambles) EXPECT_EQ(ScrambleText(v), want) << v;

    const auto& tones = CtcssList();
    const auto& codes = DcsList();
    EXPECT_EQ(DcsText(1, codes), "023N");
    EXPECT_EQ(DcsText(104, codes), "754N");
    EXPECT_EQ(DcsText(105, codes), "023I");
    EXPECT_EQ(DcsText(208, codes), "754I");
    EXPECT_THROW(DcsText(209, codes), RuntimeError);
    EXPECT_THROW(DcsText(0, codes), RuntimeError);

    ChannelRecord rec;
    EXPECT_EQ(ToneText(rec, 0, tones, codes), "-------");
    rec.DcsCode = {3, 106};
    EXPECT_EQ(ToneText(rec, 0, tones, codes), "026N");
    EXPECT_EQ(ToneText(rec, 1, tones, codes), "025I");
    rec.CtcssTone = {50, 0}; // a CTCSS tone wins over the DCS code of its side
    EXPECT_EQ(ToneText(rec, 0, tones, codes), "254.1Hz");
    EXPECT_EQ(ToneText(rec, 1, tones, codes), "025I");
    rec.CtcssTone = {51, -4};
    EXPECT_THROW(ToneText(rec, 0, tones, codes), RuntimeError);
    EXPECT_EQ(ToneText(rec, 1, tones, codes), "025I");
}

TEST(OptionLabels, EveryTableAndItsOutsideValues) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {OnOffText(kTrue), "On"},
        {OnOffText(kFalse), "Off"},
        {OnOffText(1), "On"},
        {HiLowText(kTrue), "Hi"},
        {HiLowText(kFalse), "Low"},
        {TxPoDisplayText(0), "Lo Po Only"},
        {TxPoDisplayText(1), "Lo Po on Changing CH"},
        {TxPoDisplayText(2), "Last TX Po"},
        {TxPoDisplayText(3), ""},
        {TxPoDisplayText(-1), ""},
        {ResumeTimeText(0), "--"},
        {ResumeTimeText(3), "3Sec"},
        {ResumeTimeText(4), ""},
        {WeatherText(0), "OFF"},
        {WeatherText(1), "On Wx"},
        {WeatherText(2), "On SCAN"},
        {WeatherText(3), "WX and SCAN"},
        {WeatherText(4), ""},
        {MagVarText(0), "True"},
        {MagVarText(1), "Mag"},
        {MagVarText(-1), ""},
        {TxText(kTrue), "TX"},
        {TxText(kFalse), "--"},
        {LowText(kTrue), "LOW"},
        {LowText(kFalse), "---"},
        {UpText(kTrue), "UP"},
        {UpText(kFalse), "--"},
        {DupText(kTrue), "DUP"},
        {DupText(kFalse), "---"},
        {MemText(kTrue), "MEM"},
        {MemText(kFalse), "---"},
        {CmpText(kTrue), "CMP"},
        {CmpText(kFalse), "---"},
        {NarrowText(kTrue), "N "},
        {NarrowText(kFalse), "--"},
        {EnableText(kTrue), "ENABLE"},
        {EnableText(kFalse), "------"},
        {BankPrefix(2), "LMR"},
        {BankPrefix(1), "EXP"},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

TEST(OffsetTimeList, TwentyFiveSignedHours) {
    const auto& list = OffsetTimeList();
    ASSERT_EQ(list.size(), 25u);
    EXPECT_EQ(list[0], "-12:00");
    EXPECT_EQ(list[2], "-10:00");
    EXPECT_EQ(list[3], "-9:00");
    EXPECT_EQ(list[11], "-1:00");
    EXPECT_EQ(list[12], " 0:00");
    EXPECT_EQ(list[13], "+1:00");
    EXPECT_EQ(list[24], "+12:00");
    EXPECT_EQ(OffsetTimeText(21), "+9:00");
    EXPECT_THROW(OffsetTimeText(25), RuntimeError);
    EXPECT_THROW(OffsetTimeText(-1), RuntimeError);
}

} // namespace
} // namespace qb41
