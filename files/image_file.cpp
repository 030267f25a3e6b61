#include "image_file.h"

#include "file_io.h"
#include "image/codec.h"
#include "image/layout.h"

#include <algorithm>

namespace qb41 {
namespace {

std::uint16_t WordAt(const std::string& bytes, int index) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[index]) << 8 |
                                      static_cast<std::uint8_t>(bytes[index + 1]));
}

void ReportReadFailure(FileContext& context, const std::filesystem::path& path,
                       const std::exception& error) {
    AppState& app = context.app;
    app.loading = false;
    app.errorFlag = true;
    app.cancelFlag = true;
    context.log.LogError("frmMain.ReadHexFileAs", error);
    context.notifier.show(MessageIcon::Warning, app.windowTitle,
                          FileMessage("FileRead Error!!", path, FileFailureCause(error)));
}

void ReportSaveFailure(FileContext& context, const std::filesystem::path& path,
                       const std::exception& error) {
    AppState& app = context.app;
    app.loading = false;
    app.errorFlag = true;
    app.cancelFlag = true;
    context.log.LogError("frmMain.SaveHexFileAs", error);
    context.notifier.show(MessageIcon::Warning, app.windowTitle,
                          FileMessage("FileSave Error!!", path, FileFailureCause(error)));
}

} // namespace

std::string ReadImageBytes(const std::filesystem::path& path, ModelNumber model) {
    const auto size = static_cast<std::size_t>(ImageSize(model));
    std::string bytes = ReadFileStart(path, size);
    bytes.resize(size, '\0');
    return bytes;
}

bool ImageBytesMatchModel(const std::string& bytes, ModelNumber model) {
    const int last = ImageLastIndex(model);
    if (bytes.size() <= static_cast<std::size_t>(last)) return false;
    return ModelIdMatches(model, WordAt(bytes, layout::kModelIdFront),
                          WordAt(bytes, layout::ModelIdBack(last)));
}

void CopyImageBytes(const std::string& bytes, ModelNumber model, DataSet& data) {
    const auto count = std::min(bytes.size(), static_cast<std::size_t>(ImageSize(model)));
    std::copy_n(bytes.begin(), count, data.image.begin());
}

bool SaveHexFileAs(FileContext& context, const std::filesystem::path& path) {
    AppState& app = context.app;
    app.loading = true;
    try {
        const DataSet& data = context.data;
        const auto length = static_cast<std::size_t>(
            std::clamp<std::int32_t>(data.imageLastIndex + 1, 0, kMaxImageIndex + 1));
        WriteFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(data.image.data()), length));
    } catch (const std::exception& error) {
        ReportSaveFailure(context, path, error);
        return false;
    }
    app.loading = false;
    return true;
}

bool SaveImageFile(FileContext& context, const std::filesystem::path& path) {
    try {
        PrepareImageForWrite(context.data, context.app.modelNumber);
    } catch (const std::exception& error) {
        ReportSaveFailure(context, path, error);
        return false;
    }
    return SaveHexFileAs(context, path);
}

bool ReadHexFileAs(FileContext& context, const std::filesystem::path& path) {
    AppState& app = context.app;
    app.errorFlag = false;
    app.loading = true;
    try {
        std::string bytes = ReadImageBytes(path, app.modelNumber);
        if (!ImageBytesMatchModel(bytes, app.modelNumber)) {
            app.loading = false;
            app.errorFlag = true;
            context.notifier.show(MessageIcon::Critical, "Read from Radio", "ModelType Error !!");
            return false;
        }
        // Decode into a copy, so that a failing decode leaves the data as it was.
        DataSet loaded = context.data;
        CopyImageBytes(bytes, app.modelNumber, loaded);
        DecodeImage(loaded, app.modelNumber);
        context.data = std::move(loaded);
    } catch (const std::exception& error) {
        ReportReadFailure(context, path, error);
        return false;
    }
    app.loading = false;
    return true;
}

bool OpenImageFile(FileContext& context, const std::filesystem::path& path) {
    AppState& app = context.app;
    try {
        const std::uintmax_t length = FileLength(path);
        if (!ImageLengthMatches(app.modelNumber, length)) {
            app.errorFlag = true;
            context.notifier.show(
                MessageIcon::Critical, app.windowTitle,
                FileMessage("bad file!!", path,
                            "the file is " + std::to_string(length) + " bytes; an image of the " +
                                std::string(FindModel(app.modelNumber)
                                                ? FindModel(app.modelNumber)->catalogueName
                                                : "selected model") +
                                " is " + std::to_string(ImageSize(app.modelNumber)) + " bytes"));
            return false;
        }
    } catch (const std::exception& error) {
        ReportReadFailure(context, path, error);
        return false;
    }
    if (!ReadHexFileAs(context, path)) return false;
    app.currentFileName = path.string();
    app.dataChanged = false;
    return true;
}

} // namespace qb41
