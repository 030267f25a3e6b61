// The decoded records: the single working copy of a radio's settings while the
// program runs. Field types keep the radio's historic storage types (16-bit
// Booleans with true = -1, 16- and 32-bit integers, doubles, texts) because the
// settings data file writes the stored values as they are.
//
// A DataSet owns the records together with the RadioImage they were decoded
// from. The application owns exactly one and passes it by reference; the codec
// moves data between the two halves, the files read and write the records, the
// link moves the image.
#pragma once

#include "model.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qb41 {

using VbBool = std::int16_t; // 16-bit Boolean: true is -1, false is 0
inline constexpr VbBool kTrue = -1;
inline constexpr VbBool kFalse = 0;
inline constexpr VbBool ToVbBool(bool value) {
    return value ? kTrue : kFalse;
}

using RadioImage = std::array<std::uint8_t, kImageCapacity>;

struct ChannelRecord {
    std::int16_t Position = 0;
    VbBool Enable = kFalse;
    VbBool LowPower = kFalse;
    VbBool PowUp = kFalse;
    VbBool Duplex = kFalse;
    VbBool DuplexAllowed = kFalse;
    VbBool TxEnable = kFalse;
    VbBool DispayA = kFalse;
    VbBool ScanMemory = kFalse;
    std::string ChTag;
    std::int16_t Scramble = 0;
    VbBool RxOnly = kFalse;
    VbBool Narrow = kFalse;
    std::array<std::int16_t, 2> DcsCode{};   // [0] transmit, [1] receive
    std::array<std::int16_t, 2> CtcssTone{}; // [0] transmit, [1] receive
    VbBool Compander = kFalse;
    std::string CHDisplayL;
    std::string CHDisplayR;
    double Txfreq = 0.0;
    double Rxfreq = 0.0;

    bool operator==(const ChannelRecord&) const = default;
};

// Usable groups: 0 USA, 1 INTL, 2 Canada, 3 EXP.
struct UsableGroupRecord {
    VbBool Usable = kFalse;
    VbBool TxTot = kFalse;
    std::int32_t PriorityCh = 0;
    VbBool StatusIcon = kFalse;
    std::string StatusName;

    bool operator==(const UsableGroupRecord&) const = default;
};

struct CommonSetup {
    std::int16_t TxPoDisplay = 0;
    std::int16_t Scan = 0;
    std::int16_t ResumeTime = 0;
    std::int16_t PttScanClear = 0;
    std::int16_t DualWatch = 0;
    std::int16_t OffsetTime = 0;
    std::int16_t MagneticVariation = 0;
    std::int16_t Weater = 0;
    std::int16_t Rotary = 0;

    bool operator==(const CommonSetup&) const = default;
};

struct AtisCallSignEntry {
    std::string MID;
    std::string DISP;

    bool operator==(const AtisCallSignEntry&) const = default;
};

struct DirectoryRecord {
    VbBool Enable = kFalse;
    std::string TagName;
    std::string Mmsid;

    bool operator==(const DirectoryRecord&) const = default;
};

inline constexpr int kPlanChannels = 240;
inline constexpr int kWeatherChannels = 10;
inline constexpr int kExpChannels = 40;
inline constexpr int kUsableGroups = 4;
inline constexpr int kDscFlags = 48;
inline constexpr int kCallSigns = 20; // entries 1..20, stored at index 0..19
inline constexpr int kMemoryIds = 40; // CHMMSID entries 1..40, stored at 0..39
inline constexpr int kGroupIds = 10;  // CHGRPID entries 1..10, stored at 0..9

enum class Bank { CHUSA, CHINT, CHCAN, CHWX, CHEXP };

struct Records {
    std::vector<ChannelRecord> CHUSA = std::vector<ChannelRecord>(kPlanChannels);
    std::vector<ChannelRecord> CHINT = std::vector<ChannelRecord>(kPlanChannels);
    std::vector<ChannelRecord> CHCAN = std::vector<ChannelRecord>(kPlanChannels);
    std::vector<ChannelRecord> CHWX = std::vector<ChannelRecord>(kWeatherChannels);
    std::vector<ChannelRecord> CHEXP = std::vector<ChannelRecord>(kExpChannels);

    std::array<UsableGroupRecord, kUsableGroups> UsableGroup{};
    CommonSetup Common{};

    std::array<VbBool, 3> DscUsable{};
    std::string UserMmsi;
    std::array<VbBool, kDscFlags> DscFlags{};

    std::string AtisCode;
    std::array<VbBool, 4> AtisKikkerGroup{};
    std::array<AtisCallSignEntry, kCallSigns> AtisCallSign{};

    std::vector<DirectoryRecord> CHMMSID = std::vector<DirectoryRecord>(kMemoryIds);
    std::vector<DirectoryRecord> CHGRPID = std::vector<DirectoryRecord>(kGroupIds);

    std::vector<ChannelRecord>& bank(Bank which);
    const std::vector<ChannelRecord>& bank(Bank which) const;

    bool operator==(const Records&) const = default;
};

struct DataSet {
    Records records;
    RadioImage image{};
    std::int32_t imageLastIndex = kMaxImageIndex; // 8191 for model 1, else 16383

    DataSet() { image.fill(0xFF); }
};

// Section name of a bank in the settings data file: "CHUSA", "CHINT", ...
const char* BankName(Bank which);

} // namespace qb41
