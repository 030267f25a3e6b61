// The main window's transfer and report commands: Transfer > Read from Radio
// and Program to Radio and the DSC pane's counter Clear (the transfer dialog,
// then the follow-up in the window), File > Print, Print to File and Export
// PDF. The application installs them once, right after making the window.
#pragma once

#include "main_window.h"
#include "transfer_runner.h"

#include "editor/transfer_flow.h"

#include <filesystem>

namespace qb41::gui {

struct CommandParts {
    AppState& app;
    DataSet& data;
    Notifier& notifier; // safe to call from the transfer's worker thread
    const ErrorLog& log;
    Clock& clock;
    std::filesystem::path helpFile; // empty or missing: no help
    link::LinkTiming timing{};
};

inline constexpr const char* kExportPdfCaption = "&Export PDF...";
inline constexpr const char* kPdfFileFilter = "PDF files(*.pdf)|*.pdf|All files(*.*)|*.*";

// Sets the window's transfer, print and print-to-file handlers and adds
// File > Export PDF (mnuFileExportPdf) after Print to File.
void InstallTransferAndReports(MainWindow& window, CommandParts parts);

// One transfer command: the modal dialog, then the follow-up.
void RunTransferCommand(MainWindow& window, const CommandParts& parts, TransferMode mode);

// Brings the window up to date after a transfer: `result` is the data set the
// last run worked on (null when none ran).
void ApplyTransferFollowUp(MainWindow& window, AppState& app, DataSet& data,
                           const TransferFollowUp& followUp, const DataSet* result);

} // namespace qb41::gui
