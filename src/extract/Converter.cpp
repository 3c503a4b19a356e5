#include "extract/Converter.h"

#include "extract/ConvertWorkerPool.h"
#include "extract/ProcessRunner.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace orvanta {

namespace {
// pdftotext's exit codes: 1 the PDF could not be opened, 3 copying its text is not permitted.
constexpr int kOpenFailed = 1;
constexpr int kNotPermitted = 3;
} // namespace

ConversionOutcome judgeConversion(int exitCode, QByteArrayView errorHead)
{
    switch (exitCode) {
    case 0:
        return ConversionOutcome::Converted;
    case kProcessCancelled:
        return ConversionOutcome::Cancelled;
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

Converter::Converter(QString program, std::shared_ptr<ConvertWorkerPool> workers)
    : m_program(std::move(program))
    , m_workers(std::move(workers))
{
}

Result<Converter> Converter::locate()
{
    if (qEnvironmentVariable("ORVANTA_CONVERTER") != QLatin1String("pdftotext")) {
        const QString worker = ConvertWorkerPool::locateWorker();
        if (!worker.isEmpty())
            return Converter(worker, std::make_shared<ConvertWorkerPool>(worker));
    }
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty())
        return Failure{QLatin1String(kConverterMissing)};
    return Converter(program);
}

ConversionOutcome Converter::convert(const QString &pdfPath, const QString &password,
                                     const std::function<bool(QByteArrayView)> &onText,
                                     std::stop_token stop) const
{
    if (m_workers)
        return m_workers->convert(pdfPath, password, onText, stop);
    QStringList arguments;
    if (!password.isEmpty())
        arguments << QStringLiteral("-opw") << password << QStringLiteral("-upw") << password;
    // Absolute, so a name beginning with "-" is never read as an option.
    arguments << QFileInfo(pdfPath).absoluteFilePath() << QStringLiteral("-");
    QByteArray errorHead;
    const int exitCode = runProcess(m_program, arguments, stop, {onText, &errorHead});
    return judgeConversion(exitCode, errorHead);
}

} // namespace orvanta
