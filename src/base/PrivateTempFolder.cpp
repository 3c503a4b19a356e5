#include "base/PrivateTempFolder.h"

#include <QDir>
#include <QTemporaryFile>

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

// Keeps a file name readable and inside the folder, whatever the PDF was called.
QString safeStem(const QString &stem)
{
    QString safe = stem.left(60);
    for (QChar &c : safe) {
        if (c == QLatin1Char('/') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    return safe.isEmpty() ? QStringLiteral("orvanta") : safe;
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

PathResult createPrivateTempFile(const QString &stem, const QString &suffix)
{
    const PathResult folder = ensurePrivateTempFolder();
    if (!folder.ok())
        return folder;
    QTemporaryFile file(folder.path + QLatin1Char('/') + safeStem(stem) +
                        QStringLiteral("-XXXXXX") + suffix);
    file.setAutoRemove(false);
    if (!file.open())
        return {{},
                QStringLiteral("A temporary file cannot be created in %1: %2")
                    .arg(folder.path, file.errorString())};
    return {file.fileName(), {}};
}

} // namespace orvanta
