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

} // namespace orvanta
