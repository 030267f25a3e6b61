// The lists as editable grids: which cells of a plan bank, the export bank or
// a directory take input for the row and the model, and the edits a grid
// makes (one cell, a toggle over several rows, fill down, paste, delete).
// Every value goes through the field rules the panes use (ApplyChangedField),
// on a copy of the records that is taken only when every value was taken, so
// a grid and a pane can never store different things.
//
// The texts are the lists' own; "Show all channels" lists every record of a
// plan bank with an "ENABLE" column marking the enabled ones.
#pragma once

#include "channel_lists.h"
#include "section_tree.h"

#include "core/app_state.h"
#include "core/notifier.h"
#include "core/records.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb41::editor {

struct GridList {
    PaneKind pane = PaneKind::PlanList; // PlanList, ExportList or DirectoryList
    Bank bank = Bank::CHUSA;
    DirectoryKind directory = DirectoryKind::Individual;
    bool showAll = false; // plan banks: every record, not only enabled ones

    bool operator==(const GridList&) const = default;
};

// The list a tree node key shows ("PU", "PI", "PC", "ExpChannel", "SM", "SG").
std::optional<GridList> GridListOfKey(std::string_view listKey, bool showAll);
std::string ListKeyOf(const GridList& list);

enum class CellKind { Fixed, Check, Choice, Text };

struct GridColumn {
    CellKind kind = CellKind::Fixed;
    std::string_view key; // the field key ("ScanMemory"); "DISP" joins both number boxes
};

struct EditableGrid {
    GridList list;
    Grid grid;                               // headers, widths, cell texts
    std::vector<GridColumn> columns;         // one per header
    std::vector<int> records;                // per row: record index in its bank or directory
    std::vector<std::vector<bool>> editable; // per row and column

    int rowOfRecord(int record) const; // -1 when not listed
};

EditableGrid BuildEditableGrid(const Records& records, const GridList& list, ModelNumber model);
// Texts and editable flags of one row again after its record changed.
void RefreshGridRow(EditableGrid& grid, const Records& records, int row, ModelNumber model);

// Why a grid edit changed nothing: the row (1 = first data row, or the
// pasted line), the column header and the rule.
struct CellRefusal {
    int row = 0;
    std::string column;
    std::string rule;

    std::string text() const; // "Row 3, column \"CH Name\": RULE"
};

// The choices a Choice cell offers, as its texts; empty for other cells.
std::vector<std::string> CellChoices(const Records& records, const EditableGrid& grid, int row,
                                     int column, ModelNumber model);

// One cell typed or picked: `text` as the cell would show it ("On", "Off",
// "1", "0", a scrambler text, a name, a frequency, an MMSI as typed).
std::optional<CellRefusal> SetGridCell(Records& records, AppState& state, const EditableGrid& grid,
                                       int row, int column, std::string_view text);

// A check column set on all `rows` to the opposite of the first row's state;
// rows whose cell takes no input are left alone.
std::optional<CellRefusal> ToggleGridRows(Records& records, AppState& state,
                                          const EditableGrid& grid, const std::vector<int>& rows,
                                          int column);

// The first of `rows` (in grid order) copied into the column of the others;
// cells that take no input are left alone.
std::optional<CellRefusal> FillGridDown(Records& records, AppState& state, const EditableGrid& grid,
                                        const std::vector<int>& rows, int column);

// The rows as tab-separated text, a header row first, lines ended by CR LF.
std::string CopyGridRows(const EditableGrid& grid, const std::vector<int>& rows);

// Tab-separated text into the grid. A first line of header names maps the
// columns by name (any case); a line's row is found by its "CH" / "No." cell
// when that column is given, else rows run down from `startRow`. Without a
// header line the cells run right from `startColumn`. Cells equal to what the
// record shows are left alone; every other one goes through its rule. All or
// nothing: on refusal the records are unchanged. The number of rows changed
// is in `changedRows`.
std::optional<CellRefusal> PasteGridText(Records& records, AppState& state,
                                         const EditableGrid& grid, std::string_view text,
                                         int startRow, int startColumn, int* changedRows = nullptr);

// Directory rows deleted after one "Are you sure ?" (No changes nothing).
// True when entries were deleted.
bool DeleteGridRows(Records& records, AppState& state, Notifier& notifier, const EditableGrid& grid,
                    const std::vector<int>& rows);

// Find: a channel number ("16", "21a", "LMR3", "E3", "5" for "05") or part of a
// channel or entry name, in the banks and directories of the model, searched
// after `after` (wrapping round).
struct FindHit {
    std::string listKey; // "PU", ..., "SG"
    int record = 0;      // index in its bank or directory
    bool operator==(const FindHit&) const = default;
};
std::optional<FindHit> FindInLists(const Records& records, ModelNumber model, std::string_view text,
                                   const std::optional<FindHit>& after);

} // namespace qb41::editor
