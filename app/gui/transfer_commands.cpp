#include "transfer_commands.h"

#include "radio_dialog.h"
#include "report_printer.h"
#include "report_window.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>

#include <memory>

namespace qb41::gui {
namespace {

// The DSC pane's counter field shows image byte 501.
void RefreshCounterField(MainWindow& window, AppState& app, const DataSet& data) {
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("txtFCount"));
    if (!field) return;
    const bool wasLoading = app.loading;
    app.loading = true;
    field->setText(QString::number(data.image[501]));
    app.loading = wasLoading;
}

void ExportPdf(MainWindow& window, const CommandParts& parts) {
    if (!window.validateEditor()) return;
    const QStringList filters = QString::fromLatin1(kPdfFileFilter).split(QLatin1Char('|'));
    const QString name = QFileDialog::getSaveFileName(
        &window, QString(), QDir::homePath(), filters[0] + QStringLiteral(";;") + filters[2]);
    if (name.isEmpty()) {
        parts.app.cancelFlag = true;
        return;
    }
    ExportReportPdf({parts.app, parts.data, parts.notifier}, name);
}

} // namespace

void ApplyTransferFollowUp(MainWindow& window, AppState& app, DataSet& data,
                           const TransferFollowUp& followUp, const DataSet* result) {
    editor::Session& session = window.session();
    if (followUp.adoptData && result) data = *result;
    if (followUp.showGeneral || followUp.clearFileName) {
        // "General", the tree and its texts, no file name, the caption, and
        // the data-changed flag cleared.
        session.AfterRadioRead();
    } else if (followUp.rebuildTree) {
        session.BuildTree();
    }
    if (followUp.showCurrentPane) session.ShowCurrentPane();
    if (followUp.clearDataChanged) app.dataChanged = false;
    if (followUp.setDataChanged) app.dataChanged = true;
    if (followUp.refreshCounter) RefreshCounterField(window, app, data);
}

void RunTransferCommand(MainWindow& window, const CommandParts& parts, TransferMode mode) {
    if (mode == TransferMode::Read && !window.session().OfferToSaveChanges()) return;
    AppState& app = parts.app;
    app.transferMode = mode;
    std::function<void(int)> help;
    std::error_code error;
    if (!parts.helpFile.empty() && std::filesystem::is_regular_file(parts.helpFile, error))
        help = [&window, mode](int context) {
            window.openHelp(context, QString::fromStdString(TransferCaption(mode)));
        };
    RadioDialog dialog(mode,
                       {app,
                        parts.data,
                        window.session().PortDevice(),
                        {parts.notifier, parts.log, parts.timing},
                        help},
                       &window);
    QObject::connect(&dialog, &RadioDialog::runningChanged, &window,
                     [&window](bool running) { window.setTransferRunning(running); });
    dialog.exec();
    window.setTransferRunning(false);
    const TransferResult* result = dialog.result();
    ApplyTransferFollowUp(window, app, parts.data, FollowUpAfterTransfer(mode, app.completed),
                          result ? &result->data : nullptr);
    if (mode == TransferMode::Read) app.completed = false;
}

void InstallTransferAndReports(MainWindow& window, CommandParts parts) {
    // The handlers share one copy of the parts for the window's lifetime.
    auto shared = std::make_shared<CommandParts>(std::move(parts));
    window.setTransferHandler(
        [&window, shared](TransferMode mode) { RunTransferCommand(window, *shared, mode); });
    window.setPrintHandler([&window, shared] {
        PrintReport({shared->app, shared->data, shared->notifier}, &window);
    });
    window.setPrintToFileHandler([&window, shared] {
        ReportWindow report({shared->app, shared->data, shared->notifier, shared->clock}, &window);
        report.exec();
    });

    QMenu* file = window.fileMenu();
    QAction* after = window.action(QStringLiteral("mnuFilePrintToFile"));
    const QList<QAction*> actions = file->actions();
    const qsizetype at = actions.indexOf(after);
    QAction* before = at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr;
    auto* exportPdf = new QAction(QString::fromLatin1(kExportPdfCaption), file);
    exportPdf->setObjectName(QStringLiteral("mnuFileExportPdf"));
    file->insertAction(before, exportPdf);
    QObject::connect(exportPdf, &QAction::triggered, &window,
                     [&window, shared] { ExportPdf(window, *shared); });
}

} // namespace qb41::gui
