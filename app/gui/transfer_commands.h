// The main window's transfer and report commands: Transfer > Read from Radio
// and Program to Radio and the DSC pane's counter Clear (the transfer dialog,
// then the follow-up in the window), File > Print, Print to File and Export
// PDF. The application installs them once, right after making the window.
#pragma once

#include "main_window.h"
#include "transfer_runner.h"

#include "editor/transfer_flow.h"
#include "files/backup_files.h"
#include "files/settings_store.h"

#include <filesystem>

namespace qb41::gui {

struct CommandParts {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    const ErrorLog& log;
    Clock& clock;
    std::filesystem::path helpFile; // empty or missing: no help
    link::LinkTiming timing{};
    // Where Program and Clear keep the backup they read first.
    std::filesystem::path backupFolder = BackupFolder();
    // Options > Verify after Program and Write only changes are kept here;
    // null: neither is set.
    SettingsStore* store = nullptr;
};

inline constexpr const char* kExportPdfCaption = "&Export PDF...";
inline constexpr const char* kRestoreCaption = "Restore Backup";
inline constexpr const char* kPdfFileFilter = "PDF files(*.pdf)|*.pdf|All files(*.*)|*.*";

// Sets the window's transfer, print and print-to-file handlers and adds
// File > Export PDF (mnuFileExportPdf) after Print to File, Transfer >
// Restore Backup... (mnuTransferRestore) and, under Options, Verify after
// Program (mnuOptionsVerify) and Write only changes (mnuOptionsChangedOnly).
void InstallTransferAndReports(MainWindow& window, CommandParts parts);

// One transfer command: the modal dialog, then the follow-up.
void RunTransferCommand(MainWindow& window, const CommandParts& parts, TransferMode mode);

// Transfer > Restore Backup...: the list of backups (model, date, file); the
// one chosen is programmed as it stands.
void RunRestoreCommand(MainWindow& window, const CommandParts& parts);
// Programs `file`, a backup, as it stands; false (with a message) when it
// cannot be read or is no image of a known model.
bool RestoreBackup(MainWindow& window, const CommandParts& parts,
                   const std::filesystem::path& file);

} // namespace qb41::gui
