#include "master_table.h"

namespace qb41 {

MasterChannelTable BuildMasterTable() {
    MasterChannelTable table;
    double freq = 156.0;
    for (int k = 0; k < 120; ++k) {
        if (k == 60) freq = 156.025;
        std::string text = std::to_string(k);
        if (k < 10) text.insert(text.begin(), '0');
        MasterChannelRow& even = table[static_cast<std::size_t>(2 * k)];
        even.text = text;
        even.txFreq = freq;
        even.rxSimplex = freq;
        even.rxDuplex = freq + 4.6;
        even.duplexAllowed = true;
        MasterChannelRow& odd = table[static_cast<std::size_t>(2 * k + 1)];
        odd.text = text + "A";
        odd.txFreq = freq;
        odd.rxSimplex = freq;
        odd.rxDuplex = 0.0;
        odd.duplexAllowed = false;
        freq += 0.05;
    }
    return table;
}

const MasterChannelTable& MasterTable() {
    static const MasterChannelTable table = BuildMasterTable();
    return table;
}

} // namespace qb41
