// The report text image: a fixed-column plain-text listing of every setting and
// every programmed channel, for a monospaced font. The report window shows it,
// the text export saves it and the command-line tool prints it.
//
// Lines are joined by CR LF; the image starts with a line separator (so the
// first heading follows two empty lines) and ends with its last row, without a
// separator. A cell that cannot be produced (a list index out of range, a
// channel row outside the master table, ...) is left out of its row and the
// rest of the image is still built.
//
// The report only reads the records; an off-raster EXP frequency is shown as
// it is stored.
#pragma once

#include "core/model.h"
#include "core/records.h"

#include <string>

namespace qb41 {

// The whole report for the data set's records as the model shows them.
std::string MakeReportText(DataSet& data, ModelNumber model);

// The bytes of a saved ".txt" report: the text followed by one CR LF.
std::string ReportFileText(const std::string& reportText);

} // namespace qb41
