#include "editor/directory_editor.h"

#include <gtest/gtest.h>

namespace qb41::editor {
namespace {

class DirectoryEditorTest : public ::testing::Test {
protected:
    void fill(int count) {
        for (int i = 0; i < count; ++i) {
            DirectoryRecord& e = data.records.CHMMSID[static_cast<std::size_t>(i)];
            e.Enable = kTrue;
            e.TagName = "SHIP" + std::to_string(i + 1);
            e.Mmsid = "36600000" + std::to_string(i + 1) + "0";
        }
    }
    DirectoryRef entry(int n) const { return DirectoryRef{MmsiKind::Individual, n}; }

    DataSet data;
    AppState state;
    RecordingNotifier notifier;
};

TEST(Mmsi, TypedAndStoredForms) {
    EXPECT_EQ(StoredMmsi(" 366123456 ", MmsiKind::Individual), "3661234560");
    EXPECT_EQ(StoredMmsi("36612345", MmsiKind::Group), "0366123450");
    EXPECT_EQ(StoredMmsi("", MmsiKind::Group), "");
    for (const char* bad : {"36612345", "3661234567", "36612345a"})
        EXPECT_FALSE(StoredMmsi(bad, MmsiKind::Individual)) << bad;
    EXPECT_FALSE(StoredMmsi("366123456", MmsiKind::Group)) << "9 digits must begin with 0";
    // What a box shows commits back to the same stored value.
    for (auto [stored, kind] :
         {std::pair{"3661234560", MmsiKind::Individual}, std::pair{"0366123450", MmsiKind::Group}})
        EXPECT_EQ(StoredMmsi(MmsiBoxText(stored, kind), kind), stored);
}

TEST_F(DirectoryEditorTest, OnlyTheNextFreeEntryCanBeAdded) {
    fill(3);
    EXPECT_EQ(UsedEntries(data.records, MmsiKind::Individual), 3);
    const DirectoryView used = ViewDirectoryEntry(data.records, entry(2));
    EXPECT_TRUE(used.addTicked);
    EXPECT_FALSE(used.add.enabled);
    EXPECT_TRUE(used.remove.enabled);
    EXPECT_TRUE(used.fieldsEnabled);
    EXPECT_EQ(used.mmsi, "366000002");

    EXPECT_TRUE(ViewDirectoryEntry(data.records, entry(4)).add.enabled);
    EXPECT_FALSE(ViewDirectoryEntry(data.records, entry(5)).add.enabled);
    EXPECT_FALSE(AddDirectoryEntry(data.records, state, entry(5)).changed);

    EXPECT_TRUE(AddDirectoryEntry(data.records, state, entry(4)).nodeTextChanged);
    EXPECT_TRUE(ViewDirectoryEntry(data.records, entry(4)).fieldsEnabled);
    // Entry 4 holds no MMSI yet, so entry 5 still cannot be added.
    EXPECT_FALSE(ViewDirectoryEntry(data.records, entry(5)).add.enabled);
}

TEST_F(DirectoryEditorTest, EmptyDirectoryOffersEntryOne) {
    const DirectoryView first = ViewDirectoryEntry(data.records, DirectoryRef{MmsiKind::Group, 1});
    EXPECT_TRUE(first.add.enabled);
    EXPECT_TRUE(first.deleteTicked);
    EXPECT_FALSE(first.fieldsEnabled);
    EXPECT_EQ(first.nameLabel, "Group Name");
    EXPECT_EQ(first.helpMmsi, 2309);
}

TEST_F(DirectoryEditorTest, DeleteAsksAndClosesTheGap) {
    fill(3);
    notifier.answers = {MessageAnswer::No, MessageAnswer::Yes};
    EditResult no = DeleteDirectoryEntry(data.records, state, notifier, entry(2));
    EXPECT_FALSE(no.changed);
    EXPECT_TRUE(no.refill);
    EXPECT_EQ(UsedEntries(data.records, MmsiKind::Individual), 3);

    EXPECT_TRUE(DeleteDirectoryEntry(data.records, state, notifier, entry(2)).directoryTexts);
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[1], (Message{MessageIcon::Critical, state.windowTitle,
                                             "Are you sure ?", MessageButtons::YesNo}));
    EXPECT_EQ(data.records.CHMMSID[1].TagName, "SHIP3");
    EXPECT_EQ(data.records.CHMMSID[2], DirectoryRecord{});
    EXPECT_EQ(UsedEntries(data.records, MmsiKind::Individual), 2);
    EXPECT_TRUE(state.dataChanged);
}

TEST_F(DirectoryEditorTest, MmsiCommitStoresRejectsOrDeletes) {
    fill(3);
    FieldCheck wrong = CommitDirectoryMmsi(data.records, state, notifier, entry(1), "12345678");
    EXPECT_FALSE(wrong.accepted);
    EXPECT_EQ(wrong.message->title, "Individual Directory MMSI");
    EXPECT_EQ(data.records.CHMMSID[0].Mmsid, "3660000010");

    FieldCheck ok = CommitDirectoryMmsi(data.records, state, notifier, entry(1), "211000111");
    EXPECT_TRUE(ok.accepted);
    EXPECT_EQ(ok.boxText, "211000111");
    EXPECT_EQ(data.records.CHMMSID[0].Mmsid, "2110001110");

    // Clearing the MMSI asks as Delete does; on No the MMSI comes back.
    const Records before = data.records;
    state.dataChanged = false;
    notifier.answers = {MessageAnswer::No};
    FieldCheck kept = CommitDirectoryMmsi(data.records, state, notifier, entry(1), " ");
    EXPECT_TRUE(kept.accepted);
    EXPECT_EQ(kept.boxText, "211000111");
    EXPECT_FALSE(kept.result.changed);
    EXPECT_EQ(data.records, before);
    EXPECT_FALSE(state.dataChanged);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Are you sure ?");
    EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::YesNo);

