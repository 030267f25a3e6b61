#include "editor/channel_editor.h"
#include "editor/input_filters.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

namespace qb41::editor {
namespace {

class ChannelEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFreshDataSet(data, 2);
        state.modelNumber = 2;
    }
    ChannelRecord& exp(int i) { return data.records.CHEXP[static_cast<std::size_t>(i)]; }

    DataSet data;
    AppState state;
    const ChannelRef usa16{Bank::CHUSA, 32};
    const ChannelRef exp1{Bank::CHEXP, 0};
};

TEST(ChannelKeys, AddressBanksAndRejectOthers) {
    const Records records;
    EXPECT_EQ(ChannelFromKey("PU12", records), (ChannelRef{Bank::CHUSA, 12}));
    EXPECT_EQ(ChannelFromKey("PC239", records), (ChannelRef{Bank::CHCAN, 239}));
    EXPECT_EQ(ChannelFromKey("E1", records), (ChannelRef{Bank::CHEXP, 0}));
    EXPECT_EQ(ChannelFromKey("E40", records), (ChannelRef{Bank::CHEXP, 39}));
    for (const char* key : {"PU240", "E0", "E41", "PU", "PU-1", "PUx", "SM1", "PW", "E1a"})
        EXPECT_FALSE(ChannelFromKey(key, records)) << key;
}

TEST(ChannelKeys, ShortNumberFormsKeepTheWholeNumberBeforeA) {
    const struct {
        const char* text;
        const char* left;
        const char* right;
    } cases[] = {{"05", "05", ""},    {"16A", "16", "A"}, {"100", "0o", ""},  {"105A", "5o", "A"},
                 {"109A", "9o", "A"}, {"110", "'0", ""},  {"119A", "'9", "A"}};
    for (const auto& c : cases) {
        const ChannelNumberText n = PlanChannelNumber(c.text);
        EXPECT_EQ(n.left, c.left) << c.text;
        EXPECT_EQ(n.right, c.right) << c.text;
    }
}

TEST(FrequencyEntry, RasterAndRange) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {{"", 0.0},       {"  ", 0.0},        {"156.025", 156.025}, {"137", 137.0},
                 {"174", 174.0},  {"174.000", 174.0}, {"156.", 156.0},      {"156.0125", {}},
                 {"156.005", {}}, {"156.010", {}},    {"136.975", {}},      {"174.025", {}},
                 {"1.5.6", {}},   {".", {}},          {"156,025", {}},      {"-156.025", {}},
                 {"1e2", {}}};
    for (const auto& c : cases) EXPECT_EQ(ParseFrequencyEntry(c.text), c.value) << c.text;
}

TEST_F(ChannelEditorTest, PlanChannelShowsMasterTableAndFixedExceptions) {
    ChannelRecord& ch16 = data.records.CHUSA[32];
    ch16.Duplex = kTrue;
    ch16.DuplexAllowed = kTrue;
    ChannelView view = ViewChannel(data.records, usa16, 2);
    EXPECT_FALSE(view.exportChannel);
    EXPECT_EQ(view.numberLeft, "16");
    EXPECT_EQ(view.rxText, "161.400");
    EXPECT_EQ(view.txText, "156.800");
    EXPECT_FALSE(view.state(ChannelControl::Scrambler).enabled);
    EXPECT_TRUE(view.state(ChannelControl::Scan).enabled);
    EXPECT_FALSE(view.state(ChannelControl::TxCtcss).visible);

    // Channel 70 is receive-only in the USA plan: no transmit, no scan, no scrambler.
    ChannelRecord& ch70 = data.records.CHUSA[140];
    ch70.TxEnable = kTrue; // as a hand-edited file may hold it
    view = ViewChannel(data.records, ChannelRef{Bank::CHUSA, 140}, 2);
    EXPECT_EQ(view.txText, "---.---");
    EXPECT_FALSE(view.txEnable);
    EXPECT_FALSE(view.state(ChannelControl::TxEnable).enabled);
    EXPECT_FALSE(view.state(ChannelControl::LowPower).enabled);
    EXPECT_FALSE(view.state(ChannelControl::Scan).enabled);
    EXPECT_FALSE(view.state(ChannelControl::Scrambler).enabled);
}

