// Undo over pane and grid edits, and the grids' edits through the pane rules.
#include "editor/channel_editor.h"
#include "editor/directory_editor.h"
#include "editor/grid_edit.h"
#include "editor/undo_stack.h"

#include "files/data_file_writer.h"
#include "image/defaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace qb41::editor {
namespace {

struct Answer : Notifier {
    MessageAnswer answer = MessageAnswer::Yes;
    int asked = 0;
    MessageAnswer ask(const Message&) override {
        ++asked;
        return answer;
    }
};

struct Fixture {
    explicit Fixture(ModelNumber model) {
        state.modelNumber = model;
        MakeFreshDataSet(data, model);
        stack.Reset(data.records, model);
    }
    std::string file() const { return FormatDataFile(data.records, state.modelNumber, '.'); }
    EditableGrid grid(const char* key, bool showAll = false) const {
        return BuildEditableGrid(data.records, *GridListOfKey(key, showAll), state.modelNumber);
    }
    static int find(const EditableGrid& g, const std::string& header) {
        for (std::size_t c = 0; c < g.grid.headers.size(); ++c)
            if (g.grid.headers[c] == header) return static_cast<int>(c);
        return -1;
    }
    int column(const EditableGrid& g, const std::string& header) const {
        const int c = find(g, header);
        if (c < 0) ADD_FAILURE() << "no column " << header;
        return c < 0 ? 0 : c;
    }
    AppState state;
    DataSet data;
    UndoStack stack;
    Answer answer;
};

// The edits a random user session is made of; `pick(n)` is a random 0..n-1.
using Pick = std::function<int(int)>;
constexpr Bank kBanks[] = {Bank::CHUSA, Bank::CHINT, Bank::CHCAN, Bank::CHEXP};

void TickChannel(Fixture& f, const Pick& pick) {
    const ChannelControl checks[] = {ChannelControl::Enable,   ChannelControl::TxEnable,
                                     ChannelControl::LowPower, ChannelControl::PowerUp,
                                     ChannelControl::Duplex,   ChannelControl::Scan};
    const Bank bank = kBanks[pick(4)];
    const ChannelRef ref{bank, pick(bank == Bank::CHEXP ? kExpChannels : kPlanChannels)};
    SetChannelCheck(f.data.records, f.state, ref, checks[pick(6)], pick(2) == 1);
    f.stack.Sync(f.data.records, f.state);
}

// Typing a name one key at a time.
void TypeChannelName(Fixture& f, const Pick& pick) {
    const char* names[] = {"", "A", "HARBOR", "CH 16!", "TOO LONG A NAME FOR IT", "ab"};
    const ChannelRef ref{kBanks[pick(3)], pick(kPlanChannels)};
    const std::string name = names[pick(6)];
    for (std::size_t n = 1; n <= name.size(); ++n) {
        SetChannelText(f.data.records, f.state, ref, ChannelControl::Name, name.substr(0, n));
        f.stack.Sync(f.data.records, f.state);
    }
    f.stack.CloseMerge();
}

void EditDirectory(Fixture& f, const Pick& pick) {
    Records& r = f.data.records;
    const DirectoryRef ref{pick(2) ? MmsiKind::Individual : MmsiKind::Group, 1 + pick(3)};
    if (pick(2))
        AddDirectoryEntry(r, f.state, ref);
    else
        CommitDirectoryMmsi(r, f.state, f.answer, ref, pick(2) ? "366123456" : "12");
    f.stack.Sync(r, f.state);
    f.stack.CloseMerge();
}

void EditGridCell(Fixture& f, const Pick& pick) {
    const char* texts[] = {"On", "Off", "1", "x", "", "156.0500", "160.9", "21A", " 2", "FISH"};
    const char* keys[] = {"PU", "PI", "ExpChannel", "SM"};
    const EditableGrid g = f.grid(keys[pick(4)], pick(2) == 1);
    if (g.records.empty()) return;
    SetGridCell(f.data.records, f.state, g, pick(static_cast<int>(g.records.size())),
                pick(static_cast<int>(g.columns.size())), texts[pick(10)]);
    f.stack.Record(f.data.records, f.state, "Edit cell");
}

void EditGridRows(Fixture& f, const Pick& pick) {
    const EditableGrid g = f.grid("PU", true);
    std::vector<int> rows;
    for (int i = 0; i < 6; ++i) rows.push_back(pick(static_cast<int>(g.records.size())));
    const int name = Fixture::find(g, "CH Name");
    if (pick(2))
        ToggleGridRows(f.data.records, f.state, g, rows, f.column(g, "MEM"));
    else
        FillGridDown(f.data.records, f.state, g, rows,
                     pick(2) && name >= 0 ? name : f.column(g, "ENABLE"));
    f.stack.Record(f.data.records, f.state, "Rows");
}

void PasteRows(Fixture& f, const Pick& pick) {
    const EditableGrid g = f.grid("PC", true);
    const std::string text = std::string("CH\tMEM\tCH Name\r\n") + "16\tOn\tX1\r\n" +
                             (pick(2) ? "06\tOff\tX2\r\n" : "06\tmaybe\tX2\r\n");
    PasteGridText(f.data.records, f.state, g, text, 0, 0);
    f.stack.Record(f.data.records, f.state, "Paste");
}

// A random user session: pane edits (recorded by Sync, typing merged) and
// grid edits (recorded with their own text), valid and refused alike.
void RandomEdit(Fixture& f, std::mt19937& rng) {
    const Pick pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    using Edit = void (*)(Fixture&, const Pick&);
    const Edit edits[] = {TickChannel,  TypeChannelName, EditDirectory, EditGridCell,
                          EditGridCell, EditGridRows,    PasteRows};
    const int which = pick(8);
    if (which < 7)
        edits[which](f, pick);
    else if (f.stack.canUndo() && pick(3) == 0)
        f.stack.Undo(f.data.records, f.state);
}

TEST(UndoStack, UndoAllGivesTheStartingFileAndRedoAllTheEditedOne) {
    for (ModelNumber model : {0, 1, 2, 3}) {
        for (unsigned seed = 1; seed <= 6; ++seed) {
            Fixture f(model);
            std::mt19937 rng(seed * 7919u + static_cast<unsigned>(model));
            const std::string start = f.file();
            for (int i = 0; i < 60; ++i) RandomEdit(f, rng);
            // The last action an edit, so the history ends where the edits did.
            for (bool scan = true; f.stack.canRedo(); scan = !scan) {
                SetChannelCheck(f.data.records, f.state, {Bank::CHUSA, 32}, ChannelControl::Scan,
                                scan);
                f.stack.Sync(f.data.records, f.state);
            }
            const std::string edited = f.file();
            EXPECT_NE(edited, start);
            ASSERT_EQ(f.stack.current(), f.data.records);
            EXPECT_EQ(f.state.dataChanged, edited != start);
            while (f.stack.Undo(f.data.records, f.state)) {
            }
            EXPECT_EQ(f.file(), start) << "model " << model << " seed " << seed;
            EXPECT_FALSE(f.state.dataChanged);
            while (f.stack.Redo(f.data.records, f.state)) {
            }
            EXPECT_EQ(f.file(), edited) << "model " << model << " seed " << seed;
        }
    }
}

TEST(UndoStack, TypingMergesPerFieldAndTheTextsNameTheEdit) {
    Fixture f(0);
    const ChannelRef usa16{Bank::CHUSA, 32};
    for (const char* typed : {"H", "HA", "HAR"}) {
        SetChannelText(f.data.records, f.state, usa16, ChannelControl::Name, typed);
        f.stack.Sync(f.data.records, f.state);
    }
    EXPECT_EQ(f.stack.size(), 1u);
    EXPECT_EQ(f.stack.undoText(), "Undo Rename USA 16");
    f.stack.CloseMerge();
    SetChannelText(f.data.records, f.state, usa16, ChannelControl::Name, "HARB");
    f.stack.Sync(f.data.records, f.state);
    EXPECT_EQ(f.stack.size(), 2u);
    SetChannelCheck(f.data.records, f.state, {Bank::CHUSA, 13}, ChannelControl::Enable, true);
    f.stack.Sync(f.data.records, f.state);
    EXPECT_EQ(f.stack.undoText(), "Undo Enable USA 06A");
    f.stack.Undo(f.data.records, f.state);
    EXPECT_EQ(f.stack.redoText(), "Redo Enable USA 06A");
    EXPECT_EQ(f.data.records.CHUSA[32].ChTag, "HARB");
}

TEST(UndoStack, CleanStateIsTheDataChangedFlag) {
    Fixture f(2);
    Records& r = f.data.records;
    SetChannelCheck(r, f.state, {Bank::CHUSA, 32}, ChannelControl::Scan, true);
    f.stack.Sync(r, f.state);
    EXPECT_TRUE(f.state.dataChanged);
    // A save clears the flag with the records unchanged: that step is clean.
    f.state.dataChanged = false;
    f.stack.Sync(r, f.state);
    EXPECT_TRUE(f.stack.isClean());
    f.stack.Undo(r, f.state);
    EXPECT_TRUE(f.state.dataChanged);
    f.stack.Redo(r, f.state);
    EXPECT_FALSE(f.state.dataChanged);
    // Records replaced without the flag (an open, a read): a new history.
    MakeFreshDataSet(f.data, 2);
    r.CHUSA[0].ChTag = "OPENED";
    f.stack.Sync(r, f.state);
    EXPECT_EQ(f.stack.size(), 0u);
    EXPECT_FALSE(f.stack.canUndo());
    // A model switch too.
    f.state.modelNumber = 3;
    SetChannelCheck(r, f.state, {Bank::CHUSA, 32}, ChannelControl::Scan, false);
    f.stack.Sync(r, f.state);
    EXPECT_EQ(f.stack.size(), 0u);
}

TEST(GridEdit, GridAndPaneStoreTheSameBytes) {
    struct Case {
        const char* list;
        const char* column;
        int record;
        const char* text;
        std::function<void(Records&, AppState&, Notifier&)> pane;
    };
    const std::vector<Case> cases = {
        {"PU", "MEM", 32, "On",
         [](Records& r, AppState& s, Notifier&) {
             SetChannelCheck(r, s, {Bank::CHUSA, 32}, ChannelControl::Scan, true);
         }},
        {"PU", "CH Name", 32, "HARBOR",
         [](Records& r, AppState& s, Notifier&) {
             SetChannelText(r, s, {Bank::CHUSA, 32}, ChannelControl::Name, "HARBOR");
         }},
        {"PU", "ENABLE", 13, "On",
         [](Records& r, AppState& s, Notifier&) {
             SetChannelCheck(r, s, {Bank::CHUSA, 13}, ChannelControl::Enable, true);
         }},
        {"ExpChannel", "ENABLE", 0, "[Enable]",
         [](Records& r, AppState& s, Notifier&) {
             SetChannelCheck(r, s, {Bank::CHEXP, 0}, ChannelControl::Enable, true);
         }},
        {"SM", "STATION NAME", 0, "MARINA",
         [](Records& r, AppState& s, Notifier&) {
             AddDirectoryEntry(r, s, {MmsiKind::Individual, 1});
             SetDirectoryName(r, s, {MmsiKind::Individual, 1}, "MARINA");
         }},
        {"SM", "MMSI", 0, "366123456",
         [](Records& r, AppState& s, Notifier& n) {
             AddDirectoryEntry(r, s, {MmsiKind::Individual, 1});
             CommitDirectoryMmsi(r, s, n, {MmsiKind::Individual, 1}, "366123456");
         }},
    };
    for (ModelNumber model : {0, 2}) {
        for (const Case& c : cases) {
            Fixture grid(model), pane(model);
            const EditableGrid g = grid.grid(c.list, true);
            const int row = g.rowOfRecord(c.record);
            ASSERT_GE(row, 0);
            EXPECT_FALSE(SetGridCell(grid.data.records, grid.state, g, row,
                                     grid.column(g, c.column), c.text))
                << c.list << " " << c.column;
            c.pane(pane.data.records, pane.state, pane.answer);
            EXPECT_EQ(grid.file(), pane.file()) << c.list << " " << c.column;
            EXPECT_TRUE(grid.state.dataChanged);
        }
    }
}

TEST(GridEdit, RefusedCellsChangeNothingAndNameTheRule) {
    Fixture f(2);
    const std::string start = f.file();
    const EditableGrid plan = f.grid("PU");
    const int row16 = plan.rowOfRecord(32);
    ASSERT_GE(row16, 0);
    struct Case {
        const char* list;
        int row;
        const char* column;
        const char* text;
    } cases[] = {
        {"PU", row16, "CH Name", "FAR TOO LONG A NAME"},
        {"PU", row16, "MEM", "maybe"},
        {"PU", row16, "RX[MHz]", "150.000"},
        {"ExpChannel", 0, "RX[MHz]", "1.0"}, // disabled channel takes no frequency
        {"SM", 3, "MMSI", "366123456"},      // not the next free entry
    };
    for (const Case& c : cases) {
        const EditableGrid g = f.grid(c.list);
        const auto refusal =
            SetGridCell(f.data.records, f.state, g, c.row, f.column(g, c.column), c.text);
        ASSERT_TRUE(refusal) << c.column << " " << c.text;
        EXPECT_EQ(refusal->column, c.column);
        EXPECT_FALSE(refusal->rule.empty());
        EXPECT_EQ(f.file(), start) << c.column;
    }
    EXPECT_FALSE(f.state.dataChanged);
    // The frequency cell of an enabled EXP channel takes a valid value only.
    SetGridCell(f.data.records, f.state, f.grid("ExpChannel"), 0, 1, "On");
    const EditableGrid exp = f.grid("ExpChannel");
    EXPECT_FALSE(
        SetGridCell(f.data.records, f.state, exp, 0, f.column(exp, "RX[MHz]"), "156.0500"));
    EXPECT_TRUE(SetGridCell(f.data.records, f.state, exp, 0, f.column(exp, "TX[MHz]"), "1.0"));
}

TEST(GridEdit, CopyOfABankPastedIntoAFreshDataSetEqualsTheSource) {
    for (ModelNumber model : {0, 1, 2}) {
        Fixture source(model);
        std::mt19937 rng(42u + static_cast<unsigned>(model));
        for (int i = 0; i < 80; ++i) RandomEdit(source, rng);
        for (const char* key : {"PU", "PI", "ExpChannel", "SM"}) {
            const EditableGrid g = source.grid(key, true);
            std::vector<int> rows;
            for (std::size_t i = 0; i < g.records.size(); ++i) rows.push_back(static_cast<int>(i));
            const std::string text = CopyGridRows(g, rows);
            Fixture target(model);
            const auto refusal = PasteGridText(target.data.records, target.state,
                                               target.grid(key, false), text, 0, 0);
            EXPECT_FALSE(refusal) << key << ": " << (refusal ? refusal->text() : "");
            const GridList list = *GridListOfKey(key, false);
            if (list.pane == PaneKind::DirectoryList) {
                // The list shows names and MMSIs; an entry added but left
                // empty is not in it.
                const auto& a = Directory(target.data.records, list.directory);
                const auto& b = Directory(source.data.records, list.directory);
                for (std::size_t i = 0; i < a.size(); ++i) {
                    EXPECT_EQ(a[i].TagName, b[i].TagName) << key << i;
                    EXPECT_EQ(a[i].Mmsid, b[i].Mmsid) << key << i;
                }
            } else
                EXPECT_EQ(target.data.records.bank(list.bank), source.data.records.bank(list.bank))
                    << key << " model " << model;
        }
    }
}

TEST(GridEdit, PasteWithOneBadCellChangesNothing) {
    Fixture f(2);
    const std::string start = f.file();
    const std::string text = "CH\tMEM\tCH Name\r\n16\tOn\tONE\r\n06\tOn\tTWO\r\n09\tOn\tTHREE "
                             "IS FAR TOO LONG\r\n";
    const auto refusal = PasteGridText(f.data.records, f.state, f.grid("PU", true), text, 0, 0);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->row, 4);
    EXPECT_EQ(refusal->column, "CH Name");
    EXPECT_NE(refusal->text().find("Row 4, column \"CH Name\""), std::string::npos);
    EXPECT_EQ(f.file(), start);
    const auto unknown =
        PasteGridText(f.data.records, f.state, f.grid("PU"), "CH\tCOLOUR\r\n16\tred\r\n", 0, 0);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->column, "COLOUR");
    // Without a header the cells run from the current cell down.
    const EditableGrid g = f.grid("PU");
    EXPECT_FALSE(
        PasteGridText(f.data.records, f.state, g, "ALPHA\nBRAVO\n", 1, f.column(g, "CH Name")));
    EXPECT_EQ(f.data.records.CHUSA[static_cast<std::size_t>(g.records[1])].ChTag, "ALPHA");
    EXPECT_EQ(f.data.records.CHUSA[static_cast<std::size_t>(g.records[2])].ChTag, "BRAVO");
}