    notifier.answers = {MessageAnswer::Yes};
    FieldCheck cleared = CommitDirectoryMmsi(data.records, state, notifier, entry(1), " ");
    EXPECT_TRUE(cleared.accepted);
    EXPECT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(data.records.CHMMSID[0].TagName, "SHIP2");
    EXPECT_EQ(cleared.boxText, "366000002"); // the entry that moved up
    EXPECT_EQ(UsedEntries(data.records, MmsiKind::Individual), 2);
}

TEST_F(DirectoryEditorTest, GroupMmsiTypedAsEightDigits) {
    const DirectoryRef g1{MmsiKind::Group, 1};
    AddDirectoryEntry(data.records, state, g1);
    EXPECT_FALSE(CommitDirectoryMmsi(data.records, state, notifier, g1, "123456789").accepted);
    EXPECT_TRUE(CommitDirectoryMmsi(data.records, state, notifier, g1, "12345678").accepted);
    EXPECT_EQ(data.records.CHGRPID[0].Mmsid, "0123456780");
    EXPECT_EQ(ViewDirectoryEntry(data.records, g1).mmsi, "12345678");
    EXPECT_TRUE(ViewDirectoryEntry(data.records, DirectoryRef{MmsiKind::Group, 2}).add.enabled);
}

// The warning names what is wrong with the committed entry's MMSI, including
// another entry holding it already, whichever of the two is committed.
TEST_F(DirectoryEditorTest, MmsiIdentityWarnings) {
    fill(3); // 366000001.. 366000003: ships with an assigned MID
    const struct {
        DirectoryRef ref;
        const char* typed;
        std::vector<std::string> lines;
    } cases[] = {
        {entry(1), "366000011", {}},
        {entry(1), "003669999", {}}, // a coast station
        {entry(1), "123000001", {"ship MMSI 123000001: 123 is not an assigned MID (201-775)"}},
        {entry(2), "366000003", {"MMSI 366000003 is also in entry 2"}},
        {entry(3), "366000003", {"MMSI 366000003 is also in entry 2"}},
        {DirectoryRef{MmsiKind::Group, 1}, "36600001", {}},
        {DirectoryRef{MmsiKind::Group, 1},
         "10000001",
         {"group MMSI 010000001: 100 is not an assigned MID (201-775)"}},
    };
    AddDirectoryEntry(data.records, state, DirectoryRef{MmsiKind::Group, 1});
    for (const auto& c : cases) {
        const FieldCheck check = CommitDirectoryMmsi(data.records, state, notifier, c.ref, c.typed);
        EXPECT_TRUE(check.accepted) << c.typed;
        EXPECT_EQ(check.boxText, c.typed);
        if (c.lines.empty()) {
            EXPECT_FALSE(check.warning) << c.typed;
            continue;
        }
        ASSERT_TRUE(check.warning) << c.typed;
        std::string text;
        for (const std::string& line : c.lines) text += (text.empty() ? "" : "\n") + line;
        EXPECT_EQ(check.warning->text, text) << c.typed;
        EXPECT_EQ(check.warning->icon, MessageIcon::Warning);
        EXPECT_EQ(check.warning->title, c.ref.kind == MmsiKind::Individual
                                            ? "Individual Directory MMSI"
                                            : "Group Directory MMSI");
    }
    EXPECT_TRUE(notifier.messages.empty()); // the pane shows the warning, the rule does not
}

TEST(DirectoryKeys, EntriesInRange) {
    const Records records;
    EXPECT_EQ(DirectoryFromKey("SM40", records), (DirectoryRef{MmsiKind::Individual, 40}));
    EXPECT_EQ(DirectoryFromKey("SG10", records), (DirectoryRef{MmsiKind::Group, 10}));
    for (const char* key : {"SM0", "SM41", "SG11", "SG", "SMx", "PU1"})
        EXPECT_FALSE(DirectoryFromKey(key, records)) << key;
}

} // namespace
} // namespace qb41::editor
