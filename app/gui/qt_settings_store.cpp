#include "qt_settings_store.h"

namespace qb41::gui {

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("QB41"), QStringLiteral("QB41"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

std::string QtSettingsStore::GetSetting(const std::string&, const std::string& section,
                                        const std::string& key, const std::string& fallback) const {
    const QString path =
        QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
    const QVariant value = settings_->value(path);
    if (!value.isValid()) return fallback;
    return value.toString().toStdString();
}

void QtSettingsStore::SaveSetting(const std::string&, const std::string& section,
                                  const std::string& key, const std::string& value) {
    const QString path =
        QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
    settings_->setValue(path, QString::fromStdString(value));
    settings_->sync();
    saveFailed_ = settings_->status() != QSettings::NoError;
}

} // namespace qb41::gui
