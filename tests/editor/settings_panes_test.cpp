#include "editor/settings_panes.h"
#include "editor/weather_pane.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace qb41::editor {
namespace {

class SettingsPanesTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFreshDataSet(data, 0);
        state.modelNumber = 0;
    }
    DataSet data;
    AppState state;
};

TEST_F(SettingsPanesTest, StatusNameIsRightAlignedAndRefreshesGroupTexts) {
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"ab", "  ab"}, {" Dk ", "  Dk"}, {"Dock", "Dock"}, {"    ", ""}, {"", ""}};
    for (const auto& c : cases) {
        const FieldCheck check = CommitStatusName(data.records, state, 0, c.typed);
        EXPECT_EQ(data.records.UsableGroup[0].StatusName, c.stored) << c.typed;
        EXPECT_EQ(check.boxText, c.stored);
    }
    data.records.UsableGroup[0].StatusName = "ab";
    EXPECT_TRUE(CommitStatusName(data.records, state, 0, "Dock").result.groupTextsChanged);
    // The name box is closed while the status icon is on, and absent on model 3.
    PickGroupChoice(data.records, state, 0, UsableChoice::StatusIcon, 1);
    EXPECT_FALSE(CommitStatusName(data.records, state, 0, "XY").result.changed);
    EXPECT_FALSE(ViewUsablePane(data.records, 3)[1].statusNameState.visible);
}

TEST_F(SettingsPanesTest, UsableSwitchRebuildsTheTreeAndGreysItsRow) {
    const EditResult off = SetGroupUsable(data.records, state, 0, false);
    EXPECT_TRUE(off.rebuildTree);
    const auto rows = ViewUsablePane(data.records, 2);
    EXPECT_FALSE(rows[0].priorityState.enabled);
    EXPECT_FALSE(rows[0].statusNameState.enabled);
    EXPECT_EQ(rows[3].caption, "LMR CH");
    EXPECT_FALSE(PickGroupChoice(data.records, state, 0, UsableChoice::TxTot, 1).changed);
}

TEST_F(SettingsPanesTest, PriorityListKeepsChannelsItCannotList) {
    // Fresh data: priority channel 16 (row 32), enabled in the USA plan.
    ChoiceList list = PriorityChoices(data.records, 0, 0);
    ASSERT_TRUE(list.selected);
    EXPECT_EQ(list.entries[static_cast<std::size_t>(*list.selected)].text, "16");
    EXPECT_EQ(list.entries.front().value, -1);

    data.records.CHUSA[32].Enable = kFalse;
    list = PriorityChoices(data.records, 0, 0);
    EXPECT_EQ(list.entries[static_cast<std::size_t>(*list.selected)].text, "16");
    EXPECT_EQ(list.valueAt(*list.selected), 32);

    data.records.UsableGroup[1].PriorityCh = 241;
    list = PriorityChoices(data.records, 1, 2);
    EXPECT_EQ(list.entries[static_cast<std::size_t>(*list.selected)].text, "LMR2");

    data.records.UsableGroup[2].PriorityCh = 0xFFFF; // "no priority" as the image holds it
    EXPECT_EQ(PriorityChoices(data.records, 2, 0).selected, 0);
    EXPECT_EQ(PriorityChoices(data.records, 3, 0).entries.size(), 1u);
}

TEST_F(SettingsPanesTest, CommonListsSelectNothingForUnknownValuesAndKeepThem) {
    CommonSetup& c = data.records.Common;
    c.TxPoDisplay = 200;
    c.OffsetTime = 30;
    c.Weater = -1;
    c.DualWatch = 5; // any non-zero shows "On"
    const CommonPaneView view = ViewCommonPane(data.records, 0);
    EXPECT_FALSE(view.list(CommonChoice::TxPoDisplay).selected);
    EXPECT_FALSE(view.list(CommonChoice::OffsetTime).selected);
    EXPECT_FALSE(view.list(CommonChoice::Weather).selected);
    EXPECT_EQ(view.list(CommonChoice::DualWatch).selected, 1);
    EXPECT_EQ(c.TxPoDisplay, 200);

    EXPECT_TRUE(PickCommonChoice(data.records, state, CommonChoice::OffsetTime, 12).changed);
    EXPECT_EQ(c.OffsetTime, 12);
    EXPECT_FALSE(PickCommonChoice(data.records, state, CommonChoice::Weather, 4).changed);
    EXPECT_EQ(c.Weater, -1);
}

