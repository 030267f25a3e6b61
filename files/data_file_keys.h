// Section names and keys of the settings data file, shared by the writer and
// the reader so that both always agree.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qb41::datafile {

inline constexpr std::string_view kMain = "MAIN";
inline constexpr std::string_view kModelType = "MODELTYPE";

inline constexpr std::string_view kUsableGroupSection = "Usable CH Group Setup";
inline constexpr std::string_view kCommonSection = "Common Setup";
inline constexpr std::string_view kDscBasicSection = "DSC Setup (Basic Setup)";
inline constexpr std::string_view kDscAdvancedSection = "DSC Setup (Advanced Setup)";
inline constexpr std::string_view kDscDisplaySection = "DSC Setup (Display Setup)";
inline constexpr std::string_view kAtisCommonSection = "ATIS Setup (Common)";
inline constexpr std::string_view kAtisCallSignSection = "ATIS Setup (Call Sign)";

// List literals, cut into keys by SplitList.
inline constexpr std::string_view kGroupUsableKeys = "USA, INTL, Canada, EXP CH";
inline constexpr std::string_view kDscUsableKeys = "USA, INTL, Canada";
inline constexpr std::string_view kDisplayMenuKeys =
    "Individual ACK Menu, Individual ACK Message Menu, POS Request ACK Menu";

// The DSC advanced blocks: "B" i holds DscFlags[on + i], "B" "TX" i holds
// DscFlags[tx + i].
struct CallBlock {
    std::string_view base;
    int on;
    int tx;
};
inline constexpr CallBlock kCallBlocks[] = {
    {"All Ships Call", 16, 20}, {"Group Call", 24, 28}, {"Individual Call", 32, 36}};
inline constexpr int kDisplayMenuFirstFlag = 40;
inline constexpr int kAtisGroupFirstFlag = 44;

// EXP keys after ChTag, written for the models whose image keeps the field.
// DcsCode and CtcssTone hold both sides, transmit first: "DcsCode=3,108".
inline constexpr std::string_view kNarrowKey = "Narrow";
inline constexpr std::string_view kDcsCodeKey = "DcsCode";
inline constexpr std::string_view kCtcssToneKey = "CtcssTone";
inline constexpr std::string_view kCompanderKey = "Compander";

inline std::string SidePairText(const std::array<std::int16_t, 2>& sides) {
    return std::to_string(sides[0]) + "," + std::to_string(sides[1]);
}

// The two index-suffix conventions. The usable-group section appends the
// group number as the number-to-text conversion of old wrote it, with a
// leading blank ("TX TOT 0"); everywhere else the index follows directly
// ("PosRequest0", "MID1", "CHUSA0").
inline std::string GroupKey(std::string_view base, int index) {
    return std::string(base) + (index >= 0 ? " " : "") + std::to_string(index);
}
inline std::string IndexedKey(std::string_view base, int index) {
    return std::string(base) + std::to_string(index);
}

} // namespace qb41::datafile