TEST(GridEdit, ShowAllListsEveryRecordAndOffIsTheListAsBefore) {
    Fixture f(0);
    EXPECT_EQ(f.grid("PU").grid.rows, PlanListGrid(f.data.records, Bank::CHUSA, 0).rows);
    const EditableGrid all = f.grid("PU", true);
    EXPECT_EQ(all.records.size(), static_cast<std::size_t>(kPlanChannels));
    EXPECT_EQ(all.grid.headers[1], "ENABLE");
    for (std::size_t i = 0; i < all.records.size(); ++i)
        EXPECT_EQ(all.grid.rows[i][1] == "[Enable]",
                  f.data.records.CHUSA[static_cast<std::size_t>(all.records[i])].Enable != 0);
    // Read-only cells: the channel number and the plan frequencies, and
    // every cell but Enable on a disabled channel.
    const int disabled = all.rowOfRecord(1); // 00A
    ASSERT_GE(disabled, 0);
    for (std::size_t c = 0; c < all.columns.size(); ++c)
        EXPECT_EQ(all.editable[static_cast<std::size_t>(disabled)][c],
                  all.grid.headers[c] == "ENABLE")
            << all.grid.headers[c];
}

TEST(GridEdit, ToggleFillDownAndDelete) {
    Fixture f(2);
    Records& r = f.data.records;
    const EditableGrid g = f.grid("PU");
    const int mem = f.column(g, "MEM");
    const std::vector<int> rows = {2, 0, 1, 3};
    ASSERT_FALSE(ToggleGridRows(r, f.state, g, rows, mem));
    const bool wanted = !(g.grid.rows[2][static_cast<std::size_t>(mem)] == "On");
    for (int row : rows)
        EXPECT_EQ(r.CHUSA[static_cast<std::size_t>(g.records[static_cast<std::size_t>(row)])]
                          .ScanMemory != 0,
                  wanted);
    const int name = f.column(g, "CH Name");
    ASSERT_FALSE(SetGridCell(r, f.state, g, 1, name, "SAME"));
    ASSERT_FALSE(FillGridDown(r, f.state, f.grid("PU"), {3, 1, 2}, name));
    for (int row : {1, 2, 3})
        EXPECT_EQ(r.CHUSA[static_cast<std::size_t>(g.records[static_cast<std::size_t>(row)])].ChTag,
                  "SAME");

    for (int entry = 1; entry <= 3; ++entry) {
        AddDirectoryEntry(r, f.state, {MmsiKind::Individual, entry});
        CommitDirectoryMmsi(r, f.state, f.answer, {MmsiKind::Individual, entry},
                            "36612345" + std::to_string(entry));
    }
    const EditableGrid sm = f.grid("SM");
    f.answer.answer = MessageAnswer::No;
    const Records kept = r;
    EXPECT_FALSE(DeleteGridRows(r, f.state, f.answer, sm, {0, 1}));
    EXPECT_EQ(r, kept);
    f.answer.answer = MessageAnswer::Yes;
    f.answer.asked = 0;
    EXPECT_TRUE(DeleteGridRows(r, f.state, f.answer, sm, {0, 1}));
    EXPECT_EQ(f.answer.asked, 1);
    EXPECT_EQ(UsedEntries(r, MmsiKind::Individual), 1);
    EXPECT_EQ(r.CHMMSID[0].Mmsid.substr(0, 9), kept.CHMMSID[2].Mmsid.substr(0, 9));
}

