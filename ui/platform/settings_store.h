// The per-user settings store: text values by application, section and key.
#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace mq::ui {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual void saveSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value) = 0;
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

    void saveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override;
    QString getSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue = {}) const override;

private:
    std::unique_ptr<QSettings> open(const QString& appName) const;
    QString path;
};

}  // namespace mq::ui
