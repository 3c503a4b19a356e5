#include "base/DataFolder.h"

#include <QDir>
#include <QFileInfo>

namespace orvanta {

QString dataFolder(const QString &executableDir)
{
    // The install rules of cmake/Packaging.cmake put executables in bin/, data in share/orvanta/.
    const QFileInfo installed(executableDir + QStringLiteral("/../share/orvanta"));
    if (installed.isDir())
        return QDir::cleanPath(installed.absoluteFilePath());
    return executableDir;
}

} // namespace orvanta