TEST_F(SettingsPanesTest, ScanOffGreysResumeAndPttButKeepsThem) {
    CommonSetup& c = data.records.Common;
    PickCommonChoice(data.records, state, CommonChoice::Scan, 0);
    EXPECT_EQ(c.Scan, kFalse);
    const CommonPaneView view = ViewCommonPane(data.records, 3);
    EXPECT_FALSE(view.state(CommonChoice::ResumeTime).enabled);
    EXPECT_FALSE(view.state(CommonChoice::PttScanClear).enabled);
    EXPECT_FALSE(view.state(CommonChoice::Rotary).visible);
    EXPECT_EQ(c.ResumeTime, 3);
    EXPECT_FALSE(PickCommonChoice(data.records, state, CommonChoice::ResumeTime, 1).changed);
}

TEST_F(SettingsPanesTest, DscLevelSelectorsFollowTheirCallSelector) {
    ASSERT_EQ(DscSelectors().size(), 43u);
    // A level selector sits on the row of the call selector that enables it.
    for (const DscSelector& level : DscSelectors()) {
        if (level.enabledBy < 0) continue;
        const auto call =
            std::find_if(DscSelectors().begin(), DscSelectors().end(),
                         [&](const DscSelector& s) { return s.flag == level.enabledBy; });
        ASSERT_NE(call, DscSelectors().end());
        EXPECT_EQ(call->label, level.label);
        EXPECT_EQ(call->index, level.index);
        EXPECT_LT(call->enabledBy, 0);
    }
    EXPECT_EQ(DscSelectors()[8 + 6].label, "Received Geografic");
    data.records.DscFlags[24] = kFalse;
    EXPECT_FALSE(DscFlagEnabled(data.records, 0, 28));
    EXPECT_FALSE(PickDscFlag(data.records, state, 28, 1).changed);
    PickDscFlag(data.records, state, 24, 1);
    EXPECT_TRUE(DscFlagEnabled(data.records, 0, 28));
    EXPECT_TRUE(PickDscFlag(data.records, state, 28, 1).changed);
    EXPECT_EQ(DscFlagChoices(data.records, 28).entries[1].text, "Hi");
    EXPECT_FALSE(PickDscFlag(data.records, state, 43, 1).changed); // no selector
}

TEST_F(SettingsPanesTest, UserMmsiAndAtisCodeChecks) {
    FieldCheck eight = CommitUserMmsi(data.records, state, "12345678");
    EXPECT_FALSE(eight.accepted);
    EXPECT_EQ(eight.message->title, "User MMSI");
    EXPECT_TRUE(CommitUserMmsi(data.records, state, "123456789").accepted);
    EXPECT_EQ(data.records.UserMmsi, "1234567890");
    EXPECT_EQ(ViewDscPane(data).userMmsi, "123456789");
    EXPECT_TRUE(CommitUserMmsi(data.records, state, "").accepted);
    EXPECT_EQ(data.records.UserMmsi, "");

    EXPECT_EQ(CommitAtisCode(data.records, state, "123456789").message->title, "ATISNo");
    EXPECT_TRUE(CommitAtisCode(data.records, state, "9234567890").accepted);
    EXPECT_EQ(data.records.AtisCode, "9234567890");
}

// A value the radio takes but whose identity does not fit is stored and
// carries a warning titled as its box; a fitting value carries none.
TEST_F(SettingsPanesTest, IdentityWarningsKeepTheValue) {
    const struct {
        bool atis;
        const char* typed;
        const char* stored;
        const char* warning; // "" for none
    } cases[] = {
        {false, "366123456", "3661234560", ""},
        {false, "123456789", "1234567890",
         "the user MMSI: ship MMSI 123456789: 123 is not an assigned MID (201-775)"},
        {false, "003661234", "0036612340",
         "the user MMSI: MMSI 003661234 is a coast station's, not a ship's"},
        {false, "", "", ""},
        {true, "9366123456", "9366123456", ""},
        {true, "9100000000", "9100000000",
         "ATIS code 9100000000: 100 is not an assigned MID (201-775)"},
    };
    for (const auto& c : cases) {
        const FieldCheck check = c.atis ? CommitAtisCode(data.records, state, c.typed)
                                        : CommitUserMmsi(data.records, state, c.typed);
        EXPECT_TRUE(check.accepted) << c.typed;
        EXPECT_EQ(c.atis ? data.records.AtisCode : data.records.UserMmsi, c.stored) << c.typed;
        if (*c.warning == '\0') {
            EXPECT_FALSE(check.warning) << c.typed;
            continue;
        }
        ASSERT_TRUE(check.warning) << c.typed;
        EXPECT_EQ(*check.warning, (Message{MessageIcon::Warning, c.atis ? "ATISNo" : "User MMSI",
                                           c.warning, MessageButtons::Ok}));
    }
    // A refused value is not also warned about.
    EXPECT_FALSE(CommitUserMmsi(data.records, state, "12345678").warning);
}

