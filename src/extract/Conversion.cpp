#include "extract/Conversion.h"

#include "extract/ConverterDeployment.h"
#include "extract/ProcessRunner.h"

#include <QFileInfo>
#include <QStringList>
#include <QThread>

namespace orvanta {

std::future<int> startConversion(const QString &pdfPath, const QString &outputPath,
                                 const QString &password, std::stop_token stop)
{
    QStringList arguments;
    if (!password.isEmpty())
        arguments << QStringLiteral("-opw") << password << QStringLiteral("-upw") << password;
    arguments << QFileInfo(pdfPath).absoluteFilePath() << QFileInfo(outputPath).absoluteFilePath();
    return std::async(std::launch::async, [arguments, stop] {
        // Another instance may have removed the shared converter on its way out.
        const ConverterStatus converter = ensureConverterDeployed();
        return runProcessAndWait(converter.converterPath, arguments, stop);
    });
}

int defaultParallelConversions()
{
    return std::max(QThread::idealThreadCount(), 1);
}

} // namespace orvanta
