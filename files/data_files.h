// Loading and saving whole data sets by file kind, as the program does it: a
// load starts from a fresh data set for the model and reads the file on top;
// a save writes the kind the file name asks for. The FileContext operations
// report at the edge (file_context.cpp). Used by the command-line
// tool; the GUI calls the single operations from its menus.
#pragma once

#include "file_context.h"

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

// The report text export: the report text followed by one CR LF, replacing
// the target only after a complete write. On failure the system's description
// of the error is shown, titled with the model name, a blank and the window
// title; the error and cancel flags are set.
bool SaveReportText(FileContext& context, const std::filesystem::path& path);
// The report text export without the edge: SaveFailed (the error's own
// description in `description`) when it cannot be written.
FileOutcome WriteReportFileAt(DataSet& data, ModelNumber model, const std::filesystem::path& path);

} // namespace qb41
