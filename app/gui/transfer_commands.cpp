#include "transfer_commands.h"

#include "radio_dialog.h"
#include "report_printer.h"
#include "report_window.h"

#include "core/errors.h"
#include "editor/transfer_follow_up.h"
#include "files/file_io.h"
#include "image/layout.h"
#include "link/explanation.h"
#include "link/messages.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace qb41::gui {
namespace {

void ExportPdf(MainWindow& window, const CommandParts& parts) {
    if (!window.validateEditor()) return;
    const QString current =
        QFileInfo(QString::fromStdString(parts.app.currentFileName)).completeBaseName();
    const QString name =
        window.fileDialogs().ask(&window, {QString::fromLatin1(kPdfFileFilter), true,
                                           (current.isEmpty() ? QStringLiteral("radio") : current) +
                                               QStringLiteral(".pdf")});
    if (name.isEmpty()) {
        parts.app.cancelFlag = true;
        return;
    }
    ExportReportPdf({parts.app, parts.data, parts.notifier, &parts.clock}, name);
}

std::function<void(int)> HelpFor(MainWindow& window, const CommandParts& parts, TransferMode mode) {
    std::error_code error;
    if (parts.helpFile.empty() || !std::filesystem::is_regular_file(parts.helpFile, error))
        return {};
    return [&window, mode](int context) {
        window.openHelp(context, QString::fromStdString(TransferCaption(mode)));
    };
}

// The modal dialog of one run; `restore` is a backup's image and model.
// Returns what the user chose to do next, if anything.
std::optional<TransferBox> RunDialog(MainWindow& window, const CommandParts& parts,
                                     TransferMode mode, RadioDialogParts dialogParts) {
    const bool dialogRestores = dialogParts.plan.restoreImage.has_value();
    RadioDialog dialog(mode, std::move(dialogParts), &window);
    QObject::connect(&dialog, &RadioDialog::runningChanged, &window,
                     [&window](bool running) { window.setTransferRunning(running); });
    dialog.exec();
    window.setTransferRunning(false);
    const TransferResult* result = dialog.result();
    // A restore programs a backup; the window's records and image stay.
    if (!dialogRestores)
        editor::ApplyTransferFollowUp({parts.app, parts.data, window.session(), window},
                                      FollowUpAfterTransfer(mode, parts.app.completed),
                                      result ? &result->data : nullptr);
    if (mode == TransferMode::Read) parts.app.completed = false;
    if (const TransferBox* offer = dialog.chosenOffer()) return *offer;
    return std::nullopt;
}

RadioDialogParts DialogParts(MainWindow& window, const CommandParts& parts, TransferMode mode) {
    RadioDialogParts dialog{parts.app,
                            parts.data,
                            window.session().PortDevice(),
                            {parts.notifier, parts.log, parts.timing},
                            HelpFor(window, parts, mode)};
    dialog.plan.mode = mode;
    dialog.plan.backupFolder = parts.backupFolder;
    if (parts.store) dialog.plan.choices = ReadProgramChoices(*parts.store);
    return dialog;
}

// What a Yes in a box after the run leads to.
void FollowOffer(MainWindow& window, const CommandParts& parts, const TransferBox& offer) {
    if (offer.offer == TransferBox::Offer::RestoreBackup) {
        RunRestoreCommand(window, parts);
    } else if (offer.offer == TransferBox::Offer::SwitchModel) {
        window.session().ChooseModel(offer.model);
        if (parts.app.modelNumber != offer.model) return; // the switch was refused
        // The reset the switch armed, done now, so the read works on the new
        // model's data set; the armed one fires within this one's pause and
        // does the same.
        window.session().OnResetTimer();
        RunTransferCommand(window, parts, TransferMode::Read);
    }
}

} // namespace

void RunTransferCommand(MainWindow& window, const CommandParts& parts, TransferMode mode) {
    if (mode == TransferMode::Read && !window.session().OfferToSaveChanges()) return;
    parts.app.transferMode = mode;
    std::optional<TransferBox> offer =
        RunDialog(window, parts, mode, DialogParts(window, parts, mode));
    if (offer) FollowOffer(window, parts, *offer);
}

bool RestoreBackup(MainWindow& window, const CommandParts& parts,
                   const std::filesystem::path& file) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(file, kImageCapacity);
    } catch (const std::exception& error) {
        parts.notifier.show(MessageIcon::Critical, link::kTitleProgram,
                            FileMessage("FileRead Error!!", file, FileFailureCause(error)));
        return false;
    }
    std::optional<ModelNumber> model;
    if (bytes.size() >= layout::kModelIdFront + layout::kModelIdSize) {
        const auto code = static_cast<std::uint16_t>(
            static_cast<std::uint8_t>(bytes[layout::kModelIdFront]) << 8 |
            static_cast<std::uint8_t>(bytes[layout::kModelIdFront + 1]));
        const ModelInfo* info = FindModelByCode(code);
        if (info && info->imageSize == static_cast<int>(bytes.size())) model = info->number;
    }
    if (!model) {
        parts.notifier.show(
            MessageIcon::Critical, link::kTitleProgram,
            FileMessage("FileRead Error!!", file, "not a radio image of a known model"));
        return false;
    }
    parts.app.transferMode = TransferMode::Write;
    RadioDialogParts dialog = DialogParts(window, parts, TransferMode::Write);
    dialog.plan.restoreImage = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    dialog.restoreModel = model;
    std::optional<TransferBox> offer = RunDialog(window, parts, TransferMode::Write, dialog);
    if (offer) FollowOffer(window, parts, *offer);
    return true;
}

