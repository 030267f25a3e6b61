// Value presentation: the small pure formatters that turn record fields into
// the texts shared by the editor's lists and boxes, the settings data file and
// the text report. Widths and dash placeholders are exact, because the report's
// columns only line up with these lengths.
//
// report/ depends on core/ (records, model catalogue, master channel table)
// and on image/defaults.h for the constant CTCSS and DCS lists; nothing here
// touches Qt or the file system.
//
// Every formatter is a pure function of its arguments.
//
// A value outside an option-label table gives an empty text. An index outside
// a constant list (DcsText, ToneText, OffsetTimeText) throws RuntimeError 9
// "Subscript out of range", which the report turns into a skipped cell.
#pragma once

#include "core/model.h"
#include "core/records.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb41 {

// ---- Splitting and padding -------------------------------------------------

// Items separated by ",", each trimmed of leading and trailing blanks. No comma
// gives one item, empty text gives one empty item, empty items are kept:
// "A,,B" -> {"A", "", "B"}.
std::vector<std::string> SplitList(std::string_view text);

// s padded with blanks or cut to exactly n characters (n < 0 counts as 0).
std::string PadText(std::string_view s, int n);
// Appends PadText(s, n) to `out` without a temporary.
void AppendPadText(std::string& out, std::string_view s, int n);
// PadText(s, n - 1) followed by ": ", n + 1 characters in all.
std::string LabelText(std::string_view s, int n);
// PadText(s, n) for a non-empty s, otherwise n dashes.
std::string DashField(std::string_view s, int n);
// The status name as stored, or "----" when it is empty or only blanks.
std::string StatusNameText(std::string_view s);

// ---- Frequencies (MHz) -------------------------------------------------------

// "000.000" (at least three integer digits, three decimals) for f > 0, else
// "---.---". Rounds the shortest decimal form of f half away from zero.
// +infinity throws RuntimeError 6 "Overflow".
std::string FreqText(double f);
// As FreqText, but "---.---" also for a receive-only channel.
std::string TxFreqText(double f, bool rxOnly);
// For f > 0: f with four decimals, "000.0000", as the radio stores it (an
// off-raster value is shown as it is); otherwise "---.----".
std::string ExpFreqText(double f);

// ---- Channel references and labels ------------------------------------------

// "LMR" for model 2, "EXP" otherwise.
std::string BankPrefix(ModelNumber model);
// "Off" for n < 0 or n >= 280; the master row's display text for 0..239;
// BankPrefix followed by n - 239 for 240..279 ("EXP1".."EXP40").
std::string PriorityText(std::int32_t n, ModelNumber model);
// " 0".." 3" (the low two bits after a blank) when bit 2 is set, else "--".
std::string ScrambleText(std::int16_t v);
// DCS index 1..208 over the DCS list (index 0 "Off", 1..104 the codes):
// "023N" for 1..104, "023I" for the inverted 105..208.
std::string DcsText(int i, std::span<const std::string_view> codes);
// The tone of one side (0 transmit, 1 receive) of an export channel: the CTCSS
// tone text, else the DCS text, else "-------".
std::string ToneText(const ChannelRecord& rec, int side, std::span<const std::string_view> tones,
                     std::span<const std::string_view> codes);

// ---- Option labels -----------------------------------------------------------

std::string OnOffText(bool b);      // "On" / "Off"
std::string HiLowText(bool b);      // "Hi" / "Low"
std::string TxPoDisplayText(int v); // "Lo Po Only", "Lo Po on Changing CH", "Last TX Po"
std::string ResumeTimeText(int v);  // "--", "1Sec", "2Sec", "3Sec"
std::string WeatherText(int v);     // "OFF", "On Wx", "On SCAN", "WX and SCAN"
std::string MagVarText(int v);      // "True", "Mag"

inline constexpr int kOffsetTimes = 25;
// Index 0..24 = offset -12..+12 hours: "-12:00".."-1:00", " 0:00", "+1:00".."+12:00".
const std::vector<std::string>& OffsetTimeList();
// Entry v of OffsetTimeList(); RuntimeError 9 outside 0..24.
const std::string& OffsetTimeText(int v);

// ---- Flag columns ------------------------------------------------------------

std::string TxText(bool b);     // "TX"  / "--"
std::string LowText(bool b);    // "LOW" / "---"
std::string UpText(bool b);     // "UP"  / "--"
std::string DupText(bool b);    // "DUP" / "---"
std::string MemText(bool b);    // "MEM" / "---"
std::string CmpText(bool b);    // "CMP" / "---"
std::string NarrowText(bool b); // "N "  / "--"
std::string EnableText(bool b); // "ENABLE" / "------"

} // namespace qb41
