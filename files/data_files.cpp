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

FileOutcome WriteReportFileAt(DataSet& data, ModelNumber model, const std::filesystem::path& path) {
    try {
        WriteFileAtomically(path, ReportFileText(MakeReportText(data, model)));
    } catch (const std::exception& error) {
        return FileTrapped(FileOperation::SaveReportText, path, error);
    }
    return FileSucceeded(FileOperation::SaveReportText, path);
}

} // namespace qb41
