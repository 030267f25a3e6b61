// The map of the RadioImage: one place for every address the codec uses.
#pragma once

#include "core/records.h"

#include <array>
#include <cstdint>

namespace qb41::layout {

inline constexpr int kModelIdFront =
    64; // big-endian word at 64-65; the back copy is the last two bytes
inline constexpr int kChecksumFirst = 66;
inline constexpr int kChecksumCount = 29;
inline constexpr int kChecksum = 95;

inline constexpr int kTxPoDisplay = 68;
inline constexpr int kCurrentGroup = 70;
inline constexpr int kCurrentKind = 71;
inline constexpr int kCurrentWeather = 72;
inline constexpr int kOffsetTime = 76;
inline constexpr int kMarker = 77;
inline constexpr int kCurrentChannel = 80;
inline constexpr int kCurrentChannelCopy = 82;
inline constexpr int kPriorityCh = 84; // + 2g, g = 0..2
inline constexpr int kRotary = 90;
inline constexpr int kScanByte = 91;
inline constexpr int kWatchByte = 93;
inline constexpr int kGroupBits = 94;
inline constexpr int kReferenceLists = 96; // + 16g, 8 words each
inline constexpr int kStatusNames = 144;   // + 4g
inline constexpr int kDscUsable = 160;
inline constexpr int kDscBytes = 161; // 161..166
inline constexpr int kUserMmsi = 496;
inline constexpr int kClearCounter = 501; // user-MMSI entry counter cleared by the clear operation
inline constexpr int kAtisGroups = 505;
inline constexpr int kAtisCode = 507;
inline constexpr int kCallSignTable = 12544; // + 8(i-1): MID at +0, DISP at +3

struct BankLayout {
    int enableBitmap;
    int scanBitmap;
    int bitmapBytes;
    int names; // 12 bytes each
    int nameCount;
    int data;      // channel data, -1 for none
    int entrySize; // 2 for plan banks, 16 for EXP
};

inline constexpr BankLayout kCHUSA{256, 288, 30, 3072, 240, 768, 2};
inline constexpr BankLayout kCHINT{320, 352, 30, 5952, 240, 1280, 2};
inline constexpr BankLayout kCHCAN{384, 416, 30, 8832, 240, 1792, 2};
inline constexpr BankLayout kCHWX{448, 464, 2, 11712, 10, -1, 0};
inline constexpr BankLayout kCHEXP{450, 466, 5, 11840, 40, 2304, 16};
inline constexpr int kNameLength = 12;

const BankLayout& LayoutOf(Bank bank);

inline constexpr int kExpToneBlock = 10; // offset in an EXP entry, model 2 only

inline constexpr int kMemoryIdDirectory = 12800; // CHMMSID, 40 entries of 16 bytes
inline constexpr int kGroupIdDirectory = 13568;  // CHGRPID, 10 entries of 16 bytes
inline constexpr int kDirectoryEntrySize = 16;
inline constexpr int kDirectoryTagOffset = 5;
inline constexpr int kDirectoryTagLength = 11;

// Per byte, the bits the codec writes for the model (encode of any records,
// channel reference repair and checksum). Every other bit of the image is
// carried unchanged through a decode/encode cycle. Apart from the derived
// bytes (checksum, repaired channel references) these are exactly the bits
// the decode reads, and a field is rewritten only when the record differs
// from what the image reads as: decoding an image whose checksum and channel
// references need no repair and encoding it again changes no byte.
using ByteMask = std::array<std::uint8_t, kImageCapacity>;
ByteMask CodecOwnedBits(ModelNumber model);

} // namespace qb41::layout
