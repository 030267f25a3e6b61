#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "files/image_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace qb41 {
namespace {

struct Section {
    std::string name;
    std::vector<std::string> keys;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line without CR LF";
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<Section> Structure(const std::string& text) {
    std::vector<Section> sections;
    for (const std::string& line : Lines(text)) {
        EXPECT_FALSE(line.empty()) << "blank line";
        if (line.front() == '[') {
            sections.push_back({line.substr(1, line.size() - 2), {}});
        } else if (!sections.empty()) {
            sections.back().keys.push_back(line.substr(0, line.find('=')));
        }
    }
    return sections;
}

std::vector<std::string> Numbered(const std::string& base, int from, int to) {
    std::vector<std::string> keys;
    for (int i = from; i <= to; ++i) keys.push_back(base + std::to_string(i));
    return keys;
}

// The sections and keys a file must have, written out independently of the writer.
std::vector<Section> ExpectedStructure(ModelNumber model) {
    std::vector<Section> s;
    s.push_back({"MAIN", {"MODEL", "TYPE", "VERSION", "MODELTYPE"}});
    Section groups{"Usable CH Group Setup", {"USA", "INTL", "Canada", "EXP CH"}};
    for (const char* base : {"TX TOT ", "Priority CH ", "Status Icon ", "Status name "}) {
        if (model == 1 && std::string(base) == "Status name ") continue;
        for (const std::string& key : Numbered(base, 0, 3)) groups.keys.push_back(key);
    }
    s.push_back(groups);
    s.push_back({"Common Setup",
                 {"TX Po Display", "SCAN", "Resume Time", "PTT SCAN Clear", "Dual Watch",
                  "Offset Time", "Magnetic Variation", "Weater", "Rotary"}});
    Section basic{"DSC Setup (Basic Setup)", {"USA", "INTL", "Canada", "User MMSI"}};
    for (int i = 0; i < 4; ++i) {
        basic.keys.push_back("PosRequest" + std::to_string(i));
        basic.keys.push_back("PosRequestTX" + std::to_string(i));
    }
    for (const std::string& key : Numbered("BeepOut", 0, 7)) basic.keys.push_back(key);
    s.push_back(basic);
    Section advanced{"DSC Setup (Advanced Setup)", {}};
    for (const char* base : {"All Ships Call", "Group Call", "Individual Call"}) {
        for (int i = 0; i < 4; ++i) {
            advanced.keys.push_back(base + std::to_string(i));
            advanced.keys.push_back(std::string(base) + "TX" + std::to_string(i));
        }
    }
    s.push_back(advanced);
    s.push_back({"DSC Setup (Display Setup)",
                 {"Individual ACK Menu", "Individual ACK Message Menu", "POS Request ACK Menu"}});
    Section atis{"ATIS Setup (Common)", Numbered("Usable ATIS CH Group", 0, 3)};
    atis.keys.push_back("Atis Code");
    if (model == 0)
        for (const std::string& key : Numbered("Usable ATIS Kikker CH Group", 0, 3))
            atis.keys.push_back(key);
    s.push_back(atis);
    Section callSigns{"ATIS Setup (Call Sign)", {}};
    for (int n = 1; n <= 20; ++n) {
        callSigns.keys.push_back("MID" + std::to_string(n));
        callSigns.keys.push_back("DISP" + std::to_string(n));
    }
    s.push_back(callSigns);
    std::vector<std::string> plan{"Position", "Enable",   "LowPower", "PowUp",
                                  "Duplex",   "TxEnable", "DispayA",  "ScanMemory"};
    if (model != 1) plan.insert(plan.end(), {"Scramble", "ChTag"});
    for (const char* bank : {"CHUSA", "CHINT", "CHCAN"})
        for (int k = 0; k < 240; ++k) s.push_back({bank + std::to_string(k), plan});
    for (int k = 0; k < 10; ++k)
        s.push_back({"CHWX" + std::to_string(k), {"Enable", "ScanMemory", "ChTag"}});
    for (int n = 1; n <= 40; ++n)
        s.push_back({"CHMMSID" + std::to_string(n), {"Enable", "TagName", "Mmsid"}});
    for (int n = 1; n <= 10; ++n)
        s.push_back({"CHGRPID" + std::to_string(n), {"Enable", "TagName", "Mmsid"}});
    // Narrow (every model) and the tone keys (the LMR model) follow ChTag.
    std::vector<std::string> exp{"Enable",   "CHDisplayL", "CHDisplayR", "Rxfreq",
                                 "Txfreq",   "LowPower",   "PowUp",      "ScanMemory",
                                 "Scramble", "ChTag",      "Narrow"};
    if (model == 2) exp.insert(exp.end(), {"DcsCode", "CtcssTone", "Compander"});
    for (int k = 0; k < 40; ++k) s.push_back({"CHEXP" + std::to_string(k), exp});
    return s;
}

TEST(DataFileWriter, EveryModelWritesItsSectionsAndKeysInOrder) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        SCOPED_TRACE(model);
        DataSet data;
        MakeFreshDataSet(data, model);
        std::vector<Section> actual = Structure(FormatDataFile(data.records, model, '.'));
        std::vector<Section> expected = ExpectedStructure(model);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(actual[i].name, expected[i].name);
            EXPECT_EQ(actual[i].keys, expected[i].keys) << expected[i].name;
        }
    }
}

