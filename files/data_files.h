// Loading and saving whole data sets by file kind, as the program does it: a
// load starts from a fresh data set for the model and reads the file on top;
// a save writes the kind the file name asks for. The operations that load and
// save whole data sets with the program's messages and flags (LoadDataSet,
// SaveDataSet, ...) are at the edge, editor/file_edge.h.
#pragma once

#include "core/records.h"
#include "file_outcome.h"

#include <filesystem>
#include <optional>

namespace qb41 {

enum class FileKind {
    DataFile,        // ".dat", the settings data file
    ImageFile,       // ".hex", a raw image
    DestinationFile, // ".ini", a destination default file (a raw image)
    ReportText,      // ".txt", the report text export (save only)
    Unknown,
};

// By extension, ignoring case.
FileKind FileKindOf(const std::filesystem::path& path);

// The kinds a data set can be loaded from and saved to.
bool CanLoad(FileKind kind); // .dat, .hex, .ini
bool CanSave(FileKind kind); // .dat, .hex, .txt

// The model a file was made for: MODELTYPE of a settings data file (0 to 3),
// or for an image the model whose image length and code words it carries.
// nullopt when it names none or cannot be read (the load then says why).
std::optional<ModelNumber> DetectFileModel(const std::filesystem::path& path, FileKind kind);

// The report text export: the report text followed by one CR LF, replacing
// the target only after a complete write; SaveFailed (the error's own
// description in `description`) when it cannot be written.
FileOutcome WriteReportFileAt(DataSet& data, ModelNumber model, const std::filesystem::path& path);

} // namespace qb41
