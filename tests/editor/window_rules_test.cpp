// What the main window shows that no pane owns: the tree's open nodes and
// the report failures' title.
#include "editor/window_rules.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

#include <set>

namespace qb41::editor {
namespace {

TEST(TreeExpansion, SectionsOpenListsStayClosed) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        SCOPED_TRACE(model);
        DataSet data;
        MakeFreshDataSet(data, model);
        const std::vector<TreeNode> nodes = BuildTreeNodes(data.records, model);
        std::set<std::string> parents;
        for (const TreeNode& node : nodes) parents.insert(node.parent);
        std::set<std::string> opened;
        std::set<std::string> sections; // roots with parts below them
        for (const TreeNode& node : nodes) {
            if (StartsExpanded(node)) opened.insert(node.key);
            if (node.parent.empty() && parents.count(node.key)) sections.insert(node.key);
        }
        EXPECT_EQ(opened, sections);
        EXPECT_GE(sections.size(), 3u);
        for (const char* list : {"PU", "PI", "PC", "ExpChannel", "SM", "SG"})
            EXPECT_FALSE(opened.count(list)) << list;
    }
}

TEST(ReportFailureTitle, ModelNameThenWindowTitle) {
    AppState app;
    app.modelNumber = 0;
    EXPECT_EQ(ReportFailureTitle(app), "TQ4800M PC Program for TQ4800M/LW6100 Series");
    app.modelNumber = 3;
    app.windowTitle = "QB41";
    EXPECT_EQ(ReportFailureTitle(app), "LW6100 QB41");
}

} // namespace
} // namespace qb41::editor
