// Banks as CSV tables: every bank of every model survives export and import
// into a fresh data set, and a refused cell leaves everything as it was.
#include "editor/bank_csv.h"
#include "editor/field_edit.h"

#include "files/csv.h"
#include "files/data_file_writer.h"
#include "image/defaults.h"

#include <gtest/gtest.h>

namespace qb41::editor {
namespace {

struct Set {
    explicit Set(ModelNumber model) {
        state.modelNumber = model;
        MakeFreshDataSet(data, model);
    }
    std::string file() const { return FormatDataFile(data.records, state.modelNumber, '.'); }
    AppState state;
    DataSet data;
};

// Edits in every bank, entered as a user would: some channels enabled and
// named, one left with a value set while it was enabled, directory entries
// with names that need quoting.
void EditBanks(Set& set) {
    const ModelNumber model = set.state.modelNumber;
    std::vector<FieldAssignment> edits{
        {"usa:5.enable", "1"},
        {"usa:5.scan", "1"},
        {"usa:5.low power", "1"},
        {"usa:5.power up", "1"},
        {"usa:5.low power", "0"},
        {"intl:7a.enable", "1"},
        {"canada:20.enable", "1"},
        {"canada:20.scan", "1"},
        {"canada:20.enable", "0"},
        {"wx:3.enable", "1"},
        {"wx:3.scan", "1"},
        {"exp:2.enable", "1"},
        {"exp:2.number", "12"},
        {"exp:2.rx frequency", "157.125"},
        {"exp:2.tx frequency", "157.1"},
        {"individual:1.enable", "1"},
        {"individual:1.mmsi", "211123456"},
        {"individual:1.name", "Dock A, 2"},
        {"individual:2.enable", "1"},
        {"individual:2.mmsi", "366999999"},
        {"group:1.enable", "1"},
        {"group:1.mmsi", "21112345"},
    };
    if (StoresChannelNames(model)) {
        edits.push_back({"usa:5.name", "HARBOUR, 5"});
        edits.push_back({"exp:2.name", "WORK"});
    }
    if (StoresChannelNames(model)) edits.push_back({"wx:3.name", "NOAA"});
    if (HasExpTones(model)) {
        edits.push_back({"exp:2.dcs", "23,0"});
        edits.push_back({"exp:2.ctcss", "0,12"});
        edits.push_back({"exp:2.narrow", "1"});
    }
    const auto refusal = ApplyFieldEdits(set.data.records, set.state, edits);
    ASSERT_FALSE(refusal) << refusal->address << ": " << refusal->rule;
}

TEST(BankCsv, EveryBankOfEveryModelRoundTripsIntoAFreshSet) {
    for (ModelNumber model : {0, 1, 2, 3}) {
        Set source(model);
        EditBanks(source);
        Set target(model);
        ASSERT_FALSE(source.file() == target.file());
        for (const BankWord& bank : BankWords()) {
            const std::string table = ExportBankCsv(source.data.records, model, bank);
            const CsvImport result = ImportBankCsv(target.data.records, target.state, bank, table);
            for (const CsvRefusal& r : result.refusals)
                ADD_FAILURE() << "model " << model << " " << bank.word << ": "
                              << RefusalLine(r, result.header);
        }
        EXPECT_TRUE(source.file() == target.file()) << "model " << model;
        // A second import of the same tables changes nothing.
        const Records again = target.data.records;
        for (const BankWord& bank : BankWords())
            EXPECT_EQ(ImportBankCsv(target.data.records, target.state, bank,
                                    ExportBankCsv(source.data.records, model, bank))
                          .changedCells,
                      0);
        EXPECT_EQ(target.data.records, again);
    }
}

TEST(BankCsv, ExportHasTheNumberColumnAndTheFileKeys) {
    Set set(0);
    EditBanks(set);
    const CsvParse usa = ParseCsv(ExportBankCsv(set.data.records, 0, *FindBankWord("usa")));
    ASSERT_FALSE(usa.error);
    ASSERT_EQ(usa.rows.size(), 241u);
    EXPECT_EQ(usa.rows[0].cells, (std::vector<std::string>{
                                     "channel", "Position", "Enable", "LowPower", "PowUp", "Duplex",
                                     "TxEnable", "DispayA", "ScanMemory", "Scramble", "ChTag"}));
    EXPECT_EQ(usa.rows[11].cells[0], "05");
    EXPECT_EQ(usa.rows[11].cells.back(), "HARBOUR, 5");
    const CsvParse group = ParseCsv(ExportBankCsv(set.data.records, 0, *FindBankWord("group")));
    ASSERT_EQ(group.rows.size(), 11u);
    EXPECT_EQ(group.rows[1].cells, (std::vector<std::string>{"01", "1", "", "0211123450"}));
}

TEST(BankCsv, RefusedCellsAreAllNamedAndNothingIsApplied) {
    Set set(0);
    const Records before = set.data.records;
    const std::string table = "channel,enable,ChTag,ScanMemory,Bogus\r\n";
    CsvImport header = ImportBankCsv(set.data.records, set.state, *FindBankWord("usa"), table);
    ASSERT_EQ(header.refusals.size(), 1u);
    EXPECT_EQ(RefusalLine(header.refusals[0], header.header),
              "line 1, column 5 (Bogus): no key Bogus in the CHUSA sections");

    const std::string rows = "channel,Enable,ChTag,ScanMemory\r\n"
                             "06,1,GOOD,1\r\n"
                             "07,1,MUCH TOO LONG NAME,1\r\n"
                             "08,1,OK,7\r\n"
                             "121,1,X,0\r\n"
                             "06,0,,0\r\n";
    CsvImport result = ImportBankCsv(set.data.records, set.state, *FindBankWord("usa"), rows);
    std::vector<std::string> lines;
    for (const CsvRefusal& r : result.refusals) lines.push_back(RefusalLine(r, result.header));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("line 3, column 3 (ChTag): A maximum of 12 characters", 0), 0u)
        << lines[0];
    EXPECT_EQ(lines[1], "line 4, column 4 (ScanMemory): a flag is 0 or 1");
    EXPECT_EQ(lines[2], "line 5, column 1 (channel): no channel 121 in USA");
    EXPECT_EQ(lines[3], "line 6, column 1 (channel): a second row for 06");
    EXPECT_EQ(set.data.records, before);
    EXPECT_FALSE(set.state.dataChanged);
}

} // namespace
} // namespace qb41::editor
