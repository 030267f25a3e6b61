#include "core/app_state.h"
#include "core/error_log.h"
#include "core/master_table.h"
#include "core/model.h"
#include "core/notifier.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <vector>

namespace qb41 {
namespace {

// Every lookup answers from the catalogue entry of the model it is asked
// about, and an unknown number as the program always has.
TEST(ModelCatalogue, LookupsAnswerFromTheModelsEntry) {
    ASSERT_FALSE(AllModels().empty());
    for (const ModelInfo& info : AllModels()) {
        SCOPED_TRACE(info.catalogueName);
        EXPECT_EQ(FindModel(info.number), &info);
        EXPECT_EQ(FindModelByCode(info.code), &info);
        EXPECT_EQ(ImageLastIndex(info.number), info.imageSize - 1);
        EXPECT_TRUE(ImageLengthMatches(info.number, static_cast<std::uintmax_t>(info.imageSize)));
        EXPECT_TRUE(ModelIdMatches(info.number, info.code, info.code));
        EXPECT_EQ(ModelName(info.number), info.shownName);
        EXPECT_EQ(ExpBankName(info.number), info.expBankName);
        EXPECT_EQ(ModelCodeSuffix(info.number).size(), 5u);
    }
    for (ModelNumber unknown : {ModelNumber{-1}, static_cast<ModelNumber>(AllModels().size())}) {
        EXPECT_EQ(FindModel(unknown), nullptr);
        EXPECT_EQ(ImageSize(unknown), static_cast<int>(kImageCapacity));
        EXPECT_EQ(ModelCode(unknown), 0);
        EXPECT_EQ(ModelCodeSuffix(unknown), "_0000");
        EXPECT_EQ(ModelName(unknown), "LW6100");
        EXPECT_TRUE(StoresChannelNames(unknown));
        EXPECT_FALSE(HasExpTones(unknown));
    }
    EXPECT_EQ(FindModelByCode(0), nullptr);
    EXPECT_EQ(FindModelByCode(0xFFFF), nullptr);
}

TEST(ModelCatalogue, CommandLineNumbersNameAModel) {
    for (const ModelInfo& info : AllModels())
        EXPECT_EQ(ParseModelNumber(std::to_string(info.number)), info.number);
    for (const char* bad : {"", "4", "9", "01", "-1", "a", "1 ", "３"})
        EXPECT_EQ(ParseModelNumber(bad), std::nullopt) << '"' << bad << '"';
}

TEST(ModelCatalogue, IdCheckNeedsBothCopiesEqualToTheCode) {
    EXPECT_TRUE(ModelIdMatches(0, 0x12C0, 0x12C0));
    EXPECT_FALSE(ModelIdMatches(0, 0x12C0, 0x17D4));
    EXPECT_FALSE(ModelIdMatches(0, 0x17D4, 0x17D4));
    EXPECT_TRUE(ModelIdMatches(1, 0x0208, 0x0208));
    EXPECT_TRUE(ModelIdMatches(9, 0, 0));
    EXPECT_FALSE(ModelIdMatches(9, 0xFFFF, 0xFFFF));
}

TEST(ModelCatalogue, ImageLengthCheck) {
    EXPECT_TRUE(ImageLengthMatches(1, 8192));
    EXPECT_FALSE(ImageLengthMatches(1, 16384));
    for (ModelNumber m : {0, 2, 3}) {
        EXPECT_TRUE(ImageLengthMatches(m, 16384));
        EXPECT_FALSE(ImageLengthMatches(m, 8192));
        EXPECT_FALSE(ImageLengthMatches(m, 16385));
    }
}

TEST(MasterTable, RowsPairsAndFrequencies) {
    const MasterChannelTable& table = MasterTable();
    EXPECT_EQ(table[0].text, "00");
    EXPECT_EQ(table[1].text, "00A");
    EXPECT_EQ(table[32].text, "16");
    EXPECT_NEAR(table[32].txFreq, 156.8, 1e-9);
    EXPECT_NEAR(table[32].rxDuplex, 161.4, 1e-9);
    EXPECT_TRUE(table[32].duplexAllowed);
    EXPECT_EQ(table[33].text, "16A");
    EXPECT_EQ(table[33].rxDuplex, 0.0);
    EXPECT_FALSE(table[33].duplexAllowed);
    EXPECT_EQ(table[140].text, "70");
    EXPECT_NEAR(table[140].txFreq, 156.525, 1e-9);
    EXPECT_EQ(table[200].text, "100");
    EXPECT_EQ(table[239].text, "119A");
    EXPECT_NEAR(table[239].txFreq, 158.975, 1e-9);
    EXPECT_NEAR(table[119].txFreq, 158.95, 1e-9);
}

TEST(DiagnosticSwitch, OnlyTheBareSwitchInAnyCase) {
    struct Case {
        const char* line;
        bool expected;
    };
    for (const Case& c : {Case{"/D", true}, Case{"/d", true}, Case{"  /D  ", true},
                          Case{"\t/d", true}, Case{"", false}, Case{"-D", false},
                          Case{"/D /X", false}, Case{"/DX", false}, Case{"/", false}}) {
        EXPECT_EQ(IsDiagnosticSwitch(c.line), c.expected) << '"' << c.line << '"';
    }
}

class ErrorLogTest : public ::testing::Test {
protected:
    std::string read() { return test::ReadBytes(folder / "err.log"); }

