// Settings records <-> image: usable groups, common setup, DSC, ATIS and the
// call-sign table.
#include "codec.h"
#include "layout.h"
#include "primitives.h"

#include "core/errors.h"

#include <cstdlib>

namespace qb41 {
namespace {

using namespace layout;

VbBool BitOf(const RadioImage& image, int address, int bit) {
    return ToVbBool(GetBit(ImageByte(image, address), bit) == 1);
}

void PutBool(RadioImage& image, int address, int bit, int value) {
    SetBit(ImageByte(image, address), BoolToBit(value), bit);
}

void DecodeUsableGroups(DataSet& data, ModelNumber model) {
    for (int g = 0; g < kUsableGroups; ++g) {
        UsableGroupRecord& group = data.records.UsableGroup[static_cast<std::size_t>(g)];
        group.Usable = BitOf(data.image, kWatchByte, 3 - g);
        group.TxTot = BitOf(data.image, kGroupBits, 3 - g);
        group.StatusIcon = BitOf(data.image, kGroupBits, 7 - g);
        if (g < 3) group.PriorityCh = GetWord(data.image, kPriorityCh + 2 * g);
        if (StoresChannelNames(model))
            group.StatusName = ReadText(data.image, kStatusNames + 4 * g, 4);
    }
}

void EncodeUsableGroups(DataSet& data, ModelNumber model) {
    for (int g = 0; g < kUsableGroups; ++g) {
        const UsableGroupRecord& group = data.records.UsableGroup[static_cast<std::size_t>(g)];
        PutBool(data.image, kWatchByte, 3 - g, group.Usable);
        PutBool(data.image, kGroupBits, 3 - g, group.TxTot);
        PutBool(data.image, kGroupBits, 7 - g, group.StatusIcon);
        if (g < 3) SetWord(data.image, kPriorityCh + 2 * g, group.PriorityCh);
        if (StoresChannelNames(model))
            UpdateText(data.image, kStatusNames + 4 * g, group.StatusName, 4);
    }
}

void DecodeCommon(DataSet& data, ModelNumber model) {
    const RadioImage& image = data.image;
    CommonSetup& common = data.records.Common;
    common.TxPoDisplay = ImageByte(image, kTxPoDisplay);
    common.Scan = BitOf(image, kScanByte, 7);
    common.ResumeTime = static_cast<std::int16_t>(GetBits(ImageByte(image, kScanByte), 2, 2));
    common.PttScanClear = BitOf(image, kScanByte, 3);
    common.DualWatch = BitOf(image, kWatchByte, 7);
    common.OffsetTime = DecodeOffsetTime(ImageByte(image, kOffsetTime));
    common.MagneticVariation = static_cast<std::int16_t>(GetBit(ImageByte(image, kOffsetTime), 6));
    common.Weater = static_cast<std::int16_t>(GetBits(ImageByte(image, kWatchByte), 2, 5));
    if (DecodesRotary(model)) common.Rotary = BitOf(image, kRotary, 0);
}

void EncodeCommon(DataSet& data, ModelNumber model) {
    RadioImage& image = data.image;
    const CommonSetup& common = data.records.Common;
    if (common.TxPoDisplay < 0 || common.TxPoDisplay > 255)
        throw RuntimeError(ErrorNumber::Overflow);
    ImageByte(image, kTxPoDisplay) = static_cast<std::uint8_t>(common.TxPoDisplay);
    PutBool(image, kScanByte, 7, common.Scan);
    SetBits(ImageByte(image, kScanByte), 2, 2, static_cast<unsigned>(common.ResumeTime));
    PutBool(image, kScanByte, 3, common.PttScanClear);
    PutBool(image, kWatchByte, 7, common.DualWatch);
    if (DecodeOffsetTime(ImageByte(image, kOffsetTime)) != common.OffsetTime)
        SetBits(ImageByte(image, kOffsetTime), 5, 4, EncodeOffsetTime(common.OffsetTime));
    SetBit(ImageByte(image, kOffsetTime), common.MagneticVariation, 6);
    SetBits(ImageByte(image, kWatchByte), 2, 5, static_cast<unsigned>(common.Weater));
    if (ModelKeeps(model, Feature::Rotary)) PutBool(image, kRotary, 0, common.Rotary);
}

void DecodeDscAndAtis(DataSet& data, ModelNumber model) {
    Records& records = data.records;
    for (int i = 0; i < 3; ++i)
        records.DscUsable[static_cast<std::size_t>(i)] = BitOf(data.image, kDscUsable, 7 - i);
    records.UserMmsi = ReadDigits(data.image, kUserMmsi);
    for (const DscFlagBit& f : DscFlagMap())
        records.DscFlags[static_cast<std::size_t>(f.flag)] = BitOf(data.image, f.address, f.bit);
    records.AtisCode = ReadDigits(data.image, kAtisCode);
    if (DecodesKikker(model)) {
        for (int g = 0; g < 4; ++g)
            records.AtisKikkerGroup[static_cast<std::size_t>(g)] =
                BitOf(data.image, kAtisGroups, 3 - g);
    }
}

void EncodeDscAndAtis(DataSet& data, ModelNumber model) {
    const Records& records = data.records;
    for (int i = 0; i < 3; ++i)
        PutBool(data.image, kDscUsable, 7 - i, records.DscUsable[static_cast<std::size_t>(i)]);
    UpdateDigits(data.image, kUserMmsi, records.UserMmsi, true);
    for (const DscFlagBit& f : DscFlagMap())
        PutBool(data.image, f.address, f.bit, records.DscFlags[static_cast<std::size_t>(f.flag)]);
    if (ModelKeeps(model, Feature::KikkerGroup))
        for (int g = 0; g < 4; ++g)
            PutBool(data.image, kAtisGroups, 3 - g,
                    records.AtisKikkerGroup[static_cast<std::size_t>(g)]);
    UpdateDigits(data.image, kAtisCode, records.AtisCode, false);
}

void DecodeCallSigns(DataSet& data) {
    for (int i = 0; i < kCallSigns; ++i) {
        AtisCallSignEntry& entry = data.records.AtisCallSign[static_cast<std::size_t>(i)];
        entry.MID = ReadTextRight(data.image, layout::kCallSignTable + 8 * i, 3);
        entry.DISP = ReadTextRight(data.image, layout::kCallSignTable + 8 * i + 3, 3);
    }
}

void EncodeCallSigns(DataSet& data) {
    for (int i = 0; i < kCallSigns; ++i) {
        const AtisCallSignEntry& entry = data.records.AtisCallSign[static_cast<std::size_t>(i)];
        UpdateTextRight(data.image, layout::kCallSignTable + 8 * i, entry.MID, 3);
        UpdateTextRight(data.image, layout::kCallSignTable + 8 * i + 3, entry.DISP, 3);
    }
}

} // namespace

std::int16_t DecodeOffsetTime(std::uint8_t byte76) {
    int c = byte76 & 0x1F;
    if (c == 0x1F || c == 0) return 12;
    int m = c & 0x0F;
    if (m > 12) m = 12;
    return static_cast<std::int16_t>((c & 0x10) ? 12 + m : 12 - m);
}

std::uint8_t EncodeOffsetTime(int index) {
    if (index < 0) index = 0;
    if (index > 24) index = 24;
    int code = std::abs(index - 12) & 0x0F;
    if (index >= 12) code += 0x10;
    return static_cast<std::uint8_t>(code);
}

void DecodeSettings(DataSet& data, ModelNumber model) {
    DecodeUsableGroups(data, model);
    DecodeCommon(data, model);
    DecodeDscAndAtis(data, model);
    if (HasCallSigns(model)) DecodeCallSigns(data);
}

void EncodeSettings(DataSet& data, ModelNumber model) {
    EncodeUsableGroups(data, model);
    EncodeCommon(data, model);
    EncodeDscAndAtis(data, model);
    if (HasCallSigns(model)) EncodeCallSigns(data);
}

} // namespace qb41
