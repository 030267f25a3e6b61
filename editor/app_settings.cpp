#include "app_settings.h"

namespace qb41::editor {

std::string ReadComDevice(const SettingsStore& store) {
    return store.GetSetting(kSettingsApp, "ComPath", "ComDevice", "");
}

void SaveComDevice(SettingsStore& store, const std::string& device) {
    store.SaveSetting(kSettingsApp, "ComPath", "ComDevice", device);
}

std::int16_t UsableComPort(std::int16_t stored) {
    return stored >= 1 && stored <= 4 ? stored : 1;
}

} // namespace qb41::editor
