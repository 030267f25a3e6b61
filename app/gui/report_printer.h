// The printed report on paper or in a PDF. What goes where is decided by
// MakePrintLayout (report/print_layout.h); this only paints those pages with a
// QPainter on a QPrinter, in the report's fixed-pitch font.
#pragma once

#include "report/print_layout.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/notifier.h"
#include "core/records.h"
#include "editor/window_rules.h"

#include <QFont>
#include <QString>

#include <vector>

class QPrinter;
class QWidget;

namespace qb41::gui {

// The report font: Courier New at `points`, or the system's fixed-pitch font
// at that size where Courier New is missing.
QFont ReportFont(double points, bool bold = false);

// The page the layout should assume on this printer: its paper size, the
// layout's own margins.
PrintPageSetup PageSetupFor(const QPrinter& printer);

// Paints the pages, one printer page each, with the paper's top-left corner
// as the origin. False when the printer could not be started.
bool PaintReport(QPrinter& printer, const std::vector<PrintPage>& pages);

// What the print commands work on.
struct ReportPrintParts {
    const AppState& app;
    const DataSet& data; // copied: building the report never touches the records
    Notifier& notifier;
    const Clock* clock = nullptr; // the printed date; the system's when not given
};

// File > Print: the print dialog (no selection, no print to file), then the
// report on the chosen printer. When the environment variable QB41_PRINT_PDF
// names a file, the report goes to that PDF without a dialog, as
// ExportReportPdf writes it. False when
// nothing was printed (cancelled or failed; failures are shown).
bool PrintReport(const ReportPrintParts& parts, QWidget* parent);

// The printed report as a PDF, without a printer. The file is written beside
// `path` and renamed over it once complete, so a failure (a full disk, a
// folder that cannot be written) leaves an existing PDF as it was. Failures
// are shown with the file and why; false then.
bool ExportReportPdf(const ReportPrintParts& parts, const QString& path);

// The title of the report commands' failure boxes.
using editor::ReportFailureTitle;

} // namespace qb41::gui
