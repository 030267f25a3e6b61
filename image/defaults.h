// A fresh data set for a model, and the constant lists (weather channels,
// CTCSS tones, DCS codes) the editor, files and report share.
#pragma once

#include "core/records.h"

#include <array>
#include <string>
#include <string_view>

namespace qb41 {

// The data reset's codec steps: default plan banks, weather bank rebuilt from
// the weather list, both directories cleared, a fresh image for the model, its
// settings decoded, CHEXP decoded, then the whole-image encode. The checksum
// byte is left as the fresh image has it (0xFF) until the image is written.
void MakeFreshDataSet(DataSet& data, ModelNumber model);

void LoadDefaultPlans(Records& records);
void RebuildWeatherBank(Records& records);
void ClearDirectories(Records& records);
// Fills the image with 0xFF and writes the fixed bytes, level tables and
// per-model bytes; sets imageLastIndex.
void WriteFreshImage(DataSet& data, ModelNumber model);

struct PlanDefault {
    int row;
    const char* name;
    bool rxOnly;
    bool duplex;
    bool lowPower;
};
// The default table of a plan bank (CHUSA 55 rows, CHINT 55, CHCAN 56).
std::vector<PlanDefault> DefaultPlan(Bank bank);

struct WeatherChannel {
    std::string_view label;    // "WX01[162.550MHz]"
    std::string_view freqText; // "162.550MHZ"
    double mhz;
};
// Index 0..9 holds list entries 1..10.
const std::array<WeatherChannel, 10>& WeatherList();

// Index 0 "Off", then the 50 standard tones "67.0Hz".."254.1Hz".
const std::array<std::string_view, 51>& CtcssList();
// Index 0 "Off", then the 104 standard codes "023".."754".
const std::array<std::string_view, 105>& DcsList();

} // namespace qb41
