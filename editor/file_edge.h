// The edge of the file operations: where their outcomes become the program's
// error and cancel flags, log lines and messages.
//
// The operations in files/ (ReadDataFileAt, WriteImageFileAt,
// ReadDestinationFileAt, ...) return a FileOutcome (status, reason, path,
// cause; files/file_outcome.h) and neither show, log nor set a flag. The
// operations here (FileRead2, SaveFileAs, OpenImageFile, LoadDataSet, ...)
// are what the window's session and the command-line tool call: each runs one
// of them and hands its outcome to ApplyFileOutcome, the one place that
// follows the program's failure convention (error and cancel flags of
// AppState, the log line under the fixed source name, the fixed message
// through the Notifier). They return whether the operation succeeded, for
// callers without flags.
#pragma once

#include "core/app_state.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"
#include "files/file_outcome.h"
#include "files/value_conversion.h"

#include <filesystem>
#include <optional>
#include <string>

namespace qb41 {

// What a file operation works on and reports through. The GUI's flows add the
// window handling (busy pointer, disabled window, 500 ms pauses) around it.
struct FileContext {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    const ErrorLog& log;
};

// The flags, the log line and the message of `outcome`, exactly as the
// program has always reported each operation; true when it is Ok.
bool ApplyFileOutcome(FileContext& context, const FileOutcome& outcome);

// --- The settings data file

// ReadDataFileAt into the data set's records: "different model!!" (error flag
// set, records untouched) when it was written for another model; "FileRead
// Error!!" (logged under "frmMain.FileRead2", error and cancel flags set) when
// it cannot be read.
bool FileRead2(FileContext& context, const std::filesystem::path& path);

// File > Open after the dialog: an empty name means the dialog was cancelled
// (cancel flag stays set). On success the name becomes the current file name
// and the cancel flag is cleared.
bool OpenDataFile(FileContext& context, const std::string& name);

// WriteDataFileAt for the current records and model. On failure: "FileSave
// Error!!", logged under "frmMain.SaveFileAs", error and cancel flags set, the
// previous file intact. Changes neither the records, the current file name
// nor the data-changed flag.
bool SaveFileAs(FileContext& context, const std::filesystem::path& path,
                char decimalSeparator = UserDecimalSeparator());

// File > Save / Save As after the dialog (`name` in UTF-8): an empty name
// means the dialog was cancelled (cancel flag stays set). On success the name
// becomes the current file name and the cancel flag is cleared.
bool SaveDataFile(FileContext& context, const std::string& name,
                  char decimalSeparator = UserDecimalSeparator());

// --- The image file

// WriteImageFileAt. On failure: "FileSave Error!!", logged under
// "frmMain.SaveHexFileAs", error and cancel flags set, the old file intact.
bool SaveHexFileAs(FileContext& context, const std::filesystem::path& path);

// Ctrl+F3 after the dialog: encodes the records, repairs the channel
// references, sets the checksum, then SaveHexFileAs. An encode failure is
// reported like a write failure. The current file name is not changed.
bool SaveImageFile(FileContext& context, const std::filesystem::path& path);

// Reads an image file of the selected model into data.image and decodes it.
// "ModelType Error !!" (title "Read from Radio", error flag set) when its model
// words do not match; "FileRead Error!!" (logged under "frmMain.ReadHexFileAs",
// error and cancel flags set) when it cannot be read or decoded. A refused or
// failed read leaves image and records as they were.
bool ReadHexFileAs(FileContext& context, const std::filesystem::path& path);

// Ctrl+F2 after the dialog: the length check ("bad file!!", error flag set,
// nothing read), then ReadHexFileAs; on success the path becomes the current
// file name and the data-changed flag is cleared.
bool OpenImageFile(FileContext& context, const std::filesystem::path& path);

// --- Destination default files

// Loads a destination default file of the selected model into data.image and
// decodes it. A file of the wrong length is refused silently (false, no flag);
// model words of another model set the error flag, silently. A missing or
// unreadable file, or a failing decode, is logged under "frmMain.FileReadIni"
// and sets the error and cancel flags; no message either way, the caller
// decides what to show. A refused or failed load changes nothing.
bool FileReadIni(FileContext& context, const std::filesystem::path& path);

// --- Whole data sets by file kind

// The base every load starts from: a fresh data set for app.modelNumber and,
// when `destination` names one, that destination default file read over the
// defaults (a destination that fails to load leaves the defaults).
void MakeLoadBase(FileContext& context, const std::filesystem::path& destination = {});

// MakeLoadBase without a destination, then the file read on top with the
// operation of its kind (FileRead2, the image-file open, FileReadIni). A
// destination file refused for its length or model also reports
// "IniFileRead Error!!", as an explicit destination switch does.
bool LoadDataSet(FileContext& context, const std::filesystem::path& path);

// Selects `model`, or when it is not given the model the file names, then
// LoadDataSet. A file that names no model is loaded for the model already
// selected, so that the file's own check refuses it with its own message.
bool LoadDataSetFor(FileContext& context, const std::filesystem::path& path,
                    std::optional<ModelNumber> model);

// SaveFileAs, SaveImageFile or SaveReportText by the kind of `path`.
bool SaveDataSet(FileContext& context, const std::filesystem::path& path);

// The report text export (WriteReportFileAt): the report text followed by one
// CR LF, replacing the target only after a complete write. On failure the
// system's description of the error is shown, titled with the model name, a
// blank and the window title; the error and cancel flags are set.
bool SaveReportText(FileContext& context, const std::filesystem::path& path);

} // namespace qb41
