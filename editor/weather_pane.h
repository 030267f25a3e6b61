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
    bool nameKept = true;        // the model's memory keeps weather names
    std::string nameReason;      // why the name box is disabled when it is not kept
};

inline constexpr int kWeatherEnableHelp = 1028;
inline constexpr int kWeatherScanHelp = 1033;
inline constexpr int kWeatherNameHelp = 1034;

// For `model`: the name boxes take input only where the memory keeps names.
std::vector<WeatherRowView> ViewWeatherPane(const Records& records, ModelNumber model = 0);

// chkDEnable(row): the pane refills so the row's scan and name boxes follow.
EditResult SetWeatherEnable(Records& records, AppState& state, int row, bool ticked);
// chkDScan(row).
EditResult SetWeatherScan(Records& records, AppState& state, int row, bool ticked);
// txtDTagName(row), on every change: at most 12 characters; nothing on a
// model whose memory keeps no names.
EditResult SetWeatherName(Records& records, AppState& state, int row, std::string_view text);

} // namespace qb41::editor
