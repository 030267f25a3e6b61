// The weather pane (pictD): the ten CHWX channels, each with an enable box,
// a scan box and a name; the scan and name boxes take input only while the
// channel is enabled (their values stay in the record when it is not).
#pragma once

#include "rule_types.h"

#include "core/app_state.h"
#include "core/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace qb41::editor {

struct WeatherRowView {
    std::string label; // lblWX: the weather list label, "WX01[162.550MHz]"
    bool enable = false;
    bool scan = false;
    std::string name;
    bool detailsEnabled = false; // chkDScan and txtDTagName
    ControlState nameState;      // txtDTagName: disabled where the model keeps no names
};

inline constexpr int kWeatherEnableHelp = 1028;
inline constexpr int kWeatherScanHelp = 1033;
inline constexpr int kWeatherNameHelp = 1034;

std::vector<WeatherRowView> ViewWeatherPane(const Records& records, ModelNumber model);

// chkDEnable(row): the pane refills so the row's scan and name boxes follow.
EditResult SetWeatherEnable(Records& records, AppState& state, int row, bool ticked);
// chkDScan(row).
EditResult SetWeatherScan(Records& records, AppState& state, int row, bool ticked);
// txtDTagName(row), on every change: at most 12 characters.
EditResult SetWeatherName(Records& records, AppState& state, int row, std::string_view text);

} // namespace qb41::editor
