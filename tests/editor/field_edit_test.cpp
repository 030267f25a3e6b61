// Fields by address: the list the writer gives, lookups in every form, and
// edits through the window's rules, all or nothing.
#include "editor/field_edit.h"

#include "files/data_file_writer.h"
#include "files/field_address.h"
#include "image/defaults.h"

#include <gtest/gtest.h>

#include <set>

namespace qb41::editor {
namespace {

struct Fixture {
    explicit Fixture(ModelNumber model) {
        state.modelNumber = model;
        MakeFreshDataSet(data, model);
    }
    std::string value(const std::string& address) const {
        FieldList list(data.records, state.modelNumber);
        auto index = list.find(address);
        return index ? list.fields()[*index].value : "<none>";
    }
    std::optional<FieldRefusal> set(std::vector<FieldAssignment> edits) {
        return ApplyFieldEdits(data.records, state, edits);
    }
    AppState state;
    DataSet data;
};

TEST(FieldAddress, EveryAddressIsUniqueAndFoundInAnyCase) {
    for (ModelNumber model : {0, 1, 2, 3}) {
        Fixture f(model);
        FieldList list(f.data.records, model);
        std::set<std::string> seen;
        for (std::size_t i = 0; i < list.fields().size(); ++i) {
            const std::string address = list.fields()[i].address();
            EXPECT_TRUE(seen.insert(address).second) << address;
            std::string lower = address;
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            ASSERT_EQ(list.find(lower), i) << address;
        }
        // One line of the file per field, headers aside.
        const std::string text = FormatDataFile(f.data.records, model, '.');
        std::size_t lines = 0, headers = 0;
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
            ++lines;
        for (std::size_t at = 0; (at = text.find("\r\n[", at)) != std::string::npos; at += 3)
            ++headers;
        EXPECT_EQ(list.fields().size(), lines - headers - 1) << "model " << model;
    }
}

TEST(FieldAddress, ShortFormsNameTheCanonicalField) {
    Fixture f(0);
    FieldList list(f.data.records, 0);
    struct Case {
        std::string shortForm;
        std::string canonical; // empty: no such field
    };
    const Case cases[] = {
        {"usa:16.name", "CHUSA32.ChTag"},
        {"USA:8.ChTag", "CHUSA16.ChTag"},
        {"intl:16a.scan", "CHINT33.ScanMemory"},
        {"canada:119.enable", "CHCAN238.Enable"},
        {"wx:1.name", "CHWX0.ChTag"},
        {"wx:10.scan", "CHWX9.ScanMemory"},
        {"exp:1.rx frequency", "CHEXP0.Rxfreq"},
        {"individual:2.mmsi", "CHMMSID2.Mmsid"},
        {"group:10.name", "CHGRPID10.TagName"},
        {" dsc setup (basic setup).user mmsi ", "DSC Setup (Basic Setup).User MMSI"},
        {"wx:11.name", ""},
        {"usa:120.name", ""},
        {"group:0.name", ""},
        {"individual:1.nosuch", ""},
        {"CHUSA240.ChTag", ""},
    };
    for (const Case& c : cases) {
        auto index = list.find(c.shortForm);
        if (c.canonical.empty()) {
            EXPECT_FALSE(index) << c.shortForm;
            continue;
        }
        ASSERT_TRUE(index) << c.shortForm;
        EXPECT_EQ(list.fields()[*index].address(), c.canonical);
    }
    // Model 1 keeps no plan channel names: there is no such field.
    Fixture m1(1);
    EXPECT_FALSE(FieldList(m1.data.records, 1).find("usa:16.name"));
}

TEST(FieldAddress, LabelsNameBankChannelAndWord) {
    Fixture f(0);
    FieldList list(f.data.records, 0);
    const std::pair<const char*, const char*> cases[] = {
        {"CHUSA16.ChTag", "USA 08 name"},
        {"CHCAN33.ScanMemory", "Canada 16A scan"},
        {"CHWX2.Enable", "WX 03 enable"},
        {"CHEXP0.Rxfreq", "EXP 01 RX frequency"},
        {"CHMMSID2.Mmsid", "Individual 02 MMSI"},
        {"Common Setup.Dual Watch", "Common Setup: Dual Watch"},
    };
    for (const auto& [address, label] : cases)
        EXPECT_EQ(FieldLabel(list.fields().at(*list.find(address))), label) << address;
}

TEST(FieldEdit, ValuesAreStoredInTheWindowsForms) {
    struct Case {
        ModelNumber model;
        std::vector<FieldAssignment> edits;
        std::string address;
        std::string stored;
    };
    const Case cases[] = {
        {0,
         {{"DSC Setup (Basic Setup).User MMSI", "211123456"}},
         "DSC Setup (Basic Setup).User MMSI",
         "2111234560"},
        // The stored form as fields prints it is taken back.
        {0,
         {{"DSC Setup (Basic Setup).User MMSI", "2111234560"}},
         "DSC Setup (Basic Setup).User MMSI",
         "2111234560"},
        {0,
         {{"Usable CH Group Setup.Status name 1", "ab"}},
         "Usable CH Group Setup.Status name 1",
         "  ab"},
        {0, {{"ATIS Setup (Call Sign).MID1", "7"}}, "ATIS Setup (Call Sign).MID1", "007"},
        {3,
         {{"ATIS Setup (Common).Atis Code", "9211234567"}},
         "ATIS Setup (Common).Atis Code",
         "9211234567"},
        {2, {{"usa:16.enable", "1"}, {"usa:16.name", "CALLING"}}, "CHUSA32.ChTag", "CALLING"},
        {2, {{"exp:1.enable", "1"}, {"exp:1.rx frequency", "156.8"}}, "CHEXP0.Rxfreq", "156.8"},
        {0,
         {{"individual:1.enable", "1"}, {"individual:1.mmsi", "366123456"}},
         "CHMMSID1.Mmsid",
         "3661234560"},
        {0,
         {{"group:1.enable", "1"}, {"group:1.mmsi", "36612345"}},
         "CHGRPID1.Mmsid",
         "0366123450"},
        {0, {{"Common Setup.Dual Watch", "0"}}, "Common Setup.Dual Watch", "0"},
        {0,
         {{"DSC Setup (Advanced Setup).Group Call0", "1"},
          {"DSC Setup (Advanced Setup).Group CallTX0", "1"}},
         "DSC Setup (Advanced Setup).Group CallTX0",
         "1"},
    };
    for (const Case& c : cases) {
        Fixture f(c.model);
        const auto refusal = f.set(c.edits);
        EXPECT_FALSE(refusal) << c.address << ": " << (refusal ? refusal->rule : "");
        EXPECT_EQ(f.value(c.address), c.stored) << c.address;
        EXPECT_TRUE(f.state.dataChanged);
    }
}

TEST(FieldEdit, OneRefusedValueChangesNothingAndNamesFieldAndRule) {
    struct Case {
        ModelNumber model;
        FieldAssignment bad;
        std::string address; // canonical, as named in the refusal
        std::string ruleHas;
    };
    const Case cases[] = {
        {0,
         {"dsc setup (basic setup).user mmsi", "12345"},
         "DSC Setup (Basic Setup).User MMSI",
         "User MMSI"},
        {0, {"ATIS Setup (Common).Atis Code", "92112"}, "ATIS Setup (Common).Atis Code", "ATISNo"},
        {0, {"usa:0.name", "X"}, "CHUSA0.ChTag", "Enable is 0"},
        {0, {"Common Setup.Dual Watch", "2"}, "Common Setup.Dual Watch", "0 (Off)"},
        {0, {"CHUSA0.Enable", "yes"}, "CHUSA0.Enable", "0 or 1"},
        {0, {"CHUSA0.Position", "3"}, "CHUSA0.Position", "fixed"},
        {0, {"MAIN.MODELTYPE", "3"}, "MAIN.MODELTYPE", "fixed"},
        {0, {"individual:3.enable", "1"}, "CHMMSID3.Enable", "entry after the last used"},
        {0, {"ATIS Setup (Call Sign).DISP1", "ABCD"}, "ATIS Setup (Call Sign).DISP1", "at most 3"},
        {0, {"CHUSA999.ChTag", "x"}, "CHUSA999.ChTag", "no such field"},
    };
    for (const Case& c : cases) {
        Fixture f(c.model);
        const Records before = f.data.records;
        const auto refusal = f.set(
            {{"DSC Setup (Basic Setup).User MMSI", "211123456"}, {"usa:8.enable", "1"}, c.bad});
        ASSERT_TRUE(refusal) << c.bad.address;
        EXPECT_EQ(refusal->address, c.address);
        EXPECT_NE(refusal->rule.find(c.ruleHas), std::string::npos) << refusal->rule;
        EXPECT_EQ(f.data.records, before) << c.bad.address;
        EXPECT_FALSE(f.state.dataChanged);
    }
}

TEST(FieldEdit, ParseAssignmentSplitsAtTheFirstEquals) {
    auto a = ParseAssignment("CHUSA0.ChTag=A=B");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->address, "CHUSA0.ChTag");
    EXPECT_EQ(a->value, "A=B");
    EXPECT_FALSE(ParseAssignment("CHUSA0.ChTag"));
}

} // namespace
} // namespace qb41::editor
