#include "layout.h"

namespace qb41::layout {

const BankLayout& LayoutOf(Bank bank) {
    switch (bank) {
    case Bank::CHUSA:
        return kCHUSA;
    case Bank::CHINT:
        return kCHINT;
    case Bank::CHCAN:
        return kCHCAN;
    case Bank::CHWX:
        return kCHWX;
    case Bank::CHEXP:
        return kCHEXP;
    }
    return kCHUSA;
}

namespace {

void Own(ByteMask& mask, int first, int count, std::uint8_t bits = 0xFF) {
    for (int i = first; i < first + count; ++i) mask[static_cast<std::size_t>(i)] |= bits;
}

// Bits of the bitmap bytes that cover `records` records.
void OwnBitmap(ByteMask& mask, int address, int records) {
    for (int k = 0; k < records; ++k)
        mask[static_cast<std::size_t>(address + k / 8)] |=
            static_cast<std::uint8_t>(0x80u >> (k % 8));
}

} // namespace

ByteMask CodecOwnedBits(ModelNumber model) {
    ByteMask mask{};
    // Settings area, including what the channel reference repair may rewrite
    // (current group, weather channel, references, lists) and the checksum.
    Own(mask, kTxPoDisplay, 1);
    Own(mask, kCurrentGroup, 1);
    Own(mask, kCurrentWeather, 1);
    Own(mask, kOffsetTime, 1, 0x5F); // bits 6 and 4-0; 5 and 7 are the radio's
    Own(mask, kCurrentChannel, 10);  // 80-89
    if (ModelKeeps(model, Feature::Rotary)) Own(mask, kRotary, 1, 0x01);
    Own(mask, kScanByte, 1, 0x8E);  // bits 7, 3, 2-1
    Own(mask, kWatchByte, 1, 0xBF); // bits 7, 5-4, 3-0
    Own(mask, kGroupBits, 1);
    Own(mask, kChecksum, 1);
    Own(mask, kReferenceLists, 48);
    if (StoresChannelNames(model)) Own(mask, kStatusNames, 16);
    Own(mask, kDscUsable, 1, 0xE0);
    for (const DscFlagBit& f : DscFlagMap())
        Own(mask, f.address, 1, static_cast<std::uint8_t>(1u << f.bit));
    Own(mask, kUserMmsi, 5);
    if (ModelKeeps(model, Feature::KikkerGroup)) Own(mask, kAtisGroups, 1, 0x0F); // bits 3-0
    Own(mask, kAtisCode, 5);
    if (HasCallSigns(model))
        for (int i = 0; i < qb41::kCallSigns; ++i) Own(mask, layout::kCallSignTable + 8 * i, 6);

    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN, Bank::CHWX, Bank::CHEXP}) {
        const BankLayout& at = LayoutOf(bank);
        OwnBitmap(mask, at.enableBitmap, at.nameCount);
        OwnBitmap(mask, at.scanBitmap, at.nameCount);
        if (StoresChannelNames(model)) Own(mask, at.names, kNameLength * at.nameCount);
    }
    // Plan entries: bits 7-1 of the first byte. EXP entries: the flags byte
    // but bit 5, display text and frequencies, and the tone block (its first
    // byte without bit 6) where the model has one.
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN})
        for (int k = 0; k < kPlanChannels; ++k) Own(mask, LayoutOf(bank).data + 2 * k, 1, 0xFE);
    for (int k = 0; k < kExpChannels; ++k) {
        const int entry = kCHEXP.data + 16 * k;
        Own(mask, entry, 1, 0xDF);
        Own(mask, entry + 1, 9);
        if (!HasExpTones(model)) continue;
        Own(mask, entry + kExpToneBlock, 1, 0xBF);
        Own(mask, entry + kExpToneBlock + 1, 3);
    }

    Own(mask, kMemoryIdDirectory, kDirectoryEntrySize * kMemoryIds);
    Own(mask, kGroupIdDirectory, kDirectoryEntrySize * kGroupIds);
    return mask;
}

} // namespace qb41::layout
