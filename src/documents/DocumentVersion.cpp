#include "documents/DocumentVersion.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <unistd.h>

namespace orvanta {

namespace {

// The first and last blocks, or the whole of a smaller file, go into a version's digest.
constexpr qint64 kDigestBlock = 64 * 1024;

} // namespace

QByteArray DocumentVersion::key() const
{
    QByteArray key = QFile::encodeName(path);
    key += '\0' + QByteArray::number(size) + ':' + QByteArray::number(modifiedNs) + ':' +
           QByteArray::number(changedNs) + ':' + QByteArray::number(device) + ':' +
           QByteArray::number(inode) + ':' + digest.toHex() + ':' + passwordKey;
    return key;
}

QByteArray DocumentVersion::identity() const
{
    return QFile::encodeName(path) + '\0' + QByteArray::number(size) + ':' +
           QByteArray::number(modifiedNs) + ':' + QByteArray::number(device) + ':' +
           QByteArray::number(inode);
}

QByteArray contentDigest(int fd, qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    hash.addData(QByteArray::number(size));
    QByteArray block(kDigestBlock, Qt::Uninitialized);
    const auto addFrom = [&](qint64 offset, qint64 length) {
        for (qint64 done = 0; done < length;) {
            const ssize_t got = ::pread(
                fd, block.data(), size_t(std::min(kDigestBlock, length - done)), offset + done);
            if (got <= 0)
                return false;
            hash.addData(QByteArrayView(block.data(), got));
            done += got;
        }
        return true;
    };
    const bool read = size <= 2 * kDigestBlock
                          ? addFrom(0, size)
                          : addFrom(0, kDigestBlock) && addFrom(size - kDigestBlock, kDigestBlock);
    return read ? hash.result() : QByteArray();
}

void ReadableVersions::remember(const DocumentVersion &version)
{
    const std::lock_guard lock(m_mutex);
    m_versions[version.identity()] = version;
}

DocumentVersion ReadableVersions::lastRead(const DocumentVersion &unreadable) const
{
    const std::lock_guard lock(m_mutex);
    const auto known = m_versions.find(unreadable.identity());
    return known == m_versions.end() ? unreadable : known->second;
}

} // namespace orvanta
