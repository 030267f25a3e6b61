#include "formatters.h"

#include "core/errors.h"
#include "core/master_table.h"

#include <array>
#include <charconv>
#include <cmath>

namespace qb41 {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Entry `index` of a fixed label table, or an empty text outside it.
template <std::size_t N>
std::string Label(const std::array<std::string_view, N>& labels, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) return {};
    return std::string(labels[static_cast<std::size_t>(index)]);
}

std::string_view ListEntry(std::span<const std::string_view> list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    return list[static_cast<std::size_t>(index)];
}

// A positive value in the "000.000" / "000.0000" patterns: at least three
// integer digits and exactly `decimals` decimals. The digits are those of the
// shortest decimal form that reads back as f, rounded half away from zero, so
// 156.8125 shows "156.813" as a person reading the value would expect.
std::string FixedPattern(double f, int decimals) {
    if (!std::isfinite(f)) throw RuntimeError(ErrorNumber::Overflow);
    // Fixed notation of any finite double fits: 309 integer digits or 1074
    // decimals at most.
    char buffer[1200];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, f, std::chars_format::fixed);
    if (result.ec != std::errc{}) throw RuntimeError(ErrorNumber::Overflow);
    const std::string_view shortest(buffer, static_cast<std::size_t>(result.ptr - buffer));

    const auto point = shortest.find('.');
    std::string integer(shortest.substr(0, point));
    std::string fraction(point == std::string_view::npos ? std::string_view{}
                                                         : shortest.substr(point + 1));
    const auto wanted = static_cast<std::size_t>(decimals);
    const bool roundUp = fraction.size() > wanted && fraction[wanted] >= '5';
    fraction.resize(wanted, '0');
    if (roundUp) {
        // Carry through the kept decimals, then into the integer digits.
        std::string digits = integer + fraction;
        auto i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
        integer = digits.substr(0, digits.size() - wanted);
        fraction = digits.substr(digits.size() - wanted);
    }
    if (integer.size() < 3) integer.insert(0, 3 - integer.size(), '0');
    return integer + "." + fraction;
}

std::vector<std::string> BuildOffsetTimeList() {
    std::vector<std::string> list;
    list.reserve(kOffsetTimes);
    for (int offset = -12; offset <= 12; ++offset) {
        // The offset in "#0.00" form, signed, with ":" for the decimal point.
        if (offset < 0)
            list.push_back("-" + std::to_string(-offset) + ":00");
        else if (offset == 0)
            list.push_back(" 0:00");
        else
            list.push_back("+" + std::to_string(offset) + ":00");
    }
    return list;
}

std::string Flag(bool b, std::string_view on, std::string_view off) {
    return std::string(b ? on : off);
}

} // namespace

// ---- Splitting and padding -------------------------------------------------

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        const auto piece = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        items.emplace_back(TrimBlanks(piece));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return items;
}

void AppendPadText(std::string& out, std::string_view s, int n) {
    if (n <= 0) return;
    const auto width = static_cast<std::size_t>(n);
    const auto kept = s.substr(0, width);
    out += kept;
    out.append(width - kept.size(), ' ');
}

std::string PadText(std::string_view s, int n) {
    std::string text;
    AppendPadText(text, s, n);
    return text;
}

std::string LabelText(std::string_view s, int n) {
    return PadText(s, n - 1) + ": ";
}

std::string DashField(std::string_view s, int n) {
    if (!s.empty()) return PadText(s, n);
    return std::string(static_cast<std::size_t>(n > 0 ? n : 0), '-');
}

std::string StatusNameText(std::string_view s) {
    if (TrimBlanks(s).empty()) return "----";
    return std::string(s);
}

// ---- Frequencies -------------------------------------------------------------

std::string FreqText(double f) {
    return f > 0 ? FixedPattern(f, 3) : "---.---";
}

std::string TxFreqText(double f, bool rxOnly) {
    return rxOnly ? "---.---" : FreqText(f);
}

// The value as the radio stores it (four decimals, WriteFrequency's rounding):
// an off-raster frequency shows as it is, for the value rules to flag.
std::string ExpFreqText(double f) {
    if (!(f > 0) || !std::isfinite(f)) return "---.----";
    return FixedPattern(f, 4);
}

// ---- Channel references and labels ------------------------------------------

std::string BankPrefix(ModelNumber model) {
    return std::string(ExpBankName(model));
}

std::string PriorityText(std::int32_t n, ModelNumber model) {
    if (n < 0 || n >= 280) return "Off";
    if (n < kPlanChannels) return MasterTable()[static_cast<std::size_t>(n)].text;
    return BankPrefix(model) + std::to_string(n - 239);
}

std::string ScrambleText(std::int16_t v) {
    if ((v & 4) == 0) return "--";
    return " " + std::to_string(v & 3);
}

std::string DcsText(int i, std::span<const std::string_view> codes) {
    if (i < 1) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    if (i <= 104) return std::string(ListEntry(codes, i)) + "N";
    return std::string(ListEntry(codes, i - 104)) + "I";
}

std::string ToneText(const ChannelRecord& rec, int side, std::span<const std::string_view> tones,
                     std::span<const std::string_view> codes) {
    if (side < 0 || side > 1) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    const auto s = static_cast<std::size_t>(side);
    if (rec.CtcssTone[s] >= 1) return std::string(ListEntry(tones, rec.CtcssTone[s]));
    if (rec.DcsCode[s] >= 1) return DcsText(rec.DcsCode[s], codes);
    return "-------";
}

// ---- Option labels -----------------------------------------------------------

std::string OnOffText(bool b) {
    return Flag(b, "On", "Off");
}
std::string HiLowText(bool b) {
    return Flag(b, "Hi", "Low");
}

std::string TxPoDisplayText(int v) {
    static constexpr std::array<std::string_view, 3> labels{"Lo Po Only", "Lo Po on Changing CH",
                                                            "Last TX Po"};
    return Label(labels, v);
}

std::string ResumeTimeText(int v) {
    static constexpr std::array<std::string_view, 4> labels{"--", "1Sec", "2Sec", "3Sec"};
    return Label(labels, v);
}

std::string WeatherText(int v) {
    static constexpr std::array<std::string_view, 4> labels{"OFF", "On Wx", "On SCAN",
                                                            "WX and SCAN"};
    return Label(labels, v);
}

std::string MagVarText(int v) {
    static constexpr std::array<std::string_view, 2> labels{"True", "Mag"};
    return Label(labels, v);
}

const std::vector<std::string>& OffsetTimeList() {
    static const std::vector<std::string> list = BuildOffsetTimeList();
    return list;
}

const std::string& OffsetTimeText(int v) {
    const auto& list = OffsetTimeList();
    if (v < 0 || static_cast<std::size_t>(v) >= list.size())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    return list[static_cast<std::size_t>(v)];
}

// ---- Flag columns ------------------------------------------------------------

std::string TxText(bool b) {
    return Flag(b, "TX", "--");
}
std::string LowText(bool b) {
    return Flag(b, "LOW", "---");
}
std::string UpText(bool b) {
    return Flag(b, "UP", "--");
}
std::string DupText(bool b) {
    return Flag(b, "DUP", "---");
}
std::string MemText(bool b) {
    return Flag(b, "MEM", "---");
}
std::string CmpText(bool b) {
    return Flag(b, "CMP", "---");
}
std::string NarrowText(bool b) {
    return Flag(b, "N ", "--");
}
std::string EnableText(bool b) {
    return Flag(b, "ENABLE", "------");
}

} // namespace qb41
