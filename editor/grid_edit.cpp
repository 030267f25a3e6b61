#include "grid_edit.h"

#include "channel_editor.h"
#include "directory_editor.h"
#include "field_edit.h"

#include "core/master_table.h"
#include "core/model.h"
#include "files/section_table.h"
#include "report/formatters.h"

#include <algorithm>
#include <cctype>

namespace qb41::editor {
namespace {

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

struct ListEntry {
    const char* key;
    GridList list;
};
const ListEntry kLists[] = {
    {"PU", {PaneKind::PlanList, Bank::CHUSA, DirectoryKind::Individual, false}},
    {"PI", {PaneKind::PlanList, Bank::CHINT, DirectoryKind::Individual, false}},
    {"PC", {PaneKind::PlanList, Bank::CHCAN, DirectoryKind::Individual, false}},
    {"ExpChannel", {PaneKind::ExportList, Bank::CHEXP, DirectoryKind::Individual, false}},
    {"SM", {PaneKind::DirectoryList, Bank::CHUSA, DirectoryKind::Individual, false}},
    {"SG", {PaneKind::DirectoryList, Bank::CHUSA, DirectoryKind::Group, false}},
};

bool IsChannelList(const GridList& list) {
    return list.pane != PaneKind::DirectoryList;
}

MmsiKind MmsiOf(DirectoryKind kind) {
    return kind == DirectoryKind::Individual ? MmsiKind::Individual : MmsiKind::Group;
}

std::vector<GridColumn> ColumnsOf(const GridList& list, const Grid& grid) {
    std::vector<GridColumn> columns;
    for (const std::string& header : grid.headers) {
        GridColumn c;
        if (header == "ENABLE")
            c = {CellKind::Check, "Enable"};
        else if (header == "TX")
            c = {CellKind::Check, "TxEnable"};
        else if (header == "LOW")
            c = {CellKind::Check, "LowPower"};
        else if (header == "UP")
            c = {CellKind::Check, "PowUp"};
        else if (header == "DUP")
            c = {CellKind::Check, "Duplex"};
        else if (header == "MEM")
            c = {CellKind::Check, "ScanMemory"};
        else if (header == "KW")
            c = {CellKind::Choice, "Scramble"};
        else if (header == "CH Name")
            c = {CellKind::Text, "ChTag"};
        else if (header == "DISP")
            c = {CellKind::Text, "DISP"};
        else if (list.pane == PaneKind::ExportList && header == "RX[MHz]")
            c = {CellKind::Text, "Rxfreq"};
        else if (list.pane == PaneKind::ExportList && header == "TX[MHz]")
            c = {CellKind::Text, "Txfreq"};
        else if (list.pane == PaneKind::DirectoryList && header == "MMSI")
            c = {CellKind::Text, "Mmsid"};
        else if (list.pane == PaneKind::DirectoryList && header != "No.")
            c = {CellKind::Text, "TagName"};
        columns.push_back(c);
    }
    return columns;
}

ChannelControl ControlOf(std::string_view key) {
    if (key == "Enable") return ChannelControl::Enable;
    if (key == "TxEnable") return ChannelControl::TxEnable;
    if (key == "LowPower") return ChannelControl::LowPower;
    if (key == "PowUp") return ChannelControl::PowerUp;
    if (key == "Duplex") return ChannelControl::Duplex;
    if (key == "ScanMemory") return ChannelControl::Scan;
    if (key == "Scramble") return ChannelControl::Scrambler;
    if (key == "DISP") return ChannelControl::NumberLeft;
    if (key == "Rxfreq") return ChannelControl::RxFreq;
    if (key == "Txfreq") return ChannelControl::TxFreq;
    return ChannelControl::Name;
}

std::vector<std::string> RowCells(const Records& records, const GridList& list, int record,
                                  ModelNumber model) {
    const auto r = static_cast<std::size_t>(record);
    if (list.pane == PaneKind::DirectoryList)
        return DirectoryRowCells(Directory(records, list.directory)[r], record + 1);
    if (list.pane == PaneKind::ExportList) return ExportRowCells(records.CHEXP[r], record + 1);
    const ChannelRecord& rec = records.bank(list.bank)[r];
    std::vector<std::string> cells = PlanRowCells(rec, model != 1);
    if (list.showAll) cells.insert(cells.begin() + 1, rec.Enable ? "[Enable]" : "");
    return cells;
}

std::vector<bool> RowEditable(const Records& records, const EditableGrid& grid, int record,
                              ModelNumber model) {
    std::vector<bool> editable(grid.columns.size(), false);
    if (grid.list.pane == PaneKind::DirectoryList) {
        const DirectoryView view =
            ViewDirectoryEntry(records, {MmsiOf(grid.list.directory), record + 1});
        for (std::size_t c = 0; c < editable.size(); ++c)
            editable[c] =
                grid.columns[c].kind != CellKind::Fixed && (view.fieldsEnabled || view.add.enabled);
        return editable;
    }
    const ChannelView view = ViewChannel(records, {grid.list.bank, record}, model);
    for (std::size_t c = 0; c < editable.size(); ++c) {
        const GridColumn& column = grid.columns[c];
        if (column.kind == CellKind::Fixed) continue;
        const ControlState& s = view.state(ControlOf(column.key));
        const bool frequency = column.key == "Rxfreq" || column.key == "Txfreq";
        editable[c] = s.visible && s.enabled && (!frequency || view.enable);
    }
    return editable;
}

bool CheckValue(const ChannelRecord& rec, std::string_view key) {
    if (key == "Enable") return rec.Enable != 0;
    if (key == "TxEnable") return rec.TxEnable != 0;
    if (key == "LowPower") return rec.LowPower != 0;
    if (key == "PowUp") return rec.PowUp != 0;
    if (key == "Duplex") return rec.Duplex != 0;
    return rec.ScanMemory != 0;
}

std::optional<bool> ParseCheck(std::string_view text) {
    const std::string t = UpperCase(Trimmed(text));
    if (t == "ON" || t == "1" || t == "[ENABLE]" || t == "YES" || t == "X" || t == "TRUE")
        return true;
    if (t == "OFF" || t == "0" || t.empty() || t == "NO" || t == "FALSE") return false;
    return std::nullopt;
}

using Assignment = std::pair<std::string, std::string>; // key, value

std::vector<Assignment> DirectoryCellAssignments(const Records& records, const EditableGrid& grid,
                                                 int record, const GridColumn& col,
                                                 std::string_view text) {
    std::vector<Assignment> out;
    const DirectoryView view =
        ViewDirectoryEntry(records, {MmsiOf(grid.list.directory), record + 1});
    const DirectoryRecord& entry =
        Directory(records, grid.list.directory)[static_cast<std::size_t>(record)];
    const bool same = col.key == "Mmsid" ? Trimmed(text) == Trimmed(PadText(entry.Mmsid, 9))
                                         : text == entry.TagName;
    if (same) return out;
    // Typing into the next free entry adds it, as ticking "Add" would.
    if (!view.fieldsEnabled && view.add.enabled) out.emplace_back("Enable", "1");
    out.emplace_back(std::string(col.key), std::string(text));
    return out;
}

std::optional<std::vector<Assignment>> ChoiceCellAssignments(const Records& records,
                                                             const EditableGrid& grid, int record,
                                                             std::string_view text,
                                                             ModelNumber model, std::string& rule) {
    std::vector<Assignment> out;
    const ChannelRecord& rec = records.bank(grid.list.bank)[static_cast<std::size_t>(record)];
    if (Trimmed(text) == Trimmed(ScrambleText(rec.Scramble))) return out;
    const ChoiceList list = ViewChannel(records, {grid.list.bank, record}, model).scrambler;
    const std::string wanted = UpperCase(Trimmed(text));
    for (const ChoiceEntry& e : list.entries) {
        if (UpperCase(Trimmed(e.text)) != wanted &&
            UpperCase(Trimmed(ScrambleText(static_cast<std::int16_t>(e.value)))) != wanted)
            continue;
        if (e.value != rec.Scramble) out.emplace_back("Scramble", std::to_string(e.value));
        return out;
    }
    rule = "one of the scrambler list's entries";
    return std::nullopt;
}

std::vector<Assignment> TextCellAssignments(const ChannelRecord& rec, const GridColumn& col,
                                            const std::string& shown, std::string_view text) {
    std::vector<Assignment> out;
    if (col.key == "DISP") {
        const std::string left = Trimmed(text.substr(0, std::min<std::size_t>(2, text.size())));
        const std::string right = text.size() > 2 ? Trimmed(text.substr(2)) : std::string();
        if (left != Trimmed(rec.CHDisplayL)) out.emplace_back("CHDisplayL", left);
        if (right != rec.CHDisplayR) out.emplace_back("CHDisplayR", right);
        return out;
    }
    if (col.key == "Rxfreq" || col.key == "Txfreq") {
        if (Trimmed(text) != Trimmed(shown)) out.emplace_back(std::string(col.key), Trimmed(text));
        return out;
    }
    if (text != rec.ChTag) out.emplace_back("ChTag", std::string(text));
    return out;
}

// What storing `text` in the cell asks of the field rules: nothing when the
// record shows it already; nullopt with `rule` set when the text is no value.
std::optional<std::vector<Assignment>> CellAssignments(const Records& records,
                                                       const EditableGrid& grid, int row,
                                                       int column, std::string_view text,
                                                       ModelNumber model, std::string& rule) {
    const int record = grid.records[static_cast<std::size_t>(row)];
    const GridColumn& col = grid.columns[static_cast<std::size_t>(column)];
    if (grid.list.pane == PaneKind::DirectoryList)
        return DirectoryCellAssignments(records, grid, record, col, text);
    const ChannelRecord& rec = records.bank(grid.list.bank)[static_cast<std::size_t>(record)];
    const std::string& shown =
        grid.grid.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    switch (col.kind) {
    case CellKind::Check: {
        const auto ticked = ParseCheck(text);
        if (!ticked) {
            rule = "a check cell takes On or Off";
            return std::nullopt;
        }
        std::vector<Assignment> out;
        if (*ticked != CheckValue(rec, col.key))
            out.emplace_back(std::string(col.key), *ticked ? "1" : "0");
        return out;
    }
    case CellKind::Choice:
        return ChoiceCellAssignments(records, grid, record, text, model, rule);
    case CellKind::Text:
        return TextCellAssignments(rec, col, shown, text);
    case CellKind::Fixed:
        break;
    }
    if (Trimmed(text) == Trimmed(shown)) return std::vector<Assignment>{};
    rule = "the list shows it; it is not edited";
    return std::nullopt;
}

std::string SectionOf(const GridList& list, int record) {
    if (list.pane == PaneKind::DirectoryList)
        return std::string(list.directory == DirectoryKind::Individual ? "CHMMSID" : "CHGRPID") +
               std::to_string(record + 1);
    return std::string(BankName(list.bank)) + std::to_string(record);
}

// One cell into `records` (a working copy).
std::optional<CellRefusal> ApplyCell(Records& records, AppState& state, const EditableGrid& grid,
                                     int row, int column, std::string_view text) {
    CellRefusal refusal{row + 1, grid.grid.headers[static_cast<std::size_t>(column)], {}};
    std::string rule;
    const auto assignments =
        CellAssignments(records, grid, row, column, text, state.modelNumber, rule);
    if (!assignments) {
        refusal.rule = rule;
        return refusal;
    }
    const std::string section = SectionOf(grid.list, grid.records[static_cast<std::size_t>(row)]);
    for (const auto& [key, value] : *assignments)
        if (auto why = ApplyChangedField(records, state, section, key, value)) {
            refusal.rule = *why;
            return refusal;
        }
    return std::nullopt;
}

// Runs `edits` on a copy and keeps it only when none was refused.
template <typename Edits>
std::optional<CellRefusal> AllOrNothing(Records& records, AppState& state, Edits edits) {
    Records copy = records;
    AppState copyState = state;
    if (auto refusal = edits(copy, copyState)) return refusal;
    records = std::move(copy);
    state = std::move(copyState);
    return std::nullopt;
}

std::vector<std::string> SplitTabs(std::string_view line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        cells.emplace_back(
            line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return cells;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

// The record a key cell names: a plan channel text, an EXP or entry number.
std::optional<int> RecordOfKey(const GridList& list, std::string_view cell, std::size_t count) {
    const std::string key = UpperCase(Trimmed(cell));
    if (list.pane == PaneKind::PlanList) {
        const auto& table = MasterTable();
        for (std::size_t i = 0; i < table.size(); ++i)
            if (UpperCase(table[i].text) == key) return static_cast<int>(i);
        return std::nullopt;
    }
    int n = 0;
    for (char c : key) {
        if (c < '0' || c > '9' || n > 1000) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (key.empty() || n < 1 || n > static_cast<int>(count)) return std::nullopt;
    return n - 1;
}

} // namespace

int EditableGrid::rowOfRecord(int record) const {
    const auto found = std::find(records.begin(), records.end(), record);
    return found == records.end() ? -1 : static_cast<int>(found - records.begin());
}

std::optional<GridList> GridListOfKey(std::string_view listKey, bool showAll) {
    for (const ListEntry& entry : kLists)
        if (UpperCase(entry.key) == UpperCase(listKey)) {
            GridList list = entry.list;
            list.showAll = showAll && list.pane == PaneKind::PlanList;
            return list;
        }
    return std::nullopt;
}

std::string ListKeyOf(const GridList& list) {
    for (const ListEntry& entry : kLists) {
        GridList plain = list;
        plain.showAll = false;
        if (entry.list == plain) return entry.key;
    }
    return {};
}

namespace {

EditableGrid BuildGrid(const Records& records, const GridList& list, ModelNumber model,
                       bool withFlags) {
    EditableGrid out;
    out.list = list;
    if (list.pane == PaneKind::DirectoryList) {
        out.grid = DirectoryListGrid(records, list.directory);
        for (std::size_t i = 0; i < out.grid.rows.size(); ++i)
            out.records.push_back(static_cast<int>(i));
    } else if (list.pane == PaneKind::ExportList) {
        out.grid = ExportListGrid(records);
        for (int i = 0; i < kExpChannels; ++i) out.records.push_back(i);
    } else if (!list.showAll) {
        out.grid = PlanListGrid(records, list.bank, model);
        const auto& bank = records.bank(list.bank);
        for (std::size_t i = 0; i < bank.size(); ++i)
            if (bank[i].Enable && bank[i].Position >= 0 && bank[i].Position < kPlanChannels)
                out.records.push_back(static_cast<int>(i));
    } else {
        Records none; // the headers and widths without rows
        for (auto& rec : none.bank(list.bank)) rec.Enable = kFalse;
        out.grid = PlanListGrid(none, list.bank, model);
        out.grid.headers.insert(out.grid.headers.begin() + 1, "ENABLE");
        out.grid.widthsTwips.insert(out.grid.widthsTwips.begin() + 1, 1000);
        const auto& bank = records.bank(list.bank);
        for (std::size_t i = 0; i < bank.size(); ++i)
            if (bank[i].Position >= 0 && bank[i].Position < kPlanChannels) {
                out.records.push_back(static_cast<int>(i));
                out.grid.rows.push_back(RowCells(records, list, static_cast<int>(i), model));
            }
    }
    out.columns = ColumnsOf(list, out.grid);
    if (!withFlags) return out;
    out.editable.reserve(out.records.size());
    for (int record : out.records) out.editable.push_back(RowEditable(records, out, record, model));
    return out;
}

} // namespace

EditableGrid BuildEditableGrid(const Records& records, const GridList& list, ModelNumber model) {
    return BuildGrid(records, list, model, true);
}

void RefreshGridRow(EditableGrid& grid, const Records& records, int row, ModelNumber model) {
    const auto r = static_cast<std::size_t>(row);
    const int record = grid.records[r];
    grid.grid.rows[r] = RowCells(records, grid.list, record, model);
    grid.editable[r] = RowEditable(records, grid, record, model);
}

std::string CellRefusal::text() const {
    return "Row " + std::to_string(row) + ", column \"" + column + "\": " + rule;
}

std::vector<std::string> CellChoices(const Records& records, const EditableGrid& grid, int row,
                                     int column, ModelNumber model) {
    if (grid.columns[static_cast<std::size_t>(column)].kind != CellKind::Choice) return {};
    const int record = grid.records[static_cast<std::size_t>(row)];
    std::vector<std::string> texts;
    for (const ChoiceEntry& e :
         ViewChannel(records, {grid.list.bank, record}, model).scrambler.entries)
        texts.push_back(ScrambleText(static_cast<std::int16_t>(e.value)));
    return texts;
}

std::optional<CellRefusal> SetGridCell(Records& records, AppState& state, const EditableGrid& grid,
                                       int row, int column, std::string_view text) {
    return AllOrNothing(records, state, [&](Records& copy, AppState& copyState) {
        return ApplyCell(copy, copyState, grid, row, column, text);
    });
}

std::optional<CellRefusal> ToggleGridRows(Records& records, AppState& state,
                                          const EditableGrid& grid, const std::vector<int>& rows,
                                          int column) {
    if (rows.empty() || grid.columns[static_cast<std::size_t>(column)].kind != CellKind::Check)
        return std::nullopt;
    const auto first = static_cast<std::size_t>(rows.front());
    const bool now =
        ParseCheck(grid.grid.rows[first][static_cast<std::size_t>(column)]).value_or(false);
    const std::string wanted = now ? "Off" : "On";
    return AllOrNothing(records, state, [&](Records& copy, AppState& copyState) {
        std::optional<CellRefusal> refusal;
        for (int row : rows) {
            if (!grid.editable[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
                continue;
            if ((refusal = ApplyCell(copy, copyState, grid, row, column, wanted))) break;
        }
        return refusal;
    });
}

std::optional<CellRefusal> FillGridDown(Records& records, AppState& state, const EditableGrid& grid,
                                        const std::vector<int>& rows, int column) {
    if (rows.size() < 2) return std::nullopt;
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    const std::string value =
        grid.grid.rows[static_cast<std::size_t>(sorted.front())][static_cast<std::size_t>(column)];
    return AllOrNothing(records, state, [&](Records& copy, AppState& copyState) {
        std::optional<CellRefusal> refusal;
        for (std::size_t i = 1; i < sorted.size() && !refusal; ++i) {
            const auto row = static_cast<std::size_t>(sorted[i]);
            if (!grid.editable[row][static_cast<std::size_t>(column)]) continue;
            refusal = ApplyCell(copy, copyState, grid, sorted[i], column, value);
        }
        return refusal;
    });
}

std::string CopyGridRows(const EditableGrid& grid, const std::vector<int>& rows) {
    auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? "\t" : "") + cells[i];
        return text + "\r\n";
    };
    std::string text = line(grid.grid.headers);
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (int row : sorted) text += line(grid.grid.rows[static_cast<std::size_t>(row)]);
    return text;
}

namespace {

// Which column of the full list each pasted cell goes to: a header row maps
// by name; without one the cells run right from the current column (-2 for
// a cell past the last column).
struct PasteColumns {
    std::vector<int> mapped;
    std::size_t firstLine = 1;
    int keyColumn = -1; // the pasted column holding the row's key (number, entry)
    std::optional<CellRefusal> refusal;
};

PasteColumns MapPasteColumns(const EditableGrid& grid, const EditableGrid& all,
                             const std::string& firstLine, int startColumn) {
    PasteColumns columns;
    const std::vector<std::string> header = SplitTabs(firstLine);
    bool named = false;
    for (const std::string& name : header) {
        int found = -1;
        for (std::size_t c = 0; c < all.grid.headers.size(); ++c)
            if (UpperCase(all.grid.headers[c]) == UpperCase(Trimmed(name)))
                found = static_cast<int>(c);
        named = named || found >= 0;
        columns.mapped.push_back(found);
    }
    if (!named) {
        columns.firstLine = 0;
        columns.mapped.clear();
        const std::string& startHeader =
            grid.grid.headers.at(static_cast<std::size_t>(startColumn));
        int base = 0;
        for (std::size_t c = 0; c < all.grid.headers.size(); ++c)
            if (all.grid.headers[c] == startHeader) base = static_cast<int>(c);
        for (std::size_t c = 0; c < header.size(); ++c)
            columns.mapped.push_back(base + static_cast<int>(c) <
                                             static_cast<int>(all.columns.size())
                                         ? base + static_cast<int>(c)
                                         : -2);
        return columns;
    }
    for (std::size_t c = 0; c < columns.mapped.size(); ++c)
        if (columns.mapped[c] < 0 && !Trimmed(header[c]).empty()) {
            columns.refusal = CellRefusal{1, header[c], "the list has no column of that name"};
            return columns;
        }
    for (std::size_t c = 0; c < columns.mapped.size(); ++c)
        if (columns.mapped[c] == 0) columns.keyColumn = static_cast<int>(c);
    return columns;
}

// One pasted line after another, applied to a copy of the records.
class GridPaste {
public:
    GridPaste(const EditableGrid& grid, EditableGrid& all, const PasteColumns& columns,
              int startRow)
        : grid_(grid), all_(all), columns_(columns), nextRow_(startRow) {}

    std::optional<CellRefusal> line(Records& copy, AppState& copyState,
                                    const std::vector<std::string>& cells, int lineNumber) {
        std::optional<int> record;
        if (auto refusal = recordOf(cells, lineNumber, record)) return refusal;
        const int row = all_.rowOfRecord(*record);
        if (row < 0)
            return CellRefusal{lineNumber, all_.grid.headers[0], "the row is not in the list"};
        std::vector<std::size_t> pending;
        if (auto refusal = cellOrder(cells, lineNumber, pending)) return refusal;
        const Records before = copy;
        if (auto refusal = apply(copy, copyState, cells, pending, row, *record, lineNumber))
            return refusal;
        if (!(before == copy)) ++changed_;
        return std::nullopt;
    }
    int changed() const { return changed_; }

private:
    // The record a line names by its key cell, or the next row down.
    std::optional<CellRefusal> recordOf(const std::vector<std::string>& cells, int lineNumber,
                                        std::optional<int>& record) {
        const int key = columns_.keyColumn;
        if (key < 0) {
            if (nextRow_ < 0 || nextRow_ >= static_cast<int>(grid_.records.size()))
                return CellRefusal{lineNumber, "", "the list has no row for this line"};
            record = grid_.records[static_cast<std::size_t>(nextRow_++)];
            return std::nullopt;
        }
        const std::string cell = static_cast<std::size_t>(key) < cells.size()
                                     ? cells[static_cast<std::size_t>(key)]
                                     : "";
        record = RecordOfKey(all_.list, cell, all_.records.size());
        if (!record)
            return CellRefusal{lineNumber, all_.grid.headers[0],
                               "\"" + cell + "\" names no row of the list"};
        return std::nullopt;
    }

    // The cells to apply, in order: Enable turned off goes last.
    std::optional<CellRefusal> cellOrder(const std::vector<std::string>& cells, int lineNumber,
                                         std::vector<std::size_t>& pending) const {
        const std::vector<int>& mapped = columns_.mapped;
        std::optional<std::size_t> disable;
        for (std::size_t c = 0; c < cells.size() && c < mapped.size(); ++c) {
            const bool enableOff =
                mapped[c] > 0 &&
                all_.columns[static_cast<std::size_t>(mapped[c])].key == "Enable" &&
                ParseCheck(cells[c]) == false;
            if (enableOff)
                disable = c;
            else if (mapped[c] > 0)
                pending.push_back(c);
            if (mapped[c] == -2 && !cells[c].empty())
                return CellRefusal{lineNumber, "",
                                   "the line has more cells than the list has columns"};
        }
        if (disable) pending.push_back(*disable);
        return std::nullopt;
    }

    // Cells a rule refuses while another cell of the line is still to come
    // (Power Up before Low Power) get a second turn.
    std::optional<CellRefusal> apply(Records& copy, AppState& copyState,
                                     const std::vector<std::string>& cells,
                                     std::vector<std::size_t> pending, int row, int record,
                                     int lineNumber) {
        std::optional<CellRefusal> refusal;
        for (int pass = 0; pass < 2 && !pending.empty(); ++pass) {
            std::vector<std::size_t> again;
            refusal.reset();
            for (std::size_t c : pending) {
                if (auto r = ApplyCell(copy, copyState, all_, row, columns_.mapped[c], cells[c])) {
                    r->row = lineNumber;
                    if (!refusal) refusal = r;
                    again.push_back(c);
                } else {
                    // The texts the next cells compare with.
                    all_.grid.rows[static_cast<std::size_t>(row)] =
                        RowCells(copy, all_.list, record, copyState.modelNumber);
                }
            }
            if (again.size() == pending.size()) break;
            pending = std::move(again);
        }
        return pending.empty() ? std::nullopt : refusal;
    }

    const EditableGrid& grid_;
    EditableGrid& all_;
    const PasteColumns& columns_;
    int nextRow_;
    int changed_ = 0;
};

} // namespace

std::optional<CellRefusal> PasteGridText(Records& records, AppState& state,
                                         const EditableGrid& grid, std::string_view text,
                                         int startRow, int startColumn, int* changedRows) {
    const std::vector<std::string> lines = SplitLines(text);
    if (changedRows) *changedRows = 0;
    if (lines.empty()) return std::nullopt;
    // The columns by name: every column the list kind has, also those the
    // shown grid leaves out ("ENABLE" of a plan bank without "Show all").
    GridList full = grid.list;
    full.showAll = full.pane == PaneKind::PlanList;
    EditableGrid all = BuildGrid(records, full, state.modelNumber, false);
    const PasteColumns columns = MapPasteColumns(grid, all, lines.front(), startColumn);
    if (columns.refusal) return columns.refusal;
    return AllOrNothing(
        records, state, [&](Records& copy, AppState& copyState) -> std::optional<CellRefusal> {
            GridPaste paste(grid, all, columns, startRow);
            for (std::size_t l = columns.firstLine; l < lines.size(); ++l)
                if (auto refusal =
                        paste.line(copy, copyState, SplitTabs(lines[l]), static_cast<int>(l) + 1))
                    return refusal;
            if (changedRows) *changedRows = paste.changed();
            return std::nullopt;
        });
}

bool DeleteGridRows(Records& records, AppState& state, Notifier& notifier, const EditableGrid& grid,
                    const std::vector<int>& rows) {
    if (grid.list.pane != PaneKind::DirectoryList) return false;
    std::vector<int> entries;
    for (int row : rows) {
        const int record = grid.records[static_cast<std::size_t>(row)];
        if (ViewDirectoryEntry(records, {MmsiOf(grid.list.directory), record + 1}).remove.enabled)
            entries.push_back(record);
    }
    if (entries.empty()) return false;
    if (notifier.ask(Message{MessageIcon::Critical, state.windowTitle, "Are you sure ?",
                             MessageButtons::YesNo}) != MessageAnswer::Yes)
        return false;
    // From the last, so the entries still to go keep their places.
    std::sort(entries.rbegin(), entries.rend());
    const auto refusal = AllOrNothing(records, state, [&](Records& copy, AppState& copyState) {
        std::optional<CellRefusal> why;
        for (int record : entries)
            if (auto rule = ApplyChangedField(copy, copyState, SectionOf(grid.list, record),
                                              "Enable", "0")) {
                why = CellRefusal{record + 1, "No.", *rule};
                break;
            }
        return why;
    });
    return !refusal;
}

std::optional<FindHit> FindInLists(const Records& records, ModelNumber model, std::string_view text,
                                   const std::optional<FindHit>& after) {
    const std::string wanted = UpperCase(Trimmed(text));
    if (wanted.empty()) return std::nullopt;
    std::vector<std::string> present;
    for (const TreeNode& node : BuildTreeNodes(records, model))
        for (const ListEntry& entry : kLists)
            if (node.key == entry.key) present.push_back(entry.key);
    const std::string expName = UpperCase(ExpBankName(model));
    std::vector<FindHit> order;
    std::vector<std::pair<std::vector<std::string>, std::string>> keys; // numbers, name
    for (const std::string& listKey : present) {
        const GridList list = *GridListOfKey(listKey, false);
        if (!IsChannelList(list)) {
            const auto& directory = Directory(records, list.directory);
            for (std::size_t i = 0; i < directory.size(); ++i) {
                order.push_back({listKey, static_cast<int>(i)});
                keys.push_back({{}, UpperCase(directory[i].TagName)});
            }
            continue;
        }
        const auto& bank = records.bank(list.bank);
        for (std::size_t i = 0; i < bank.size(); ++i) {
            std::vector<std::string> numbers;
            if (list.pane == PaneKind::ExportList) {
                const std::string n = std::to_string(i + 1);
                numbers = {expName + n, "E" + n,
                           UpperCase(Trimmed(bank[i].CHDisplayL) + Trimmed(bank[i].CHDisplayR))};
            } else {
                if (bank[i].Position < 0 || bank[i].Position >= kPlanChannels) continue;
                std::string t =
                    UpperCase(MasterTable()[static_cast<std::size_t>(bank[i].Position)].text);
                numbers = {t};
                if (t.size() >= 2 && t[0] == '0') numbers.push_back(t.substr(1));
            }
            order.push_back({listKey, static_cast<int>(i)});
            keys.push_back({numbers, UpperCase(bank[i].ChTag)});
        }
    }
    std::size_t start = 0;
    if (after)
        for (std::size_t i = 0; i < order.size(); ++i)
            if (order[i] == *after) start = i + 1;
    // Channel numbers first: "16" is channel 16 before a name holding "16".
    for (int byName = 0; byName < 2; ++byName)
        for (std::size_t k = 0; k < order.size(); ++k) {
            const std::size_t i = (start + k) % order.size();
            const auto& [numbers, name] = keys[i];
            const bool hit =
                byName ? !name.empty() && name.find(wanted) != std::string::npos
                       : std::find(numbers.begin(), numbers.end(), wanted) != numbers.end();
            if (hit) return order[i];
        }
    return std::nullopt;
}

} // namespace qb41::editor
