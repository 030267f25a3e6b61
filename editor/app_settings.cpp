#include "app_settings.h"

#include <algorithm>

namespace qb41::editor {

std::string ReadComDevice(const SettingsStore& store) {
    return store.GetSetting(kSettingsApp, "ComPath", "ComDevice", "");
}

void SaveComDevice(SettingsStore& store, const std::string& device) {
    store.SaveSetting(kSettingsApp, "ComPath", "ComDevice", device);
}

std::int16_t UsableComPort(std::int16_t stored) {
    return stored >= 1 && stored <= 4 ? stored : std::int16_t{1};
}

std::vector<std::string> ReadRecentFiles(const SettingsStore& store) {
    std::vector<std::string> files;
    for (std::size_t i = 1; i <= kRecentFileCount; ++i) {
        std::string file =
            store.GetSetting(kSettingsApp, "Settings", "RecentFile" + std::to_string(i), "");
        if (!file.empty()) files.push_back(std::move(file));
    }
    return files;
}

void SaveRecentFiles(SettingsStore& store, const std::vector<std::string>& files) {
    for (std::size_t i = 0; i < kRecentFileCount; ++i)
        store.SaveSetting(kSettingsApp, "Settings", "RecentFile" + std::to_string(i + 1),
                          i < files.size() ? files[i] : std::string());
}

std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& file) {
    files.erase(std::remove(files.begin(), files.end(), file), files.end());
    files.insert(files.begin(), file);
    if (files.size() > kRecentFileCount) files.resize(kRecentFileCount);
    return files;
}

std::string ReadLastFolder(const SettingsStore& store) {
    return store.GetSetting(kSettingsApp, "Settings", "LastFolder", "");
}

void SaveLastFolder(SettingsStore& store, const std::string& folder) {
    store.SaveSetting(kSettingsApp, "Settings", "LastFolder", folder);
}

} // namespace qb41::editor
