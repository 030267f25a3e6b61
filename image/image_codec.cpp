// Whole-image decode and encode, and what happens to an image just before it
// leaves the program: the radio's channel references are repaired against the
// freshly encoded bitmaps and the header checksum is stored.
#include "codec.h"
#include "layout.h"
#include "primitives.h"

#include <algorithm>
#include <optional>

namespace qb41 {

void DecodeImage(DataSet& data, ModelNumber model) {
    DecodeSettings(data, model);
    DecodeBank(data, model, Bank::CHUSA);
    DecodeBank(data, model, Bank::CHINT);
    DecodeBank(data, model, Bank::CHCAN);
    DecodeBank(data, model, Bank::CHWX);
    DecodeDirectories(data);
    DecodeBank(data, model, Bank::CHEXP);
}

void EncodeImage(DataSet& data, ModelNumber model) {
    RepairUsableGroups(data.records);
    EncodeSettings(data, model);
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN, Bank::CHWX})
        EncodeBank(data, model, bank);
    EncodeDirectories(data);
    EncodeBank(data, model, Bank::CHEXP);
}

namespace {

using namespace layout;

// Reads the image only: what the radio will see.
class ReferenceCheck {
public:
    explicit ReferenceCheck(const RadioImage& image) : image_(image) {}

    bool groupUsable(int group) const {
        return GetBit(ImageByte(image_, kWatchByte), 3 - group) == 1;
    }

    bool enabled(Bank bank, int record) const {
        const BankLayout& at = LayoutOf(bank);
        return GetBit(ImageByte(image_, at.enableBitmap + record / 8), 7 - record % 8) == 1;
    }

    // A channel reference r of plan group g (0..2).
    bool valid(long r, int g) const {
        if (r >= 0 && r <= 239) return groupUsable(g) && enabled(PlanBank(g), static_cast<int>(r));
        if (r >= 240 && r <= 279)
            return groupUsable(3) && enabled(Bank::CHEXP, static_cast<int>(r - 240));
        return false;
    }

    std::optional<int> firstEnabled(Bank bank, int count) const {
        for (int k = 0; k < count; ++k)
            if (enabled(bank, k)) return k;
        return std::nullopt;
    }

    static Bank PlanBank(int g) {
        return g == 0 ? Bank::CHUSA : g == 1 ? Bank::CHINT : Bank::CHCAN;
    }

private:
    const RadioImage& image_;
};

void RepairCurrentChannel(RadioImage& image, const ReferenceCheck& check) {
    std::uint8_t& group = ImageByte(image, kCurrentGroup);
    if (group <= 2 && !check.groupUsable(group)) {
        for (int step = 1; step <= 2; ++step) {
            int next = (group + step) % 3;
            if (check.groupUsable(next)) {
                group = static_cast<std::uint8_t>(next);
                break;
            }
        }
    }
    if (group >= 3) return;
    long r = GetWord(image, kCurrentChannel);
    if (check.valid(r, group)) return;
    std::optional<int> repaired =
        check.firstEnabled(ReferenceCheck::PlanBank(group), kPlanChannels);
    if (!repaired) {
        std::optional<int> exp = check.firstEnabled(Bank::CHEXP, kExpChannels);
        if (exp) repaired = 240 + *exp;
    }
    if (!repaired) return;
    SetWord(image, kCurrentChannel, *repaired);
    SetWord(image, kCurrentChannelCopy, *repaired);
}

void RepairCurrentWeather(RadioImage& image, const ReferenceCheck& check) {
    std::optional<int> w = ImageByte(image, kCurrentWeather);
    if (*w <= 9 && !check.enabled(Bank::CHWX, *w))
        w = check.firstEnabled(Bank::CHWX, kWeatherChannels);
    if (!w) return;
    ImageByte(image, kCurrentWeather) = static_cast<std::uint8_t>(*w);
    SetWord(image, kCurrentChannel, *w);
}

std::int32_t RepairedPriority(const RadioImage& image, const ReferenceCheck& check, int g,
                              std::int32_t priority) {
    if (priority < 0 || priority >= 280) return -1;
    if (check.valid(priority, g)) return priority;
    std::vector<long> candidates{32, 18};
    for (int j = 0; j < 8; ++j) {
        long word = GetWord(image, kReferenceLists + 16 * g + 2 * j);
        if (word < 280) candidates.push_back(word);
    }
    for (long candidate : candidates)
        if (check.valid(candidate, g)) return static_cast<std::int32_t>(candidate);
    return -1;
}

} // namespace

void RepairChannelReferences(DataSet& data) {
    RadioImage& image = data.image;
    ReferenceCheck check(image);
    std::uint8_t kind = ImageByte(image, kCurrentKind);
    if (kind == 0) RepairCurrentChannel(image, check);
    if (kind == 1) RepairCurrentWeather(image, check);
    for (int g = 0; g < 3; ++g) {
        for (int j = 0; j < 8; ++j) {
            int address = kReferenceLists + 16 * g + 2 * j;
            if (!check.valid(GetWord(image, address), g)) SetWord(image, address, 0xFFFF);
        }
    }
    for (int g = 0; g < 3; ++g) {
        UsableGroupRecord& group = data.records.UsableGroup[static_cast<std::size_t>(g)];
        group.PriorityCh = RepairedPriority(image, check, g, group.PriorityCh);
        SetWord(image, kPriorityCh + 2 * g, group.PriorityCh);
    }
}

void StoreChecksum(RadioImage& image) {
    ImageByte(image, kChecksum) = Checksum(image, kChecksumFirst, kChecksumCount);
}

void PrepareImageForWrite(DataSet& data, ModelNumber model) {
    EncodeImage(data, model);
    RepairChannelReferences(data);
    StoreChecksum(data.image);
}

void BuildImageToWrite(DataSet& data, ModelNumber model, std::span<const std::uint8_t> base) {
    const std::size_t count =
        std::min(base.size(), static_cast<std::size_t>(ImageLastIndex(model)) + 1);
    std::copy_n(base.begin(), count, data.image.begin());
    PrepareImageForWrite(data, model);
}

} // namespace qb41
