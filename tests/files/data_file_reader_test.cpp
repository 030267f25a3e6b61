#include "files/data_file_reader.h"

#include "test_support.h"

#include "image/codec.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

std::string File(ModelNumber model, const std::string& body) {
    return "[MAIN]\r\nMODEL=#X\r\nMODELTYPE=" + std::to_string(model) + "\r\n" + body;
}

Records Fresh(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    return data.records;
}

TEST(DataFileReader, TheModelCheckRefusesOtherModelsAndLeavesTheRecords) {
    struct Case {
        const char* text;
        bool accepted;
    };
    const Case cases[] = {{"[MAIN]\r\nMODELTYPE=0\r\n[Common Setup]\r\nWeater=1\r\n", true},
                          {"[main]\r\nmodeltype = 0\r\n[Common Setup]\r\nWeater=1\r\n", true},
                          {"[MAIN]\r\nMODELTYPE=#0\r\n[Common Setup]\r\nWeater=1\r\n", true},
                          {"[MAIN]\r\nMODELTYPE=3\r\n[Common Setup]\r\nWeater=1\r\n", false},
                          {"[MAIN]\r\nMODEL=#TQ4800M\r\n[Common Setup]\r\nWeater=1\r\n", false},
                          {"[Common Setup]\r\nWeater=1\r\nMODELTYPE=0\r\n", false},
                          {"[MAIN]\r\nMODELTYPE=<NONE>\r\n[Common Setup]\r\nWeater=1\r\n", false},
                          {"", false}};
    for (const Case& c : cases) {
        test::Harness h(0);
        test::WriteBytes(h.dir / "in.dat", c.text);
        Records before = h.data.records;
        const FileOutcome outcome = ReadDataFileAt(h.data.records, 0, h.dir / "in.dat");
        EXPECT_EQ(outcome.ok(), c.accepted) << c.text;
        EXPECT_EQ(outcome.operation, FileOperation::ReadDataFile);
        EXPECT_TRUE(outcome.errorText.empty());
        if (c.accepted) {
            EXPECT_EQ(outcome.reason, FileReason::None);
            EXPECT_EQ(h.data.records.Common.Weater, 1);
        } else {
            EXPECT_EQ(outcome.reason, FileReason::WrongModel);
            EXPECT_EQ(h.data.records, before);
            EXPECT_NE(outcome.cause.find(", the selected model "), std::string::npos)
                << outcome.cause;
        }
    }
}

TEST(DataFileReader, PlanBankSectionsLandWhereTheirPositionSaysAndStopAtAGap) {
    Records records = Fresh(0);
    const Records fresh = records;
    std::string body = "[CHUSA0]\r\nPosition=5\r\nEnable=0\r\nChTag=#FIVE\r\n"
                       "[CHUSA1]\r\nPosition= 7abc\r\nScramble=6\r\n"
                       "[CHUSA2]\r\nPosition=300\r\nEnable=1\r\n"
                       "[CHUSA3]\r\nPosition=-1\r\nEnable=1\r\n"
                       "[CHUSA4]\r\nPosition=99999\r\nEnable=1\r\n"
                       "[CHUSA5]\r\nPosition=xyz\r\nChTag=#ZERO\r\n"
                       "[CHUSA7]\r\nPosition=9\r\nChTag=#NINE\r\n"
                       "[CHINT0]\r\nEnable=1\r\n";
    ASSERT_TRUE(ReadDataFileText(File(0, body), records, 0));
    EXPECT_EQ(records.CHUSA[5].ChTag, "FIVE");
    EXPECT_EQ(records.CHUSA[5].Enable, kFalse);
    EXPECT_EQ(records.CHUSA[7].Scramble, 6);
    EXPECT_EQ(records.CHUSA[7].ChTag, "");       // a missing text key empties the field
    EXPECT_EQ(records.CHUSA[0].ChTag, "ZERO");   // no number reads as position 0
    EXPECT_EQ(records.CHUSA[9], fresh.CHUSA[9]); // after the gap at CHUSA6
    EXPECT_EQ(records.CHINT, fresh.CHINT);       // CHINT0 has no Position
}

TEST(DataFileReader, PositionsRoundHalfToEvenAndAnEmptyPositionEndsTheBank) {
    Records records = Fresh(0);
    const Records fresh = records;
    // CHUSA1 has no Position of its own: the later section of the same name
    // supplies it. CHUSA3 has an empty one, which ends the bank like a gap.
    std::string body = "[CHUSA0]\r\nPosition=4.5abc\r\nChTag=#FOUR\r\n"
                       "[CHUSA1]\r\nChTag=#SIX\r\n"
                       "[CHUSA2]\r\nPosition=2.5\r\nChTag=#TWO\r\n"
                       "[CHUSA1]\r\nPosition=5.5\r\n"
                       "[CHUSA3]\r\nPosition=\r\nChTag=#NONE\r\n"
                       "[CHUSA4]\r\nPosition=8\r\nChTag=#EIGHT\r\n";
    ASSERT_TRUE(ReadDataFileText(File(0, body), records, 0));
    EXPECT_EQ(records.CHUSA[4].ChTag, "FOUR");
    EXPECT_EQ(records.CHUSA[6].ChTag, "SIX");
    EXPECT_EQ(records.CHUSA[2].ChTag, "TWO");
    EXPECT_EQ(records.CHUSA[3], fresh.CHUSA[3]);
    EXPECT_EQ(records.CHUSA[5], fresh.CHUSA[5]);
    EXPECT_EQ(records.CHUSA[8], fresh.CHUSA[8]);
}

