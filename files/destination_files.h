// Destination default files: one raw image per region and model beside the
// executable, named destination name + model code suffix + ".ini"
// ("usa_12C0.ini"), and the catalogue the Destination menu is built from.
#pragma once

#include "core/records.h"
#include "file_outcome.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qb41 {

// The Destination menu has room for this many destinations.
inline constexpr std::size_t kMaxDestinations = 10;

// Loads a destination default file of `model` into data.image and decodes it:
// WrongLength, WrongModel or ReadFailed (with the cause) leave it as it was.
// (FileReadIni, editor/file_edge.h, reports it as the program does.)
FileOutcome ReadDestinationFileAt(DataSet& data, ModelNumber model,
                                  const std::filesystem::path& path);

// One destination default file and the name the menu offers it under: the
// file name up to its first underscore ("east_coast_12C0.ini" is "east");
// where two files would share a name, the file name without the suffix.
struct DestinationFile {
    std::string name;
    std::filesystem::path file; // the file that was listed, loaded as it is
};

// Why a destination default file `path` is refused or fails to load for
// `model`, in words
// ("the file is missing", "its length is 100 bytes, not the 16384 of the
// model's image", ...).
std::string DestinationFailureCause(const std::filesystem::path& path, ModelNumber model);

// The model's files in `folder`: names ending in the model code suffix and
// ".ini" (ignoring case), regular files only, a file whose name would be empty
// skipped; the first kMaxDestinations in file-name order ignoring case (the
// folder's own order is arbitrary on some systems), then sorted by name
// ignoring case. Empty when none match or the folder cannot be listed.
std::vector<DestinationFile> ListDestinationFiles(const std::filesystem::path& folder,
                                                  ModelNumber model);
// The names of ListDestinationFiles.
std::vector<std::string> ListDestinations(const std::filesystem::path& folder, ModelNumber model);

// The menu's sort: a Shell sort comparing without regard to case (gap from
// half the count halving down to 1, passes repeated while a swap happened).
void SortDestinationNames(std::vector<std::string>& names);

// folder / (name + model code suffix + ".ini").
std::filesystem::path DestinationFilePath(const std::filesystem::path& folder,
                                          const std::string& name, ModelNumber model);

// The index of the first name equal to `stored` ignoring case.
std::optional<std::size_t> FindDestination(const std::vector<std::string>& names,
                                           const std::string& stored);
std::optional<std::size_t> FindDestination(const std::vector<DestinationFile>& files,
                                           const std::string& stored);

} // namespace qb41
