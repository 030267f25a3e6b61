#include "settings_store.h"

#include "value_conversion.h"

#include "core/model.h"

#include <charconv>

namespace qb41 {
namespace {

std::int16_t ReadNumber(const SettingsStore& store, const char* section, const char* key,
                        std::int16_t fallback) {
    std::string text = store.GetSetting(kSettingsApp, section, key, std::to_string(fallback));
    return TextToInt16(text).value_or(fallback);
}

std::optional<int> StoredInt(const SettingsStore& store, const char* key) {
    const std::string text = store.GetSetting(kSettingsApp, "Settings", key, "");
    int value = 0;
    const char* end = text.data() + text.size();
    auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return value;
}

} // namespace

std::string MemorySettingsStore::GetSetting(const std::string& app, const std::string& section,
                                            const std::string& key,
                                            const std::string& fallback) const {
    auto found = values.find({app, section, key});
    return found == values.end() ? fallback : found->second;
}

void MemorySettingsStore::SaveSetting(const std::string& app, const std::string& section,
                                      const std::string& key, const std::string& value) {
    if (readOnly) return;
    values[{app, section, key}] = value;
}

ModelNumber ReadModelNumber(const SettingsStore& store) {
    const ModelNumber stored = ReadNumber(store, "ModelPath", "ModelNum", 2);
    return FindModel(stored) != nullptr ? stored : ModelNumber{2};
}

void SaveModelNumber(SettingsStore& store, ModelNumber model) {
    store.SaveSetting(kSettingsApp, "ModelPath", "ModelNum", std::to_string(model));
}

std::int16_t ReadComPort(const SettingsStore& store) {
    return ReadNumber(store, "ComPath", "ComNum", 1);
}

void SaveComPort(SettingsStore& store, std::int16_t port) {
    store.SaveSetting(kSettingsApp, "ComPath", "ComNum", std::to_string(port));
}

std::string ReadDestinationName(const SettingsStore& store, ModelNumber model) {
    return store.GetSetting(kSettingsApp, "IniFilePath", "IniFileName_" + std::to_string(model),
                            "usa");
}

void SaveDestinationName(SettingsStore& store, ModelNumber model, const std::string& name) {
    store.SaveSetting(kSettingsApp, "IniFilePath", "IniFileName_" + std::to_string(model), name);
}

void SaveWindowPlacement(SettingsStore& store, const WindowPlacement& placement) {
    store.SaveSetting(kSettingsApp, "Settings", "MainLeft", std::to_string(placement.left));
    store.SaveSetting(kSettingsApp, "Settings", "MainTop", std::to_string(placement.top));
    store.SaveSetting(kSettingsApp, "Settings", "MainWidth", std::to_string(placement.width));
    store.SaveSetting(kSettingsApp, "Settings", "MainHeight", std::to_string(placement.height));
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

} // namespace qb41
