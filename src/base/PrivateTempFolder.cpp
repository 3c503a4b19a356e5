#include "base/PrivateTempFolder.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notPrivateMessage(const QString &folder)
{
    return QStringLiteral("The temporary folder %1 is not private (owned by another user or "
                          "writable by others). Remove it and start again.")
        .arg(folder);
}

QString checkFolder(const QString &folder, const struct stat &info)
{
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode))
        return QStringLiteral("The temporary folder %1 is not a folder (it is a file or a "
                              "symbolic link). Remove it and start again.")
            .arg(folder);
    if (info.st_uid != getuid() || (info.st_mode & 022) != 0)
        return notPrivateMessage(folder);
    return {};
}

} // namespace

QString privateTempFolderPath()
{
    QString base = qEnvironmentVariable("TMPDIR");
    if (base.isEmpty())
        base = QStringLiteral("/tmp");
    return QDir::cleanPath(QDir(base).absolutePath() + QStringLiteral("/orvanta-") +
                           QString::number(getuid()));
}

QString converterPath()
{
    return privateTempFolderPath() + QStringLiteral("/pdftotext");
}

PathResult ensurePrivateTempFolder()
{
    const QString folder = privateTempFolderPath();
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0) {
        // EEXIST means another instance made it just now; it is checked like any other.
        if (errno != ENOENT || (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) ||
            ::lstat(native.constData(), &info) != 0) {
            const int error = errno;
            return {{},
                    QStringLiteral("The temporary folder %1 cannot be used: %2")
                        .arg(folder, systemError(error))};
        }
    }
    const QString error = checkFolder(folder, info);
    if (!error.isEmpty())
        return {{}, error};
    return {folder, {}};
}

} // namespace orvanta
