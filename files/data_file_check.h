// A settings data file looked at line by line for what the tolerant reader
// passes over in silence: sections a complete file always has that this one
// lacks, unknown sections and keys, duplicate sections, values the reader does
// not keep as written (outside their range or not a number), MMSIs and ATIS
// codes of the wrong form and names longer than the radio keeps.
//
// The reader never fails on them: these are findings to show (qb41-cli
// check, the warning box after Open, warnings before convert and report), and
// write refuses a file with value findings unless forced. Values that break
// their value rule are not read; the reader's notes say which.
#pragma once

#include "core/model.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qb41 {

struct DataFileFinding {
    enum class Kind {
        MissingSection, // a complete file always has it (line 0)
        UnknownSection,
        UnknownKey,
        DuplicateSection,
        BadValue,   // outside its range, or not a number where one belongs
        BadMmsi,    // not 9 digits
        BadAtis,    // not 10 digits starting with 9
        LongName,   // longer than the radio keeps
        NoModel,    // MODELTYPE missing or not a model number
        Normalised, // read in the editor's form, or a directory gap closed on reading
    };
    Kind kind;
    int line; // 1-based; 0 when the finding is about the whole file
    std::string text;
};

// Every finding for one file's text, in line order (missing sections last).
// The file is checked against the model its MODELTYPE names (model 2 when none).
std::vector<DataFileFinding> CheckDataFileText(std::string_view text);

// Only the sections a complete file for `model` has that `text` lacks, as
// they are written ("[CHUSA17]", "[Common Setup]").
std::vector<std::string> MissingSections(std::string_view text, ModelNumber model);

// "line 12: unknown key Foo in [Common Setup]"
std::string FindingLine(const DataFileFinding& finding);

// True for the findings about values (outside a value rule, not a number,
// wrong MMSI or ATIS code, names too long): write refuses a file that has
// them unless forced. Missing sections, unknown keys and values read in the
// editor's form are not value findings.
bool IsValueFinding(const DataFileFinding& finding);

// The findings of a loaded settings file, as check lists them: what Open
// shows in its warning box. Empty when the file cannot be read (the load
// reports that itself).
std::vector<DataFileFinding> DataFileFindings(const std::filesystem::path& path);

} // namespace qb41
