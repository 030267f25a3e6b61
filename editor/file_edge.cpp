// The edge of the file operations: the one place that sets the error and
// cancel flags, logs and shows a message, made from the outcomes the file
// operations return; and the FileContext operations built on it.
#include "file_edge.h"

#include "core/platform.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "files/destination_files.h"
#include "files/file_io.h"
#include "files/image_file.h"
#include "image/defaults.h"

namespace qb41 {
namespace {

// How each operation reports: the log source of a trapped failure, whether a
// run clears the error flag first, and whether it holds the loading flag.
struct OperationReport {
    const char* logSource;   // nullptr: not logged
    const char* failureText; // the message of a trapped failure; nullptr: none
    bool clearsError;
    bool usesLoading;
};

OperationReport ReportOf(FileOperation operation) {
    switch (operation) {
    case FileOperation::ReadDataFile:
        return {"frmMain.FileRead2", "FileRead Error!!", true, true};
    case FileOperation::SaveDataFile:
        return {"frmMain.SaveFileAs", "FileSave Error!!", true, true};
    case FileOperation::ReadImageFile:
        return {"frmMain.ReadHexFileAs", "FileRead Error!!", true, true};
    case FileOperation::SaveImageFile:
        return {"frmMain.SaveHexFileAs", "FileSave Error!!", false, true};
    case FileOperation::ReadDestinationFile:
        return {"frmMain.FileReadIni", nullptr, true, true};
    case FileOperation::SaveReportText:
        return {nullptr, nullptr, true, false};
    }
    return {nullptr, nullptr, false, false};
}

// A model or length refusal: the error flag, and the message where the
// operation shows one (a destination file is refused silently).
bool ApplyRefusal(FileContext& context, const FileOutcome& outcome) {
    AppState& app = context.app;
    const bool destination = outcome.operation == FileOperation::ReadDestinationFile;
    if (outcome.reason == FileReason::WrongLength) {
        if (destination) return false; // refused before anything was touched
        app.errorFlag = true;
        context.notifier.show(MessageIcon::Critical, app.windowTitle,
                              FileMessage("bad file!!", outcome.path, outcome.cause));
        return false;
    }
    app.loading = false;
    app.errorFlag = true;
    if (outcome.operation == FileOperation::ReadDataFile)
        context.notifier.show(MessageIcon::Critical, app.windowTitle,
                              FileMessage("different model!!", outcome.path, outcome.cause));
    else if (outcome.operation == FileOperation::ReadImageFile)
        context.notifier.show(MessageIcon::Critical, "Read from Radio", "ModelType Error !!");
    return false;
}

} // namespace

bool ApplyFileOutcome(FileContext& context, const FileOutcome& outcome) {
    AppState& app = context.app;
    const OperationReport report = ReportOf(outcome.operation);
    if (outcome.ok()) {
        if (report.clearsError) app.errorFlag = false;
        if (report.usesLoading) app.loading = false;
        return true;
    }
    if (outcome.reason == FileReason::WrongLength || outcome.reason == FileReason::WrongModel)
        return ApplyRefusal(context, outcome);
    if (report.usesLoading) app.loading = false;
    app.errorFlag = true;
    app.cancelFlag = true;
    if (report.logSource) context.log.LogError(report.logSource, outcome.errorText);
    if (report.failureText)
        context.notifier.show(MessageIcon::Warning, app.windowTitle,
                              FileMessage(report.failureText, outcome.path, outcome.cause));
    else if (outcome.operation == FileOperation::SaveReportText)
        context.notifier.show(MessageIcon::Warning, app.modelName() + " " + app.windowTitle,
                              outcome.description);
    return false;
}

bool FileRead2(FileContext& context, const std::filesystem::path& path) {
    return ApplyFileOutcome(context,
                            ReadDataFileAt(context.data.records, context.app.modelNumber, path));
}

bool OpenDataFile(FileContext& context, const std::string& name) {
    context.app.cancelFlag = true;
    if (name.empty()) return false;
    if (!FileRead2(context, name)) return false;
    context.app.currentFileName = name;
    context.app.cancelFlag = false;
    return true;
}

bool SaveFileAs(FileContext& context, const std::filesystem::path& path, char decimalSeparator) {
    return ApplyFileOutcome(context, WriteDataFileAt(context.data.records, context.app.modelNumber,
                                                     path, decimalSeparator));
}

bool SaveDataFile(FileContext& context, const std::string& name, char decimalSeparator) {
    context.app.cancelFlag = true;
    if (name.empty()) return false;
    if (!SaveFileAs(context, platform::PathFromUtf8(name), decimalSeparator)) return false;
    context.app.currentFileName = name;
    context.app.cancelFlag = false;
    return true;
}

bool SaveHexFileAs(FileContext& context, const std::filesystem::path& path) {
    return ApplyFileOutcome(context, WriteImageFileAt(context.data, path));
}

bool SaveImageFile(FileContext& context, const std::filesystem::path& path) {
    return ApplyFileOutcome(
        context, PrepareAndWriteImageFileAt(context.data, context.app.modelNumber, path));
}

bool ReadHexFileAs(FileContext& context, const std::filesystem::path& path) {
    return ApplyFileOutcome(context, ReadImageFileAt(context.data, context.app.modelNumber, path));
}

bool OpenImageFile(FileContext& context, const std::filesystem::path& path) {
    AppState& app = context.app;
    const FileOutcome length = CheckImageFileLength(app.modelNumber, path);
    if (!length.ok()) return ApplyFileOutcome(context, length);
    if (!ReadHexFileAs(context, path)) return false;
    app.currentFileName = path.string();
    app.dataChanged = false;
    return true;
}

bool FileReadIni(FileContext& context, const std::filesystem::path& path) {
    return ApplyFileOutcome(context,
                            ReadDestinationFileAt(context.data, context.app.modelNumber, path));
}

void MakeLoadBase(FileContext& context, const std::filesystem::path& destination) {
    MakeFreshDataSet(context.data, context.app.modelNumber);
    if (!destination.empty()) FileReadIni(context, destination);
}

bool LoadDataSet(FileContext& context, const std::filesystem::path& path) {
    AppState& app = context.app;
    MakeLoadBase(context);
    switch (FileKindOf(path)) {
    case FileKind::DataFile:
        return FileRead2(context, path);
    case FileKind::ImageFile:
        return OpenImageFile(context, path);
    case FileKind::DestinationFile:
        if (FileReadIni(context, path)) return true;
        context.notifier.show(MessageIcon::Warning, app.windowTitle, "IniFileRead Error!!");
        return false;
    case FileKind::ReportText:
    case FileKind::Unknown:
        break;
    }
    return false;
}

bool LoadDataSetFor(FileContext& context, const std::filesystem::path& path,
                    std::optional<ModelNumber> model) {
    if (!model) model = DetectFileModel(path, FileKindOf(path));
    if (model) context.app.modelNumber = *model;
    return LoadDataSet(context, path);
}

bool SaveDataSet(FileContext& context, const std::filesystem::path& path) {
    switch (FileKindOf(path)) {
    case FileKind::DataFile:
        return SaveFileAs(context, path);
    case FileKind::ImageFile:
        return SaveImageFile(context, path);
    case FileKind::ReportText:
        return SaveReportText(context, path);
    case FileKind::DestinationFile:
    case FileKind::Unknown:
        break;
    }
    return false;
}

bool SaveReportText(FileContext& context, const std::filesystem::path& path) {
    return ApplyFileOutcome(context,
                            WriteReportFileAt(context.data, context.app.modelNumber, path));
}

} // namespace qb41
