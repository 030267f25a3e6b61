// The printed report as plain data: pages of lines, each line a row of text
// cells placed in millimetres. The window only paints it (QPainter on a
// QPrinter or a PDF writer); everything about what goes where is decided here.
//
// Page 1 holds the page heading and every settings section (the ATIS call-sign
// table for every model, unlike the text report). The USA, International and
// Canada banks, the weather bank, the two directories together and the EXP
// bank each start a page of their own. A row that would pass the bottom margin
// goes to a new page, which repeats the page heading and the column labels of
// the table being printed.
//
// Cells carry the same texts as the text report (same formatters, and the
// settings rows are the text report's own lines, so they need the fixed-pitch
// font). The bank columns stand at the positions of their width lists; a cell
// that cannot be produced is left out and the rest of the row keeps its places.
//
// Coordinates are millimetres from the top-left corner of the paper: paint with
// QPrinter::setFullPage(true), or subtract the printer's own margins. A line's
// y is the top of its text; draw top-aligned.
#pragma once

#include "core/model.h"
#include "core/records.h"

#include <string>
#include <vector>

namespace qb41 {

// The page the layout assumes. The defaults are A4 portrait; a window may pass
// the chosen printer's paper size instead.
struct PrintPageSetup {
    double widthMm = 210.0;
    double heightMm = 297.0;
    double leftMm = 10.0;      // column positions count from here
    double topMm = 5.0;        // top of the first line of every page
    double bottomMm = 10.0;    // no line ends below heightMm - bottomMm
    double lineHeightMm = 3.2; // 9 points: every settings section fits page 1 of A4
    // Fixed pitch: the settings rows are aligned by characters. At 8 points a
    // settings row (107 characters) is 181 mm wide.
    std::string fontFamily = "Courier New";
    double bodyPoints = 8.0;
    double headingPoints = 10.0; // the page heading
};

struct PrintCell {
    double xMm;
    std::string text;
};

struct PrintLine {
    double yMm;
    double points;
    bool bold;
    std::vector<PrintCell> cells; // empty for a blank line
};

struct PrintPage {
    std::vector<PrintLine> lines;
};

// The page heading: the model name followed by " Tideframe".
std::string PrintPageHeading(ModelNumber model);

// Column positions from a width list: the running sums of its widths, so
// "0, 12, 17" gives 0, 12, 29. Entries that are not whole numbers count as 0.
std::vector<int> ColumnPositions(std::string_view widthList);

// The whole printed report. Like the text report it snaps off-grid EXP
// frequencies in the records, hence the non-const data set.
std::vector<PrintPage> MakePrintLayout(DataSet& data, ModelNumber model,
                                       const PrintPageSetup& setup = {});

// What each page of a printout a customer keeps says about where it came from.
struct PrintFrameTexts {
    std::string fileName; // the data file's name, or what stands for it
    std::string date;     // as it is to be printed
};

// The printed report with a frame on every page: a header line (file name,
// model, user MMSI, date) above the report's own lines and a footer
// "page N of M" below them. The report's lines move down to make room.
std::vector<PrintPage> MakeFramedPrintLayout(DataSet& data, ModelNumber model,
                                             const PrintPageSetup& setup,
                                             const PrintFrameTexts& frame);

} // namespace qb41
