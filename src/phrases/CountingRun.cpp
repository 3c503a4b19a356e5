#include "phrases/CountingRun.h"

#include "base/FileHelpers.h"
#include "base/PrivateTempFolder.h"
#include "extract/Conversion.h"
#include "extract/ConverterDeployment.h"
#include "extract/ProcessRunner.h"
#include "extract/TextReader.h"
#include "phrases/LengthList.h"
#include "phrases/PhraseTable.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <deque>
#include <future>
#include <memory>
#include <mutex>

namespace orvanta {

QString passwordPrompt(const QString &pdfPath)
{
    return QStringLiteral("Enter password for file (") + pdfPath + QStringLiteral("): ") +
           QStringLiteral("\r\n") +
           QStringLiteral("Note: Leave this box blank if file is not password protected");
}

QString closingNotice(const std::vector<FileFailure> &failures)
{
    QString failureText;
    for (const FileFailure &failure : failures)
        failureText += QStringLiteral("\r\n") + failure.path + failure.reason;
    if (!failureText.trimmed().isEmpty())
        failureText.prepend(QStringLiteral("\r\n") + QLatin1String(run_texts::kFailureHeading));
    return QLatin1String(run_texts::kDone) + failureText;
}

namespace {

bool isTextInput(const QString &path)
{
    return path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

// One listed file on its way through conversion.
struct PendingFile {
    QString path;
    QString outputPath;    // where the converted text lands; the file itself for text inputs
    QString missingReason; // why the file failed when no output appears
    std::future<int> conversion;
};

} // namespace

// The state of one run; discarded when the run ends.
class CountingRun::Pass {
public:
    Pass(CountingRunHost &host, const QStringList &paths, const std::vector<int> &lengths,
         const CountingRunOptions &options, std::stop_token stop)
        : m_host(host)
        , m_paths(paths)
        , m_options(options)
        , m_stop(std::move(stop))
        , m_table(lengths)
        , m_operation(locationTag(QStringLiteral("Form1"), QStringLiteral("PushButton7_Click")),
                      host.errorSink())
    {
    }

    RunOutcome execute()
    {
        if (!prepareConverter())
            return std::move(m_outcome);
        m_host.setBusy(true);
        processFiles();
        if (!m_stop.stop_requested())
            finish();
        m_pending.clear(); // waits for converters still stopping
        m_host.setBusy(false);
        m_outcome.cancelled = m_stop.stop_requested();
        if (!m_outcome.cancelled)
            m_host.showNotice(closingNotice(m_outcome.failures));
        return std::move(m_outcome);
    }

private:
    bool needsConverter() const
    {
        for (const QString &path : m_paths) {
            if (!(m_options.readTextFilesDirectly && isTextInput(path)))
                return true;
        }
        return false;
    }

    bool prepareConverter()
    {
        m_outcome.ran = true;
        if (!needsConverter())
            return true;
        const ConverterStatus status = ensureConverterDeployed();
        m_outcome.usedConverter = status.ok();
        if (status.ok()) {
            m_converter = status.converterPath;
            m_workFolder = std::make_unique<QTemporaryDir>(QFileInfo(m_converter).absolutePath() +
                                                           QStringLiteral("/run-XXXXXX"));
        }
        if (status.ok() && m_workFolder->isValid())
            return true;
        m_outcome.ran = false;
        m_outcome.converterProblem =
            status.ok()
                ? QStringLiteral("Cannot create a temporary folder next to %1.").arg(m_converter)
                : status.error;
        m_host.showNotice(m_outcome.converterProblem);
        return false;
    }

    int parallelConversions() const
    {
        return m_options.parallelConversions > 0 ? m_options.parallelConversions
                                                 : defaultParallelConversions();
    }

    // Keeps at most the chosen number of converters running. A file leaves the queue once its
    // conversion has ended, and the next one starts while the finished file is counted.
    void processFiles()
    {
        const int count = int(m_paths.size());
        int submitted = 0;
        const auto topUp = [&] {
            while (submitted < count && int(m_pending.size()) < parallelConversions() &&
                   !m_stop.stop_requested())
                submit(submitted++);
        };
        for (int k = 0; k < count && !m_stop.stop_requested(); ++k) {
            topUp();
            if (m_pending.empty())
                break;
            m_host.reportProgress({RunProgress::Stage::Converting, k + 1, count, m_paths[k]});
            if (m_pending.front().conversion.valid())
                m_pending.front().conversion.wait();
            PendingFile file = std::move(m_pending.front());
            m_pending.pop_front();
            topUp();
            m_operation.step(110, [&] { collect(file); });
        }
    }

