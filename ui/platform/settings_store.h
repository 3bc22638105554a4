// The per-user settings store: text values by application, section and key.
#pragma once

#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QSettings;

namespace mq::ui {

// Key and value, in the order they are written.
using SettingValues = std::vector<std::pair<QString, QString>>;

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual void saveSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value) = 0;
    // Several keys of one section. A store that can, writes them in one go, so
    // that either all of them land or none does; this one writes them one by one.
    virtual void saveSettings(const QString& appName, const QString& section, const SettingValues& values)
    {
        for (const auto& [key, value] : values)
            saveSetting(appName, section, key, value);
    }
    // The stored text, or defaultValue when there is none.
    virtual QString getSetting(const QString& appName, const QString& section, const QString& key,
                               const QString& defaultValue = {}) const = 0;
};

// Backed by QSettings: the user's own store, or an INI file at a given path
// (tests point it into a temporary folder).
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& iniPath);
    ~QtSettingsStore() override;

    void saveSetting(const QString& appName, const QString& section, const QString& key, const QString& value) override;
    // One read and one atomic rewrite of the store, however many keys.
    void saveSettings(const QString& appName, const QString& section, const SettingValues& values) override;
    QString getSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue = {}) const override;

private:
    std::unique_ptr<QSettings> open(const QString& appName) const;
    QString path;
};

}  // namespace mq::ui
