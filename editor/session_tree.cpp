// The section tree: selection, panes shown, node texts rebuilt from the records.
#include "session.h"

namespace qb41::editor {

const TreeNode* Session::FindNode(const std::string& key) const {
    for (const TreeNode& node : nodes_)
        if (node.key == key) return &node;
    return nullptr;
}

bool Session::SelectNode(const std::string& key) {
    view_.setStatusHint(kTreeHint);
    if (key == currentKey_) return true;
    if (!view_.validateEditor()) {
        if (FindNode(currentKey_)) view_.selectNode(currentKey_);
        return false;
    }
    const TreeNode* node = FindNode(key);
    if (node == nullptr) return true;
    currentKey_ = key;
    ShowNodePane(*node);
    return true;
}

void Session::ShowSection(const std::string& key) {
    const TreeNode* node = FindNode(key);
    if (node == nullptr) return;
    view_.selectNode(key);
    currentKey_ = key;
    ShowNodePane(*node);
}

void Session::ShowNodePane(const TreeNode& node) {
    if (view_.isMinimised()) return;
    const bool changed = app_.dataChanged;
    const bool wasLoading = app_.loading;
    app_.cancelFlag = true;
    if (auto target = PaneForNode(node.key, node.parent, data_.records)) {
        app_.loading = true;
        view_.showPane(*target, node.key);
        app_.loading = wasLoading;
    }
    view_.setStatusHint(kTreeHint);
    app_.cancelFlag = false;
    app_.dataChanged = changed;
}

void Session::ShowCurrentPane() {
    if (const TreeNode* node = FindNode(currentKey_)) ShowNodePane(*node);
}

void Session::NodeExpanded(const std::string& key) {
    if (key == "SM") RefreshDirectoryTexts(DirectoryKind::Individual);
    if (key == "SG") RefreshDirectoryTexts(DirectoryKind::Group);
}

void Session::TreeFocused() {
    view_.setStatusHint(kTreeHint);
}

void Session::BuildTree() {
    nodes_ = BuildTreeNodes(data_.records, app_.modelNumber);
    view_.setTree(nodes_);
    RefreshGroupTexts();
    if (currentKey_.empty()) return;
    if (FindNode(currentKey_)) {
        view_.selectNode(currentKey_);
    } else {
        currentKey_.clear();
        ShowSection("General");
    }
}

void Session::RefreshGroupTexts() {
    if (app_.modelNumber == 1) return;
    for (std::size_t g = 0; g < kUsableGroups; ++g) {
        const std::string key(kGroupNodeKeys[g]);
        for (TreeNode& node : nodes_) {
            if (node.key != key) continue;
            std::string text =
                GroupNodeText(node.text, data_.records.UsableGroup[g], app_.modelNumber);
            if (text != node.text) {
                node.text = std::move(text);
                view_.setNodeText(node.key, node.text);
            }
        }
    }
}

void Session::RefreshDirectoryTexts(DirectoryKind kind) {
    const std::string parent = kind == DirectoryKind::Individual ? "SM" : "SG";
    const auto& directory = Directory(data_.records, kind);
    for (TreeNode& node : nodes_) {
        if (node.parent != parent) continue;
        auto target = PaneForNode(node.key, node.parent, data_.records);
        if (!target) continue;
        const DirectoryRecord& entry = directory[static_cast<std::size_t>(target->index)];
        std::string text =
            DirectoryNodeText(kind, target->index + 1, entry.Enable != 0, entry.TagName);
        if (text != node.text) {
            node.text = std::move(text);
            view_.setNodeText(node.key, node.text);
        }
    }
}

void Session::RefreshNodeText(const std::string& key) {
    for (std::string_view group : kGroupNodeKeys)
        if (key == group) {
            RefreshGroupTexts();
            return;
        }
    for (TreeNode& node : nodes_) {
        if (node.key != key) continue;
        auto target = PaneForNode(node.key, node.parent, data_.records);
        if (!target) return;
        std::string text;
        if (target->pane == PaneKind::Channel && target->bank == Bank::CHEXP) {
            text = ExportChannelNodeText(
                app_.modelNumber, target->index + 1,
                data_.records.CHEXP[static_cast<std::size_t>(target->index)].Enable != 0);
        } else if (target->pane == PaneKind::Channel) {
            text = PlanChannelNodeText(
                data_.records.bank(target->bank)[static_cast<std::size_t>(target->index)]);
        } else if (target->pane == PaneKind::DirectoryEntry) {
            const auto& directory = Directory(data_.records, target->directory);
            const DirectoryRecord& entry = directory[static_cast<std::size_t>(target->index)];
            text = DirectoryNodeText(target->directory, target->index + 1, entry.Enable != 0,
                                     entry.TagName);
        } else {
            return;
        }
        if (text != node.text) {
            node.text = std::move(text);
            view_.setNodeText(node.key, node.text);
        }
        return;
    }
}

void Session::ApplyEdit(const EditResult& result, const std::string& nodeKey) {
    if (result.rebuildTree)
        BuildTree(); // the group texts come with it
    else if (result.groupTextsChanged)
        RefreshGroupTexts();
    if (result.nodeTextChanged) RefreshNodeText(nodeKey);
    if (result.directoryTexts) {
        if (nodeKey.starts_with("SM")) RefreshDirectoryTexts(DirectoryKind::Individual);
        if (nodeKey.starts_with("SG")) RefreshDirectoryTexts(DirectoryKind::Group);
    }
}

} // namespace qb41::editor