TEST_F(SettingsPanesTest, MidIsWrittenWithThreeDigits) {
    EXPECT_EQ(CommitAtisMid(data.records, state, 0, "7").boxText, "007");
    EXPECT_EQ(data.records.AtisCallSign[0].MID, "007");
    CommitAtisMid(data.records, state, 19, "");
    EXPECT_EQ(data.records.AtisCallSign[19].MID, "");
    EXPECT_FALSE(SetAtisDisp(data.records, state, 0, "ABCD").changed);
    EXPECT_TRUE(SetAtisDisp(data.records, state, 0, "AB1").changed);
    EXPECT_EQ(ViewAtisPane(data.records, 2).lastGroupCaption, "LMR");
}

TEST_F(SettingsPanesTest, WeatherRowsKeepDetailsWhenDisabled) {
    ChannelRecord& wx = data.records.CHWX[3];
    SetWeatherEnable(data.records, state, 3, true);
    SetWeatherScan(data.records, state, 3, true);
    SetWeatherName(data.records, state, 3, "NOAA");
    SetWeatherEnable(data.records, state, 3, false);
    const auto rows = ViewWeatherPane(data.records, state.modelNumber);
    EXPECT_FALSE(rows[3].detailsEnabled);
    EXPECT_EQ(rows[3].label, "WX04[162.425MHz]");
    EXPECT_EQ(wx.ScanMemory, kTrue);
    EXPECT_EQ(wx.ChTag, "NOAA");
    EXPECT_FALSE(SetWeatherScan(data.records, state, 3, false).changed);
    SetWeatherEnable(data.records, state, 3, true);
    EXPECT_FALSE(SetWeatherName(data.records, state, 3, "0123456789ABC").changed);
}

} // namespace
} // namespace qb41::editor

namespace qb41::editor {
namespace {

// What neither the image nor the data file keeps cannot be edited: the rule
// refuses it as the pane disables or hides its control.
TEST(ControlKept, EditsOfWhatTheImageDropsAreRefused) {
    struct Case {
        const char* what;
        std::function<bool(Records&, AppState&)> edit; // true when it changed something
        std::array<bool, 4> keptByModel;
    };
    const std::vector<Case> cases = {
        {"distress cancel level",
         [](Records& r, AppState& s) {
             r.DscFlags[0] = kTrue;
             return PickDscFlag(r, s, 4, 1).changed;
         },
         {false, false, false, false}},
        {"standby level",
         [](Records& r, AppState& s) {
             r.DscFlags[1] = kTrue;
             return PickDscFlag(r, s, 5, 1).changed;
         },
         {false, false, false, false}},
        {"pos request level",
         [](Records& r, AppState& s) {
             r.DscFlags[2] = kTrue;
             return PickDscFlag(r, s, 6, 1).changed;
         },
         {true, true, true, true}},
        {"killer group",
         [](Records& r, AppState& s) {
             return SetAtisKiller(r, s, 1, r.AtisKikkerGroup[1] == 0).changed;
         },
         {true, false, false, false}},
        {"rotary",
         [](Records& r, AppState& s) {
             return PickCommonChoice(r, s, CommonChoice::Rotary, r.Common.Rotary != 0 ? 0 : 1)
                 .changed;
         },
         {true, false, false, false}},
    };
    for (const Case& c : cases)
        for (ModelNumber model = 0; model <= 3; ++model) {
            SCOPED_TRACE(std::string(c.what) + " model " + std::to_string(model));
            DataSet data;
            MakeFreshDataSet(data, model);
            AppState state;
            state.modelNumber = model;
            const bool kept = c.keptByModel[static_cast<std::size_t>(model)];
            EXPECT_EQ(c.edit(data.records, state), kept);
            EXPECT_EQ(state.dataChanged, kept);
        }
    // The data file keeps the weather names of every model, but the window
    // offers them only where the image keeps them.
    for (ModelNumber model = 0; model <= 3; ++model) {
        DataSet data;
        MakeFreshDataSet(data, model);
        data.records.CHWX[0].Enable = kTrue;
        const ControlState name = ViewWeatherPane(data.records, model)[0].nameState;
        EXPECT_EQ(name.enabled, model != 1);
        EXPECT_EQ(name.reason.empty(), model != 1);
    }
    EXPECT_TRUE(ControlKept(0, Feature::KikkerGroup).reason.empty());
    EXPECT_EQ(ControlKept(2, Feature::KikkerGroup).reason,
              "The ZH540 keeps no such setting in its memory: it is neither programmed nor read "
              "back.");
}

} // namespace
} // namespace qb41::editor
