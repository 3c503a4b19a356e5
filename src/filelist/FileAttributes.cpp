#include "filelist/FileAttributes.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

using namespace attribute_bits;

// The native path without trailing slashes, so that a link is looked at and not followed; the
// root stays "/".
QByteArray nativePath(const QString &path)
{
    QByteArray native = QFile::encodeName(path);
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    return native;
}

bool hasHiddenName(const QByteArray &native)
{
    const qsizetype slash = native.lastIndexOf('/');
    return native.size() > slash + 1 && native.at(slash + 1) == '.';
}

bool isReadOnly(const QByteArray &native, const struct stat &info)
{
    return (info.st_mode & S_IWUSR) == 0 || ::access(native.constData(), W_OK) != 0;
}

int targetBits(const QByteArray &native, const struct stat &info)
{
    int bits = isReadOnly(native, info) ? kReadOnly : 0;
    if (S_ISDIR(info.st_mode))
        bits |= kDirectory;
    else if (S_ISREG(info.st_mode))
        bits |= kArchive;
    return bits;
}

} // namespace

int fileAttributes(const QString &path)
{
    const QByteArray native = nativePath(path);
    struct stat info {};
    if (native.isEmpty() || ::lstat(native.constData(), &info) != 0)
        return kNoAttributes;
    int value = 0;
    if (S_ISLNK(info.st_mode)) {
        value |= kReparsePoint;
        if (::stat(native.constData(), &info) == 0)
            value |= targetBits(native, info);
    } else {
        value |= targetBits(native, info);
    }
    if (hasHiddenName(native))
        value |= (value & kDirectory) ? kHidden | kSystem : kHidden;
    return value;
}

bool isFolder(const QString &path)
{
    struct stat info {};
    const QByteArray native = nativePath(path);
    return !native.isEmpty() && ::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isExistingFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

} // namespace orvanta
