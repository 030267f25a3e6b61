// The value rules: for every stored field, the values the radio keeps exactly
// (range, raster, length, characters). The editors refuse what breaks them,
// the data file reader keeps such a value out of the records, and check and
// write report it, all by asking here. A value that passes is encoded without
// change; one that does not would be cut, wrapped or refused by the encoder.
//
// Each check returns nullopt for a good value, else the reason as a short
// phrase that follows the value in a message ("is not on the 25 kHz raster").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qb41 {

// ---- Texts ---------------------------------------------------------------

enum class TextField {
    ChannelName,   // ChTag of every bank (12)
    StatusName,    // usable-group status name (4, no ",")
    DisplayLeft,   // CHDisplayL (2 display characters)
    DisplayRight,  // CHDisplayR (1)
    DirectoryName, // TagName of the MMSI directories (11)
    CallSignMid,   // AtisCallSign MID (3 digits)
    CallSignDisp,  // AtisCallSign DISP (3 letters or digits)
};

struct TextRule {
    std::string_view allowed; // every character the field may hold
    int maxLength;
};

const TextRule& RuleOf(TextField field);
bool TextFits(TextField field, std::string_view text);
std::optional<std::string> TextProblem(TextField field, std::string_view text);

// ---- EXP frequencies -----------------------------------------------------

inline constexpr double kLowestMhz = 137.0;
inline constexpr double kHighestMhz = 174.0;
inline constexpr long long kRasterUnits = 250; // 25 kHz in units of 100 Hz

// 0 (no frequency), or kLowestMhz..kHighestMhz in whole 100 Hz units on the
// 25 kHz raster.
std::optional<std::string> FrequencyProblem(double mhz);
// True when the encoder stores the value exactly (0, or 100..200 MHz in whole
// 100 Hz units): such a value breaks at most the range and raster rule.
bool FrequencyStorable(double mhz);

// ---- MMSIs and the ATIS code ---------------------------------------------

enum class MmsiForm { Individual, Group };

// As stored: empty, or the 9 digits of the MMSI followed by the "0" the
// radio stores in the tenth place, or the 9 digits alone (the radio adds the
// "0"). A group MMSI is one "0" and eight digits not beginning with 0; an
// individual one is anything else (a ship's, or a coast station's "00...").
std::optional<std::string> StoredMmsiProblem(MmsiForm form, std::string_view stored);

// Empty, or 10 digits beginning with 9.
std::optional<std::string> AtisCodeProblem(std::string_view code);

// ---- Numbers -------------------------------------------------------------

enum class NumberField {
    Scramble,          // 0..7
    ResumeTime,        // 0..3
    TxPoDisplay,       // 0..2
    OffsetTime,        // 0..24 (12 = no offset)
    MagneticVariation, // 0..1
    Weater,            // 0..3
    PriorityCh,        // -1 (off) .. 279
    DcsCode,           // 0..208 (105..208 inverted)
    CtcssTone,         // 0..50
};

struct NumberRange {
    long long lowest;
    long long highest;
};

NumberRange RangeOf(NumberField field);
std::optional<std::string> NumberProblem(NumberField field, long long value);

} // namespace qb41
