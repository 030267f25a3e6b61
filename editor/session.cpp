#include "session.h"

#include "app_settings.h"

#include "core/platform.h"
#include "files/data_file_check.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "files/destination_files.h"
#include "files/file_io.h"
#include "files/image_file.h"
#include "image/defaults.h"
#include "link/port_name.h"

#include <chrono>

namespace qb41::editor {

using namespace std::chrono_literals;

// The window is disabled with the busy pointer for the scope's lifetime.
struct Session::BusyScope {
    explicit BusyScope(MainView& view) : view_(view) { view_.setBusy(true); }
    ~BusyScope() { view_.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    MainView& view_;
};

Session::Session(SessionParts parts)
    : app_(parts.app), data_(parts.data), notifier_(parts.notifier), store_(parts.store),
      log_(parts.log), clock_(parts.clock), view_(parts.view),
      destinationFolder_(std::move(parts.destinationFolder)) {}

void Session::Startup(const std::optional<std::string>& portOverride) {
    BusyScope busy(view_);
    app_.modelNumber = ReadModelNumber(store_);
    view_.setModelName(app_.modelName());
    view_.setModelChecks(app_.modelNumber);
    app_.serialPort = UsableComPort(ReadComPort(store_));
    comDevice_ = ReadComDevice(store_);
    if (portOverride && !portOverride->empty()) {
        if (auto number = link::ComPortNumber(*portOverride)) {
            app_.serialPort = static_cast<std::int16_t>(*number);
            comDevice_.clear();
        } else {
            comDevice_ = *portOverride;
        }
    }
    app_.cloneRetryCount = 1;
    ApplyPortMenu();
    InitData(true);
    app_.dataChanged = false;
}

void Session::ResetRecords() {
    MakeFreshDataSet(data_, app_.modelNumber);
}

void Session::InitData(bool reloadDestination) {
    const bool wasLoading = app_.loading;
    app_.loading = true;
    ResetRecords();
    view_.prepareEditors(app_.modelNumber);
    currentKey_.clear();
    if (reloadDestination) RebuildDestinations();
    app_.loading = true;
    ShowNewData();
    app_.loading = wasLoading;
}

void Session::ShowNewData() {
    view_.recordsReplaced();
    RefreshTree();
    ShowSection("General");
    view_.setStatusHint("");
    app_.currentFileName.clear();
    currentFileIsImage_ = false;
    RefreshCaption();
}

void Session::PublishDestinationMenu() {
    DestinationMenuState menu;
    menu.enabled = !destinations_.empty();
    for (const DestinationFile& destination : destinations_)
        menu.captions.push_back(destination.name);
    menu.checked = checkedDestination_;
    view_.setDestinationMenu(menu);
}

void Session::RebuildDestinations() {
    destinations_ = ListDestinationFiles(destinationFolder_, app_.modelNumber);
    checkedDestination_ = -1;
    if (!destinations_.empty()) {
        const std::string stored = ReadDestinationName(store_, app_.modelNumber);
        if (auto index = FindDestination(destinations_, stored)) {
            FileContext context = fileContext();
            const std::filesystem::path& file = destinations_[*index].file;
            if (FileReadIni(context, file))
                checkedDestination_ = static_cast<int>(*index);
            else
                ReportDestinationFailure(file);
        }
    }
    PublishDestinationMenu();
}

void Session::CheckStored() {
    if (!store_.lastSaveFailed() || storeFailureShown_) return;
    storeFailureShown_ = true; // once: every later choice would say the same
    notifier_.show(MessageIcon::Warning, app_.windowTitle,
                   "The settings could not be written to " + store_.location() +
                       ".\r\nThis choice applies now, but the next start will not remember it "
                       "(is the folder read-only?).");
}

void Session::ReportDestinationFailure(const std::filesystem::path& file) {
    // Said once per file and run: every New would otherwise say it again.
    if (!reportedDestinations_.insert(file).second) return;
    notifier_.show(MessageIcon::Warning, app_.windowTitle,
                   "IniFileRead Error!!\r\n" + file.string() + ": " +
                       DestinationFailureCause(file, app_.modelNumber) +
                       "\r\nThe model's defaults are loaded instead.");
}

bool Session::FileNew() {
    if (!view_.validateEditor()) return false;
    if (!OfferToSaveChanges()) return false;
    view_.armResetTimer();
    return true;
}

bool Session::OfferToSaveChanges() {
    if (!app_.dataChanged) return true;
    const MessageAnswer answer = notifier_.ask(
        {MessageIcon::Warning, app_.windowTitle, kClosePrompt, MessageButtons::YesNoCancel});
    if (answer == MessageAnswer::Cancel) return false;
    return answer == MessageAnswer::No || SaveFlow(true);
}

void Session::ReportUnexpectedFailure(const std::string& errorText) {
    app_.loading = false;
    log_.LogError("frmMain.EventLoop", errorText);
    notifier_.show(MessageIcon::Critical, app_.windowTitle, kUnexpectedFailure + errorText);
}

void Session::OnResetTimer() {
    BusyScope busy(view_);
    ShowSection("General");
    clock_.pause(500ms);
    InitData(true);
    app_.dataChanged = false;
}

void Session::ChooseModel(ModelNumber model) {
    if (model == app_.modelNumber) return;
    const ModelMenuItem* item = nullptr;
    for (const ModelMenuItem& candidate : kModelMenu)
        if (candidate.model == model) item = &candidate;
    if (item == nullptr) return;
    // The open editor is checked before anything changes, so a refused field
    // never leaves the old model's records under the new model number.
    if (!view_.validateEditor()) return;
    const std::string text =
        std::string("Do yo want to program the ") + item->modelText + " series?";
    if (notifier_.ask({MessageIcon::Warning, app_.windowTitle, text, MessageButtons::OkCancel}) !=
        MessageAnswer::Ok)
        return;
    if (!OfferToSaveChanges()) return;
    app_.modelNumber = model;
    view_.setModelName(app_.modelName());
    view_.setModelChecks(model);
    SaveModelNumber(store_, model);
    CheckStored();
    view_.armResetTimer();
}

void Session::ChooseDestination(std::size_t slot) {
    if (slot >= destinations_.size()) return;
    const DestinationFile chosen = destinations_[slot];
    if (static_cast<int>(slot) != checkedDestination_) {
        const std::string text = "Do yo want to change to " + chosen.name + "?";
        if (notifier_.ask({MessageIcon::Warning, app_.windowTitle, text,
                           MessageButtons::OkCancel}) != MessageAnswer::Ok)
            return;
    }
    // Even the checked destination is loaded afresh, over the edits.
    if (!view_.validateEditor() || !OfferToSaveChanges()) return;
    BusyScope busy(view_);
    ShowSection("General");
    clock_.pause(500ms);
    // The destination is read into a scratch data set and adopted only when
    // it loaded, so a failed load leaves the user's records as they were.
    DataSet scratch;
    MakeFreshDataSet(scratch, app_.modelNumber);
    FileContext context{app_, scratch, notifier_, log_};
    if (!FileReadIni(context, chosen.file)) {
        notifier_.show(MessageIcon::Warning, app_.windowTitle, "IniFileRead Error!!");
        return;
    }
    data_ = std::move(scratch);
    checkedDestination_ = static_cast<int>(slot);
    SaveDestinationName(store_, app_.modelNumber, chosen.name);
    CheckStored();
    PublishDestinationMenu();
    const bool wasLoading = app_.loading;
    app_.loading = true;
    view_.prepareEditors(app_.modelNumber);
    currentKey_.clear();
    ShowNewData();
    app_.loading = wasLoading;
    app_.dataChanged = false;
}

void Session::ApplyPortMenu() {
    SerialPortMenuState menu;
    menu.checked = comDevice_.empty() ? app_.serialPort - 1 : -1;
    menu.device = comDevice_;
    view_.setSerialPortMenu(menu);
}

void Session::ChooseSerialPort(int index, bool store) {
    if (index < 0 || index > 3) return;
    app_.serialPort = static_cast<std::int16_t>(index + 1);
    comDevice_.clear();
    ApplyPortMenu();
    if (store) {
        SaveComPort(store_, app_.serialPort);
        SaveComDevice(store_, "");
        CheckStored();
    }
}

void Session::ChooseSerialDevice(const std::string& device) {
    if (device.empty()) return;
    if (auto number = link::ComPortNumber(device)) {
        ChooseSerialPort(*number - 1);
        return;
    }
    comDevice_ = device;
    SaveComDevice(store_, device);
    CheckStored();
    ApplyPortMenu();
}

std::string Session::PortDevice() const {
    if (!comDevice_.empty()) return comDevice_;
    return link::PortDeviceName(app_.serialPort).value_or("");
}

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

void Session::RefreshCaption() {
    view_.setCaption(Caption());
}

std::string Session::Caption() const {
    std::string caption = WindowCaption(app_);
    // A literal "[*]" in a file name is written doubled so it stays text.
    for (std::size_t at = caption.find("[*]"); at != std::string::npos;
         at = caption.find("[*]", at + 6))
        caption.insert(at, "[*]");
    const std::string plain = app_.productName + "  " + app_.windowTitle;
    if (caption.size() > plain.size() + 3)
        caption.insert(caption.size() - plain.size() - 3, "[*]");
    else
        caption += "[*]";
    return caption;
}

void Session::FileOpen() {
    if (!view_.validateEditor()) return;
    if (!OfferToSaveChanges()) return;
    const std::string name = view_.askOpenFileName(kDataOpenDialog);
    if (name.empty()) {
        app_.cancelFlag = true;
        return;
    }
    OpenDataFileAt(platform::PathFromUtf8(name));
}

bool Session::OpenDataFileAt(const std::filesystem::path& path) {
    if (!LoadDataFileAt(path)) return false;
    ShowOpenFindings(path); // once the window takes input again
    return true;
}

bool Session::LoadDataFileAt(const std::filesystem::path& path) {
    BusyScope busy(view_);
    // The file is read into a fresh base (defaults, then the checked
    // destination), so nothing of the records before survives; a failed open
    // leaves them as they were.
    DataSet scratch;
    FileContext context{app_, scratch, notifier_, log_};
    std::filesystem::path destination;
    if (checkedDestination_ >= 0)
        destination = destinations_[static_cast<std::size_t>(checkedDestination_)].file;
    MakeLoadBase(context, destination);
    if (!OpenDataFile(context, path.string())) return false;
    data_ = std::move(scratch);
    app_.dataChanged = false;
    view_.recordsReplaced();
    currentFileIsImage_ = false;
    RefreshCaption();
    RefreshTree();
    ShowCurrentPane();
    return true;
}

void Session::ShowOpenFindings(const std::filesystem::path& path) {
    std::string text;
    try {
        text = ReadWholeFile(path, kMaxDataFileBytes);
    } catch (const std::exception&) {
        return; // it was just read: nothing more to say
    }
    const std::string message = OpenFindingsText(path.filename().string(), CheckDataFileText(text));
    if (!message.empty()) notifier_.show(MessageIcon::Warning, app_.windowTitle, message);
}

std::string OpenFindingsText(const std::string& fileName,
                             const std::vector<DataFileFinding>& findings) {
    constexpr std::size_t kShown = 15;
    std::vector<std::string> missing;
    std::vector<std::string> lines;
    for (const DataFileFinding& finding : findings) {
        if (finding.kind == DataFileFinding::Kind::MissingSection)
            missing.push_back(finding.text);
        else
            lines.push_back(FindingLine(finding));
    }
    if (missing.empty() && lines.empty()) return {};
    std::string text = fileName + " was opened; the check found:";
    if (!missing.empty()) {
        text += "\r\nit lacks " + std::to_string(missing.size()) +
                " section(s) a complete file always has (" + missing.front() +
                (missing.size() > 1 ? ", ..." : "") + "); they are defaults";
    }
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) text += "\r\n" + lines[i];
    if (lines.size() > kShown)
        text += "\r\n... and " + std::to_string(lines.size() - kShown) +
                " more (qb41-cli check lists them all)";
    return text;
}

bool Session::SaveFlow(bool useCurrentName) {
    // After an image was opened the current file is raw image bytes: settings
    // text is never written over it without asking for a name.
    std::string name;
    if (useCurrentName && !app_.currentFileName.empty() && !currentFileIsImage_)
        name = app_.currentFileName;
    else
        name = view_.askSaveFileName(kDataSaveDialog);
    return SaveTo(name);
}

bool Session::SaveTo(const std::string& name) {
    app_.cancelFlag = true;
    if (name.empty()) return false;
    bool saved = false;
    {
        BusyScope busy(view_);
        FileContext context = fileContext();
        saved = SaveDataFile(context, name) && !app_.errorFlag;
    }
    if (!saved) {
        // The file said why it refused (read-only, no such folder, disk
        // full): another name may still keep the data.
        if (notifier_.ask({MessageIcon::Question, app_.windowTitle, kSaveElsewherePrompt,
                           MessageButtons::YesNo}) != MessageAnswer::Yes)
            return false;
        return SaveTo(view_.askSaveFileName(kDataSaveDialog));
    }
    currentFileIsImage_ = false;
    app_.dataChanged = false;
    RefreshCaption();
    return true;
}

bool Session::FileSave() {
    if (!view_.validateEditor()) return false;
    return SaveFlow(true);
}

bool Session::FileSaveAs() {
    if (!view_.validateEditor()) return false;
    return SaveFlow(false);
}

void Session::OpenImage() {
    if (!app_.diagnosticMode) return;
    const std::string name = view_.askOpenFileName(kImageOpenDialog);
    if (name.empty()) {
        app_.cancelFlag = true;
        return;
    }
    OpenImageAt(platform::PathFromUtf8(name));
}

bool Session::OpenImageAt(const std::filesystem::path& path) {
    if (!app_.diagnosticMode) return false;
    BusyScope busy(view_);
    FileContext context = fileContext();
    if (!OpenImageFile(context, path)) return false;
    view_.recordsReplaced();
    currentFileIsImage_ = true;
    RefreshCaption();
    RefreshTree();
    ShowSection("General");
    return true;
}

void Session::SaveImage() {
    if (!app_.diagnosticMode) return;
    if (!view_.validateEditor()) return;
    const std::string name = view_.askSaveFileName(kImageSaveDialog);
    if (name.empty()) {
        app_.cancelFlag = true;
        return;
    }
    BusyScope busy(view_);
    FileContext context = fileContext();
    SaveImageFile(context, platform::PathFromUtf8(name));
    // Preparing the image repairs records (usable groups, priority channel):
    // show what was written.
    BuildTree();
    ShowCurrentPane();
}

void Session::AfterRadioRead() {
    ShowNewData();
    app_.dataChanged = false;
}

void Session::RefreshTree() {
    BuildTree();
    RefreshDirectoryTexts(DirectoryKind::Individual);
    RefreshDirectoryTexts(DirectoryKind::Group);
}

bool Session::QueryClose() {
    if (!app_.dataChanged) return true;
    // The field is validated only after Yes (Exit asks first).
    const MessageAnswer answer = notifier_.ask(
        {MessageIcon::Warning, app_.windowTitle, kClosePrompt, MessageButtons::YesNoCancel});
    if (answer == MessageAnswer::Cancel) return false;
    if (answer == MessageAnswer::No) return true;
    if (!view_.validateEditor()) return false;
    return SaveFlow(true);
}

void Session::SaveWindowPlacement(const WindowPlacement& placement) {
    if (view_.isMinimised()) return;
    qb41::SaveWindowPlacement(store_, placement);
}

} // namespace qb41::editor
