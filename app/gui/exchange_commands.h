// The window's exchange commands: File > Compare with... and Transfer >
// Compare with Radio (the fields that differ from another file or from the
// radio, named as qb41-cli diff names them), and File > Import CSV... /
// Export CSV... for the bank or directory in view. They use
// the same editor/ and files/ functions as the command-line tool.
#pragma once

#include "main_window.h"

namespace qb41::gui {

struct ExchangeParts {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    const ErrorLog& log;
};

inline constexpr const char* kCompareCaption = "Compare &with...";
inline constexpr const char* kCompareRadioCaption = "&Compare with Radio";
inline constexpr const char* kImportCsvCaption = "&Import CSV...";
inline constexpr const char* kExportCsvCaption = "E&xport CSV...";
inline constexpr const char* kCsvFileFilter = "csv files(*.csv)|*.csv|All files(*.*)|*.*";
inline constexpr const char* kCompareFileFilter =
    "settings files(*.dat;*.hex;*.ini)|*.dat;*.hex;*.ini|All files(*.*)|*.*";

// Adds mnuFileCompare, mnuFileImportCsv and mnuFileExportCsv before File >
// Exit, and mnuTransferCompare at the end of the Transfer menu.
void InstallExchangeCommands(MainWindow& window, ExchangeParts parts);

// The commands themselves, for a file chosen already.
void CompareWithFile(MainWindow& window, const ExchangeParts& parts, const std::string& path);
void ExportCsvFile(MainWindow& window, const ExchangeParts& parts, const std::string& path);
// The radio read through the transfer dialog into a copy (the window's data
// set is left alone), then the fields that differ.
void CompareWithRadio(MainWindow& window, const ExchangeParts& parts);
void ImportCsvFile(MainWindow& window, const ExchangeParts& parts, const std::string& path);

} // namespace qb41::gui
