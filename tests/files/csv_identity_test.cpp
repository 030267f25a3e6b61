// CSV records and identity checks.
#include "files/csv.h"
#include "files/identity_check.h"
#include "files/maritime_ids.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

TEST(Csv, RecordsQuoteOnlyWhatNeedsItAndReadBack) {
    const std::vector<std::vector<std::string>> rows{
        {"plain", "", "with space"},
        {"a,b", "say \"hi\"", "two\r\nlines", "trailing,"},
        {"", ""},
        {"\"", "x"},
    };
    std::string text;
    for (const auto& row : rows) text += CsvRecord(row);
    EXPECT_EQ(CsvRecord(rows[0]), "plain,,with space\r\n");
    EXPECT_EQ(CsvRecord(rows[1]), "\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"trailing,\"\r\n");
    const CsvParse parsed = ParseCsv(text);
    ASSERT_FALSE(parsed.error);
    ASSERT_EQ(parsed.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(parsed.rows[i].cells, rows[i]);
    // The quoted line break counts: the third record starts on line 4.
    EXPECT_EQ(parsed.rows[2].line, 4);
}

TEST(Csv, ReaderTakesLfBomAndBlankLinesAndNamesBadQuotes) {
    const CsvParse lf = ParseCsv("\xEF\xBB\xBF"
                                 "a,b\n\n1,2\n");
    ASSERT_FALSE(lf.error);
    ASSERT_EQ(lf.rows.size(), 2u);
    EXPECT_EQ(lf.rows[0].cells, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(lf.rows[1].line, 3);

    const struct {
        const char* text;
        const char* error;
    } bad[] = {{"a,b\r\n\"open", "line 2: a quoted field is not closed"},
               {"\"x\"y,1", "line 1: text after the closing quote of a field"}};
    for (const auto& b : bad) {
        const CsvParse parsed = ParseCsv(b.text);
        ASSERT_TRUE(parsed.error) << b.text;
        EXPECT_EQ(*parsed.error, b.error);
    }
}

TEST(Identity, MmsiAndAtisForms) {
    struct Case {
        const char* digits;
        StationKind kind;
        bool fits;
    };
    const Case cases[] = {
        {"211123456", StationKind::Ship, true},   {"366999999", StationKind::Ship, true},
        {"775000001", StationKind::Ship, true},   {"200123456", StationKind::Ship, false},
        {"776123456", StationKind::Ship, false},  {"217123456", StationKind::Ship, false},
        {"021112345", StationKind::Ship, false},  {"002111234", StationKind::Ship, false},
        {"21112345", StationKind::Ship, false},   {"21112345x", StationKind::Ship, false},
        {"021112345", StationKind::Group, true},  {"002111234", StationKind::Group, false},
        {"211123456", StationKind::Group, false}, {"099912345", StationKind::Group, false},
        {"003669999", StationKind::Coast, true},  {"036699999", StationKind::Coast, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(!MmsiIdentityProblem(c.digits, c.kind), c.fits) << c.digits;

    const std::pair<const char*, bool> atis[] = {{"9211234567", true},  {"9366123456", true},
                                                 {"8211234567", false}, {"921123456", false},
                                                 {"9200000000", false}, {"92112345678", false}};
    for (const auto& [code, fits] : atis) EXPECT_EQ(!AtisIdentityProblem(code), fits) << code;
}

TEST(Identity, FindingsNameTheFieldsAndDuplicatesInADirectory) {
    Records records;
    records.UserMmsi = "0211123450"; // a group's number as the user MMSI
    records.AtisCode = "9211234567";
    records.CHMMSID[0].Mmsid = "2111234560";
    records.CHMMSID[1].Mmsid = "0036612340"; // a coast station: fine
    records.CHMMSID[2].Mmsid = "2111234560"; // entry 1 again
    records.CHGRPID[0].Mmsid = "0123456780"; // 123 is no MID
    const std::vector<IdentityFinding> findings = IdentityFindings(records);
    std::vector<std::string> addresses;
    for (const auto& f : findings) addresses.push_back(f.address);
    EXPECT_EQ(addresses, (std::vector<std::string>{"DSC Setup (Basic Setup).User MMSI",
                                                   "CHMMSID3.Mmsid", "CHGRPID1.Mmsid"}));
    EXPECT_NE(findings[1].text.find("also in entry 1"), std::string::npos);

    Records clean;
    clean.UserMmsi = "2111234560";
    EXPECT_TRUE(IdentityFindings(clean).empty());
}

TEST(Identity, TheMidTableHoldsOnlyTheMaritimeRange) {
    int assigned = 0;
    for (int mid = 0; mid < 1000; ++mid) {
        const MaritimeId* m = FindMaritimeId(mid);
        if (!m) continue;
        ++assigned;
        EXPECT_EQ(m->mid, mid);
        EXPECT_GE(mid, 201);
        EXPECT_LE(mid, 775);
        EXPECT_FALSE(m->region.empty());
    }
    EXPECT_GT(assigned, 250);
    EXPECT_EQ(FindMaritimeId(338)->region, "United States");
}

} // namespace
} // namespace qb41
