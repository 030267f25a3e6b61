// files: everything QB41 keeps on disk. The settings data file (.dat, the
// sectioned key=value text the user keeps a radio's configuration in), the
// image file (.hex, raw RadioImage bytes, a service feature), the destination
// default files (raw images beside the executable that seed each region's
// factory set) and the keys of the per-user settings store. Plain C++ on top
// of core (records, errors), image (the codec) and report (SplitList,
// PriorityText, the report text). No Qt.
//
// Failures travel one way. What a file operation tells its caller, as the
// clone link's runs do, is the outcome as data (status, reason, path, cause).
// The operations that return one (ReadDataFileAt, WriteImageFileAt, ...)
// neither show a message, log nor touch AppState, and nothing in files/ does:
// the program's messages, log lines and error and cancel flags are made from
// the outcome at one edge outside it, ApplyFileOutcome (editor/file_edge.h),
// which the window's session and the command-line tool reach through the
// FileContext operations (FileRead2, SaveFileAs, ...).
#pragma once

#include <exception>
#include <filesystem>
#include <string>

namespace qb41 {

enum class FileStatus { Ok, Failed };

// Why a file operation did not complete; None when it did.
enum class FileReason {
    None,
    ReadFailed,  // the file could not be read, or its contents not decoded
    SaveFailed,  // the file could not be written, or the records not encoded
    WrongModel,  // made for another model (MODELTYPE, or the image's code words)
    WrongLength, // an image or destination file whose length is not the model's image size
};

// Which operation an outcome is of: it decides the message and the log source.
enum class FileOperation {
    ReadDataFile,
    SaveDataFile,
    ReadImageFile,
    SaveImageFile,
    ReadDestinationFile,
    SaveReportText,
};

struct FileOutcome {
    FileOperation operation = FileOperation::ReadDataFile;
    FileStatus status = FileStatus::Ok;
    FileReason reason = FileReason::None;
    std::filesystem::path path;
    // Why, in plain words, for the line after the message: "permission denied",
    // "the file's model is ZH520, the selected model LW6100"; empty when Ok.
    std::string cause;
    // A trapped failure: its number directly followed by its description, as
    // logged; empty otherwise.
    std::string errorText;
    // A trapped failure: the error's own description (what the report export
    // shows); empty otherwise.
    std::string description;

    bool ok() const { return status == FileStatus::Ok; }
};

// An outcome that completed.
FileOutcome FileSucceeded(FileOperation operation, const std::filesystem::path& path);
// A failure that is not an exception (another model, a wrong length).
FileOutcome FileRefused(FileOperation operation, FileReason reason,
                        const std::filesystem::path& path, std::string cause);
// A trapped exception: ReadFailed or SaveFailed by the operation, with the
// error's cause and text.
FileOutcome FileTrapped(FileOperation operation, const std::filesystem::path& path,
                        const std::exception& error);

} // namespace qb41
