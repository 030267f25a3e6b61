// The desktop program's session: start-up, the data reset, model, destination
// and serial port choices (session_preferences.cpp), the section tree's
// selection (session_tree.cpp), the File menu flows (session_files.cpp) and
// the shutdown prompt. It owns no data: the application owns the one
// AppState and DataSet and passes them in with the notifier, the settings
// store, the error log and the clock; the window is reached through MainView.
//
// Failures follow the program's convention: the file operations in files/
// return their outcome as data, and the edge (file_edge.h; link_edge.h for the
// clone link) logs it, shows its message and leaves it in the error and cancel
// flags; the session reads the flags and restores the window.
#pragma once

#include "rule_types.h"
#include "view.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"
#include "editor/file_edge.h"
#include "files/data_file_check.h"
#include "files/destination_files.h"
#include "files/settings_store.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qb41::editor {

struct SessionParts {
    AppState& app;
    DataSet& data;
    Notifier& notifier;
    SettingsStore& store;
    const ErrorLog& log;
    Clock& clock;
    MainView& view;
    std::filesystem::path destinationFolder; // where the destination default files are
};

// The model menu's four items in menu order (control names kept).
struct ModelMenuItem {
    const char* control;   // "mnuEditModel3", ...
    const char* caption;   // "&TQ4800M", ...
    const char* modelText; // the text the confirmation names
    ModelNumber model;
};
// Caption and name come from the model catalogue.
constexpr ModelMenuItem ModelMenuEntry(const char* control, ModelNumber model) {
    const ModelInfo& info = AllModels()[static_cast<std::size_t>(model)];
    return {control, info.menuCaption.data(), info.catalogueName.data(), model};
}
inline constexpr ModelMenuItem kModelMenu[4] = {
    ModelMenuEntry("mnuEditModel3", 0),
    ModelMenuEntry("mnuEditModel4", 3),
    ModelMenuEntry("mnuEditModel1", 2),
    ModelMenuEntry("mnuEditModel2", 1),
};

class Session {
public:
    explicit Session(SessionParts parts);

    // The window load: stored model and port, data reset with the stored
    // destination, "General" shown. `portOverride` (a device path or COM1-4)
    // is used for this run without being stored.
    void Startup(const std::optional<std::string>& portOverride = std::nullopt);
    // The data reset; `reloadDestination` rebuilds the Destination menu and
    // loads the stored destination.
    void InitData(bool reloadDestination);
    // File > New: the open editor validates, unsaved changes are offered for
    // saving, then the reset timer is armed. False when nothing was started.
    bool FileNew();
    void OnResetTimer();

    void ChooseModel(ModelNumber model);
    void ChooseDestination(std::size_t slot);
    // Options > SerialPort > COM<index + 1>; stored when `store` is true.
    void ChooseSerialPort(int index, bool store = true);
    // Options > SerialPort > Other...: a device path, stored.
    void ChooseSerialDevice(const std::string& device);
    // The device the link opens.
    std::string PortDevice() const;

    // Tree selection by the user. False when the open editor refused to be
    // left: the view must select the current node again.
    bool SelectNode(const std::string& key);
    // Selects the node with this key and shows its pane (no validation).
    void ShowSection(const std::string& key);
    void NodeExpanded(const std::string& key);
    void TreeFocused();
    const std::string& currentKey() const { return currentKey_; }
    const std::vector<TreeNode>& nodes() const { return nodes_; }
    // Rebuilds the tree from the records, keeping the current node by key
    // ("General" when it is gone), and refreshes the group texts.
    void BuildTree();
    void RefreshGroupTexts();
    // BuildTree and the directory nodes' enable marks.
    void RefreshTree();
    void RefreshDirectoryTexts(DirectoryKind kind);
    // After an editor changed an enable flag or a status name.
    void RefreshNodeText(const std::string& key);
    // The tree's part of a user edit in the pane of `nodeKey`: node texts
    // patched, or the tree rebuilt when nodes come or go.
    void ApplyEdit(const EditResult& result, const std::string& nodeKey);
    // Shows the current node's pane again from the records.
    void ShowCurrentPane();

    // File menu. Each validates the open editor first.
    void FileOpen();
    bool OpenDataFileAt(const std::filesystem::path& path); // also the command line
    bool FileSave();
    bool FileSaveAs();
    // Ctrl+F2 / Ctrl+F3, diagnostic mode only.
    void OpenImage();
    bool OpenImageAt(const std::filesystem::path& path);
    void SaveImage();

    // The follow-up of a successful read from the radio.
    void AfterRadioRead();

    // The close prompt; false keeps the window open.
    bool QueryClose();
    // Before the records are replaced (New, Open, a read from the radio, a
    // model or destination switch): unsaved changes are offered for saving
    // with the close prompt. False when the action must stop (Cancel, or the
    // save was cancelled or failed).
    bool OfferToSaveChanges();

    // A failure no operation trapped reached the event loop: the loading flag
    // is cleared, the failure logged and shown; the records stay as they are.
    void ReportUnexpectedFailure(const std::string& errorText);
    // The placement written at close (twips), unless minimised.
    void SaveWindowPlacement(const WindowPlacement& placement);

    // The window caption with "[*]" where the window shows its mark for
    // unsaved changes (after the file name, else at the end).
    std::string Caption() const;
    FileContext fileContext() { return {app_, data_, notifier_, log_}; }
    const std::vector<DestinationFile>& destinations() const { return destinations_; }

private:
    // The window is disabled with the busy pointer for the scope's lifetime.
    struct BusyScope {
        explicit BusyScope(MainView& view) : view_(view) { view_.setBusy(true); }
        ~BusyScope() { view_.setBusy(false); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
        MainView& view_;
    };
    void RefreshCaption();
    void ResetRecords();
    void RebuildDestinations();
    void PublishDestinationMenu();
    // After the records were replaced: tree rebuilt, "General" shown, no
    // current file.
    void ShowNewData();
    bool SaveTo(const std::string& name);
    bool SaveFlow(bool useCurrentName);
    void ShowNodePane(const TreeNode& node);
    bool LoadDataFileAt(const std::filesystem::path& path);
    void ShowOpenFindings(const std::filesystem::path& path);
    void ReportDestinationFailure(const std::filesystem::path& file);
    // After a choice was stored: says once when the store refused it.
    void CheckStored();
    const TreeNode* FindNode(const std::string& key) const;
    void ApplyPortMenu();

    AppState& app_;
    DataSet& data_;
    Notifier& notifier_;
    SettingsStore& store_;
    const ErrorLog& log_;
    Clock& clock_;
    MainView& view_;
    std::filesystem::path destinationFolder_;

    std::vector<TreeNode> nodes_;
    std::string currentKey_; // the node whose pane is shown; empty after a reset
    std::vector<DestinationFile> destinations_;
    int checkedDestination_ = -1;
    std::string comDevice_;
    bool currentFileIsImage_ = false;
    std::set<std::filesystem::path> reportedDestinations_;
    bool storeFailureShown_ = false;
};

// The warning shown after an open: the check's findings, missing sections
// summed up, at most 15 other lines. Empty when there is nothing to say.
std::string OpenFindingsText(const std::string& fileName,
                             const std::vector<DataFileFinding>& findings);

inline constexpr const char* kClosePrompt = "KVX data has changed.\r\nDo you want to save changes?";
inline constexpr const char* kSaveElsewherePrompt = "Save the data under another name?";
inline constexpr const char* kUnexpectedFailure =
    "Unexpected Error!!\r\nThe action was stopped; the data in the window is kept.\r\n";

} // namespace qb41::editor
