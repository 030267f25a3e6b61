// The choices the settings store keeps: model, destination and serial port,
// and the window placement written at close.
#include "session.h"

#include "app_settings.h"

#include "editor/file_edge.h"
#include "files/destination_files.h"
#include "image/defaults.h"
#include "link/port_name.h"

#include <chrono>

namespace qb41::editor {

using namespace std::chrono_literals;

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

void Session::SaveWindowPlacement(const WindowPlacement& placement) {
    if (view_.isMinimised()) return;
    qb41::SaveWindowPlacement(store_, placement);
}

} // namespace qb41::editor
