#include "channel_lists.h"

#include "core/master_table.h"
#include "report/formatters.h"

namespace qb41::editor {
namespace {

bool On(VbBool flag) {
    return flag != 0;
}

} // namespace

Grid PlanListGrid(const Records& records, Bank bank, ModelNumber model) {
    Grid grid;
    grid.headers = {"CH", "RX[MHz]", "TX[MHz]", "TX", "LOW", "UP", "DUP", "MEM", "KW", "CH Name"};
    grid.widthsTwips = {800, 1000, 1000, 600, 600, 600, 600, 600, 600, 2000};
    const bool names = model != 1;
    if (!names) {
        grid.headers.resize(8);
        grid.widthsTwips.resize(8);
    }
    const auto& table = MasterTable();
    for (const ChannelRecord& rec : records.bank(bank)) {
        if (!On(rec.Enable)) continue;
        if (rec.Position < 0 || rec.Position >= static_cast<int>(table.size())) continue;
        grid.rows.push_back(PlanRowCells(rec, names));
    }
    return grid;
}

std::vector<std::string> PlanRowCells(const ChannelRecord& rec, bool names) {
    const MasterChannelRow& row = MasterTable()[static_cast<std::size_t>(rec.Position)];
    std::vector<std::string> cells = {
        row.text,
        FreqText(On(rec.Duplex) ? row.rxDuplex : row.rxSimplex),
        TxFreqText(row.txFreq, On(rec.RxOnly)),
        OnOffText(On(rec.TxEnable)),
        OnOffText(On(rec.LowPower)),
        OnOffText(On(rec.PowUp)),
        OnOffText(On(rec.Duplex)),
        OnOffText(On(rec.ScanMemory)),
    };
    if (names) {
        cells.push_back(ScrambleText(rec.Scramble));
        cells.push_back(rec.ChTag);
    }
    return cells;
}

Grid ExportListGrid(const Records& records) {
    Grid grid;
    grid.headers = {"CH",  "ENABLE", "DISP", "RX[MHz]", "TX[MHz]",
                    "LOW", "UP",     "MEM",  "KW",      "CH Name"};
    grid.widthsTwips = {800, 1000, 800, 1000, 1000, 600, 600, 600, 600, 2000};
    int number = 0;
    for (const ChannelRecord& rec : records.CHEXP)
        grid.rows.push_back(ExportRowCells(rec, ++number));
    return grid;
}

std::vector<std::string> ExportRowCells(const ChannelRecord& rec, int number) {
    // The frequencies as the radio stores them, off the raster or not.
    return {
        std::to_string(number),
        On(rec.Enable) ? "[Enable]" : "",
        PadText(rec.CHDisplayL, 2) + rec.CHDisplayR,
        ExpFreqText(rec.Rxfreq),
        ExpFreqText(rec.Txfreq),
        OnOffText(On(rec.LowPower)),
        OnOffText(On(rec.PowUp)),
        OnOffText(On(rec.ScanMemory)),
        ScrambleText(rec.Scramble),
        rec.ChTag,
    };
}

Grid DirectoryListGrid(const Records& records, DirectoryKind kind) {
    Grid grid;
    grid.headers = {"No.", kind == DirectoryKind::Individual ? "STATION NAME" : "GROUP NAME",
                    "MMSI"};
    grid.widthsTwips = {800, 2500, 2150};
    int number = 0;
    for (const DirectoryRecord& entry : Directory(records, kind))
        grid.rows.push_back(DirectoryRowCells(entry, ++number));
    return grid;
}

std::vector<std::string> DirectoryRowCells(const DirectoryRecord& entry, int number) {
    return {std::to_string(number), entry.TagName, PadText(entry.Mmsid, 9)};
}

} // namespace qb41::editor
