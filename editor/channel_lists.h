// The overview grids: a plan bank's enabled channels, the export bank, and the
// two MMSI directories, as header texts, column widths and cell texts. The
// window shows a Grid through a read-only table model.
#pragma once

#include "section_tree.h"

#include <string>
#include <vector>

namespace qb41::editor {

struct Grid {
    std::vector<std::string> headers;
    std::vector<int> widthsTwips; // one per column
    std::vector<std::vector<std::string>> rows;
};

// MSFlexGrid1 for "PU", "PI", "PC": one row per enabled channel, in bank order;
// model 1 drops the "KW" and "CH Name" columns.
Grid PlanListGrid(const Records& records, Bank bank, ModelNumber model);
// MSFlexGrid1 for "ExpChannel": all 40 export channels.
Grid ExportListGrid(const Records& records);
// MSFlexGrid2 for "SM" and "SG": every entry of the directory.
Grid DirectoryListGrid(const Records& records, DirectoryKind kind);

// One row's cells of those lists (a plan row needs a valid Position).
std::vector<std::string> PlanRowCells(const ChannelRecord& record, bool names);
std::vector<std::string> ExportRowCells(const ChannelRecord& record, int number); // 1..40
std::vector<std::string> DirectoryRowCells(const DirectoryRecord& entry, int number);

inline constexpr const char* kGridHint = "[Double click],[Enter]:Jump the Setting screen.";

} // namespace qb41::editor
