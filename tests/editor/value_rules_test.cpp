// The editors refuse every value the shared table of bad values holds: none of
// them reaches the records, and the boxes that warn say so. The files and
// command-line tests run the same table through check, the load and write.
#include "editor/channel_editor.h"
#include "editor/directory_editor.h"
#include "editor/settings_panes.h"

#include "image/defaults.h"
#include "support/value_cases.h"

#include <gtest/gtest.h>

namespace qb41::editor {
namespace {

using test::ValueBox;

// Gives the box its text; the check's acceptance when the box has a warning.
std::optional<bool> Type(Records& records, AppState& state, ValueBox box, const char* text) {
    const ChannelRef exp{Bank::CHEXP, 0};
    RecordingNotifier notifier; // a directory MMSI typed here is never emptied
    switch (box) {
    case ValueBox::RxFrequency:
        return CommitChannelFrequency(records, state, exp, FreqSide::Rx, text).accepted;
    case ValueBox::TxFrequency:
        return CommitChannelFrequency(records, state, exp, FreqSide::Tx, text).accepted;
    case ValueBox::DisplayLeft:
        SetChannelText(records, state, exp, ChannelControl::NumberLeft, text);
        return std::nullopt;
    case ValueBox::ChannelName:
        SetChannelText(records, state, exp, ChannelControl::Name, text);
        return std::nullopt;
    case ValueBox::UserMmsi:
        return CommitUserMmsi(records, state, text).accepted;
    case ValueBox::AtisCode:
        return CommitAtisCode(records, state, text).accepted;
    case ValueBox::CallSignMid:
        CommitAtisMid(records, state, 0, text);
        return std::nullopt;
    case ValueBox::GroupMmsi:
        return CommitDirectoryMmsi(records, state, notifier, DirectoryRef{MmsiKind::Group, 1}, text)
            .accepted;
    case ValueBox::None:
        break;
    }
    return std::nullopt;
}

// A value each box takes, so that a refusal is seen to be one.
const char* GoodText(ValueBox box) {
    switch (box) {
    case ValueBox::RxFrequency:
    case ValueBox::TxFrequency:
        return "156.050";
    case ValueBox::DisplayLeft:
        return "12";
    case ValueBox::ChannelName:
        return "WORK";
    case ValueBox::UserMmsi:
        return "366123456";
    case ValueBox::AtisCode:
        return "9123456789";
    case ValueBox::CallSignMid:
        return "7";
    case ValueBox::GroupMmsi:
        return "36612345";
    case ValueBox::None:
        break;
    }
    return "";
}

TEST(ValueRules, TheEditorsRefuseEveryBadValue) {
    for (const test::ValueCase& c : test::kValueCases) {
        if (c.box == ValueBox::None) continue;
        SCOPED_TRACE(c.typed);
        DataSet data;
        MakeFreshDataSet(data, 0);
        AppState state;
        state.modelNumber = 0;
        AddDirectoryEntry(data.records, state, DirectoryRef{MmsiKind::Group, 1});
        data.records.CHEXP[0].Enable = kTrue; // its boxes take input only then
        state.dataChanged = false;
        const Records before = data.records;
        const std::optional<bool> accepted = Type(data.records, state, c.box, c.typed);
        EXPECT_NE(accepted, std::optional<bool>(true));
        EXPECT_EQ(data.records, before);
        EXPECT_FALSE(state.dataChanged);
        Type(data.records, state, c.box, GoodText(c.box));
        EXPECT_NE(data.records, before) << "the same box takes " << GoodText(c.box);
    }
}

TEST(ValueRules, OneAtisCodeRuleForTheEditorAndTheFile) {
    DataSet data;
    MakeFreshDataSet(data, 0);
    AppState state;
    for (const char* good : {"9123456789", ""})
        EXPECT_TRUE(CommitAtisCode(data.records, state, good).accepted) << good;
    const FieldCheck bad = CommitAtisCode(data.records, state, "1234567890");
    EXPECT_FALSE(bad.accepted);
    ASSERT_TRUE(bad.message);
    EXPECT_EQ(bad.message->title, "ATISNo");
}

// A group MMSI typed in full or as its 8 digits is the same record; an
// individual box refuses it and says why.
TEST(ValueRules, GroupMmsisInBothFormsAndRefusedWhereAnIndividualOneBelongs) {
    EXPECT_EQ(StoredMmsi("036699990", MmsiKind::Group), "0366999900");
    EXPECT_EQ(StoredMmsi("36699990", MmsiKind::Group), "0366999900");
    EXPECT_FALSE(StoredMmsi("366999900", MmsiKind::Group)) << "9 digits not beginning with 0";
    EXPECT_FALSE(StoredMmsi("036699990", MmsiKind::Individual));
    EXPECT_EQ(StoredMmsi("003669999", MmsiKind::Individual), "0036699990") << "a coast station";
    EXPECT_FALSE(StoredMmsi("003669999", MmsiKind::Group));

    DataSet data;
    MakeFreshDataSet(data, 0);
    AppState state;
    RecordingNotifier notifier;
    AddDirectoryEntry(data.records, state, DirectoryRef{MmsiKind::Group, 1});
    AddDirectoryEntry(data.records, state, DirectoryRef{MmsiKind::Individual, 1});
    const FieldCheck full = CommitDirectoryMmsi(data.records, state, notifier,
                                                DirectoryRef{MmsiKind::Group, 1}, "036699990");
    EXPECT_TRUE(full.accepted);
    EXPECT_EQ(data.records.CHGRPID[0].Mmsid, "0366999900");
    EXPECT_EQ(full.boxText, "36699990");

    const std::string groupLine =
        "An MMSI of one 0 and eight digits is a group MMSI; this box takes an individual MMSI.";
    const FieldCheck user = CommitUserMmsi(data.records, state, "036699990");
    ASSERT_TRUE(user.message);
    EXPECT_EQ(user.message->title, "User MMSI");
    EXPECT_EQ(user.message->text, "Data Error!!\r\n" + groupLine);
    const FieldCheck individual = CommitDirectoryMmsi(
        data.records, state, notifier, DirectoryRef{MmsiKind::Individual, 1}, "036699990");
    ASSERT_TRUE(individual.message);
    EXPECT_EQ(individual.message->text, "Data Error!!\r\n" + groupLine);
    const FieldCheck short8 = CommitUserMmsi(data.records, state, "36699999");
    ASSERT_TRUE(short8.message);
    EXPECT_EQ(short8.message->text, "Data Error!!") << "other refusals keep their text";
    EXPECT_EQ(data.records.UserMmsi, "");
    EXPECT_EQ(data.records.CHMMSID[0].Mmsid, "");
}

} // namespace
} // namespace qb41::editor
