// The section tree: the session's nodes as tree items, and the user's choice
// of a node forwarded to the session.
#include "main_window.h"

#include "editor/window_rules.h"

#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

namespace qb41::gui {

void MainWindow::setTree(const std::vector<editor::TreeNode>& nodes) {
    QSignalBlocker blocker(tree_);
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    treeItems_.clear();
    for (const editor::TreeNode& node : nodes) {
        QTreeWidgetItem* item = nullptr;
        if (node.parent.empty()) {
            item = new QTreeWidgetItem(tree_);
        } else {
            auto parent = treeItems_.find(node.parent);
            if (parent == treeItems_.end()) continue;
            item = new QTreeWidgetItem(parent->second);
        }
        item->setText(0, QString::fromStdString(node.text));
        item->setData(0, Qt::UserRole, QString::fromStdString(node.key));
        treeItems_[node.key] = item;
    }
    for (const editor::TreeNode& node : nodes)
        if (editor::StartsExpanded(node))
            if (auto found = treeItems_.find(node.key); found != treeItems_.end())
                found->second->setExpanded(true);
    tree_->setUpdatesEnabled(true);
}

void MainWindow::setNodeText(const std::string& key, const std::string& text) {
    auto found = treeItems_.find(key);
    if (found != treeItems_.end()) found->second->setText(0, QString::fromStdString(text));
}

void MainWindow::selectNode(const std::string& key) {
    auto found = treeItems_.find(key);
    if (found == treeItems_.end()) return;
    QSignalBlocker blocker(tree_);
    tree_->setCurrentItem(found->second);
    tree_->scrollToItem(found->second);
}

void MainWindow::onTreeCurrentChanged(QTreeWidgetItem* current) {
    if (current == nullptr) return;
    if (session_->SelectNode(current->data(0, Qt::UserRole).toString().toStdString())) return;
    // Refused by the open editor: a mouse press goes on to select the pressed
    // row after this signal, so the current node is selected again afterwards.
    QTimer::singleShot(0, this, [this] { selectNode(session_->currentKey()); });
}

} // namespace qb41::gui
