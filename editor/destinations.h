// The Destination menu's catalogue: the destination default files of the
// selected model beside the program, with the name each is offered under.
#pragma once

#include "core/model.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qb41::editor {

struct Destination {
    std::string name;           // the file name up to its first underscore
    std::filesystem::path file; // the file that was listed, loaded as it is
};

// The menu has eleven slots; at most ten are used.
inline constexpr std::size_t kDestinationSlots = 11;
inline constexpr std::size_t kMaxDestinationItems = 10;

// The files in `folder` whose names end in the model's code suffix and ".ini"
// (ignoring case): in file-name order ignoring case, files whose destination
// name would be empty skipped, the first ten taken, then sorted by name
// ignoring case for the menu.
std::vector<Destination> ListDestinationFiles(const std::filesystem::path& folder,
                                              ModelNumber model);

// The first destination whose name equals `stored` ignoring case.
std::optional<std::size_t> FindDestinationIndex(const std::vector<Destination>& list,
                                                const std::string& stored);

} // namespace qb41::editor
