// Channel banks <-> image: enable and scan bitmaps, names, plan entry bytes and
// the 16-byte EXP entries with their tone block.
#include "codec.h"
#include "layout.h"
#include "primitives.h"

#include "core/errors.h"

namespace qb41 {
namespace {

bool IsPlanBank(Bank bank) {
    return bank == Bank::CHUSA || bank == Bank::CHINT || bank == Bank::CHCAN;
}

// Bits 7-6: 00 transmit off, 01 transmit at low power, 11 transmit; 10 reads as 00.
void DecodeTransmitMode(std::uint8_t byte, ChannelRecord& record) {
    unsigned mode = GetBits(byte, 2, 7);
    record.TxEnable = ToVbBool(mode == 1 || mode == 3);
    record.LowPower = ToVbBool(mode == 1);
}

unsigned TransmitMode(const ChannelRecord& record) {
    if (record.TxEnable == 0) return 0;
    return record.LowPower != 0 ? 1 : 3;
}

std::uint8_t ToByte(int value) {
    if (value < 0 || value > 255) throw RuntimeError(ErrorNumber::Overflow);
    return static_cast<std::uint8_t>(value);
}

void DecodeToneBlock(const RadioImage& image, int address, ChannelRecord& record) {
    std::uint8_t b0 = ImageByte(image, address);
    std::uint8_t b1 = ImageByte(image, address + 1);
    std::uint8_t b2 = ImageByte(image, address + 2);
    std::uint8_t b3 = ImageByte(image, address + 3);
    int rxTone = static_cast<int>(GetBits(b0, 4, 3) * 4 + GetBits(b1, 2, 7));
    int txTone = static_cast<int>(GetBits(b1, 6, 5));
    record.CtcssTone[1] = static_cast<std::int16_t>(rxTone == 63 ? 0 : rxTone);
    record.CtcssTone[0] = static_cast<std::int16_t>(txTone == 63 ? 0 : txTone);
    unsigned mode = GetBits(b0, 2, 5);
    if (mode == 3) mode = 0;
    int rxCode = b2 == 0xFF ? 0 : b2;
    record.DcsCode[1] = static_cast<std::int16_t>(mode == 1 ? rxCode + 104 : rxCode);
    record.Compander = ToVbBool(mode == 2);
    record.DcsCode[0] = static_cast<std::int16_t>(b3 == 0xFF ? 0 : b3 + 104 * GetBit(b0, 7));
}

// Written only when the block does not already read as the record's tones;
// bit 6 of the first byte is not the codec's and keeps its value.
void EncodeToneBlock(RadioImage& image, int address, const ChannelRecord& record) {
    ChannelRecord stored;
    DecodeToneBlock(image, address, stored);
    if (stored.DcsCode == record.DcsCode && stored.CtcssTone == record.CtcssTone &&
        stored.Compander == record.Compander)
        return;
    auto codeNumber = [](int index) { return ToByte(index > 104 ? index - 104 : index); };
    unsigned rxTone = static_cast<unsigned>(record.CtcssTone[1]);
    unsigned mode = record.Compander != 0 ? 2 : (record.DcsCode[1] > 104 ? 1 : 0);
    std::uint8_t block[4] = {static_cast<std::uint8_t>(ImageByte(image, address) & 0x40), 0, 0, 0};
    SetBit(block[0], record.DcsCode[0] > 104 ? 1 : 0, 7);
    SetBits(block[0], 2, 5, mode);
    SetBits(block[0], 4, 3, (rxTone >> 2) & 0x0F);
    SetBits(block[1], 2, 7, rxTone & 0x03);
    SetBits(block[1], 6, 5, static_cast<unsigned>(record.CtcssTone[0]));
    block[2] = codeNumber(record.DcsCode[1]);
    block[3] = codeNumber(record.DcsCode[0]);
    for (int i = 0; i < 4; ++i) ImageByte(image, address + i) = block[i];
}

// Bits 7-6, left as they are when they already give the record's setting
// (the radio's mode 10 reads as transmit off).
void PutTransmitMode(std::uint8_t& byte, const ChannelRecord& record) {
    ChannelRecord stored;
    DecodeTransmitMode(byte, stored);
    if (TransmitMode(stored) != TransmitMode(record)) SetBits(byte, 2, 7, TransmitMode(record));
}

void DecodeExpEntry(const RadioImage& image, int address, ModelNumber model,
                    ChannelRecord& record) {
    std::uint8_t flags = ImageByte(image, address);
    DecodeTransmitMode(flags, record);
    record.PowUp = ToVbBool(GetBit(flags, 4) == 1);
    record.Scramble = static_cast<std::int16_t>(GetBits(flags, 3, 3));
    record.Narrow = ToVbBool(GetBit(flags, 0) == 1);
    record.CHDisplayL = ReadText(image, address + 1, 2);
    record.CHDisplayR = ReadText(image, address + 3, 1);
    record.Rxfreq = ReadFrequency(image, address + 4);
    record.Txfreq = ReadFrequency(image, address + 7);
    if (HasExpTones(model)) DecodeToneBlock(image, address + layout::kExpToneBlock, record);
}

// Bit 5 of the flags byte and bytes 14-15 are the radio's.
void EncodeExpEntry(RadioImage& image, int address, ModelNumber model,
                    const ChannelRecord& record) {
    std::uint8_t& flags = ImageByte(image, address);
    PutTransmitMode(flags, record);
    SetBit(flags, BoolToBit(record.PowUp), 4);
    SetBits(flags, 3, 3, static_cast<unsigned>(record.Scramble));
    SetBit(flags, BoolToBit(record.Narrow), 0);
    if (ReadText(image, address + 1, 2) != record.CHDisplayL ||
        ReadText(image, address + 3, 1) != record.CHDisplayR) {
        std::string left = (record.CHDisplayL + "  ").substr(0, 2);
        std::string right = " " + record.CHDisplayR;
        WriteText(image, address + 1, left + right.back(), 3, false);
    }
    UpdateFrequency(image, address + 4, record.Rxfreq);
    UpdateFrequency(image, address + 7, record.Txfreq);
    if (HasExpTones(model)) EncodeToneBlock(image, address + layout::kExpToneBlock, record);
}

} // namespace

void DecodeBank(DataSet& data, ModelNumber model, Bank bank) {
    const layout::BankLayout& at = layout::LayoutOf(bank);
    std::vector<ChannelRecord>& records = data.records.bank(bank);
    const RadioImage& image = data.image;
    GetBitmap(image, at.enableBitmap, at.bitmapBytes, records, &ChannelRecord::Enable);
    GetBitmap(image, at.scanBitmap, at.bitmapBytes, records, &ChannelRecord::ScanMemory);
    int count = static_cast<int>(records.size());
    if (StoresChannelNames(model)) {
        for (int k = 0; k < count && k < at.nameCount; ++k)
            records[static_cast<std::size_t>(k)].ChTag =
                ReadText(image, at.names + layout::kNameLength * k, layout::kNameLength);
    }
    if (IsPlanBank(bank)) {
        for (int k = 0; k < count && k < kPlanChannels; ++k) {
            ChannelRecord& record = records[static_cast<std::size_t>(k)];
            std::uint8_t byte = ImageByte(image, at.data + at.entrySize * k);
            DecodeTransmitMode(byte, record);
            record.Duplex = ToVbBool(GetBit(byte, 5) == 1);
            record.PowUp = ToVbBool(GetBit(byte, 4) == 1);
            record.Scramble = static_cast<std::int16_t>(GetBits(byte, 3, 3));
        }
    } else if (bank == Bank::CHEXP) {
        for (int k = 0; k < count && k < kExpChannels; ++k)
            DecodeExpEntry(image, at.data + at.entrySize * k, model,
                           records[static_cast<std::size_t>(k)]);
    }
}

void EncodeBank(DataSet& data, ModelNumber model, Bank bank) {
    const layout::BankLayout& at = layout::LayoutOf(bank);
    const std::vector<ChannelRecord>& records = data.records.bank(bank);
    RadioImage& image = data.image;
    SetBitmap(image, at.enableBitmap, at.bitmapBytes, records, &ChannelRecord::Enable);
    SetBitmap(image, at.scanBitmap, at.bitmapBytes, records, &ChannelRecord::ScanMemory);
    int count = static_cast<int>(records.size());
    if (StoresChannelNames(model)) {
        for (int k = 0; k < count && k < at.nameCount; ++k)
            UpdateText(image, at.names + layout::kNameLength * k,
                       records[static_cast<std::size_t>(k)].ChTag, layout::kNameLength);
    }
    if (IsPlanBank(bank)) {
        for (int k = 0; k < count && k < kPlanChannels; ++k) {
            // Bit 0 and the entry's second byte are the radio's. Duplex is
            // written (AND DuplexAllowed) only when it changed, so a duplex
            // bit the radio keeps on such a channel stays.
            const ChannelRecord& record = records[static_cast<std::size_t>(k)];
            std::uint8_t& byte = ImageByte(image, at.data + at.entrySize * k);
            PutTransmitMode(byte, record);
            if (BoolToBit(record.Duplex) != GetBit(byte, 5))
                SetBit(byte, BoolToBit(record.Duplex) & BoolToBit(record.DuplexAllowed), 5);
            SetBit(byte, BoolToBit(record.PowUp), 4);
            SetBits(byte, 3, 3, static_cast<unsigned>(record.Scramble));
        }
    } else if (bank == Bank::CHEXP) {
        for (int k = 0; k < count && k < kExpChannels; ++k)
            EncodeExpEntry(image, at.data + at.entrySize * k, model,
                           records[static_cast<std::size_t>(k)]);
    }
}

void RepairUsableGroups(Records& records) {
    static constexpr Bank kGroupBanks[kUsableGroups] = {Bank::CHUSA, Bank::CHINT, Bank::CHCAN,
                                                        Bank::CHEXP};
    for (int g = 0; g < kUsableGroups; ++g) {
        bool anyEnabled = false;
        for (const ChannelRecord& record : records.bank(kGroupBanks[g]))
            anyEnabled = anyEnabled || record.Enable != 0;
        if (!anyEnabled) records.UsableGroup[static_cast<std::size_t>(g)].Usable = kFalse;
    }
}

} // namespace qb41
