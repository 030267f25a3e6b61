// Rules of what the main window shows that are no pane's: which tree nodes
// are open when the tree is filled, and the titles of failure boxes.
#pragma once

#include "section_tree.h"

#include "core/app_state.h"

#include <string>

namespace qb41::editor {

// The sections are shown open when the tree is filled, so their parts are
// seen at once; the long channel and directory lists stay closed.
bool StartsExpanded(const TreeNode& node);

// The title of the report commands' failure boxes (print, print to file,
// export): the model name, a blank and the window title.
std::string ReportFailureTitle(const AppState& app);

} // namespace qb41::editor
