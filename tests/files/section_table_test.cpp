#include "files/section_table.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

TEST(SectionTable, KeysAndValuesFollowTheLineRules) {
    SectionTable table = ParseDataFile("junk=1\r\n"
                                       "[ chusa0 ]\r\n"
                                       "=5\r\n"
                                       "A=B=C\r\n"
                                       "ChTag=#  AB  \r\n"
                                       " position = 7 \r\n"
                                       "Mark=##x\r\n"
                                       "\r\n"
                                       "no equals sign\r\n"
                                       "Last=1");
    ASSERT_EQ(table.sections().size(), 1u);
    EXPECT_EQ(table.sections()[0].name, "CHUSA0");
    EXPECT_EQ(table.pairs(table.sections()[0]).size(), 5u); // "=5" is not a pair
    EXPECT_EQ(table.LookupValue("chusa0", "a"), "B=C");
    EXPECT_EQ(table.LookupValue("CHUSA0", "ChTag"), "  AB");
    EXPECT_EQ(table.LookupValue("CHUSA0", "Position"), "7");
    EXPECT_EQ(table.LookupValue("CHUSA0", "Mark"), "#x");
    EXPECT_EQ(table.LookupValue("CHUSA0", "Last"), "1");
    EXPECT_EQ(table.LookupValue("CHUSA0", "junk"), "");
    EXPECT_EQ(table.LookupValue("CHUSA1", "A"), "");
}

TEST(SectionTable, ALineWithABracketEndsTheSection) {
    SectionTable table = ParseDataFile("[A]\r\nk=1\r\nx [y\r\nk2=2\r\nk3=3\r\n[B]\r\nk=4\r\n");
    ASSERT_EQ(table.sections().size(), 2u);
    EXPECT_EQ(table.pairs(table.sections()[0]).size(), 1u);
    EXPECT_EQ(table.LookupValue("A", "k2"), "");
    EXPECT_EQ(table.LookupValue("B", "k"), "4");
}

TEST(SectionTable, HeadersWithoutANameAreSkippedWithTheirKeys) {
    SectionTable table = ParseDataFile("[]\r\nk=1\r\n[open\r\nk=2\r\n[C]\r\nk=3\r\n");
    ASSERT_EQ(table.sections().size(), 1u);
    EXPECT_EQ(table.sections()[0].name, "C");
    EXPECT_EQ(table.LookupValue("C", "k"), "3");
}

TEST(SectionTable, AHeaderEndingTheFileAfterASectionYieldsNoSection) {
    EXPECT_EQ(ParseDataFile("[A]\r\nk=1\r\n[B]").sections().size(), 1u);
    EXPECT_EQ(ParseDataFile("[A]\r\nk=1\r\n[B]\r\n").sections().size(), 1u);
    // Reached from the outer loop, the same header still opens a section.
    EXPECT_EQ(ParseDataFile("[A]\r\nx [y\r\n[B]").sections().size(), 2u);
}

TEST(SectionTable, DuplicatesAreKeptAndTheFirstMatchWins) {
    SectionTable table = ParseDataFile("[S]\nk=1\nk=2\n[T]\nk=9\n[s]\nk=3\nj=4\n");
    EXPECT_EQ(table.sections().size(), 3u);
    EXPECT_EQ(table.LookupValue("S", "k"), "1");
    EXPECT_EQ(table.LookupValue("S", "J"), "4"); // found in the later section of the name
}

TEST(SectionTable, EveryLineEndingSplitsLines) {
    for (const char* text : {"[S]\nk=1\nj=2", "[S]\rk=1\rj=2", "[S]\r\nk=1\r\nj=2"}) {
        SectionTable table = ParseDataFile(text);
        EXPECT_EQ(table.LookupValue("S", "k"), "1");
        EXPECT_EQ(table.LookupValue("S", "j"), "2");
    }
}

TEST(SectionTable, ArbitraryBytesAreTolerated) {
    std::string text("[S]\r\nk=a\0b\r\n", 12);
    text += std::string(100000, '\xff');
    text += "\r\nj=\xc3\x28\r\n";
    SectionTable table = ParseDataFile(text);
    EXPECT_EQ(table.LookupValue("S", "k"), std::string_view("a\0b", 3));
    EXPECT_EQ(table.LookupValue("S", "j"), "\xc3\x28");
}

TEST(ProfileLookup, MatchesSectionAndKeyIgnoringCaseAndBlanks) {
    EXPECT_EQ(ProfileLookup("[main]\r\n modeltype = 0 \r\n", "MAIN", "MODELTYPE"), "0");
    EXPECT_EQ(ProfileLookup("  [ MAIN ]\nMODELTYPE=\t#3\n", "MAIN", "MODELTYPE"), "#3");
    EXPECT_EQ(ProfileLookup("[MAIN]\nMODELTYPE=\"2\"\n", "MAIN", "MODELTYPE"), "2");
    EXPECT_EQ(ProfileLookup("[OTHER]\nMODELTYPE=0\n", "MAIN", "MODELTYPE"), std::nullopt);
    EXPECT_EQ(ProfileLookup("MODELTYPE=0\n[MAIN]\n", "MAIN", "MODELTYPE"), std::nullopt);
    // Only the first section of the name is searched.
    EXPECT_EQ(ProfileLookup("[MAIN]\nX=1\n[MAIN]\nMODELTYPE=0\n", "MAIN", "MODELTYPE"),
              std::nullopt);
    EXPECT_EQ(
        ProfileLookup("[MAIN]\nMODELTYPE=1" + std::string(200, '2'), "MAIN", "MODELTYPE")->size(),
        127u);
    EXPECT_EQ(ProfileLookup(std::string("[MAIN]\nMODELTYPE=1\0 9\n", 20), "MAIN", "MODELTYPE"),
              "1");
}

} // namespace
} // namespace qb41
