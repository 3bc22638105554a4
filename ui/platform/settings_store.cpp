#include "ui/platform/settings_store.h"

#include <QSettings>

namespace mq::ui {

QtSettingsStore::QtSettingsStore() = default;
QtSettingsStore::QtSettingsStore(const QString& iniPath) : path(iniPath) { }
QtSettingsStore::~QtSettingsStore() = default;

std::unique_ptr<QSettings> QtSettingsStore::open(const QString& appName) const
{
    if (!path.isEmpty())
        return std::make_unique<QSettings>(path, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::UserScope, appName, appName);
}

void QtSettingsStore::saveSetting(const QString& appName, const QString& section, const QString& key,
                                  const QString& value)
{
    saveSettings(appName, section, {{key, value}});
}

void QtSettingsStore::saveSettings(const QString& appName, const QString& section, const SettingValues& values)
{
    // QSettings rewrites the whole file through a temporary file and a rename,
    // so one sync puts every key there at once, or none if the write fails.
    auto s = open(appName);
    s->beginGroup(section);
    for (const auto& [key, value] : values)
        s->setValue(key, value);
    s->endGroup();
    s->sync();
}

QString QtSettingsStore::getSetting(const QString& appName, const QString& section, const QString& key,
                                    const QString& defaultValue) const
{
    auto s = open(appName);
    s->beginGroup(section);
    const QVariant v = s->value(key);
    return v.isValid() ? v.toString() : defaultValue;
}

}  // namespace mq::ui
