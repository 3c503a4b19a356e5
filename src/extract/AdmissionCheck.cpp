#include "extract/AdmissionCheck.h"

#include "base/FileHelpers.h"
#include "base/PrivateTempFolder.h"
#include "extract/Conversion.h"
#include "extract/ConverterDeployment.h"
#include "extract/TextReader.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <deque>
#include <future>
#include <optional>

namespace orvanta {

namespace {
constexpr int kMinimumTextBytes = 10;
} // namespace

QString admissionNotice(const QStringList &rejected)
{
    if (rejected.isEmpty())
        return {};
    QString text = QStringLiteral("These files could not be read:\r\n\r\n");
    for (const QString &path : rejected)
        text += path + QStringLiteral("\r\n");
    text += QStringLiteral("\r\n") +
            QStringLiteral("This program will extract text from a PDF but this program will not "
                           "extract text within an image within a PDF.\r\n\r\n") +
            QStringLiteral("Email ") + QLatin1String(kSupportAddress) +
            QStringLiteral(" if you have any questions.");
    return text;
}

void AdmissionCheck::judge(std::deque<Probe> &inFlight, const QStringList &paths,
                           std::vector<std::optional<bool>> &rejected, const Progress &progress)
{
    Probe probe = std::move(inFlight.front());
    inFlight.pop_front();
    probe.conversion.get();
    const QString &path = paths[probe.index];
    const bool isRejected = fileSize2(probe.outputPath) < kMinimumTextBytes;
    deleteFileQuietly(probe.outputPath);
    rejected[size_t(probe.index)] = isRejected;
    const QFileInfo info(path);
    if (info.isFile())
        m_verdicts.insert(path, {info.size(), info.lastModified(), isRejected});
    if (progress)
        progress(probe.index + 1, int(paths.size()), path);
}

AdmissionCheck::AdmissionCheck(ErrorSink &sink)
    : m_sink(sink)
{
}

const AdmissionCheck::Verdict *AdmissionCheck::rememberedVerdict(const QString &path) const
{
    const auto found = m_verdicts.constFind(path);
    if (found == m_verdicts.constEnd())
        return nullptr;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != found->size || info.lastModified() != found->modified)
        return nullptr;
    return &*found;
}

AdmissionResult AdmissionCheck::check(const QStringList &paths, std::stop_token stop,
                                      const Progress &progress)
{
    AdmissionResult result;
    TrappedOperation operation(
        locationTag(QStringLiteral("Check"), QStringLiteral("CheckByCodeNotPreviewTextbox")),
        m_sink);
    m_conversions = 0;
    const int total = int(paths.size());
    auto rejected = std::vector<std::optional<bool>>(size_t(total));
    for (int i = 0; i < total; ++i) {
        if (const Verdict *verdict = rememberedVerdict(paths[i]))
            rejected[size_t(i)] = verdict->rejected;
    }

    std::unique_ptr<QTemporaryDir> probeFolder;
    operation.step([&] {
        if (std::all_of(rejected.begin(), rejected.end(), [](auto &v) { return v.has_value(); }))
            return;
        const ConverterStatus converter = ensureConverterDeployed();
        if (!converter.ok()) {
            result.converterProblem = converter.error;
            return;
        }
        probeFolder = std::make_unique<QTemporaryDir>(privateTempFolderPath() +
                                                      QStringLiteral("/check-XXXXXX"));
        if (!probeFolder->isValid())
            throw OperationError(QStringLiteral("Cannot create a folder for probe files: %1")
                                     .arg(probeFolder->errorString()));
    });

    const int parallel = m_parallel > 0 ? m_parallel : defaultParallelConversions();
    QHash<QString, int> firstListing; // a file listed twice is converted once
    std::deque<Probe> inFlight;
    int next = 0;
    operation.step([&] {
        if (!probeFolder)
            return;
        while ((next < total || !inFlight.empty()) && !stop.stop_requested()) {
            for (; next < total && int(inFlight.size()) < parallel; ++next) {
                if (rejected[size_t(next)].has_value() || firstListing.contains(paths[next]))
                    continue;
                firstListing.insert(paths[next], next);
                const QString probePath =
                    probeFolder->filePath(QString::number(next) + QStringLiteral(".txt"));
                inFlight.push_back(
                    {next, probePath, startConversion(paths[next], probePath, {}, stop)});
                ++m_conversions;
            }
            if (!inFlight.empty())
                judge(inFlight, paths, rejected, progress);
        }
    });
    inFlight.clear();
    result.cancelled = stop.stop_requested();
    if (result.cancelled)
        return result;

    for (int i = 0; i < total; ++i) {
        if (!rejected[size_t(i)].has_value() && firstListing.contains(paths[i]))
            rejected[size_t(i)] = rejected[size_t(firstListing.value(paths[i]))];
        // Without a converter nothing could be read.
        if (rejected[size_t(i)].value_or(true))
            result.rejected << paths[i];
    }
    if (result.converterProblem.isEmpty())
        result.notice = admissionNotice(result.rejected);
    return result;
}

} // namespace orvanta
