// A settings data file looked at line by line for what the tolerant reader
// passes over in silence: sections a complete file always has that this one
// lacks, unknown sections and keys, duplicate sections, values the reader does
// not keep as written (outside their range or not a number), MMSIs and ATIS
// codes of the wrong form and names longer than the radio keeps.
//
// The reader itself is unchanged: these are findings to show (qb41-cli check,
// and as warnings before convert, report and write), never reasons it fails.
#pragma once

#include "core/model.h"

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
        BadValue, // outside its range, or not a number where one belongs
        BadMmsi,  // not 9 digits
        BadAtis,  // not 10 digits starting with 9
        LongName, // longer than the radio keeps
        NoModel,  // MODELTYPE missing or not a model number
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

} // namespace qb41
