// The report text of a small hand-made data set, per model.
//
// expected/modelN.txt are the complete reports, compared byte for byte. After a
// deliberate change to the report, regenerate them with
//   QB41_UPDATE_EXPECTED=1 build/bin/qb41_report_tests --gtest_filter='ReportText.*'
// and review the diff. expected/hand/ holds sections worked out by hand from the
// report rules; those are never regenerated.
#include "report/report_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace qb41 {
namespace {

namespace fs = std::filesystem;
const fs::path kExpected = QB41_REPORT_EXPECTED_DIR;

// The settings panes: groups, common, DSC and ATIS.
void SampleSettings(DataSet& data) {
    Records& r = data.records;
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN})
        for (std::size_t i = 0; i < r.bank(bank).size(); ++i)
            r.bank(bank)[i].Position = static_cast<std::int16_t>(i);

    r.UsableGroup[0] = {kTrue, kFalse, 32, kTrue, "HOME"};
    r.UsableGroup[1] = {kFalse, kTrue, 279, kFalse, "    "};
    r.UsableGroup[2] = {kTrue, kFalse, -1, kFalse, ""};
    r.UsableGroup[3] = {kTrue, kTrue, 240, kTrue, "WORK"};
    r.Common = {1, kTrue, 2, kFalse, kTrue, 3, 1, 1, kTrue};

    r.DscUsable = {kTrue, kFalse, kTrue};
    r.UserMmsi = "366123456";
    data.image[501] = 7;
    for (int i : {0, 2, 3, 6, 8, 11, 14, 15, 16, 20, 25, 31, 34, 39, 41, 43, 44, 47})
        r.DscFlags[static_cast<std::size_t>(i)] = kTrue;
    r.AtisCode = "9876543210";
    r.AtisKikkerGroup = {kFalse, kTrue, kFalse, kTrue};
    r.AtisCallSign[0] = {"366", "ABC"};
    r.AtisCallSign[9] = {"1234567890AB", "DISPLAYTEXTLONGERTHAN20"};
    r.AtisCallSign[10] = {"123", "XYZ"};
    r.AtisCallSign[19] = {"999", "ENDOFLINE"};
}

// Plan channels, shown and hidden, with every flag and a bad position.
void SamplePlanChannels(Records& r) {
    auto plan = [](ChannelRecord& c, VbBool tx, const char* name) {
        c.Enable = kTrue;
        c.TxEnable = tx;
        c.ChTag = name;
    };
    plan(r.CHUSA[30], kFalse, "COMMERCIAL");
    r.CHUSA[30].RxOnly = kTrue;
    plan(r.CHUSA[32], kTrue, "DISTRESS");
    r.CHUSA[32].PowUp = r.CHUSA[32].ScanMemory = kTrue;
    r.CHUSA[32].Scramble = 5;
    plan(r.CHUSA[40], kTrue, "ABCDEFGHIJKLMN");
    r.CHUSA[40].Duplex = r.CHUSA[40].LowPower = kTrue;
    plan(r.CHUSA[41], kTrue, "");
    r.CHUSA[41].Duplex = kTrue; // an "A" row has no duplex receive frequency
    plan(r.CHUSA[100], kTrue, "BADPOS");
    r.CHUSA[100].Position = 300; // outside the master table
    plan(r.CHUSA[239], kTrue, "LAST");
    r.CHUSA[239].Scramble = 4;
    r.CHUSA[50].ChTag = "HIDDEN"; // not enabled: not listed
    plan(r.CHCAN[0], kTrue, "ZERO");
    r.CHCAN[0].Duplex = kTrue;
}

void SampleWeatherAndDirectory(Records& r) {
    r.CHWX[0] = {};
    r.CHWX[0].Enable = r.CHWX[0].ScanMemory = kTrue;
    r.CHWX[0].ChTag = "NOAA ONE";
    r.CHWX[9].Enable = kTrue;
    r.CHWX[9].ChTag = "ABCDEFGHIJKLMNOP";

    r.CHMMSID[0] = {kTrue, "FRIEND", "366999888"};
    r.CHMMSID[1] = {kTrue, "", "0123456789"};
    r.CHMMSID[2] = {kTrue, "ABCDEFGHIJKLMNOP", ""};
    r.CHGRPID[0] = {kTrue, "FLEET", "036612345"};
}