TEST(DataFileWriter, HeaderAndSettingsSectionsAreExact) {
    DataSet data;
    MakeFreshDataSet(data, 0);
    Records& r = data.records;
    r.UsableGroup[0] = {kTrue, kTrue, 32, kFalse, "HOME"};
    r.UsableGroup[1] = {kFalse, kFalse, -1, kTrue, ""};
    r.UsableGroup[2] = {kTrue, kFalse, 65535, kFalse, "  A "};
    r.UsableGroup[3] = {kFalse, kTrue, 279, kFalse, "X"};
    r.Common = {-2, kTrue, 3, kFalse, kTrue, -4, 1, 2, kTrue};
    std::string text = FormatDataFile(r, 0, '.');
    const std::string expected =
        "[MAIN]\r\nMODEL=#TQ4800M\r\nTYPE=#KVX\r\nVERSION=#2.00\r\n"
        "MODELTYPE=0\r\n"
        "[Usable CH Group Setup]\r\n"
        "USA=1\r\nINTL=0\r\nCanada=1\r\nEXP CH=0\r\n"
        "TX TOT 0=1\r\nTX TOT 1=0\r\nTX TOT 2=0\r\nTX TOT 3=1\r\n"
        "Priority CH 0=32\r\nPriority CH 1=-1\r\nPriority CH 2=-1\r\n"
        "Priority CH 3=279\r\n"
        "Status Icon 0=0\r\nStatus Icon 1=1\r\nStatus Icon 2=0\r\n"
        "Status Icon 3=0\r\n"
        "Status name 0=HOME\r\nStatus name 1=\r\nStatus name 2=  A \r\n"
        "Status name 3=X\r\n"
        "[Common Setup]\r\n"
        "TX Po Display=2\r\nSCAN=1\r\nResume Time=3\r\nPTT SCAN Clear=0\r\n"
        "Dual Watch=1\r\nOffset Time=-4\r\nMagnetic Variation=1\r\n"
        "Weater=2\r\nRotary=1\r\n"
        "[DSC Setup (Basic Setup)]\r\n";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
}

