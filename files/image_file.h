// The image file (.hex): RadioImage byte for byte, no header, 8192 bytes for
// model 1 and 16384 for the others. Destination default files share its
// format and its loading rules (see destination_files.h).
#pragma once

#include "core/records.h"
#include "file_outcome.h"

#include <filesystem>
#include <optional>
#include <string>

namespace qb41 {

// The image's bytes from the start of an image file for the model; bytes after
// the image are not read. Throws RuntimeError when the file cannot be read; a
// file shorter than the image leaves the rest of the buffer zero, so its model
// words normally fail the check.
std::string ReadImageBytes(const std::filesystem::path& path, ModelNumber model);

// The model check over an image file's bytes: the big-endian word at 64-65
// and the one in the image's last two bytes must both be the model's code.
bool ImageBytesMatchModel(const std::string& bytes, ModelNumber model);

// Copies the image's bytes into data.image (0 to the model's last index).
void CopyImageBytes(const std::string& bytes, ModelNumber model, DataSet& data);

// Writes data.image (0 to data.imageLastIndex) as it stands, replacing the
// target only after a complete write (a longer old file is therefore cut to
// the image length); SaveFailed, the old file intact, when it cannot.
FileOutcome WriteImageFileAt(const DataSet& data, const std::filesystem::path& path);
// Encodes the records, repairs the channel references, sets the checksum,
// then WriteImageFileAt; an encode failure is SaveFailed too.
FileOutcome PrepareAndWriteImageFileAt(DataSet& data, ModelNumber model,
                                       const std::filesystem::path& path);
// Reads an image file of the model into data.image and decodes it: WrongModel
// when its model words are another model's, ReadFailed when it cannot be read
// or decoded; either leaves image and records as they were.
FileOutcome ReadImageFileAt(DataSet& data, ModelNumber model, const std::filesystem::path& path);
// WrongLength (the cause names both lengths) when the file's length is not the
// model's image size; ReadFailed when its length cannot be had.
FileOutcome CheckImageFileLength(ModelNumber model, const std::filesystem::path& path);

// The program's image-file operations with their messages and flags
// (SaveHexFileAs, SaveImageFile, ReadHexFileAs, OpenImageFile) are at the
// edge, editor/file_edge.h.

} // namespace qb41
