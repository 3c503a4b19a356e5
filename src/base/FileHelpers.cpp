#include "base/FileHelpers.h"

#include <QFileInfo>

namespace orvanta {

bool fileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

} // namespace orvanta
