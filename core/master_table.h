// The master channel table: 240 read-only rows shared by the three plan banks.
// Pair k (rows 2k and 2k+1) is channel k and channel kA. Frequencies are built
// by repeated addition of 0.05 MHz, exactly as the radio's tables were made, so
// that values compare and print the same everywhere.
#pragma once

#include <array>
#include <string>

namespace qb41 {

struct MasterChannelRow {
    std::string text;       // "00".."119", with "A" on odd rows
    double txFreq = 0.0;    // MHz
    double rxSimplex = 0.0; // MHz
    double rxDuplex = 0.0;  // MHz, 0 = none (odd rows)
    bool duplexAllowed = false;
};

using MasterChannelTable = std::array<MasterChannelRow, 240>;

MasterChannelTable BuildMasterTable();

// The table is immutable once built; this returns the one built on first use.
const MasterChannelTable& MasterTable();

} // namespace qb41