TEST(GridEdit, FindByNumberOrNameAndNext) {
    Fixture f(2);
    Records& r = f.data.records;
    r.CHINT[32].ChTag = "PORT OPS";
    r.CHUSA[10].ChTag = "PORTSIDE";
    const auto usa16 = FindInLists(r, 2, "16", std::nullopt);
    ASSERT_TRUE(usa16);
    EXPECT_EQ(*usa16, (FindHit{"PU", 32}));
    const auto next = FindInLists(r, 2, "16", usa16);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, (FindHit{"PI", 32}));
    EXPECT_EQ(FindInLists(r, 2, "21a", std::nullopt), (FindHit{"PU", 43}));
    EXPECT_EQ(FindInLists(r, 2, "5", std::nullopt), (FindHit{"PU", 10}));
    const std::string exp3 = std::string(ExpBankName(2)) + "3";
    EXPECT_FALSE(FindInLists(r, 2, exp3, std::nullopt)); // the bank is not in use
    r.UsableGroup[3].Usable = kTrue;
    EXPECT_EQ(FindInLists(r, 2, exp3, std::nullopt), (FindHit{"ExpChannel", 2}));
    // F3 goes through every name holding the text and comes round again.
    std::vector<FindHit> hits;
    std::optional<FindHit> hit = FindInLists(r, 2, "port", std::nullopt);
    while (hit && (hits.empty() || *hit != hits.front()) && hits.size() < 50) {
        hits.push_back(*hit);
        hit = FindInLists(r, 2, "port", hit);
    }
    EXPECT_LT(hits.size(), 50u);
    EXPECT_NE(std::find(hits.begin(), hits.end(), FindHit{"PU", 10}), hits.end());
    EXPECT_NE(std::find(hits.begin(), hits.end(), FindHit{"PI", 32}), hits.end());
    EXPECT_FALSE(FindInLists(r, 2, "no such thing", std::nullopt));
}

} // namespace
} // namespace qb41::editor
