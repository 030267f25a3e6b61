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

// "LW6100"; "selected model" for a number outside the catalogue.
std::string CatalogueNameOf(ModelNumber model) {
    const ModelInfo* info = FindModel(model);
    return info ? std::string(info->catalogueName) : std::string("selected model");
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

FileOutcome WriteImageFileAt(const DataSet& data, const std::filesystem::path& path) {
    try {
        const auto length = static_cast<std::size_t>(
            std::clamp<std::int32_t>(data.imageLastIndex + 1, 0, kMaxImageIndex + 1));
        WriteFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(data.image.data()), length));
    } catch (const std::exception& error) {
        return FileTrapped(FileOperation::SaveImageFile, path, error);
    }
    return FileSucceeded(FileOperation::SaveImageFile, path);
}

FileOutcome PrepareAndWriteImageFileAt(DataSet& data, ModelNumber model,
                                       const std::filesystem::path& path) {
    try {
        PrepareImageForWrite(data, model);
    } catch (const std::exception& error) {
        return FileTrapped(FileOperation::SaveImageFile, path, error);
    }
    return WriteImageFileAt(data, path);
}

FileOutcome ReadImageFileAt(DataSet& data, ModelNumber model, const std::filesystem::path& path) {
    try {
        const std::string bytes = ReadImageBytes(path, model);
        if (!ImageBytesMatchModel(bytes, model))
            return FileRefused(FileOperation::ReadImageFile, FileReason::WrongModel, path,
                               "the image's model code words are not those of " +
                                   CatalogueNameOf(model));
        // Decode into a copy, so that a failing decode leaves the data as it was.
        DataSet loaded = data;
        CopyImageBytes(bytes, model, loaded);
        DecodeImage(loaded, model);
        data = std::move(loaded);
    } catch (const std::exception& error) {
        return FileTrapped(FileOperation::ReadImageFile, path, error);
    }
    return FileSucceeded(FileOperation::ReadImageFile, path);
}

FileOutcome CheckImageFileLength(ModelNumber model, const std::filesystem::path& path) {
    try {
        const std::uintmax_t length = FileLength(path);
        if (!ImageLengthMatches(model, length))
            return FileRefused(FileOperation::ReadImageFile, FileReason::WrongLength, path,
                               "the file is " + std::to_string(length) +
                                   " bytes; an image of the " + CatalogueNameOf(model) + " is " +
                                   std::to_string(ImageSize(model)) + " bytes");
    } catch (const std::exception& error) {
        return FileTrapped(FileOperation::ReadImageFile, path, error);
    }
    return FileSucceeded(FileOperation::ReadImageFile, path);
}

} // namespace qb41
