#include "run/AdmissionCheck.h"

#include "base/ErrorReport.h"
#include "documents/TextStore.h"
#include "run/ConversionQueue.h"
#include "run/CountingRun.h"

#include <QHash>
#include <QSet>

#include <deque>
#include <future>
#include <optional>

namespace orvanta {

namespace {

constexpr qint64 kMinimumTextBytes = 10;

bool isReadable(const Result<StoredTextHandle> &text)
{
    return text.ok() && text->text->isKept() && text->text->bytes >= kMinimumTextBytes;
}

struct Probe {
    QString path;
    std::future<Result<StoredTextHandle>> text;
};

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

AdmissionCheck::AdmissionCheck(TextStore &store)
    : m_store(store)
{
}

AdmissionResult AdmissionCheck::check(const QStringList &paths, std::stop_token stop,
                                      const Progress &progress)
{
    AdmissionResult result;
    if (paths.isEmpty())
        return result;
    Result<Converter> converter = Converter::locate();
    const Status folder = converter.ok() ? m_store.prepare() : Status();
    if (!converter.ok() || !folder.ok()) {
        // Without a converter nothing could be read.
        result.converterProblem = converter.ok() ? folder.error() : converter.error();
        result.rejected = paths;
        return result;
    }

    QHash<QString, bool> readable; // a file listed twice is converted once
    QSet<QString> scanned;
    std::deque<Probe> inFlight;
    // The biggest files first on every thread, the answers taken in list order.
    ConversionQueue conversions(defaultParallelConversions());
    const int ahead = filesToConvertAhead(defaultParallelConversions());
    const int total = int(paths.size());
    int next = 0;
    int done = 0;
    while ((next < total || !inFlight.empty()) && !stop.stop_requested()) {
        for (; next < total && int(inFlight.size()) < ahead; ++next) {
            const QString &path = paths[next];
            if (readable.contains(path))
                continue;
            readable.insert(path, false);
            const Result<DocumentVersion> version = m_store.versionOf(path, {});
            if (!version.ok())
                continue;
            inFlight.push_back({path, conversions.add(version->size, [&, version = *version] {
                                    return m_store.obtain(version, {}, *converter, stop);
                                })});
        }
        if (inFlight.empty())
            continue;
        Probe probe = std::move(inFlight.front());
        inFlight.pop_front();
        const Result<StoredTextHandle> text = probe.text.get();
        readable[probe.path] = isReadable(text);
        if (text.ok() && text->text->isKept() && text->text->noText)
            scanned.insert(probe.path);
        if (progress)
            progress(++done, total, probe.path);
    }
    inFlight.clear();
    result.cancelled = stop.stop_requested();
    if (result.cancelled)
        return result;
    for (const QString &path : paths) {
        if (!readable.value(path))
            result.rejected << path;
    }
    result.scannedFiles = int(scanned.size());
    result.notice = admissionNotice(result.rejected);
    return result;
}

} // namespace orvanta
