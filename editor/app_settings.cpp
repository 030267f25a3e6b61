#include "app_settings.h"

#include <algorithm>
#include <charconv>

namespace qb41::editor {
namespace {

std::optional<int> StoredInt(const SettingsStore& store, const char* key) {
    const std::string text = store.GetSetting(kSettingsApp, "Settings", key, "");
    int value = 0;
    const char* end = text.data() + text.size();
    auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return value;
}

} // namespace

std::string ReadComDevice(const SettingsStore& store) {
    return store.GetSetting(kSettingsApp, "ComPath", "ComDevice", "");
}

void SaveComDevice(SettingsStore& store, const std::string& device) {
    store.SaveSetting(kSettingsApp, "ComPath", "ComDevice", device);
}

std::int16_t UsableComPort(std::int16_t stored) {
    return stored >= 1 && stored <= 4 ? stored : 1;
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

std::optional<WindowPlacement> ReadWindowPlacement(const SettingsStore& store) {
    const auto left = StoredInt(store, "MainLeft");
    const auto top = StoredInt(store, "MainTop");
    const auto width = StoredInt(store, "MainWidth");
    const auto height = StoredInt(store, "MainHeight");
    if (!left || !top || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
    return WindowPlacement{*left, *top, *width, *height};
}

int ReadSplitterPosition(const SettingsStore& store) {
    const auto twips = StoredInt(store, "SplitterLeft");
    return twips && *twips > 0 ? *twips : 0;
}

void SaveSplitterPosition(SettingsStore& store, int twips) {
    store.SaveSetting(kSettingsApp, "Settings", "SplitterLeft", std::to_string(twips));
}

} // namespace qb41::editor
