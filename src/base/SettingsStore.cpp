#include "base/SettingsStore.h"

#include <QSettings>

namespace orvanta {

namespace {
const QString kGroup = QStringLiteral("Orvanta");

QString groupedKey(const QString &key)
{
    return kGroup + QLatin1Char('/') + key;
}
} // namespace

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Teralune"), QStringLiteral("Orvanta")))
{
}

SettingsStore::SettingsStore(const QString &iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::readText(const QString &key, const QString &defaultText) const
{
    m_settings->sync();
    return m_settings->value(groupedKey(key), defaultText).toString();
}

bool SettingsStore::writeText(const QString &key, const QString &text)
{
    m_settings->setValue(groupedKey(key), text);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString SettingsStore::phrasesKey(int index)
{
    return QStringLiteral("Phrases") + QString::number(index);
}

} // namespace orvanta