    test::ScratchDir scratch{"qb41-log"};
    std::filesystem::path folder = scratch.path();
    ManualClock clock;
};

TEST_F(ErrorLogTest, WritesNothingOutsideDiagnosticMode) {
    ErrorLog log(folder, false, clock);
    log.LogError("frmMain.FileRead2", RuntimeError(ErrorNumber::FileNotFound));
    EXPECT_FALSE(std::filesystem::exists(folder / "err.log"));
}

TEST_F(ErrorLogTest, AppendsOneCrLfLinePerEntry) {
    ErrorLog log(folder, true, clock);
    log.LogError("frmMain.FileRead2", RuntimeError(ErrorNumber::FileNotFound));
    log.LogError("frmRadio.PortOpen", "8002Device timeout");
    std::string text = read();
    std::size_t first = text.find("\r\n");
    ASSERT_NE(first, std::string::npos);
    std::string line1 = text.substr(0, first);
    EXPECT_NE(line1.find(':'), std::string::npos);
    EXPECT_EQ(line1.find(','), 10u) << line1; // after the date
    EXPECT_TRUE(line1.ends_with(":frmMain.FileRead2 -> 53File not found")) << line1;
    EXPECT_TRUE(text.ends_with("frmRadio.PortOpen -> 8002Device timeout\r\n")) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST_F(ErrorLogTest, NeverFailsWhenTheFolderIsMissing) {
    ErrorLog log(folder / "missing" / "deeper", true, clock);
    EXPECT_NO_THROW(log.LogError("frmMain.SaveFileAs", "75Path/File access error"));
}

// Whatever an operation traps, caught as a std::exception, is logged and
// shown as a run-time error number and its description.
TEST(Errors, EveryTrappedFailureBecomesANumberedText) {
    struct Case {
        std::function<void()> raise;
        const char* text;
    };
    const Case cases[] = {
        {[] { throw RuntimeError(ErrorNumber::PathFileAccessError); }, "75Path/File access error"},
        {[] { throw RuntimeError(ErrorNumber::DeviceTimeout, "Device timeout"); },
         "8002Device timeout"},
        {[] { throw std::bad_alloc(); }, "7Out of memory"},
        {[] { (void)std::vector<int>().at(1); }, nullptr}, // any other failure: number 5
    };
    for (const Case& c : cases) {
        try {
            c.raise();
            ADD_FAILURE() << "nothing thrown";
        } catch (const std::exception& error) {
            const std::string text = ErrorText(error);
            if (c.text)
                EXPECT_EQ(text, c.text);
            else
                EXPECT_EQ(text, std::string("5") + error.what());
        }
    }
}

TEST(RecordingNotifier, RecordsAndAnswersFromItsScript) {
    RecordingNotifier notifier;
    notifier.answers.push_back(MessageAnswer::Cancel);
    EXPECT_EQ(notifier.ask({MessageIcon::Warning, "T", "Q1", MessageButtons::OkCancel}),
              MessageAnswer::Cancel);
    EXPECT_EQ(notifier.ask({MessageIcon::Warning, "T", "Q2", MessageButtons::YesNoCancel}),
              MessageAnswer::Yes);
    notifier.show(MessageIcon::Information, "T", "Complete!!");
    ASSERT_EQ(notifier.messages.size(), 3u);
    EXPECT_EQ(notifier.messages[2].text, "Complete!!");
    EXPECT_EQ(notifier.messages[2].buttons, MessageButtons::Ok);
}

TEST(ManualClock, PausesAdvanceTimeAndAreRecorded) {
    ManualClock clock;
    auto start = clock.now();
    clock.pause(std::chrono::milliseconds(50));
    clock.advance(std::chrono::milliseconds(10));
    EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(60));
    ASSERT_EQ(clock.pauses().size(), 1u);
    EXPECT_EQ(clock.pauses()[0], std::chrono::milliseconds(50));
}

} // namespace
} // namespace qb41
