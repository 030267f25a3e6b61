// The settings data file writer: the whole file, written from the records in a
// fixed order of sections and keys, every line ended by CR LF. A line whose
// value cannot be written (a flag of -32768, a text holding a line break, a
// frequency that is not a number) is left out and the rest is still written.
#pragma once

#include "core/records.h"
#include "file_outcome.h"
#include "value_conversion.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace qb41 {

// Receives the file's lines one by one, in file order, without the text:
// a section header ("CHUSA16") or a key with its value ("ChTag", "BOAT"),
// `marked` when the file writes the value after "#".
class DataFileLines {
public:
    virtual void section(std::string_view name) = 0;
    virtual void value(std::string_view key, std::string_view value, bool marked) = 0;

protected:
    ~DataFileLines() = default;
};

// The file's lines for the records as the model has them.
void WriteDataFileLines(const Records& records, ModelNumber model, char decimalSeparator,
                        DataFileLines& sink);

// The file's bytes for the records as the model has them.
std::string FormatDataFile(const Records& records, ModelNumber model, char decimalSeparator);

// Writes the file for the records and model, replacing the target only after
// a complete write: SaveFailed (the previous file intact) when it cannot.
FileOutcome WriteDataFileAt(const Records& records, ModelNumber model,
                            const std::filesystem::path& path, char decimalSeparator);

} // namespace qb41
