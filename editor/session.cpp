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

} // namespace qb41::editor
