#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <mutex>

namespace orvanta {

// A PDF as it is on disk now: the same path changed since is another version, and so is the
// same file opened with another password. A file rewritten within one tick of its clock keeps
// its size and times, so a digest of its content is part of the version too.
struct DocumentVersion {
    QString path;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    QByteArray digest;      // of the size and the first and last blocks, or of all of a small file
    QByteArray passwordKey; // empty without a password; a salted digest, never the password

    QByteArray key() const;
    // The file apart from its content and change time, which taking away read permission
    // changes.
    QByteArray identity() const;
};

// The digest of a file's size and its first and last blocks, or of all of a small file; empty
// when the file cannot be read.
QByteArray contentDigest(int fd, qint64 size);

// The version last read of each file. A file we may no longer read is that version when only
// its permissions changed since; a file never read has no content to tell apart, and the
// converter will not read it either. Safe to use from several threads.
class ReadableVersions {
public:
    void remember(const DocumentVersion &version);
    DocumentVersion lastRead(const DocumentVersion &unreadable) const;

private:
    mutable std::mutex m_mutex;
    std::map<QByteArray, DocumentVersion> m_versions; // by identity
};

} // namespace orvanta
