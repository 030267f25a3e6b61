#include "section_tree.h"

#include "core/master_table.h"
#include "files/section_table.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace qb41::editor {
namespace {

constexpr const char* kEnableMark = "[Enable]";

// The whole rest of the key as a plain decimal number; nullopt for anything else.
std::optional<int> KeyNumber(std::string_view digits) {
    int value = 0;
    if (digits.empty()) return std::nullopt;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

std::string WithMark(std::string text, bool enabled) {
    if (enabled) text += kEnableMark;
    return text;
}

struct PlanGroup {
    const char* key;
    const char* text;
    Bank bank;
};
constexpr PlanGroup kPlanGroups[] = {
    {"PU", "USA", Bank::CHUSA}, {"PI", "INTL", Bank::CHINT}, {"PC", "CANADA", Bank::CHCAN}};

std::optional<Bank> PlanBankOfKey(std::string_view upperKey) {
    for (const PlanGroup& group : kPlanGroups)
        if (upperKey == group.key) return group.bank;
    return std::nullopt;
}

} // namespace

std::vector<DirectoryRecord>& Directory(Records& records, DirectoryKind kind) {
    return kind == DirectoryKind::Individual ? records.CHMMSID : records.CHGRPID;
}

const std::vector<DirectoryRecord>& Directory(const Records& records, DirectoryKind kind) {
    return kind == DirectoryKind::Individual ? records.CHMMSID : records.CHGRPID;
}

std::string PlanChannelNodeText(const ChannelRecord& record) {
    const auto& table = MasterTable();
    std::string label;
    if (record.Position >= 0 && record.Position < static_cast<int>(table.size()))
        label = table[static_cast<std::size_t>(record.Position)].text;
    return WithMark("CH" + label, record.Enable != 0);
}

std::string ExportChannelNodeText(ModelNumber model, int number, bool enabled) {
    return WithMark(std::string(ExpBankName(model)) + std::to_string(number), enabled);
}

std::string DirectoryNodeText(DirectoryKind kind, int number, bool enabled, std::string_view name) {
    const char* stem = kind == DirectoryKind::Individual ? "Memory ID " : "Group ID ";
    std::string text = stem + std::to_string(number);
    // Blanks pad the stored name; an entry without one shows its number only.
    const auto first = name.find_first_not_of(' ');
    if (first != std::string_view::npos)
        text += ": " + std::string(name.substr(first, name.find_last_not_of(' ') - first + 1));
    return WithMark(text, enabled);
}

std::string RefreshedDirectoryText(std::string_view current, bool enabled) {
    return WithMark(std::string(current.substr(0, current.find('['))), enabled);
}

std::string GroupNodeText(std::string_view current, const UsableGroupRecord& group,
                          ModelNumber model) {
    if (model == 1) return std::string(current);
    std::string text(current.substr(0, current.find('(')));
    if (!group.StatusName.empty() && group.StatusIcon == 0 && !text.ends_with(')'))
        text += "(" + group.StatusName + ")";
    return text;
}

std::vector<TreeNode> BuildTreeNodes(const Records& records, ModelNumber model) {
    std::vector<TreeNode> nodes;
    nodes.reserve(3 * kPlanChannels + kMemoryIds + kGroupIds + kExpChannels + 20);
    nodes.push_back({"General", "", "General"});
    nodes.push_back({"Usable", "General", "Available CH Group Setup"});
    nodes.push_back({"Common", "General", "Common Setup"});
    nodes.push_back({"DSC", "General", "DSC Setup"});
    nodes.push_back({"ATIS", "General", "ATIS Setup"});
    nodes.push_back({"Program", "", "Programmable Channel"});
    for (std::size_t g = 0; g < 3; ++g) {
        if (records.UsableGroup[g].Usable == 0) continue;
        const PlanGroup& group = kPlanGroups[g];
        nodes.push_back({group.key, "Program", group.text});
        const auto& bank = records.bank(group.bank);
        for (std::size_t i = 0; i < bank.size(); ++i)
            nodes.push_back(
                {group.key + std::to_string(i), group.key, PlanChannelNodeText(bank[i])});
    }
    nodes.push_back({"PW", "Program", "Weather"});
    nodes.push_back({"DSCSetting", "", "DSC"});
    nodes.push_back({"SM", "DSCSetting", "Individual Directory"});
    for (std::size_t n = 1; n <= records.CHMMSID.size(); ++n)
        nodes.push_back({"SM" + std::to_string(n), "SM",
                         DirectoryNodeText(DirectoryKind::Individual, static_cast<int>(n),
                                           records.CHMMSID[n - 1].Enable != 0,
                                           records.CHMMSID[n - 1].TagName)});
    nodes.push_back({"SG", "DSCSetting", "Group Directory"});
    for (std::size_t n = 1; n <= records.CHGRPID.size(); ++n)
        nodes.push_back({"SG" + std::to_string(n), "SG",
                         DirectoryNodeText(DirectoryKind::Group, static_cast<int>(n),
                                           records.CHGRPID[n - 1].Enable != 0,
                                           records.CHGRPID[n - 1].TagName)});
    if (records.UsableGroup[3].Usable != 0) {
        nodes.push_back({"ExpChannel", "", std::string(ExpBankName(model)) + " Channel"});
        for (std::size_t n = 1; n <= records.CHEXP.size(); ++n)
            nodes.push_back({"E" + std::to_string(n), "ExpChannel",
                             ExportChannelNodeText(model, static_cast<int>(n),
                                                   records.CHEXP[n - 1].Enable != 0)});
    }
    return nodes;
}

namespace {

// The nodes with a pane of their own whatever the records hold.
struct FixedNode {
    std::string_view parent; // upper-cased; empty for a top-level node
    std::string_view key;    // upper-cased
    PaneKind pane;
};
constexpr FixedNode kFixedNodes[] = {
    {"", "GENERAL", PaneKind::General},      {"", "PROGRAM", PaneKind::Grey},
    {"", "DSCSETTING", PaneKind::Grey},      {"", "EXPCHANNEL", PaneKind::ExportList},
    {"GENERAL", "USABLE", PaneKind::Usable}, {"GENERAL", "COMMON", PaneKind::Common},
    {"GENERAL", "DSC", PaneKind::Dsc},       {"GENERAL", "ATIS", PaneKind::Atis},
    {"PROGRAM", "PW", PaneKind::Weather},
};

// The number after a node key's prefix, when it is within 1..count (or
// 0..count-1 for a zero-based key); nullopt otherwise.
std::optional<int> NodeNumber(std::string_view key, std::size_t prefix, int low, int high) {
    auto number = key.size() > prefix ? KeyNumber(key.substr(prefix)) : std::nullopt;
    if (!number || *number < low || *number > high) return std::nullopt;
    return number;
}

// The channel, directory entry and EXP channel nodes, and the lists.
std::optional<PaneTarget> NumberedNode(std::string_view key, const std::string& upperKey,
                                       const std::string& upperParent, const Records& records) {
    PaneTarget target;
    if (upperParent == "PROGRAM") {
        auto bank = PlanBankOfKey(upperKey);
        if (!bank) return std::nullopt;
        target.pane = PaneKind::PlanList;
        target.bank = *bank;
        return target;
    }
    if (auto bank = PlanBankOfKey(upperParent)) {
        const int count = static_cast<int>(records.bank(*bank).size());
        auto index = NodeNumber(key, 2, 0, count - 1);
        if (!index) return std::nullopt;
        target.pane = PaneKind::Channel;
        target.bank = *bank;
        target.index = *index;
        return target;
    }
    if (upperParent == "DSCSETTING") {
        if (upperKey != "SM" && upperKey != "SG") return std::nullopt;
        target.pane = PaneKind::DirectoryList;
        target.directory = upperKey == "SM" ? DirectoryKind::Individual : DirectoryKind::Group;
        return target;
    }
    if (upperParent == "SM" || upperParent == "SG") {
        const DirectoryKind kind =
            upperParent == "SM" ? DirectoryKind::Individual : DirectoryKind::Group;
        auto number = NodeNumber(key, 2, 1, static_cast<int>(Directory(records, kind).size()));
        if (!number) return std::nullopt;
        target.pane = PaneKind::DirectoryEntry;
        target.directory = kind;
        target.index = *number - 1;
        return target;
    }
    if (upperParent == "EXPCHANNEL") {
        auto number = NodeNumber(key, 1, 1, static_cast<int>(records.CHEXP.size()));
        if (!number) return std::nullopt;
        target.pane = PaneKind::Channel;
        target.bank = Bank::CHEXP;
        target.index = *number - 1;
        return target;
    }
    return std::nullopt;
}

} // namespace

std::optional<PaneTarget> PaneForNode(std::string_view key, std::string_view parent,
                                      const Records& records) {
    const std::string upperKey = UpperCase(key);
    const std::string upperParent = UpperCase(parent);
    for (const FixedNode& node : kFixedNodes)
        if (node.parent == upperParent && node.key == upperKey) {
            PaneTarget target;
            target.pane = node.pane;
            return target;
        }
    // The fixed nodes' other children name no pane.
    if (upperParent.empty() || upperParent == "GENERAL") return std::nullopt;
    return NumberedNode(key, upperKey, upperParent, records);
}

std::string ChannelNodeKey(Bank bank, int index) {
    switch (bank) {
    case Bank::CHUSA:
        return "PU" + std::to_string(index);
    case Bank::CHINT:
        return "PI" + std::to_string(index);
    case Bank::CHCAN:
        return "PC" + std::to_string(index);
    case Bank::CHEXP:
        return "E" + std::to_string(index + 1);
    case Bank::CHWX:
        break;
    }
    return "PW";
}

std::string DirectoryNodeKey(DirectoryKind kind, int index) {
    return (kind == DirectoryKind::Individual ? "SM" : "SG") + std::to_string(index + 1);
}

std::optional<std::string> ListJumpKey(std::string_view listKey, int row,
                                       std::string_view firstCell) {
    if (row < 1) return std::nullopt;
    const std::string upper = UpperCase(listKey);
    if (PlanBankOfKey(upper)) {
        const auto& table = MasterTable();
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].text == firstCell) return upper + std::to_string(i);
        return std::nullopt;
    }
    if (upper == "EXPCHANNEL") return "E" + std::to_string(row);
    if (upper == "SM" || upper == "SG") return upper + std::to_string(row);
    return std::nullopt;
}

} // namespace qb41::editor
