// What the session logic needs from the main window. The Qt window implements
// it; tests implement it with a recorder. Every call is made on the UI thread.
#pragma once

#include "section_tree.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qb41::editor {

// A standard file dialog. `filter` is written as "text|pattern|text|pattern".
struct FileDialogSpec {
    std::string filter;
    bool save = false; // save dialogs ask before overwriting
};

inline const FileDialogSpec kDataOpenDialog{"dat files(*.dat)|*.dat|All files(*.*)|*.*", false};
inline const FileDialogSpec kDataSaveDialog{"dat files(*.dat)|*.dat|All files(*.*)|*.*", true};
inline const FileDialogSpec kImageOpenDialog{"hex files(*.hex)|*.hex|All files(*.*)|*.*", false};
inline const FileDialogSpec kImageSaveDialog{"hex files(*.hex)|*.hex|All files(*.*)|*.*", true};

// The Destination menu has eleven slots; at most ten are used.
inline constexpr std::size_t kDestinationSlots = 11;

struct DestinationMenuState {
    bool enabled = false;
    std::vector<std::string> captions; // the used slots, in slot order
    int checked = -1;                  // slot with the check mark, -1 none
};

// Options > SerialPort: COM1-COM4 are items 0-3; a device path is "Other".
struct SerialPortMenuState {
    int checked = 0;    // 0..3, or -1 when a device path is in use
    std::string device; // the device path when checked is -1
};

class MainView {
public:
    virtual ~MainView() = default;

    // Disabled window and busy pointer while true. Nested calls count.
    virtual void setBusy(bool busy) = 0;
    virtual bool isMinimised() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setStatusHint(const std::string& hint) = 0; // status panel 1
    virtual void setModelName(const std::string& name) = 0;  // status panel 3
    virtual void setModelChecks(ModelNumber model) = 0;
    virtual void setDestinationMenu(const DestinationMenuState& menu) = 0;
    virtual void setSerialPortMenu(const SerialPortMenuState& menu) = 0;

    // The tree: replaced whole, patched by text, selected without acting.
    virtual void setTree(const std::vector<TreeNode>& nodes) = 0;
    virtual void setNodeText(const std::string& key, const std::string& text) = 0;
    virtual void selectNode(const std::string& key) = 0;
    // Fills the pane from the records and shows it (all others hidden). Called
    // with the loading flag set.
    virtual void showPane(const PaneTarget& target, const std::string& nodeKey) = 0;
    // Value lists and control states of every editor, panes laid out and
    // hidden for the model (the data reset's editor preparation).
    virtual void prepareEditors(ModelNumber model) = 0;

    // The open editor's check of the field the user last edited; shows its
    // own message when it refuses.
    virtual bool validateEditor() = 0;

    // Standard file dialogs: the chosen path, or empty when cancelled.
    virtual std::string askOpenFileName(const FileDialogSpec& dialog) = 0;
    virtual std::string askSaveFileName(const FileDialogSpec& dialog) = 0;

    // Arms the one-shot reset timer (100 ms); it calls Session::OnResetTimer.
    virtual void armResetTimer() = 0;
    // The records were replaced as a whole (New, Open, a read, a model or
    // destination switch): edits before it can no longer be undone.
    virtual void recordsReplaced() {}
    // The DSC pane's entry counter box (txtFCount) shows `text`, whether or not
    // the pane is open. Called with the loading flag set.
    virtual void showEntryCount(const std::string& text) { (void)text; }
};

} // namespace qb41::editor
