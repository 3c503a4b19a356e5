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

    // The tick state of phrase-length box `index`, "0" or "1".
    static QString phrasesKey(int index);

private:
    bool isWritableFile() const;

    std::unique_ptr<QSettings> m_settings;
};

namespace settings_keys {
inline constexpr auto kCheck2 = "Check2";
inline constexpr auto kText1 = "Text1";
inline constexpr auto kSnapshot = "Snapshot";
inline constexpr auto kLastFolder = "LastFolder";
inline constexpr auto kExtension = "Extension";
} // namespace settings_keys

} // namespace orvanta