    void submit(int index)
    {
        PendingFile file;
        file.path = m_paths[index];
        if (m_options.readTextFilesDirectly && isTextInput(file.path)) {
            file.outputPath = file.path;
            file.missingReason = QLatin1String(run_texts::kFileMissing);
            m_pending.push_back(std::move(file));
            return;
        }
        const QString pdf = QFileInfo(file.path).absoluteFilePath();
        if (!QFileInfo(pdf).isFile()) {
            file.missingReason = QLatin1String(run_texts::kFileMissing);
            m_pending.push_back(std::move(file));
            return;
        }
        const QString password = m_options.promptForPassword
                                     ? m_host.askPassword(passwordPrompt(file.path),
                                                          QLatin1String(run_texts::kPasswordTitle))
                                     : QString();
        file.missingReason =
            QLatin1String(password.isEmpty() ? run_texts::kProtected : run_texts::kWrongPassword);
        file.outputPath = m_workFolder->filePath(QString::number(index) + QStringLiteral(".txt"));
        file.conversion = startConversion(pdf, file.outputPath, password, m_stop);
        m_pending.push_back(std::move(file));
    }

    void collect(PendingFile &file)
    {
        const int exitCode = file.conversion.valid() ? file.conversion.get() : 0;
        if (m_stop.stop_requested())
            return;
        const bool converted = file.outputPath != file.path;
        // A converter that crashed may have written part of the text or none: counting a part
        // would give quietly wrong numbers, and blaming a password would mislead.
        if (converted && exitCode == kProcessCrashed) {
            m_outcome.failures.push_back({file.path, QLatin1String(run_texts::kConverterCrashed)});
            deleteFileQuietly(file.outputPath);
            return;
        }
        if (file.outputPath.isEmpty() || !fileExists(file.outputPath)) {
            m_outcome.failures.push_back({file.path, file.missingReason});
            return;
        }
        const LineSequence lines = readFileToStringFSOLine(file.outputPath, m_host.errorSink());
        if (converted) {
            if (noTextPDF(lines))
                m_outcome.failures.push_back({file.path, QLatin1String(run_texts::kUnreadable)});
            deleteFileQuietly(file.outputPath);
        }
        m_table.countLines(lines);
    }

    void finish()
    {
        m_host.reportProgress({RunProgress::Stage::Counting, 0, 0, {}});
        PhraseResults results;
        m_operation.step(114, [&] { results = m_table.extractRepeatedPhrases(m_stop); });
        if (m_stop.stop_requested())
            return;
        m_host.reportProgress({RunProgress::Stage::Ordering, 0, 0, {}});
        m_operation.step(116, [&] { results.sortForDisplay(); });
        m_operation.step(118, [&] { m_host.showResults(std::move(results)); });
    }

    CountingRunHost &m_host;
    const QStringList m_paths;
    const CountingRunOptions m_options;
    std::stop_token m_stop;
    PhraseTable m_table;
    TrappedOperation m_operation;
    RunOutcome m_outcome;
    QString m_converter;
    std::unique_ptr<QTemporaryDir> m_workFolder;
    std::deque<PendingFile> m_pending; // after the work folder: emptied before it is removed
};

CountingRun::CountingRun(CountingRunHost &host)
    : m_host(host)
{
}

RunOutcome CountingRun::run(const QStringList &paths, const std::vector<int> &lengths,
                            const CountingRunOptions &options)
{
    if (m_busy.exchange(true))
        return {};
    RunOutcome outcome;
    const std::vector<int> countable = distinctCountableLengths(lengths);
    if (paths.isEmpty()) {
        m_host.showNotice(QLatin1String(run_texts::kNoFiles));
    } else if (countable.empty()) {
        m_host.showNotice(QLatin1String(run_texts::kNoLengths));
    } else {
        std::stop_token stop;
        {
            const std::lock_guard lock(m_stopMutex);
            m_stop = std::stop_source();
            stop = m_stop.get_token();
        }
        outcome = Pass(m_host, paths, countable, options, stop).execute();
    }
    m_busy = false;
    return outcome;
}

void CountingRun::cancel()
{
    const std::lock_guard lock(m_stopMutex);
    if (m_busy)
        m_stop.request_stop();
}

} // namespace orvanta
