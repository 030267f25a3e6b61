#include "choice_lists.h"

#include "core/master_table.h"
#include "image/defaults.h"
#include "report/formatters.h"

#include <array>

namespace qb41::editor {
namespace {

// The entry storing `value`, if any.
std::optional<int> FindValue(const std::vector<ChoiceEntry>& entries, std::int32_t value) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].value == value) return static_cast<int>(i);
    return std::nullopt;
}

ChoiceList TwoWay(std::string_view off, std::string_view on, int stored) {
    return ChoiceList{{{std::string(off), kFalse}, {std::string(on), kTrue}}, stored != 0 ? 1 : 0};
}

const std::vector<ChannelRecord>* PlanBankOfGroup(const Records& records, int group) {
    switch (group) {
    case 0:
        return &records.CHUSA;
    case 1:
        return &records.CHINT;
    case 2:
        return &records.CHCAN;
    default:
        return nullptr;
    }
}

} // namespace

std::optional<std::int32_t> ChoiceList::valueAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return std::nullopt;
    return entries[static_cast<std::size_t>(index)].value;
}

ChoiceList IndexedChoices(std::span<const std::string_view> labels, int stored) {
    ChoiceList list;
    list.entries.reserve(labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i)
        list.entries.push_back({std::string(labels[i]), static_cast<std::int32_t>(i)});
    if (stored >= 0 && static_cast<std::size_t>(stored) < labels.size()) list.selected = stored;
    return list;
}

ChoiceList OffOnChoices(int stored) {
    return TwoWay("Off", "On", stored);
}

ChoiceList LowHiChoices(int stored) {
    return TwoWay("Low", "Hi", stored);
}

ChoiceList ScramblerChoices(std::int16_t stored) {
    ChoiceList list{{{"Off", 0}, {"1", 4}, {"2", 5}, {"3", 6}, {"4", 7}}, 0};
    if (stored & 4) list.selected = (stored & 3) + 1;
    return list;
}

ChoiceList CtcssChoices(std::int16_t stored) {
    const auto& tones = CtcssList();
    return IndexedChoices(std::span<const std::string_view>(tones.data(), tones.size()), stored);
}

ChoiceList DcsChoices(std::int16_t stored) {
    const auto& codes = DcsList();
    ChoiceList list =
        IndexedChoices(std::span<const std::string_view>(codes.data(), codes.size()), stored);
    const int lastInverted = 2 * (static_cast<int>(codes.size()) - 1);
    if (!list.selected && stored >= static_cast<int>(codes.size()) && stored <= lastInverted) {
        list.entries.push_back({DcsText(stored, codes), stored});
        list.selected = static_cast<int>(list.entries.size()) - 1;
    }
    return list;
}

ChoiceList TxPoDisplayChoices(int stored) {
    static constexpr std::array<std::string_view, 3> labels{"Lo Po Only", "Lo Po on Changing CH",
                                                            "Last TX Po"};
    return IndexedChoices(labels, stored);
}

ChoiceList ResumeTimeChoices(int stored) {
    static constexpr std::array<std::string_view, 4> labels{"Off", "1Sec", "2Sec", "3Sec"};
    return IndexedChoices(labels, stored);
}

ChoiceList OffsetTimeChoices(int stored) {
    const auto& texts = OffsetTimeList();
    std::vector<std::string_view> labels(texts.begin(), texts.end());
    return IndexedChoices(labels, stored);
}

ChoiceList MagVarChoices(int stored) {
    static constexpr std::array<std::string_view, 2> labels{"True", "Mag"};
    return IndexedChoices(labels, stored);
}

ChoiceList WeatherAlertChoices(int stored) {
    static constexpr std::array<std::string_view, 4> labels{"Off", "On Wx", "On Scan",
                                                            "Wx and Scan"};
    return IndexedChoices(labels, stored);
}

ChoiceList PriorityChoices(const Records& records, int group, ModelNumber model) {
    ChoiceList list;
    list.entries.push_back({"Off", -1});
    if (const auto* bank = PlanBankOfGroup(records, group)) {
        const auto& master = MasterTable();
        for (const ChannelRecord& channel : *bank) {
            if (!channel.Enable) continue;
            if (channel.Position < 0 || channel.Position >= static_cast<int>(master.size()))
                continue;
            list.entries.push_back(
                {master[static_cast<std::size_t>(channel.Position)].text, channel.Position});
        }
    }
    const auto& groups = records.UsableGroup;
    // The EXP group has no priority channel in the radio: its value means nothing.
    if (group < 0 || group >= 3) {
        list.selected = 0;
        return list;
    }
    const std::int32_t stored = groups[static_cast<std::size_t>(group)].PriorityCh;
    if (stored < 0 || stored >= 280) {
        list.selected = 0;
        return list;
    }
    list.selected = FindValue(list.entries, stored);
    if (!list.selected) {
        list.entries.push_back({PriorityText(stored, model), stored});
        list.selected = static_cast<int>(list.entries.size()) - 1;
    }
    return list;
}

} // namespace qb41::editor
