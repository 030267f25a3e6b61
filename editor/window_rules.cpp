#include "window_rules.h"

#include <string_view>

namespace qb41::editor {

bool StartsExpanded(const TreeNode& node) {
    constexpr std::string_view kOpenSections[] = {"General", "Program", "DSCSetting"};
    for (std::string_view key : kOpenSections)
        if (node.key == key) return true;
    return false;
}

std::string ReportFailureTitle(const AppState& app) {
    return app.modelName() + " " + app.windowTitle;
}

} // namespace qb41::editor