TEST_F(ChannelEditorTest, EnableRulesChainThroughTheTransmitFrame) {
    ChannelRecord& rec = data.records.CHUSA[32];
    rec.LowPower = kFalse;
    ChannelView view = ViewChannel(data.records, usa16, 2);
    EXPECT_TRUE(view.state(ChannelControl::LowPower).enabled);
    EXPECT_FALSE(view.state(ChannelControl::PowerUp).enabled);
    EXPECT_FALSE(view.lineTxPower);

    EXPECT_TRUE(
        SetChannelCheck(data.records, state, usa16, ChannelControl::LowPower, true).changed);
    EXPECT_TRUE(state.dataChanged);
    view = ViewChannel(data.records, usa16, 2);
    EXPECT_TRUE(view.state(ChannelControl::PowerUp).enabled);

    const EditResult off =
        SetChannelCheck(data.records, state, usa16, ChannelControl::Enable, false);
    EXPECT_TRUE(off.nodeTextChanged);
    view = ViewChannel(data.records, usa16, 2);
    for (int c = 0; c < kChannelControls; ++c) {
        if (static_cast<ChannelControl>(c) == ChannelControl::Enable) continue;
        EXPECT_FALSE(view.controls[static_cast<std::size_t>(c)].enabled) << c;
    }
    // A disabled control takes no edit.
    EXPECT_FALSE(SetChannelCheck(data.records, state, usa16, ChannelControl::Scan, true).changed);
    EXPECT_EQ(rec.ScanMemory, kFalse);
    // Duplex comes back only where the plan allows it.
    SetChannelCheck(data.records, state, usa16, ChannelControl::Enable, true);
    EXPECT_EQ(ViewChannel(data.records, usa16, 2).state(ChannelControl::Duplex).enabled,
              rec.DuplexAllowed != 0);
    EXPECT_FALSE(ViewChannel(data.records, ChannelRef{Bank::CHUSA, 33}, 2)
                     .state(ChannelControl::Duplex)
                     .enabled);
}

TEST_F(ChannelEditorTest, NothingIsWrittenWhileLoading) {
    state.loading = true;
    EXPECT_FALSE(
        SetChannelCheck(data.records, state, usa16, ChannelControl::Enable, false).changed);
    EXPECT_FALSE(SetChannelText(data.records, state, usa16, ChannelControl::Name, "X").changed);
    EXPECT_TRUE(data.records.CHUSA[32].Enable);
    EXPECT_FALSE(state.dataChanged);
}

TEST_F(ChannelEditorTest, ExportFrequencyCommitAndCompleteness) {
    exp(0).Enable = kTrue;
    SetChannelCheck(data.records, state, exp1, ChannelControl::Enable, true);
    auto incomplete = CheckChannelComplete(data.records, exp1, state.windowTitle);
    ASSERT_TRUE(incomplete);
    EXPECT_EQ(incomplete->title, state.windowTitle);
    EXPECT_EQ(incomplete->text, "Data Error!!\r\nPlease input correct data.");

    FieldCheck bad = CommitChannelFrequency(data.records, state, exp1, FreqSide::Tx, "156.0125");
    EXPECT_FALSE(bad.accepted);
    ASSERT_TRUE(bad.message);
    EXPECT_EQ(*bad.message,
              (Message{MessageIcon::Warning, "Tx frequency", "Data Error!!", MessageButtons::Ok}));
    EXPECT_EQ(exp(0).Txfreq, 0.0);

    FieldCheck good = CommitChannelFrequency(data.records, state, exp1, FreqSide::Rx, "156.05");
    EXPECT_TRUE(good.accepted);
    EXPECT_EQ(good.boxText, "156.0500");
    EXPECT_DOUBLE_EQ(exp(0).Rxfreq, 156.05);
    SetChannelText(data.records, state, exp1, ChannelControl::NumberLeft, "7");
    EXPECT_TRUE(CheckChannelComplete(data.records, exp1, state.windowTitle));
    SetChannelText(data.records, state, exp1, ChannelControl::NumberLeft, "7A");
    EXPECT_FALSE(CheckChannelComplete(data.records, exp1, state.windowTitle));

    // An empty box clears the frequency; a plan channel never stores one.
    EXPECT_EQ(CommitChannelFrequency(data.records, state, exp1, FreqSide::Rx, "").boxText,
              "---.----");
    EXPECT_EQ(exp(0).Rxfreq, 0.0);
    CommitChannelFrequency(data.records, state, usa16, FreqSide::Rx, "160.000");
    EXPECT_EQ(data.records.CHUSA[32].Rxfreq, 0.0);
}