// EXP channels with odd numbers, frequencies and tones.
void SampleExpChannels(Records& r) {
    ChannelRecord& e0 = r.CHEXP[0];
    e0.CHDisplayL = "1";
    e0.Enable = e0.LowPower = e0.ScanMemory = e0.Narrow = e0.Compander = kTrue;
    e0.Rxfreq = 156.0512;
    e0.Txfreq = 156.0125;
    e0.Scramble = 4;
    e0.CtcssTone = {0, 1};
    e0.DcsCode = {105, 0};
    ChannelRecord& e1 = r.CHEXP[1];
    e1.CHDisplayL = "123";
    e1.CHDisplayR = "AB";
    e1.Txfreq = -5;
    e1.ChTag = "WORKBOAT";
    e1.DcsCode = {0, 104};
    e1.CtcssTone = {51, 0}; // outside the CTCSS list
    ChannelRecord& e2 = r.CHEXP[2];
    e2.Enable = e2.PowUp = kTrue;
    e2.Rxfreq = std::numeric_limits<double>::infinity();
    e2.Txfreq = 160.5;
    e2.Scramble = 7;
    e2.ChTag = "ABCDEFGHIJKLMN";
    e2.CtcssTone = {2, 50};
    e2.DcsCode = {3, 0};
}

DataSet MakeSample() {
    DataSet data;
    SampleSettings(data);
    SamplePlanChannels(data.records);
    SampleWeatherAndDirectory(data.records);
    SampleExpChannels(data.records);
    return data;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Report(ModelNumber model) {
    DataSet data = MakeSample();
    return MakeReportText(data, model);
}

class ReportText : public ::testing::TestWithParam<int> {};

TEST_P(ReportText, MatchesReferenceFile) {
    const auto model = static_cast<ModelNumber>(GetParam());
    const std::string text = Report(model);
    const fs::path file = kExpected / ("model" + std::to_string(model) + ".txt");
    if (std::getenv("QB41_UPDATE_EXPECTED")) {
        std::ofstream(file, std::ios::binary) << text;
        GTEST_SKIP() << "rewrote " << file;
    }
    ASSERT_TRUE(fs::exists(file)) << file;
    EXPECT_EQ(text, ReadFile(file));
}

TEST_P(ReportText, FramingAndLineSeparators) {
    const std::string text = Report(static_cast<ModelNumber>(GetParam()));
    EXPECT_EQ(text.rfind("\r\n\r\n##### Available CH Group Setup #####\r\n", 0), 0u);
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
    // Every line break is CR LF and every heading follows exactly one empty line.
    std::size_t lines = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_EQ(text[at - 1], '\r') << at;
        ++lines;
    }
    std::size_t headings = 0;
    for (std::size_t at = text.find("#####"); at != std::string::npos;
         at = text.find("\r\n#####", at + 1)) {
        const std::size_t start = text[at] == '#' ? at : at + 2;
        ASSERT_EQ(text.substr(start - 4, 4), "\r\n\r\n") << text.substr(start, 40);
        ++headings;
    }
    EXPECT_EQ(headings, GetParam() == 0 ? 14u : 13u);
    EXPECT_EQ(ReportFileText(text), text + "\r\n");
    EXPECT_GT(lines, 200u);
}

INSTANTIATE_TEST_SUITE_P(Models, ReportText, ::testing::Values(0, 1, 2, 3));

// Each hand file modelN_<what>.txt holds complete consecutive lines of the
// report of model N.
TEST(ReportSections, HandDerivedSectionsAppearVerbatim) {
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(kExpected / "hand")) {
        const std::string name = entry.path().filename().string();
        const auto model = static_cast<ModelNumber>(name.at(5) - '0');
        std::string block;
        std::istringstream lines(ReadFile(entry.path()));
        for (std::string line; std::getline(lines, line);) block += "\r\n" + line;
        const std::string text = Report(model) + "\r\n";
        EXPECT_NE(text.find(block + "\r\n"), std::string::npos) << name;
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

// A settings cell that cannot be produced leaves the row with its label only,
// and the report goes on with the next row.
TEST(ReportSections, UnproducibleSettingsCellIsLeftOut) {
    for (std::int16_t offset : {std::int16_t{25}, std::int16_t{-1}}) {
        DataSet data = MakeSample();
        data.records.Common.OffsetTime = offset;
        const std::string text = MakeReportText(data, 2);
        const std::string rows = "\r\nOffset Time:" + std::string(23, ' ') +
                                 "\r\nMagnetic Variation:                Mag               \r\n";
        EXPECT_NE(text.find(rows), std::string::npos) << offset;
        EXPECT_NE(text.find("##### Programable LMR Channel #####"), std::string::npos);
    }
}

TEST(ReportSections, OffRasterExpFrequenciesShowAsStoredAndStayInTheRecords) {
    DataSet data = MakeSample();
    const Records before = data.records;
    const std::string text = MakeReportText(data, 0);
    EXPECT_NE(text.find("156.0512  156.0125"), std::string::npos);
    EXPECT_EQ(data.records, before);
}

} // namespace
} // namespace qb41