TEST(DataFileReader, ChannelFlagsFollowTheBooleanRulesAndTheDuplexPlan) {
    Records records = Fresh(3);
    ASSERT_FALSE(records.CHUSA[33].DuplexAllowed); // 16A
    ASSERT_TRUE(records.CHUSA[32].DuplexAllowed);
    records.CHUSA[32].Enable = kFalse;
    records.CHUSA[33].Enable = kTrue;
    std::string body = "[CHUSA0]\r\nPosition=32\r\nDuplex=1\r\nEnable=2\r\nLowPower=True\r\n"
                       "[CHUSA1]\r\nPosition=33\r\nDuplex=1\r\nEnable=yes\r\nPowUp=-1\r\n";
    ASSERT_TRUE(ReadDataFileText(File(3, body), records, 3));
    EXPECT_EQ(records.CHUSA[32].Duplex, kTrue);
    EXPECT_EQ(records.CHUSA[32].Enable, kTrue);
    EXPECT_EQ(records.CHUSA[32].LowPower, kTrue);
    EXPECT_EQ(records.CHUSA[33].Duplex, kFalse);
    EXPECT_EQ(records.CHUSA[33].Enable, kTrue); // "yes" leaves it
    EXPECT_EQ(records.CHUSA[33].PowUp, kTrue);
}

TEST(DataFileReader, MissingKeysKeepNumbersAndFlagsButEmptyTexts) {
    Records records = Fresh(0);
    records.Common.Weater = 2;
    records.UserMmsi = "123456789";
    records.CHEXP[4].Txfreq = 157.1;
    records.CHEXP[4].CHDisplayL = "90";
    records.CHEXP[4].Enable = kTrue;
    records.CHEXP[4].Narrow = kTrue;
    records.CHMMSID[0] = {kTrue, "NAME", "123"};
    std::string body = "[Common Setup]\r\nWeater=x\r\nResume Time=70000\r\n"
                       "[DSC Setup (Basic Setup)]\r\nUSA=0\r\n";
    const Records before = records;
    ASSERT_TRUE(ReadDataFileText(File(0, body), records, 0));
    EXPECT_EQ(records.Common.Weater, 2);                            // unreadable value
    EXPECT_EQ(records.Common.ResumeTime, before.Common.ResumeTime); // out of range
    EXPECT_EQ(records.DscUsable[0], kFalse);
    EXPECT_EQ(records.UserMmsi, "");
    EXPECT_EQ(records.CHEXP[4].Txfreq, 157.1);
    EXPECT_EQ(records.CHEXP[4].Enable, kTrue);
    EXPECT_EQ(records.CHEXP[4].Narrow, kTrue);
    EXPECT_EQ(records.CHEXP[4].CHDisplayL, "");
    EXPECT_EQ(records.CHMMSID[0], (DirectoryRecord{kTrue, "", ""}));
}

TEST(DataFileReader, ModelOneKeepsPlanNamesAndStatusNames) {
    Records records = Fresh(1);
    records.CHUSA[24].ChTag = "KEEP";
    records.CHUSA[24].Scramble = 5;
    records.UsableGroup[0].StatusName = "ST";
    std::string body = "[Usable CH Group Setup]\r\nStatus name 0=NEW\r\n"
                       "[ATIS Setup (Common)]\r\nUsable ATIS Kikker CH Group2=1\r\n"
                       "[CHUSA0]\r\nPosition=24\r\nScramble=1\r\nChTag=#NEW\r\n";
    ASSERT_TRUE(ReadDataFileText(File(1, body), records, 1));
    EXPECT_EQ(records.CHUSA[24].ChTag, "KEEP");
    EXPECT_EQ(records.CHUSA[24].Scramble, 5);
    EXPECT_EQ(records.UsableGroup[0].StatusName, "ST");
    EXPECT_EQ(records.AtisKikkerGroup[2], kFalse); // only the model that keeps them reads them
}

