// The settings data file reader. It checks that the file was written for the
// selected model, parses the whole file into a SectionTable, then fills the
// record blocks from it. It is tolerant: a missing section or key, or a value
// that does not convert, leaves that field as it was (texts become empty), so
// files of models with fewer fields still load. The image is not touched.
#pragma once

#include "core/app_state.h"
#include "core/records.h"
#include "file_outcome.h"
#include "section_table.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb41 {

// Files larger than this are refused as unreadable: a complete settings file
// is about 100 KB, and parsing never holds more than a few times the file.
inline constexpr std::uintmax_t kMaxDataFileBytes = 8u << 20;

// MODELTYPE of the MAIN section, as the model check reads it; nullopt when it
// is missing or not a 16-bit number.
std::optional<std::int16_t> ReadModelType(std::string_view fileText);

// What the reader did with a value it did not take exactly as written.
struct LoadNote {
    enum class Kind {
        Refused,    // breaks its value rule: not read, the field keeps its value
        Flagged,    // read as written, but breaks its value rule (an off-raster frequency)
        Normalised, // read in the editor's form ("CHDisplayL=5" as "05", a directory gap closed)
    };
    Kind kind;
    std::string section; // as the file names it: "CHEXP3", "Common Setup"
    std::string key;     // "Rxfreq"
    std::string value;   // the file's value
    std::string text;    // what is wrong or what was done: "is outside 137 to 174 MHz; not read"
};

// Fills every record block from the table, in the file's reading order. A
// value that breaks its value rule (image/value_rules.h) is not read, so the
// records only ever hold values the editors accept and the encoder keeps;
// each such value, and each value read in the editor's form, adds a note.
void FillRecords(const SectionTable& table, Records& records, ModelNumber model,
                 std::vector<LoadNote>* notes = nullptr);

// Model check, parse and fill for one file's bytes. False (records untouched)
// when MODELTYPE does not name the model.
bool ReadDataFileText(std::string_view fileText, Records& records, ModelNumber model,
                      std::vector<LoadNote>* notes = nullptr);

// Reads a file into the records: WrongModel (records untouched, the cause
// naming both models) when it was written for another model, ReadFailed when
// it cannot be read.
FileOutcome ReadDataFileAt(Records& records, ModelNumber model, const std::filesystem::path& path);

// The main window caption: "QB41  PC Program for TQ4800M/LW6100 Series", led
// by the current file's name in lower case and " - " when one is set.
std::string WindowCaption(const AppState& app);

} // namespace qb41
