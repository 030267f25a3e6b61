#include "data_files.h"

#include "core/errors.h"
#include "data_file_reader.h"
#include "data_file_writer.h"
#include "destination_files.h"
#include "file_io.h"
#include "image/defaults.h"
#include "image_file.h"
#include "report/report_text.h"
#include "section_table.h"

namespace qb41 {
namespace {

std::optional<ModelNumber> ImageModel(const std::filesystem::path& path) {
    const std::uintmax_t length = FileLength(path);
    for (const ModelInfo& info : AllModels()) {
        const ModelNumber model = info.number;
        if (!ImageLengthMatches(model, length)) continue;
        if (ImageBytesMatchModel(ReadImageBytes(path, model), model)) return model;
    }
    return std::nullopt;
}

} // namespace

FileKind FileKindOf(const std::filesystem::path& path) {
    const std::string extension = UpperCase(path.extension().string());
    if (extension == ".DAT") return FileKind::DataFile;
    if (extension == ".HEX") return FileKind::ImageFile;
    if (extension == ".INI") return FileKind::DestinationFile;
    if (extension == ".TXT") return FileKind::ReportText;
    return FileKind::Unknown;
}

bool CanLoad(FileKind kind) {
    return kind == FileKind::DataFile || kind == FileKind::ImageFile ||
           kind == FileKind::DestinationFile;
}

bool CanSave(FileKind kind) {
    return kind == FileKind::DataFile || kind == FileKind::ImageFile ||
           kind == FileKind::ReportText;
}

std::optional<ModelNumber> DetectFileModel(const std::filesystem::path& path, FileKind kind) {
    try {
        if (kind == FileKind::ImageFile || kind == FileKind::DestinationFile)
            return ImageModel(path);
        if (kind != FileKind::DataFile) return std::nullopt;
        std::optional<std::int16_t> model = ReadModelType(ReadWholeFile(path, kMaxDataFileBytes));
        if (model && FindModel(*model)) return model;
    } catch (const RuntimeError&) {
        // Unreadable: the load that follows reports it.
    }
    return std::nullopt;
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
    AppState& app = context.app;
    app.errorFlag = false;
    try {
        std::string text = MakeReportText(context.data, app.modelNumber);
        WriteFileAtomically(path, ReportFileText(text));
        return true;
    } catch (const std::exception& error) {
        app.errorFlag = true;
        app.cancelFlag = true;
        const auto* runtime = dynamic_cast<const RuntimeError*>(&error);
        context.notifier.show(MessageIcon::Warning, app.modelName() + " " + app.windowTitle,
                              runtime ? runtime->description() : std::string(error.what()));
        return false;
    }
}

} // namespace qb41
