#include "documents/StoreFolder.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

namespace orvanta {

namespace {

constexpr auto kLockRetry = std::chrono::milliseconds(100);

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Takes the folder's lock; while another store holds it, says so once and tries again until
// the stop.
Status lockFolder(int lock, const QString &path, std::stop_token stop,
                  const StoreFolder::Notice &notice)
{
    bool told = false;
    for (;;) {
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0)
            return {};
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Failure{
                QStringLiteral("Cannot lock the folder %1: %2").arg(path, systemError(errno))};
        if (!told && notice)
            notice(QStringLiteral("Waiting for another run that keeps texts in the folder %1 to "
                                  "finish.")
                       .arg(path));
        told = true;
        if (stop.stop_requested())
            return Failure{QStringLiteral("Stopped waiting for the folder %1.").arg(path)};
        std::this_thread::sleep_for(kLockRetry);
    }
}

} // namespace

Result<std::unique_ptr<StoreFolder>> StoreFolder::makePrivate()
{
    Result<std::unique_ptr<InstanceFolder>> made = InstanceFolder::create();
    if (!made.ok())
        return Failure{made.error()};
    std::unique_ptr<StoreFolder> folder(new StoreFolder);
    folder->m_instance = std::move(made).value();
    return folder;
}

Result<std::unique_ptr<StoreFolder>>
StoreFolder::openKept(const QString &path, std::stop_token stop, const Notice &notice)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return Failure{
            QStringLiteral("Cannot make the folder %1: %2").arg(path, systemError(errno))};
    Descriptor fd(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0 || info.st_uid != ::geteuid() ||
        (info.st_mode & 022) != 0)
        return Failure{QStringLiteral("The folder %1 for kept texts must be yours, and others "
                                      "must not be able to write to it.")
                           .arg(path)};
    Directory kept(std::move(fd), path);
    Descriptor lock(
        ::openat(kept.fd(), ".orvanta-lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock.isOpen())
        return Failure{
            QStringLiteral("Cannot lock the folder %1: %2").arg(path, systemError(errno))};
    if (const Status locked = lockFolder(lock.get(), path, stop, notice); !locked.ok())
        return Failure{locked.error()};
    std::unique_ptr<StoreFolder> folder(new StoreFolder);
    folder->m_kept = std::move(kept);
    folder->m_lock = std::move(lock);
    return folder;
}

Result<const Directory *> StoreFolder::privateDirectory()
{
    if (!m_instance) {
        Result<std::unique_ptr<InstanceFolder>> made = InstanceFolder::create();
        if (!made.ok())
            return Failure{made.error()};
        m_instance = std::move(made).value();
    }
    return &m_instance->directory();
}

} // namespace orvanta
