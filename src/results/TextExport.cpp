#include "results/TextExport.h"

#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "base/FileHelpers.h"
#include "results/ListTable.h"
#include "results/WriteAll.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace orvanta {

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;

QByteArray textLine(const ListTable &list, int row)
{
    return (list.cellText(row, 0) + QStringLiteral("\r\n")).toUtf8();
}

// Writes every row in chunks; stops at the first failed write and returns its reason.
QString writeRows(const ListTable &list, QFileDevice &file, const ExportHost &host)
{
    QByteArray chunk;
    for (int row = 0;; ++row) {
        host.yield();
        // Read again after the events: they may have cleared the list.
        const bool end = row >= list.rowCount();
        if (!end)
            chunk += textLine(list, row);
        if (end || chunk.size() >= kChunkBytes) {
            if (!writeAll(file, chunk))
                return file.errorString();
            chunk.clear();
        }
        if (end)
            return {};
    }
}

bool isDeviceOrFifo(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile() && !info.isDir();
}

// Where the text goes. A file is written under a temporary name that replaces it only once
// complete. A device or FIFO is written to as it is: replacing it would put a regular file in
// its place and report a success while nothing reached it.
class TextTarget {
public:
    explicit TextTarget(const QString &path)
        : m_path(path)
        , m_replacement(path)
        , m_direct(isDeviceOrFifo(path))
    {
    }

    bool open()
    {
        if (!m_direct)
            return m_replacement.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        return openDirect();
    }
    bool isOpen() const { return m_direct ? m_deviceFile.isOpen() : m_replacement.isOpen(); }
    QFileDevice &device()
    {
        return m_direct ? static_cast<QFileDevice &>(m_deviceFile) : m_replacement;
    }
    QString errorString() { return m_openError.isEmpty() ? device().errorString() : m_openError; }

    // False when the text did not all arrive.
    bool finish()
    {
        if (!m_direct)
            return m_replacement.commit();
        const bool written = m_deviceFile.error() == QFileDevice::NoError;
        m_deviceFile.close();
        return written;
    }

private:
    // Without O_NONBLOCK, a FIFO that nobody reads would hold the window until someone does.
    bool openDirect()
    {
        const int fd =
            ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            m_openError = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (m_deviceFile.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                              QFileDevice::AutoCloseHandle))
            return true;
        ::close(fd);
        return false;
    }

    const QString m_path;
    QSaveFile m_replacement;
    QFile m_deviceFile;
    const bool m_direct;
    QString m_openError;
};

} // namespace

QString overwriteQuestion(const QString &path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

void saveResultsAsTextFile(const QAbstractItemModel &model, const ExportHost &host,
                           const QString &locationTag)
{
    TrappedOperation operation(locationTag, host.errors);
    const ListTable list(model);
    QString path;
    operation.step([&] {
        path = host.dialogs.saveFile(QLatin1String(kTextSaveTitle), QLatin1String(kTextSaveFilter));
    });
    if (path.isEmpty())
        return;
    bool replace = true;
    operation.step([&] {
        if (fileExists(path))
            replace = host.dialogs.question(overwriteQuestion(path), host.title);
    });
    if (!replace)
        return;
    operation.step([&] { host.pointer(Hourglass); });

    TextTarget file(path);
    operation.step([&] {
        if (!file.open())
            throw OperationError(
                QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));
    });
    QString writeError;
    operation.step([&] {
        if (file.isOpen())
            writeError = writeRows(list, file.device(), host);
    });
    operation.step([&] {
        if (file.isOpen() && !file.finish())
            throw OperationError(
                QStringLiteral("Cannot write %1: %2")
                    .arg(path, writeError.isEmpty() ? file.errorString() : writeError));
    });
    operation.step([&] { host.pointer(ArrowPointer); });
}

} // namespace orvanta