TEST_F(ChannelEditorTest, AnOffGridFrequencyShowsAsStoredAndTheRecordStays) {
    exp(1).Rxfreq = 156.0512;
    const ChannelView view = ViewChannel(data.records, ChannelRef{Bank::CHEXP, 1}, 2);
    EXPECT_EQ(view.rxText, "156.0512");
    EXPECT_EQ(exp(1).Rxfreq, 156.0512);
}

TEST_F(ChannelEditorTest, ToneListsResetEachOtherPerRow) {
    exp(0).Enable = kTrue;
    const ChannelRef ref = exp1;
    EXPECT_TRUE(PickChannelChoice(data.records, state, ref, ChannelControl::TxDcs, 3).changed);
    EXPECT_EQ(exp(0).DcsCode[0], 3);
    PickChannelChoice(data.records, state, ref, ChannelControl::RxDcs, 5);
    PickChannelChoice(data.records, state, ref, ChannelControl::TxCtcss, 10);
    EXPECT_EQ(exp(0).CtcssTone[0], 10);
    EXPECT_EQ(exp(0).DcsCode[0], 0);
    EXPECT_EQ(exp(0).DcsCode[1], 5); // the other row keeps its code
    PickChannelChoice(data.records, state, ref, ChannelControl::TxDcs, 0); // "Off" resets nothing
    EXPECT_EQ(exp(0).CtcssTone[0], 10);
    // The tone frame exists on model 2 only.
    state.modelNumber = 0;
    EXPECT_FALSE(PickChannelChoice(data.records, state, ref, ChannelControl::TxCtcss, 1).changed);
    EXPECT_FALSE(ViewChannel(data.records, ref, 0).state(ChannelControl::Compander).visible);
}

TEST_F(ChannelEditorTest, StoredValuesWithoutEntryAreKept) {
    exp(0).Enable = kTrue;
    exp(0).DcsCode[1] = 105;  // first code, inverted
    exp(0).CtcssTone[0] = 77; // beyond the tone list
    const ChannelView view = ViewChannel(data.records, exp1, 2);
    ASSERT_TRUE(view.dcs[1].selected);
    EXPECT_EQ(view.dcs[1].entries[static_cast<std::size_t>(*view.dcs[1].selected)].text, "023I");
    EXPECT_EQ(view.dcs[1].valueAt(*view.dcs[1].selected), 105);
    EXPECT_FALSE(view.ctcss[0].selected);
    EXPECT_FALSE(PickChannelChoice(data.records, state, exp1, ChannelControl::TxCtcss, 51).changed);
    EXPECT_EQ(exp(0).CtcssTone[0], 77);
}

TEST(ScramblerChoices, StoredValuesSelectTheirEntry) {
    const struct {
        std::int16_t stored;
        int selected;
    } cases[] = {{0, 0}, {4, 1}, {7, 4}, {3, 0}, {13, 2}};
    for (const auto& c : cases) EXPECT_EQ(ScramblerChoices(c.stored).selected, c.selected);
    EXPECT_EQ(ScramblerChoices(0).valueAt(4), 7);
}

TEST(InputFilters, KeysAndPastedText) {
    EXPECT_TRUE(KeyAccepted(TextBox::ChannelNumberLeft, 'C'));
    EXPECT_FALSE(KeyAccepted(TextBox::ChannelNumberLeft, 'c'));
    EXPECT_TRUE(KeyAccepted(TextBox::ChannelNumberLeft, kBackspace));
    EXPECT_FALSE(KeyAccepted(TextBox::UserMmsi, 'a'));
    EXPECT_TRUE(KeyAccepted(TextBox::StatusName, '+'));
    EXPECT_FALSE(KeyAccepted(TextBox::StatusName, ','));
    EXPECT_TRUE(KeyAccepted(TextBox::ChannelName, ','));
    EXPECT_TRUE(TextAccepted(TextBox::UserMmsi, "123456789"));
    EXPECT_FALSE(TextAccepted(TextBox::UserMmsi, "1234567890"));
    EXPECT_TRUE(TextAccepted(TextBox::GroupMmsi, "012345678")) << "a group MMSI in full";
    EXPECT_FALSE(TextAccepted(TextBox::GroupMmsi, "0123456789"));
    EXPECT_FALSE(TextAccepted(TextBox::AtisDisp, "A-1"));
    EXPECT_FALSE(TextAccepted(TextBox::WeatherName, "tab\there"));
}

} // namespace
} // namespace qb41::editor
