// The per-user settings store: text values by (application, section, key).
// The GUI backs it with the platform's store; tests and the command-line tool
// use the in-memory one. The keys below are the program's own and must not
// change, because stored settings of earlier runs use them.
#pragma once

#include "core/model.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace qb41 {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the key is missing.
    virtual std::string GetSetting(const std::string& app, const std::string& section,
                                   const std::string& key, const std::string& fallback) const = 0;
    virtual void SaveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
    // True when the last SaveSetting could not be written (a read-only
    // folder, a full disk), and where the store lives, for the message.
    virtual bool lastSaveFailed() const { return false; }
    virtual std::string location() const { return {}; }
};

class MemorySettingsStore : public SettingsStore {
public:
    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& fallback) const override;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;

    bool lastSaveFailed() const override { return readOnly; }
    std::string location() const override { return "the test store"; }

    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
    bool readOnly = false; // saves are refused, as by a read-only folder
};

inline constexpr const char* kSettingsApp = "QB41";

// ModelPath/ModelNum, default 2. A stored text that is not a 16-bit number,
// or a number no model has, gives the default.
ModelNumber ReadModelNumber(const SettingsStore& store);
void SaveModelNumber(SettingsStore& store, ModelNumber model);

// ComPath/ComNum, default 1.
std::int16_t ReadComPort(const SettingsStore& store);
void SaveComPort(SettingsStore& store, std::int16_t port);

// IniFilePath/IniFileName_<model>, default "usa".
std::string ReadDestinationName(const SettingsStore& store, ModelNumber model);
void SaveDestinationName(SettingsStore& store, ModelNumber model, const std::string& name);

// Settings/MainLeft, MainTop, MainWidth, MainHeight (twips).
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
void SaveWindowPlacement(SettingsStore& store, const WindowPlacement& placement);

// Settings/MainLeft, MainTop, MainWidth, MainHeight (twips) as written at
// close; nothing when a value is missing or the size is not positive.
std::optional<WindowPlacement> ReadWindowPlacement(const SettingsStore& store);
// Settings/SplitterLeft: the tree's width in twips; 0 when not stored.
int ReadSplitterPosition(const SettingsStore& store);
void SaveSplitterPosition(SettingsStore& store, int twips);

} // namespace qb41
