#include "destinations.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace qb41::editor {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::vector<Destination> ListDestinationFiles(const std::filesystem::path& folder,
                                              ModelNumber model) {
    const std::string suffix = Lower(ModelCodeSuffix(model) + ".ini");
    std::vector<Destination> found;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return {};
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string fileName = it->path().filename().string();
        const std::string lower = Lower(fileName);
        if (lower.size() <= suffix.size() || !lower.ends_with(suffix)) continue;
        if (!it->is_regular_file(error)) continue;
        // "east_coast_12C0.ini" is offered as "east", as the menu always did.
        const std::string name = fileName.substr(0, fileName.find('_'));
        if (name.empty()) continue;
        found.push_back({name, it->path()});
    }
    std::sort(found.begin(), found.end(), [](const Destination& a, const Destination& b) {
        return Lower(a.file.filename().string()) < Lower(b.file.filename().string());
    });
    if (found.size() > kMaxDestinationItems) found.resize(kMaxDestinationItems);
    std::stable_sort(found.begin(), found.end(), [](const Destination& a, const Destination& b) {
        return Lower(a.name) < Lower(b.name);
    });
    return found;
}

std::optional<std::size_t> FindDestinationIndex(const std::vector<Destination>& list,
                                                const std::string& stored) {
    const std::string wanted = Lower(stored);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (Lower(list[i].name) == wanted) return i;
    return std::nullopt;
}

} // namespace qb41::editor
