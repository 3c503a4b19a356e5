#include "base/SettingsStore.h"

#include <QFile>
#include <QSettings>

#include <cerrno>
#include <sys/stat.h>

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

bool SettingsStore::isWritableFile() const
{
    // Saving replaces the file, which would put a regular file in place of a device or link
    // target such as /dev/null that someone pointed the settings at to stop them being saved.
    struct stat info {};
    const QByteArray path = QFile::encodeName(m_settings->fileName());
    if (::stat(path.constData(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

bool SettingsStore::writeText(const QString &key, const QString &text)
{
    if (!isWritableFile())
        return false;
    m_settings->setValue(groupedKey(key), text);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

} // namespace orvanta
