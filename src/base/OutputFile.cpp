#include "base/OutputFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace orvanta {

namespace {

bool isDeviceOrFifo(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile() && !info.isDir();
}

} // namespace

OutputFile::OutputFile(const QString &path)
    : m_path(path)
    , m_replacement(path)
    , m_direct(isDeviceOrFifo(path))
{
}

bool OutputFile::open()
{
    if (m_direct)
        return openDirect();
    // Unbuffered: QFileDevice's own buffer can lose a short write at the last flush, and
    // QSaveFile then commits a cut-off file as if all were well.
    return m_replacement.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

// Without O_NONBLOCK, a FIFO that nobody reads would hold us until someone does.
bool OutputFile::openDirect()
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (m_deviceFile.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                          QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

bool OutputFile::isOpen() const
{
    return m_direct ? m_deviceFile.isOpen() : m_replacement.isOpen();
}

QFileDevice &OutputFile::device()
{
    return m_direct ? static_cast<QFileDevice &>(m_deviceFile) : m_replacement;
}

bool OutputFile::write(QByteArrayView bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = device().write(bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            m_error = device().errorString();
            return false;
        }
        done += written;
    }
    return true;
}

bool OutputFile::finish()
{
    if (!m_direct) {
        if (!m_error.isEmpty()) {
            m_replacement.cancelWriting();
            m_replacement.commit();
            return false;
        }
        if (m_replacement.commit())
            return true;
        m_error = m_replacement.errorString();
        return false;
    }
    const bool written = m_error.isEmpty() && m_deviceFile.error() == QFileDevice::NoError;
    if (m_error.isEmpty() && !written)
        m_error = m_deviceFile.errorString();
    m_deviceFile.close();
    return written;
}

QString OutputFile::errorString() const
{
    if (!m_error.isEmpty())
        return m_error;
    return m_direct ? m_deviceFile.errorString() : m_replacement.errorString();
}

} // namespace orvanta
