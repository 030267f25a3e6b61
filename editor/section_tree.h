// The section tree: which nodes exist for the records and the model, their
// keys and texts, and which pane a node shows. The window owns the widget; it
// asks here what to put in it and what a selected node means.
#pragma once

#include "core/records.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb41::editor {

struct TreeNode {
    std::string key;
    std::string parent; // empty for a root node
    std::string text;

    bool operator==(const TreeNode&) const = default;
};

// Every node in the order it is added, for the model and the usable groups.
std::vector<TreeNode> BuildTreeNodes(const Records& records, ModelNumber model);

enum class DirectoryKind { Individual, Group }; // "SM" (CHMMSID), "SG" (CHGRPID)

std::vector<DirectoryRecord>& Directory(Records& records, DirectoryKind kind);
const std::vector<DirectoryRecord>& Directory(const Records& records, DirectoryKind kind);

// Node texts that change with an enable flag or a status name.
std::string PlanChannelNodeText(const ChannelRecord& record);
std::string ExportChannelNodeText(ModelNumber model, int number, bool enabled); // 1..40
// 1..; "Memory ID 3: TENDER" with the entry's name, "Memory ID 3" without.
std::string DirectoryNodeText(DirectoryKind kind, int number, bool enabled,
                              std::string_view name = {});
// The text of a group node ("PU", "PI", "PC", "ExpChannel") after a status
// name or icon change: `current` cut before its first "(", then "(name)"
// appended when the group has a status name and its status icon is off.
// Model 1 keeps no status names: the text stays as it is.
std::string GroupNodeText(std::string_view current, const UsableGroupRecord& group,
                          ModelNumber model);
// The group node keys in usable-group order (USA, INTL, Canada, EXP).
inline constexpr std::string_view kGroupNodeKeys[4] = {"PU", "PI", "PC", "ExpChannel"};
// A directory node's text with its enable mark brought up to date.
std::string RefreshedDirectoryText(std::string_view current, bool enabled);

// What a node shows.
enum class PaneKind {
    General,        // pictGeneral
    Grey,           // pictGrey
    Usable,         // pictUsable
    Common,         // pictCommon
    Dsc,            // pictDSC
    Atis,           // pictATIS
    PlanList,       // pictB, a plan bank
    ExportList,     // pictB, the export bank
    Channel,        // pictC, a plan channel (bank, index) or export channel (index 0..39)
    Weather,        // pictD
    DirectoryList,  // pictE
    DirectoryEntry, // pictG, entry index 0..
};

struct PaneTarget {
    PaneKind pane = PaneKind::General;
    Bank bank = Bank::CHUSA;
    int index = 0;
    DirectoryKind directory = DirectoryKind::Individual;

    bool operator==(const PaneTarget&) const = default;
};

// The dispatch on the node's key (roots) or its parent's key, compared in
// upper case. nullopt for a key that names nothing (including an index out of
// its bank's range).
std::optional<PaneTarget> PaneForNode(std::string_view key, std::string_view parent,
                                      const Records& records);

// The key of the node that edits a record, the inverse of PaneForNode for
// channel and directory entries.
std::string ChannelNodeKey(Bank bank, int index);
std::string DirectoryNodeKey(DirectoryKind kind, int index);

// The key a list row jumps to: the list's node key ("PU", "PI", "PC",
// "ExpChannel", "SM", "SG"), the row (1 = first data row) and the text of its
// first cell. nullopt when no node can be named.
std::optional<std::string> ListJumpKey(std::string_view listKey, int row,
                                       std::string_view firstCell);

// The key hint every node selection puts into status panel 1.
inline constexpr const char* kTreeHint = "[Up]/[Down]/[Left]/[Right]:Change of a Selection item.";

} // namespace qb41::editor
