#pragma once

// Small pieces that many tests share.

#include "base/ErrorReport.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <optional>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ORVANTA_TEST_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANTA_TEST_ADDRESS_SANITIZER 1
#endif
#endif

namespace orvanta {

// Address sanitizer reserves terabytes of address space, so no cap on it can hold there.
#ifdef ORVANTA_TEST_ADDRESS_SANITIZER
inline constexpr bool kMemoryCapsHold = false;
#else
inline constexpr bool kMemoryCapsHold = true;
#endif

// Keeps every error report instead of showing it.
class RecordingSink : public ErrorSink {
public:
    void report(const ErrorReport &report) override { reports.push_back(report); }
    std::vector<ErrorReport> reports;
};

// Sets an environment variable, or unsets it for a null value, for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_saved = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_saved)
            qputenv(m_name, *m_saved);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    std::optional<QByteArray> m_saved;
};

// Points TMPDIR, and with it the program's private temporary folder, at a fresh folder for the
// object's lifetime ($XDG_RUNTIME_DIR, which would be preferred, is unset meanwhile).
class ScopedTmpdir {
public:
    ScopedTmpdir()
        : m_tmpdir("TMPDIR", m_dir.path().toUtf8())
        , m_runtime("XDG_RUNTIME_DIR", QByteArray())
    {
    }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // What lies in the folder, hidden entries included.
    QStringList entries(const QString &relative = {}) const
    {
        return QDir(m_dir.filePath(relative))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_tmpdir;
    ScopedEnv m_runtime;
};

// Writes the bytes to a new or replaced file, making its folders; gives the path.
inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file and folder below `folder`, each with the SHA-256 of its bytes ("folder" for a
// folder), as sorted lines that a failed comparison prints readably: what a test compares to
// show that no file of the user's changed.
inline QStringList folderFingerprint(const QString &folder)
{
    QStringList lines;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray digest = "folder";
        if (!it.fileInfo().isDir()) {
            QFile file(path);
            QCryptographicHash hash(QCryptographicHash::Sha256);
            digest = file.open(QIODevice::ReadOnly) && hash.addData(&file)
                         ? hash.result().toHex()
                         : QByteArray("unreadable");
        }
        lines << QDir(folder).relativeFilePath(path) + QLatin1Char(' ') +
                     QString::fromLatin1(digest);
    }
    lines.sort();
    return lines;
}

// The process ids a stand-in program wrote to the file, one a line.
inline QList<qint64> pidsIn(const QString &path)
{
    QList<qint64> pids;
    for (const QByteArray &line : readFile(path).split('\n')) {
        if (!line.trimmed().isEmpty())
            pids << line.trimmed().toLongLong();
    }
    return pids;
}

// True when the process has ended: it is gone, or a zombie that nobody has reaped yet (its
// parent was killed and the adopter may be slow to reap).
inline bool processIsGone(qint64 pid)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return stat.isEmpty() || (close >= 0 && stat.mid(close + 2, 1) == "Z");
}

// Waits up to ten seconds for the process to end.
inline bool waitUntilGone(qint64 pid)
{
    for (int i = 0; i < 500; ++i) {
        if (processIsGone(pid))
            return true;
        QThread::msleep(20);
    }
    return false;
}

} // namespace orvanta
