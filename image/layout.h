// The map of the RadioImage: one place for every address the codec uses.
#pragma once

#include "core/records.h"

#include <array>
#include <cstdint>
#include <span>

namespace qb41::layout {

// The model-code word: big-endian at 64-65, its copy at the last two bytes
// of the image (8190-8191 for an 8 KiB image, 16382-16383 otherwise).
inline constexpr int kModelIdFront = 64;
constexpr int ModelIdBack(int lastIndex) {
    return lastIndex - 1;
}
inline constexpr int kModelIdSize = 2;
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
inline constexpr int kDscUsable = 160;     // bits 7-5: USA, INTL, Canada
inline constexpr int kDscBytes = 161;      // 161..166
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

// An inclusive range of image indices; `last` may lie beyond a smaller
// image's last index, which then ends the range.
struct ImageRange {
    int first;
    int last;
    constexpr bool contains(int index) const { return index >= first && index <= last; }
};

// The bytes a read from the radio keeps; everything else of the image stays
// as it was (the first 64 bytes, the radio's own block at 192-255 and the
// factory area from 13824 up to the back copy of the model code).
inline constexpr std::array<ImageRange, 3> kReadKeeps{{
    {64, 191},
    {256, 13823},
    {16382, kMaxImageIndex},
}};

// The areas a program operation never sends: the first block and the model
// code word at 64-65, the radio's block at 192-255, its calibration tables at
// 560-767 and everything from 13824 to the end.
inline constexpr std::array<ImageRange, 4> kWriteSkips{{
    {0, kModelIdFront + kModelIdSize - 1},
    {192, 255},
    {560, 767},
    {13824, kMaxImageIndex},
}};

// True when index `index` of an image whose last index is `lastIndex` is in
// one of the ranges.
constexpr bool InRanges(std::span<const ImageRange> ranges, int index, int lastIndex) {
    if (index < 0 || index > lastIndex) return false;
    for (const ImageRange& range : ranges)
        if (range.contains(index)) return true;
    return false;
}

// One DSC flag (index into DscFlags) and the bit of the image byte it lives
// in. DscFlags 4, 5 and 43 have no place in the image.
struct DscFlagBit {
    int flag;
    int address;
    int bit;
};
inline constexpr int kDscFlagBits = 45;
using DscFlagTable = std::array<DscFlagBit, kDscFlagBits>;
constexpr DscFlagTable MakeDscFlagMap() {
    DscFlagTable map{};
    std::size_t n = 0;
    // The call categories: on/off in the high nibble, transmit level in the low.
    for (int i = 0; i < 4; ++i) {
        map[n++] = {16 + i, kDscBytes, 7 - i};
        map[n++] = {20 + i, kDscBytes, 3 - i};
        map[n++] = {24 + i, kDscBytes + 1, 7 - i};
        map[n++] = {28 + i, kDscBytes + 1, 3 - i};
        map[n++] = {32 + i, kDscBytes + 2, 7 - i};
        map[n++] = {36 + i, kDscBytes + 2, 3 - i};
    }
    for (DscFlagBit f : {DscFlagBit{0, kDscBytes + 3, 2}, DscFlagBit{1, kDscBytes + 3, 3},
                         DscFlagBit{2, kDscBytes + 3, 7}, DscFlagBit{3, kDscBytes + 3, 5},
                         DscFlagBit{6, kDscBytes + 3, 6}, DscFlagBit{7, kDscBytes + 3, 4},
                         DscFlagBit{40, kDscBytes + 5, 7}, DscFlagBit{41, kDscBytes + 5, 6},
                         DscFlagBit{42, kDscBytes + 5, 1}})
        map[n++] = f;
    for (int i = 0; i < 8; ++i) map[n++] = {8 + i, kDscBytes + 4, 7 - i};
    for (int g = 0; g < 4; ++g) map[n++] = {44 + g, kAtisGroups, 7 - g};
    return map;
}
// Where every DSC flag the image keeps lives, in the codec's order.
inline constexpr DscFlagTable kDscFlagMap = MakeDscFlagMap();
constexpr std::span<const DscFlagBit> DscFlagMap() {
    return kDscFlagMap;
}

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
