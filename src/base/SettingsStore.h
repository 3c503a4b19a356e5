#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace orvanta {

// The per-user preferences under organisation "Teralune", application "Orvanta", group "Orvanta".
// Every read goes to the store; nothing is cached between operations.
class SettingsStore {
public:
    // The user's own store.
    SettingsStore();
    // A store in an INI file of the caller's choosing (tests, portable use).
    explicit SettingsStore(const QString &iniFile);
    ~SettingsStore();

    QString readText(const QString &key, const QString &defaultText = {}) const;
    // False when the store could not be written. Only a regular file (or none yet) is written.
    bool writeText(const QString &key, const QString &text);

private:
    bool isWritableFile() const;

    std::unique_ptr<QSettings> m_settings;
};

} // namespace orvanta
