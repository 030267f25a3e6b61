// The File menu flows: open and save a settings data file, open and save an
// image in diagnostic mode, with the findings of an open shown once.
#include "session.h"

#include "core/platform.h"
#include "editor/file_edge.h"
#include "files/data_file_check.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "files/image_file.h"

namespace qb41::editor {

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

} // namespace qb41::editor
