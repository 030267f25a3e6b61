#include "report_printer.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace qb41::gui {
namespace {

// The report's texts are the records' bytes, one character each.
QString ReportString(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct BusyPointer {
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

bool PrintTo(const ReportPrintParts& parts, QPrinter& printer) {
    BusyPointer busy;
    // The layout may snap off-grid EXP frequencies; it gets a copy so the
    // records the editors show stay as they are.
    DataSet data = parts.data;
    const std::vector<PrintPage> pages =
        MakePrintLayout(data, parts.app.modelNumber, PageSetupFor(printer));
    return PaintReport(printer, pages);
}

void ShowFailure(const ReportPrintParts& parts, const std::string& text) {
    parts.notifier.show(MessageIcon::Warning, ReportFailureTitle(parts.app), text);
}

// A PDF printer on `path`; the file is tried first, since QPrinter gives no
// reason when it cannot write it.
bool PdfPrinter(const ReportPrintParts& parts, const QString& path, QPrinter& printer) {
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) {
        ShowFailure(parts, probe.errorString().toStdString());
        return false;
    }
    probe.close();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setCreator(QStringLiteral("QB41"));
    return true;
}

} // namespace

QFont ReportFont(double points, bool bold) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    font.setBold(bold);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(points);
        font.setBold(bold);
    }
    return font;
}

PrintPageSetup PageSetupFor(const QPrinter& printer) {
    PrintPageSetup setup;
    const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter);
    if (paper.width() > 0 && paper.height() > 0) {
        setup.widthMm = paper.width();
        setup.heightMm = paper.height();
    }
    return setup;
}

bool PaintReport(QPrinter& printer, const std::vector<PrintPage>& pages) {
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const double dotsPerMm = printer.resolution() / 25.4;
    bool first = true;
    for (const PrintPage& page : pages) {
        if (!first && !printer.newPage()) break;
        first = false;
        for (const PrintLine& line : page.lines) {
            if (line.cells.empty()) continue;
            painter.setFont(ReportFont(line.points, line.bold));
            // A line's y is the top of its text.
            const double baseline = line.yMm * dotsPerMm + painter.fontMetrics().ascent();
            for (const PrintCell& cell : line.cells)
                painter.drawText(QPointF(cell.xMm * dotsPerMm, baseline), ReportString(cell.text));
        }
    }
    return painter.end();
}

std::string ReportFailureTitle(const AppState& app) {
    return app.modelName() + " " + app.windowTitle;
}

bool PrintReport(const ReportPrintParts& parts, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    const QString pdf = qEnvironmentVariable("QB41_PRINT_PDF");
    if (!pdf.isEmpty()) {
        if (!PdfPrinter(parts, pdf, printer)) return false;
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        if (dialog.exec() != QDialog::Accepted) return false;
    }
    if (PrintTo(parts, printer)) return true;
    ShowFailure(parts, "The report could not be printed.");
    return false;
}

bool ExportReportPdf(const ReportPrintParts& parts, const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    if (!PdfPrinter(parts, path, printer)) return false;
    if (PrintTo(parts, printer)) return true;
    ShowFailure(parts, "The report could not be written to " + path.toStdString() + ".");
    return false;
}

} // namespace qb41::gui
