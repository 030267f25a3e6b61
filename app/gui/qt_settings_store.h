// The per-user settings store on QSettings in INI format: organisation and
// application "QB41" (on Linux $XDG_CONFIG_HOME/QB41/QB41.ini). The store's
// application name is the organisation; section/key become the INI group/key.
// Every write goes to disk at once.
#pragma once

#include "files/settings_store.h"

#include <QSettings>
#include <QString>

#include <memory>

namespace qb41::gui {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();                                // the user's store
    explicit QtSettingsStore(const QString& iniPath); // a given file (tests)

    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& fallback) const override;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool lastSaveFailed() const override { return saveFailed_; }
    std::string location() const override { return fileName().toStdString(); }
    QString fileName() const { return settings_->fileName(); }

private:
    std::unique_ptr<QSettings> settings_;
    bool saveFailed_ = false;
};

} // namespace qb41::gui
