#include "report_printer.h"

#include "core/platform.h"
#include "files/file_io.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
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

// The printout's name: the data file's name, or what stands for it.
QString PrintedFileName(const AppState& app) {
    const QString name = QFileInfo(QString::fromStdString(app.currentFileName)).fileName();
    return name.isEmpty() ? QStringLiteral("(not saved)") : name;
}

PrintFrameTexts PrintFrameFor(const ReportPrintParts& parts) {
    const SystemClock system;
    const Clock& clock = parts.clock ? *parts.clock : system;
    const QDateTime now = QDateTime::fromSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::seconds>(clock.wallNow().time_since_epoch())
            .count());
    QString name = PrintedFileName(parts.app);
    if (name.size() > 44) name = name.left(41) + QStringLiteral("...");
    return {name.toStdString(), now.date().toString(Qt::ISODate).toStdString()};
}

bool PrintTo(const ReportPrintParts& parts, QPrinter& printer) {
    BusyPointer busy;
    // The layout may snap off-grid EXP frequencies; it gets a copy so the
    // records the editors show stay as they are.
    DataSet data = parts.data;
    const std::vector<PrintPage> pages = MakeFramedPrintLayout(
        data, parts.app.modelNumber, PageSetupFor(printer), PrintFrameFor(parts));
    return PaintReport(printer, pages);
}

void ShowFailure(const ReportPrintParts& parts, const std::string& text) {
    parts.notifier.show(MessageIcon::Warning, ReportFailureTitle(parts.app), text);
}

// A PDF printer on `file`.
void PdfPrinter(const ReportPrintParts& parts, const QString& file, QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setCreator(QStringLiteral("QB41"));
    printer.setDocName(PrintedFileName(parts.app));
}

// A PDF that was written to its end closes with this line; a full disk or a
// failed write leaves it short.
bool CompletePdf(const QString& file) {
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly) || pdf.size() < 16) return false;
    pdf.seek(pdf.size() - 16);
    return pdf.read(16).contains("%%EOF");
}

// The report as a PDF at `path`, written beside it first and renamed over
// it only once complete, so a failure leaves an existing file as it was.
// Failures are shown: the file and why.
bool WritePdf(const ReportPrintParts& parts, const QString& path) {
    const std::filesystem::path target = SaveTarget(path.toStdString());
    const std::filesystem::path temp = SaveTemporaryName(target, platform::ProcessId());
    const QString tempName = QString::fromStdString(temp.string());
    const auto fail = [&](const std::string& cause) {
        QFile::remove(tempName);
        ShowFailure(parts,
                    FileMessage("The report could not be written to " + path.toStdString() + ".",
                                target, cause));
        return false;
    };
    {
        // QPrinter gives no reason when it cannot write: the file is made
        // first, to learn why.
        QFile probe(tempName);
        if (!probe.open(QIODevice::WriteOnly)) return fail(probe.errorString().toStdString());
    }
    {
        QPrinter printer(QPrinter::HighResolution);
        PdfPrinter(parts, tempName, printer);
        if (!PrintTo(parts, printer)) return fail("the pages could not be made");
    } // the printer closes the file
    if (!CompletePdf(tempName))
        return fail("the file could not be written to its end (is the disk full?)");
    if (const std::error_code ec = platform::RenameReplacing(temp, target))
        return fail(ec.message());
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

bool PrintReport(const ReportPrintParts& parts, QWidget* parent) {
    const QString pdf = qEnvironmentVariable("QB41_PRINT_PDF");
    if (!pdf.isEmpty()) return WritePdf(parts, pdf);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    printer.setDocName(PrintedFileName(parts.app));
    if (dialog.exec() != QDialog::Accepted) return false;
    if (PrintTo(parts, printer)) return true;
    ShowFailure(parts, "The report could not be printed.");
    return false;
}

bool ExportReportPdf(const ReportPrintParts& parts, const QString& path) {
    return WritePdf(parts, path);
}

} // namespace qb41::gui
