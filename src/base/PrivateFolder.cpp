#include "base/PrivateFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

constexpr int kRandomTries = 100;
const QString kInstancePrefix = QStringLiteral("instance-");

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray native(const QString &name)
{
    return QFile::encodeName(name);
}

QString randomEnding()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != ssize_t(sizeof bytes)) {
        const auto seed = quint64(::getpid()) ^ quint64(::time(nullptr)) ^ quint64(&bytes);
        std::memcpy(bytes, &seed, sizeof bytes);
    }
    QString ending;
    for (unsigned char byte : bytes)
        ending += QLatin1Char(kLetters[byte % (sizeof kLetters - 1)]);
    return ending;
}

int openFolderAt(int parent, const QString &name)
{
    return ::openat(parent, native(name).constData(),
                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool isOwnFolder(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

// Others cannot rename or remove our entries in it: it is ours or root's, and nobody else can
// write it, or it has the sticky bit.
bool isSafeParent(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if (info.st_uid != ::geteuid() && info.st_uid != 0)
        return false;
    return (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (info.st_mode & S_ISVTX) != 0;
}

void removeContents(int folder)
{
    for (int pass = 0; pass < 3; ++pass) {
        const int listing = ::dup(folder);
        DIR *dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
        if (!dir) {
            if (listing >= 0)
                ::close(listing);
            return;
        }
        bool removedAny = false;
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            if (::unlinkat(folder, name, 0) == 0) {
                removedAny = true;
                continue;
            }
            const Descriptor child(
                ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (child.isOpen()) {
                removeContents(child.get());
                removedAny |= ::unlinkat(folder, name, AT_REMOVEDIR) == 0;
            }
        }
        ::closedir(dir);
        if (!removedAny)
            return;
    }
}

QString unsafeParentMessage(const QString &parent)
{
    return QStringLiteral("The temporary folder %1 can be changed by other users, so Orvanta "
                          "will not keep files there. Set TMPDIR to a folder of your own and "
                          "start again.")
        .arg(parent);
}

QString unusableMessage(const QString &folder, int error)
{
    return QStringLiteral("The temporary folder %1 cannot be used: %2")
        .arg(folder, systemError(error));
}

// A folder of ours named like the usual one with an ending, made when someone else took the
// usual name; an earlier one of ours is used again.
Result<Directory> ownFallbackFolder(const Directory &parent, const QString &usualName)
{
    const QString prefix = usualName + QLatin1Char('-');
    const int listing = ::dup(parent.fd());
    if (DIR *dir = listing >= 0 ? ::fdopendir(listing) : nullptr) {
        while (const dirent *entry = ::readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            if (!name.startsWith(prefix))
                continue;
            Descriptor fd(openFolderAt(parent.fd(), name));
            struct stat info {};
            if (fd.isOpen() && isOwnFolder(fd.get()) && ::fstat(fd.get(), &info) == 0 &&
                (info.st_mode & 077) == 0) {
                ::closedir(dir);
                return Directory(std::move(fd), parent.pathOf(name));
            }
        }
        ::closedir(dir);
    } else if (listing >= 0) {
        ::close(listing);
    }
    return parent.makeSubfolder(prefix);
}

Result<Directory> usualOrFallback(const Directory &parent)
{
    const QString name = QStringLiteral("orvanta-") + QString::number(::geteuid());
    Descriptor fd(openFolderAt(parent.fd(), name));
    if (!fd.isOpen() && errno == ENOENT) {
        if (::mkdirat(parent.fd(), native(name).constData(), 0700) != 0 && errno != EEXIST)
            return Failure{unusableMessage(parent.pathOf(name), errno)};
        fd.reset(openFolderAt(parent.fd(), name));
    }
    if (fd.isOpen() && isOwnFolder(fd.get())) {
        ::fchmod(fd.get(), 0700); // texts of confidential documents are for this user only
        return Directory(std::move(fd), parent.pathOf(name));
    }
    return ownFallbackFolder(parent, name);
}

Result<Directory> openParent(const QString &path)
{
    Descriptor fd(::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen())
        return Failure{unusableMessage(path, errno)};
    return Directory(std::move(fd), path);
}

Result<Directory> safeParent()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/'))) {
        Result<Directory> parent = openParent(runtime);
        if (parent.ok() && isSafeParent(parent->fd()))
            return parent;
    }
    QString base = qEnvironmentVariable("TMPDIR");
    if (base.isEmpty())
        base = QStringLiteral("/tmp");
    Result<Directory> parent = openParent(QDir::cleanPath(QDir(base).absolutePath()));
    if (parent.ok() && !isSafeParent(parent->fd()))
        return Failure{unsafeParentMessage(parent->path())};
    return parent;
}

bool lockIsFree(int folder)
{
    const Descriptor lock(::openat(folder, "lock", O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    return lock.isOpen() && ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0;
}

void removeGoneInstances(const Directory &privateFolder, const QString &prefix)
{
    const int listing = ::dup(privateFolder.fd());
    DIR *dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    QStringList gone;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!name.startsWith(prefix))
            continue;
        const Descriptor folder(openFolderAt(privateFolder.fd(), name));
        if (folder.isOpen() && lockIsFree(folder.get()))
            gone << name;
    }
    ::closedir(dir);
    for (const QString &name : gone)
        privateFolder.removeTree(name);
}

} // namespace

Directory::Directory(Descriptor fd, QString path)
    : m_fd(std::move(fd))
    , m_path(std::move(path))
{
}

Result<Directory> Directory::makeSubfolder(const QString &prefix) const
{
    for (int i = 0; i < kRandomTries; ++i) {
        const QString name = prefix + randomEnding();
        if (::mkdirat(fd(), native(name).constData(), 0700) == 0)
            return openSubfolder(name);
        if (errno != EEXIST)
            return Failure{unusableMessage(m_path, errno)};
    }
    return Failure{unusableMessage(m_path, EEXIST)};
}

Result<Directory> Directory::openSubfolder(const QString &name) const
{
    Descriptor sub(openFolderAt(fd(), name));
    if (!sub.isOpen())
        return Failure{unusableMessage(pathOf(name), errno)};
    return Directory(std::move(sub), pathOf(name));
}

Result<Descriptor> Directory::createFile(const QString &name) const
{
    Descriptor file(::openat(fd(), native(name).constData(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.isOpen())
        return Failure{
            QStringLiteral("Cannot create %1: %2").arg(pathOf(name), systemError(errno))};
    return file;
}

Result<QString> Directory::createUniqueFile(const QString &prefix, const QString &suffix,
                                            Descriptor &fd) const
{
    for (int i = 0; i < kRandomTries; ++i) {
        const QString name = prefix + randomEnding() + suffix;
        const QByteArray entry = native(name);
        fd.reset(::openat(this->fd(), entry.constData(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.isOpen())
            return name;
        if (errno != EEXIST)
            break;
    }
    return Failure{
        QStringLiteral("Cannot create a file in %1: %2").arg(m_path, systemError(errno))};
}

Result<Descriptor> Directory::openFile(const QString &name) const
{
    Descriptor file(::openat(fd(), native(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isOpen())
        return Failure{QStringLiteral("Cannot open %1: %2").arg(pathOf(name), systemError(errno))};
    return file;
}

bool Directory::removeFile(const QString &name) const
{
    return ::unlinkat(fd(), native(name).constData(), 0) == 0;
}

bool Directory::rename(const QString &from, const QString &to) const
{
    return ::renameat(fd(), native(from).constData(), fd(), native(to).constData()) == 0;
}

bool Directory::removeTree(const QString &name) const
{
    const QByteArray entry = native(name);
    const Descriptor folder(openFolderAt(fd(), name));
    if (!folder.isOpen())
        return ::unlinkat(fd(), entry.constData(), 0) == 0 || errno == ENOENT;
    removeContents(folder.get());
    return ::unlinkat(fd(), entry.constData(), AT_REMOVEDIR) == 0;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

Result<Directory> openPrivateFolder()
{
    Result<Directory> parent = safeParent();
    if (!parent.ok())
        return Failure{parent.error()};
    return usualOrFallback(*parent);
}

Result<QString> createPrivateFile(const QString &prefix, const QString &suffix)
{
    const Result<Directory> folder = openPrivateFolder();
    if (!folder.ok())
        return Failure{folder.error()};
    Descriptor created;
    const Result<QString> name = folder->createUniqueFile(prefix, suffix, created);
    if (!name.ok())
        return Failure{name.error()};
    return folder->pathOf(*name);
}

Result<std::unique_ptr<InstanceFolder>> InstanceFolder::create()
{
    Result<Directory> privateFolder = openPrivateFolder();
    if (!privateFolder.ok())
        return Failure{privateFolder.error()};
    return createIn(std::move(privateFolder).value(), kInstancePrefix);
}

Result<std::unique_ptr<InstanceFolder>> InstanceFolder::createIn(Directory parent,
                                                                 const QString &prefix)
{
    removeGoneInstances(parent, prefix);

    // Made under a name the clean-up ignores, and renamed once its lock is held.
    Result<Directory> folder = parent.makeSubfolder(QStringLiteral("creating-"));
    if (!folder.ok())
        return Failure{folder.error()};
    const QString made = folder->path().mid(parent.path().size() + 1);
    Result<Descriptor> lock = folder->createFile(QStringLiteral("lock"));
    if (!lock.ok() || ::flock(lock->get(), LOCK_EX | LOCK_NB) != 0) {
        parent.removeTree(made);
        return Failure{lock.ok() ? unusableMessage(folder->path(), errno) : lock.error()};
    }
    const QString name = prefix + QString::number(::getpid()) + QLatin1Char('-') +
                         made.mid(made.indexOf(QLatin1Char('-')) + 1);
    if (::renameat(parent.fd(), native(made).constData(), parent.fd(), native(name).constData()) !=
        0) {
        const int error = errno;
        parent.removeTree(made);
        return Failure{unusableMessage(parent.path(), error)};
    }
    Directory renamed(Descriptor(::dup(folder->fd())), parent.pathOf(name));
    return std::unique_ptr<InstanceFolder>(
        new InstanceFolder(std::move(parent), std::move(renamed), name, std::move(lock).value()));
}

InstanceFolder::InstanceFolder(Directory parent, Directory folder, QString name, Descriptor lock)
    : m_parent(std::move(parent))
    , m_folder(std::move(folder))
    , m_name(std::move(name))
    , m_lock(std::move(lock))
{
}

InstanceFolder::~InstanceFolder()
{
    m_parent.removeTree(m_name);
}

} // namespace orvanta