TEST(DataFileReader, KeysWithBothIndexConventionsAreFound) {
    Records records = Fresh(0);
    std::string body = "[Usable CH Group Setup]\r\nTX TOT 2=1\r\nPriority CH 1=-1\r\n"
                       "Priority CH 0=1\r\nEXP CH=1\r\n"
                       "[DSC Setup (Advanced Setup)]\r\nGroup CallTX3=1\r\n"
                       "[DSC Setup (Display Setup)]\r\nPOS Request ACK Menu=0\r\n"
                       "[ATIS Setup (Call Sign)]\r\nMID20=211\r\nDISP1=#AB\r\n";
    records.DscFlags[42] = kTrue;
    ASSERT_TRUE(ReadDataFileText(File(0, body), records, 0));
    EXPECT_EQ(records.UsableGroup[2].TxTot, kTrue);
    EXPECT_EQ(records.UsableGroup[1].PriorityCh, -1); // "Off"
    EXPECT_EQ(records.UsableGroup[0].PriorityCh, 1);  // an earlier file's value reads as it did
    EXPECT_EQ(records.UsableGroup[3].Usable, kTrue);
    EXPECT_EQ(records.DscFlags[31], kTrue);
    EXPECT_EQ(records.DscFlags[42], kFalse);
    EXPECT_EQ(records.AtisCallSign[19].MID, "211");
    EXPECT_EQ(records.AtisCallSign[0].DISP, "AB");
}

TEST(ReadDataFileAt, AnUnreadableFileIsAReadFailureWithItsErrorText) {
    test::Harness h(0);
    const Records before = h.data.records;
    const FileOutcome outcome = ReadDataFileAt(h.data.records, 0, h.dir / "missing.dat");
    EXPECT_EQ(outcome.reason, FileReason::ReadFailed);
    EXPECT_EQ(outcome.path, h.dir / "missing.dat");
    EXPECT_EQ(outcome.cause, "no such file or folder");
    EXPECT_EQ(outcome.errorText, "53File not found");
    EXPECT_EQ(h.data.records, before);
}

TEST(ReadDataFileAt, AFileTooLargeToBeASettingsFileIsRefusedUnread) {
    test::Harness h(0);
    const auto path = h.dir / "huge.dat";
    test::WriteBytes(path, File(0, "[Common Setup]\r\nWeater=1\r\n"));
    std::filesystem::resize_file(path, kMaxDataFileBytes + 1);
    Records before = h.data.records;
    const FileOutcome outcome = ReadDataFileAt(h.data.records, 0, path);
    EXPECT_EQ(outcome.reason, FileReason::ReadFailed);
    EXPECT_EQ(outcome.cause, "the file is too large");
    EXPECT_EQ(outcome.errorText, "7Out of memory");
    EXPECT_EQ(h.data.records, before);
}

TEST(WindowCaption, IsLedByTheCurrentFilesNameInLowerCase) {
    AppState app;
    EXPECT_EQ(WindowCaption(app), "QB41  PC Program for TQ4800M/LW6100 Series");
    app.currentFileName = "/boats/MyBoat.DAT";
    EXPECT_EQ(WindowCaption(app), "myboat.dat - QB41  PC Program for TQ4800M/LW6100 Series");
    app.currentFileName = "C:\\Boats\\Two.dat";
    EXPECT_EQ(WindowCaption(app), "two.dat - QB41  PC Program for TQ4800M/LW6100 Series");
}

// A directory whose first entry is empty: the entries after it move up in
// their order (the radio would drop them), the move is noted, and the result
// is what programming and reading back gives.
TEST(DataFileReader, ADirectoryGapIsClosedOnLoad) {
    const std::string body = "[CHMMSID1]\r\nEnable=0\r\nTagName=#\r\nMmsid=\r\n"
                             "[CHMMSID2]\r\nEnable=1\r\nTagName=#TWO\r\nMmsid=2110000020\r\n"
                             "[CHMMSID3]\r\nEnable=1\r\nTagName=#THREE\r\nMmsid=2110000030\r\n"
                             "[CHMMSID5]\r\nEnable=1\r\nTagName=#FIVE\r\nMmsid=2110000050\r\n";
    DataSet data;
    MakeFreshDataSet(data, 3);
    std::vector<LoadNote> notes;
    ASSERT_TRUE(ReadDataFileText(File(3, body), data.records, 3, &notes));
    const auto& d = data.records.CHMMSID;
    EXPECT_EQ(d[0], (DirectoryRecord{kTrue, "TWO", "2110000020"}));
    EXPECT_EQ(d[1], (DirectoryRecord{kTrue, "THREE", "2110000030"}));
    EXPECT_EQ(d[2], (DirectoryRecord{kTrue, "FIVE", "2110000050"}));
    EXPECT_EQ(d[3], DirectoryRecord{});
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, LoadNote::Kind::Normalised);
    EXPECT_EQ(notes[0].section, "CHMMSID1");

    const Records loaded = data.records;
    PrepareImageForWrite(data, 3);
    DataSet back;
    MakeFreshDataSet(back, 3);
    back.image = data.image;
    DecodeImage(back, 3);
    EXPECT_EQ(back.records.CHMMSID, loaded.CHMMSID);
}

} // namespace
} // namespace qb41
