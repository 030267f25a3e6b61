#include "fleet_plan.h"

#include "files/csv.h"
#include "files/field_address.h"
#include "files/identity_check.h"
#include "files/section_table.h"

#include <cstdio>
#include <map>

namespace qb41::editor {
namespace {

std::string Column(std::size_t index, const std::string& name) {
    return "column " + std::to_string(index + 1) + " (" + name + ")";
}

} // namespace

std::optional<FieldRefusal> ApplyUnit(Records& records, AppState& state, const FleetUnit& unit) {
    return ApplyFieldEdits(records, state, unit.fields);
}

namespace {

// The header's unit column and the field address of every other column.
struct UnitColumns {
    std::optional<std::size_t> unit;
    std::vector<std::string> addresses;
};

UnitColumns MapUnitColumns(const Records& templateRecords, const AppState& state,
                           const CsvRow& header, std::vector<FleetProblem>& problems) {
    UnitColumns columns;
    columns.addresses.resize(header.cells.size());
    const FieldList fields(templateRecords, state.modelNumber);
    for (std::size_t c = 0; c < header.cells.size(); ++c) {
        const std::string name(TrimSpaces(header.cells[c]));
        if (UpperCase(name) == "UNIT") {
            if (columns.unit)
                problems.push_back({header.line, Column(c, name) + ": a second unit column"});
            columns.unit = c;
            continue;
        }
        const auto index = fields.find(name);
        if (!index) {
            problems.push_back({header.line, Column(c, name) + ": no such field for model " +
                                                 std::to_string(state.modelNumber)});
            continue;
        }
        columns.addresses[c] = fields.fields()[*index].address();
    }
    if (!columns.unit) problems.push_back({header.line, "the header has no unit column"});
    return columns;
}

// One row as a unit, its fields tried on a copy of the template; nullopt
// (with the problems noted) when the row cannot be a unit.
std::optional<FleetUnit> PlanUnit(const Records& templateRecords, const AppState& state,
                                  const CsvRow& row, const UnitColumns& columns, std::size_t cells,
                                  FleetPlan& plan) {
    if (row.cells.size() != cells) {
        plan.problems.push_back({row.line, "the row has " + std::to_string(row.cells.size()) +
                                               " cells, the header " + std::to_string(cells)});
        return std::nullopt;
    }
    FleetUnit unit;
    unit.line = row.line;
    unit.name = std::string(TrimSpaces(row.cells[*columns.unit]));
    if (unit.name.empty()) {
        plan.problems.push_back({row.line, "the unit has no name"});
        return std::nullopt;
    }
    Records records = templateRecords;
    AppState unitState = state;
    bool refused = false;
    for (std::size_t c = 0; c < row.cells.size(); ++c) {
        if (c == *columns.unit || row.cells[c].empty()) continue;
        FieldAssignment edit{columns.addresses[c], row.cells[c]};
        if (auto refusal = ApplyFieldEdits(records, unitState, {edit})) {
            plan.problems.push_back({row.line, "unit " + unit.name + ", " +
                                                   Column(c, columns.addresses[c]) + ": " +
                                                   refusal->rule});
            refused = true;
        }
        unit.fields.push_back(std::move(edit));
    }
    if (refused) return std::nullopt;
    for (const IdentityFinding& finding : IdentityFindings(records))
        plan.warnings.push_back(
            {row.line, "unit " + unit.name + ": " + finding.address + ": " + finding.text});
    unit.mmsi = records.UserMmsi;
    unit.atisCode = records.AtisCode;
    return unit;
}

} // namespace

FleetPlan PlanFleet(const Records& templateRecords, const AppState& state, std::string_view csv) {
    FleetPlan plan;
    const CsvParse parsed = ParseCsv(csv);
    if (parsed.error) {
        plan.problems.push_back({0, *parsed.error});
        return plan;
    }
    if (parsed.rows.empty()) {
        plan.problems.push_back({1, "the units file has no header row"});
        return plan;
    }
    const CsvRow& header = parsed.rows.front();
    const UnitColumns columns = MapUnitColumns(templateRecords, state, header, plan.problems);
    if (!plan.problems.empty()) return plan;

    std::map<std::string, int> names, mmsis, atis; // value -> line of its first row
    auto once = [&plan](std::map<std::string, int>& seen, const std::string& value, int line,
                        const std::string& what) {
        if (value.empty()) return;
        auto [it, added] = seen.emplace(value, line);
        if (!added)
            plan.problems.push_back(
                {line, what + " " + value + " is also on line " + std::to_string(it->second)});
    };
    for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
        std::optional<FleetUnit> unit =
            PlanUnit(templateRecords, state, parsed.rows[r], columns, header.cells.size(), plan);
        if (!unit) continue;
        once(names, unit->name, unit->line, "unit");
        once(mmsis, unit->mmsi, unit->line, "user MMSI");
        once(atis, unit->atisCode, unit->line, "ATIS code");
        plan.units.push_back(std::move(*unit));
    }
    if (plan.units.empty() && plan.problems.empty())
        plan.problems.push_back({header.line, "the units file names no unit"});
    return plan;
}

std::string FleetLogHeader() {
    return CsvRecord({"unit", "port", "model", "backup", "result", "seconds"});
}

std::string FleetLogLine(const FleetLogRow& row) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", row.seconds);
    return CsvRecord({row.unit, row.port, row.model, row.backup, row.result, seconds});
}

std::set<std::string> UnitsDone(std::string_view logText) {
    std::set<std::string> done;
    const CsvParse parsed = ParseCsv(logText);
    for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
        const auto& cells = parsed.rows[r].cells;
        if (cells.size() >= 5 && cells[4].starts_with("ok")) done.insert(cells[0]);
    }
    return done;
}

} // namespace qb41::editor