TEST(DataFileWriter, ChannelValuesAreWrittenAsStored) {
    DataSet data;
    MakeFreshDataSet(data, 2);
    ChannelRecord& usa = data.records.CHUSA[0];
    usa.Scramble = -1;
    usa.Enable = kTrue;
    usa.ChTag = std::string(12, ' ');
    data.records.CHUSA[1].ChTag = "";
    ChannelRecord& exp = data.records.CHEXP[0];
    exp.Rxfreq = 156.0125;
    exp.Txfreq = 0.0;
    exp.CHDisplayL = "A1";
    std::string text = FormatDataFile(data.records, 2, ',');
    EXPECT_NE(text.find("[CHUSA0]\r\nPosition=0\r\nEnable=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("Scramble=-1\r\nChTag=#            \r\n[CHUSA1]"), std::string::npos);
    EXPECT_NE(text.find("ChTag=#\r\n[CHUSA2]"), std::string::npos);
    EXPECT_NE(text.find("[CHEXP0]\r\nEnable=0\r\nCHDisplayL=A1\r\nCHDisplayR=\r\n"
                        "Rxfreq=156,0125\r\nTxfreq=0\r\n"),
              std::string::npos);
}

TEST(DataFileWriter, ALineThatCannotBeWrittenIsLeftOut) {
    DataSet data;
    MakeFreshDataSet(data, 0);
    data.records.CHUSA[5].Enable = -32768; // no 16-bit absolute value
    data.records.CHUSA[5].ChTag = "AB\r\n[MAIN]";
    data.records.CHEXP[3].Rxfreq = std::numeric_limits<double>::quiet_NaN();
    data.records.Common.Weater = -32768;
    std::string text = FormatDataFile(data.records, 0, '.');
    EXPECT_NE(text.find("[CHUSA5]\r\nPosition=5\r\nLowPower="), std::string::npos);
    EXPECT_NE(text.find("Scramble=0\r\n[CHUSA6]"), std::string::npos);
    EXPECT_NE(text.find("CHDisplayR=\r\nTxfreq=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("Magnetic Variation=0\r\nRotary="), std::string::npos);
    EXPECT_EQ(text.find("[MAIN]", 1), std::string::npos);
}

TEST(WriteDataFileAt, ReplacesTheFileOnlyAfterACompleteWrite) {
    test::Harness h(0);
    const auto path = h.dir / "boat.dat";
    test::WriteBytes(path, std::string(300000, 'x'));
    const FileOutcome outcome = WriteDataFileAt(h.data.records, 0, path, '.');
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.operation, FileOperation::SaveDataFile);
    EXPECT_EQ(test::ReadBytes(path), FormatDataFile(h.data.records, 0, '.'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.dir.path()), {}), 1);
}

TEST(WriteDataFileAt, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    test::Harness h(3);
    const auto blocked = h.dir / "blocked.dat"; // a folder with content cannot be replaced
    std::filesystem::create_directory(blocked);
    test::WriteBytes(blocked / "keep", "old");
    const FileOutcome outcome = WriteDataFileAt(h.data.records, 3, blocked, '.');
    EXPECT_EQ(outcome.reason, FileReason::SaveFailed);
    EXPECT_EQ(outcome.path, blocked);
    EXPECT_FALSE(outcome.cause.empty());
    EXPECT_FALSE(outcome.errorText.empty());
    EXPECT_EQ(test::ReadBytes(blocked / "keep"), "old");
    // Only the blocked folder is left: no temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.dir.path()), {}), 1);
}

// The rename of a save would replace a read-only file: each kind of save
// refuses it, says so, and the file stays as it was.
TEST(WriteDataFileAt, AReadOnlyFileIsRefusedAndKept) {
    using Save = std::function<FileOutcome(DataSet&, const std::filesystem::path&)>;
    const std::pair<const char*, Save> saves[] = {
        {"radio.dat",
         [](DataSet& d, const auto& p) { return WriteDataFileAt(d.records, 3, p, '.'); }},
        {"radio.hex",
         [](DataSet& d, const auto& p) { return PrepareAndWriteImageFileAt(d, 3, p); }},
        {"radio.txt", [](DataSet& d, const auto& p) { return WriteReportFileAt(d, 3, p); }},
    };
    for (const auto& [name, save] : saves) {
        SCOPED_TRACE(name);
        test::Harness h(3);
        const auto path = h.dir / name;
        test::WriteBytes(path, "old");
        std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read);
        const FileOutcome outcome = save(h.data, path);
        EXPECT_EQ(outcome.reason, FileReason::SaveFailed);
        EXPECT_EQ(test::ReadBytes(path), "old");
        EXPECT_NE(outcome.cause.find("the file is read-only"), std::string::npos) << outcome.cause;
        EXPECT_NE(outcome.description.find("the file is read-only"), std::string::npos)
            << outcome.description;
    }
}

} // namespace
} // namespace qb41
