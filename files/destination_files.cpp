#include "destination_files.h"

#include "file_io.h"
#include "image/codec.h"
#include "image_file.h"
#include "section_table.h"

#include <algorithm>
#include <utility>

namespace qb41 {
namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           UpperCase(text.substr(text.size() - suffix.size())) == UpperCase(suffix);
}

} // namespace

FileOutcome ReadDestinationFileAt(DataSet& data, ModelNumber model,
                                  const std::filesystem::path& path) {
    constexpr FileOperation kRead = FileOperation::ReadDestinationFile;
    try {
        const std::uintmax_t length = FileLength(path);
        if (!ImageLengthMatches(model, length))
            return FileRefused(kRead, FileReason::WrongLength, path,
                               "its length is " + std::to_string(length) + " bytes, not the " +
                                   std::to_string(ImageSize(model)) + " of the model's image");
        const std::string bytes = ReadImageBytes(path, model);
        if (!ImageBytesMatchModel(bytes, model))
            return FileRefused(kRead, FileReason::WrongModel, path,
                               "it was made for another model");
        DataSet loaded = data;
        CopyImageBytes(bytes, model, loaded);
        DecodeImage(loaded, model);
        data = std::move(loaded);
    } catch (const std::exception& error) {
        return FileTrapped(kRead, path, error);
    }
    return FileSucceeded(kRead, path);
}

std::string DestinationFailureCause(const std::filesystem::path& path, ModelNumber model) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "the file is missing";
    if (!std::filesystem::is_regular_file(path, ec)) return "it is not a file";
    try {
        const std::uintmax_t length = FileLength(path);
        if (!ImageLengthMatches(model, length))
            return "its length is " + std::to_string(length) + " bytes, not the " +
                   std::to_string(ImageSize(model)) + " of the model's image";
        if (!ImageBytesMatchModel(ReadImageBytes(path, model), model))
            return "it was made for another model";
    } catch (const std::exception& error) {
        return FileFailureCause(error);
    }
    return "its contents could not be decoded";
}

std::vector<DestinationFile> ListDestinationFiles(const std::filesystem::path& folder,
                                                  ModelNumber model) {
    const std::string suffix = ModelCodeSuffix(model) + ".ini";
    std::vector<DestinationFile> found;
    std::error_code ec;
    std::filesystem::directory_iterator entries(folder, ec);
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        std::error_code typeError;
        if (!entries->is_regular_file(typeError)) continue;
        std::string file = entries->path().filename().string();
        if (file.size() <= suffix.size() || !EndsWithIgnoringCase(file, suffix)) continue;
        std::string name = file.substr(0, file.find('_'));
        if (name.empty()) continue;
        found.push_back({std::move(name), entries->path()});
    }
    auto byFileName = [](const DestinationFile& a, const DestinationFile& b) {
        return UpperCase(a.file.filename().string()) < UpperCase(b.file.filename().string());
    };
    std::sort(found.begin(), found.end(), byFileName);
    if (found.size() > kMaxDestinations) found.resize(kMaxDestinations);
    // Names that clash ("east" of east_17D4.ini and east_coast_17D4.ini) are
    // shown as the file's own name without the suffix, so each stays apart.
    std::vector<std::string> shortNames;
    for (const DestinationFile& destination : found)
        shortNames.push_back(UpperCase(destination.name));
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (std::count(shortNames.begin(), shortNames.end(), shortNames[i]) < 2) continue;
        const std::string file = found[i].file.filename().string();
        found[i].name = file.substr(0, file.size() - suffix.size());
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const DestinationFile& a, const DestinationFile& b) {
                         return UpperCase(a.name) < UpperCase(b.name);
                     });
    return found;
}

std::vector<std::string> ListDestinations(const std::filesystem::path& folder, ModelNumber model) {
    std::vector<std::string> names;
    for (DestinationFile& entry : ListDestinationFiles(folder, model))
        names.push_back(std::move(entry.name));
    return names;
}

void SortDestinationNames(std::vector<std::string>& names) {
    for (std::size_t gap = names.size() / 2; gap > 0; gap /= 2) {
        bool swapped = true;
        while (swapped) {
            swapped = false;
            for (std::size_t i = 0; i + gap < names.size(); ++i) {
                if (UpperCase(names[i]) > UpperCase(names[i + gap])) {
                    std::swap(names[i], names[i + gap]);
                    swapped = true;
                }
            }
        }
    }
}

std::filesystem::path DestinationFilePath(const std::filesystem::path& folder,
                                          const std::string& name, ModelNumber model) {
    return folder / (name + ModelCodeSuffix(model) + ".ini");
}

std::optional<std::size_t> FindDestination(const std::vector<std::string>& names,
                                           const std::string& stored) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (UpperCase(names[i]) == UpperCase(stored)) return i;
    return std::nullopt;
}

std::optional<std::size_t> FindDestination(const std::vector<DestinationFile>& files,
                                           const std::string& stored) {
    for (std::size_t i = 0; i < files.size(); ++i)
        if (UpperCase(files[i].name) == UpperCase(stored)) return i;
    return std::nullopt;
}

} // namespace qb41
