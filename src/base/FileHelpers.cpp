#include "base/FileHelpers.h"

#include <QFile>
#include <QFileInfo>

namespace orvanta {

bool fileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void deleteFileQuietly(const QString &path)
{
    if (path.isEmpty() || QFile::remove(path))
        return;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    QFile::remove(path);
}

std::int32_t fileSize2(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(file.size()));
}

} // namespace orvanta
