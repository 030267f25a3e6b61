// Programming many radios from one template: the units table (one row per
// radio, a "unit" column and field addresses), checked as a whole before any
// radio is touched, and the log of units done (unit, port, model, backup,
// result, seconds), which also tells a second run what to skip.
#pragma once

#include "field_edit.h"

#include "core/app_state.h"
#include "core/records.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qb41::editor {

struct FleetUnit {
    std::string name;
    int line = 0;                        // in the units file
    std::vector<FieldAssignment> fields; // empty cells left out: the template's value stays
    std::string mmsi;                    // the user MMSI the unit ends up with (stored form)
    std::string atisCode;
};

struct FleetProblem {
    int line = 0;
    std::string text; // "column 2 (DSC Setup (Basic Setup).User MMSI): ..."
};

struct FleetPlan {
    std::vector<FleetUnit> units;
    std::vector<FleetProblem> problems; // any problem refuses the whole run
    std::vector<FleetProblem> warnings; // identity warnings per unit
};

// Reads the units table and applies every row to a copy of the template
// through the editor's rules. Duplicate unit names, MMSIs and ATIS codes
// across rows are problems.
FleetPlan PlanFleet(const Records& templateRecords, const AppState& state, std::string_view csv);

// The records one unit is programmed with: the template and its fields.
// nullopt (with the refusal) when a field is refused.
std::optional<FieldRefusal> ApplyUnit(Records& records, AppState& state, const FleetUnit& unit);

struct FleetLogRow {
    std::string unit;
    std::string port;
    std::string model;
    std::string backup;
    std::string result; // "ok", "ok, verified", or "failed: ..."
    double seconds = 0;
};

std::string FleetLogHeader();
std::string FleetLogLine(const FleetLogRow& row);
// The units a log names with a result that starts with "ok".
std::set<std::string> UnitsDone(std::string_view logText);

} // namespace qb41::editor
