#include "extract/Converter.h"

#include "extract/ConvertWorkerPool.h"
#include "extract/ProcessRunner.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <dirent.h>
#include <sys/resource.h>

namespace orvanta {

namespace {
// pdftotext's exit codes: 1 the PDF could not be opened, 3 copying its text is not permitted.
constexpr int kOpenFailed = 1;
constexpr int kNotPermitted = 3;

// Descriptors one conversion in flight may hold: its worker's two ends, the wake-up of its
// wait, its text being written and read, and those of starting a worker.
constexpr int kDescriptorsPerConversion = 8;
// Left for everything else: the inputs being read, the terminal, libraries.
constexpr int kDescriptorsSpared = 48;

int openDescriptors()
{
    DIR *folder = ::opendir("/proc/self/fd");
    if (!folder)
        return 0;
    int count = -1; // the listing's own descriptor
    while (const dirent *entry = ::readdir(folder))
        count += entry->d_name[0] != '.';
    ::closedir(folder);
    return std::max(count, 0);
}
} // namespace

QString describeTimeLimit(std::chrono::milliseconds time)
{
    const auto seconds = std::chrono::duration<double>(time).count();
    return seconds == 1 ? QStringLiteral("1 second")
                        : QStringLiteral("%1 seconds").arg(QString::number(seconds, 'g', 6));
}

QString describeMemoryLimit(qint64 bytes)
{
    if (bytes % (qint64(1) << 30) == 0)
        return QStringLiteral("%1 GiB").arg(bytes >> 30);
    return QStringLiteral("%1 MiB").arg(QString::number(double(bytes) / (1 << 20), 'g', 6));
}

int conversionsTheDescriptorsAllow(int wanted)
{
    rlimit files{};
    if (wanted <= 1 || ::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY)
        return wanted;
    const qint64 spare = qint64(files.rlim_cur) - openDescriptors() - kDescriptorsSpared;
    return int(std::clamp<qint64>(spare / kDescriptorsPerConversion, 1, wanted));
}

ConversionOutcome judgeConversion(int exitCode, QByteArrayView errorHead)
{
    switch (exitCode) {
    case 0:
        // poppler reads such a page tree as no pages at all and pdftotext writes nothing.
        return errorHead.contains("Loop in Pages tree") ? ConversionOutcome::Damaged
                                                        : ConversionOutcome::Converted;
    case kProcessCancelled:
        return ConversionOutcome::Cancelled;
    case kProcessTimedOut:
        return ConversionOutcome::TimedOut;
    case kProcessOutOfMemory:
        return ConversionOutcome::OutOfMemory;
    case kProcessCrashed:
    case kProcessNotFound:
    case kProcessNotExecutable:
    case kProcessStartFailed:
        return ConversionOutcome::Stopped;
    case kNotPermitted:
        return ConversionOutcome::NeedsPassword;
    case kOpenFailed:
        if (errorHead.contains("Incorrect password"))
            return ConversionOutcome::NeedsPassword;
        return ConversionOutcome::Damaged;
    default:
        return ConversionOutcome::Damaged;
    }
}

Converter::Converter(QString program, std::shared_ptr<ConvertWorkerPool> workers,
                     bool workersForAll)
    : m_program(std::move(program))
    , m_workers(std::move(workers))
    , m_workersForAll(workersForAll && m_workers)
{
}

Result<Converter> Converter::locate()
{
    const QString worker = ConvertWorkerPool::locateWorker();
    std::shared_ptr<ConvertWorkerPool> workers =
        worker.isEmpty() ? nullptr : std::make_shared<ConvertWorkerPool>(worker);
    if (workers && qEnvironmentVariable("ORVANTA_CONVERTER") != QLatin1String("pdftotext"))
        return Converter(worker, std::move(workers), true);
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty())
        return Failure{QLatin1String(kConverterMissing)};
    return Converter(program, std::move(workers), false);
}

ConversionOutcome Converter::convert(const QString &pdfPath, const QString &password,
                                     const ConversionLimits &limits,
                                     const std::function<bool(QByteArrayView)> &onText,
                                     std::stop_token stop) const
{
    if (m_workers && (m_workersForAll || !password.isEmpty()))
        return m_workers->convert(pdfPath, password, limits, onText, stop);
    if (!password.isEmpty())
        return ConversionOutcome::NoSafeConverter;
    // Absolute, so a name beginning with "-" is never read as an option.
    const QStringList arguments{QFileInfo(pdfPath).absoluteFilePath(), QStringLiteral("-")};
    QByteArray errorHead;
    const int exitCode = runProcess(m_program, arguments, stop, {onText, &errorHead},
                                    {limits.time, limits.memoryBytes});
    return judgeConversion(exitCode, errorHead);
}

} // namespace orvanta