void RunRestoreCommand(MainWindow& window, const CommandParts& parts) {
    if (!window.validateEditor()) return;
    const std::vector<BackupEntry> backups = ListBackups(parts.backupFolder);
    if (backups.empty()) {
        parts.notifier.show(MessageIcon::Information, kRestoreCaption,
                            "There is no backup in " + parts.backupFolder.string() + ".");
        return;
    }
    QDialog chooser(&window);
    chooser.setObjectName(QStringLiteral("dlgRestoreBackup"));
    chooser.setWindowTitle(QString::fromLatin1(kRestoreCaption));
    auto* layout = new QVBoxLayout(&chooser);
    auto* label = new QLabel(QStringLiteral("Choose the backup to program into the radio as it "
                                            "stands (from %1):")
                                 .arg(QString::fromStdString(parts.backupFolder.string())),
                             &chooser);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* list = new QTableWidget(static_cast<int>(backups.size()), 3, &chooser);
    list->setObjectName(QStringLiteral("lstBackups"));
    list->setHorizontalHeaderLabels(
        {QStringLiteral("Model"), QStringLiteral("Date"), QStringLiteral("File")});
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    for (int row = 0; row < static_cast<int>(backups.size()); ++row) {
        const BackupEntry& entry = backups[static_cast<std::size_t>(row)];
        list->setItem(
            row, 0, new QTableWidgetItem(QString::fromStdString(link::ModelWithCode(entry.model))));
        list->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(entry.date)));
        auto* file = new QTableWidgetItem(QString::fromStdString(entry.path.filename().string()));
        file->setToolTip(QString::fromStdString(entry.path.string()));
        list->setItem(row, 2, file);
    }
    list->resizeColumnsToContents();
    list->horizontalHeader()->setStretchLastSection(true);
    list->selectRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &chooser);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &chooser, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &chooser, &QDialog::reject);
    QObject::connect(list, &QTableWidget::cellDoubleClicked, &chooser, &QDialog::accept);
    chooser.resize(640, 320);
    if (chooser.exec() != QDialog::Accepted || list->currentRow() < 0) return;
    RestoreBackup(window, parts, backups[static_cast<std::size_t>(list->currentRow())].path);
}

void InstallTransferAndReports(MainWindow& window, CommandParts parts) {
    // The handlers share one copy of the parts for the window's lifetime.
    auto shared = std::make_shared<CommandParts>(std::move(parts));
    window.setTransferHandler(
        [&window, shared](TransferMode mode) { RunTransferCommand(window, *shared, mode); });
    window.setPrintHandler([&window, shared] {
        PrintReport({shared->app, shared->data, shared->notifier, &shared->clock}, &window);
    });
    window.setPrintToFileHandler([&window, shared] {
        ReportWindow report(
            {shared->app, shared->data, shared->notifier, shared->clock, window.fileDialogs()},
            &window);
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

    if (auto* transfer = window.findChild<QMenu*>(QStringLiteral("mnuTransfer"))) {
        auto* restore = new QAction(QStringLiteral("Restore &Backup..."), transfer);
        restore->setObjectName(QStringLiteral("mnuTransferRestore"));
        transfer->addAction(restore);
        QObject::connect(restore, &QAction::triggered, &window,
                         [&window, shared] { RunRestoreCommand(window, *shared); });
    }
    if (auto* options = window.findChild<QMenu*>(QStringLiteral("mnuOptions"))) {
        const ProgramChoices stored =
            shared->store ? ReadProgramChoices(*shared->store) : ProgramChoices{};
        options->addSeparator();
        const auto choice = [&](const char* name, const char* caption, bool checked,
                                bool ProgramChoices::*field) {
            auto* item = new QAction(QString::fromLatin1(caption), options);
            item->setObjectName(QString::fromLatin1(name));
            item->setCheckable(true);
            item->setChecked(checked);
            options->addAction(item);
            QObject::connect(item, &QAction::toggled, &window, [shared, field](bool on) {
                if (!shared->store) return;
                ProgramChoices choices = ReadProgramChoices(*shared->store);
                choices.*field = on;
                SaveProgramChoices(*shared->store, choices);
            });
        };
        choice("mnuOptionsVerify", "&Verify after Program", stored.verify, &ProgramChoices::verify);
        choice("mnuOptionsChangedOnly", "&Write only changes", stored.changedOnly,
               &ProgramChoices::changedOnly);
    }
}

} // namespace qb41::gui
