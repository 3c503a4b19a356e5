#include "run/CountingRun.h"

#include "documents/TextStore.h"
#include "extract/PageRecognition.h"
#include "extract/TextReader.h"
#include "phrases/LengthList.h"
#include "phrases/PhraseTable.h"
#include "phrases/RepeatedPassages.h"
#include "run/BoundedCount.h"
#include "run/ConversionQueue.h"
#include "run/MemoryShortage.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <future>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

QString unopenableFileReason(const QString &path)
{
    return QLatin1String(path.contains(QChar::ReplacementCharacter) ? run_texts::kNameNotUtf8
                                                                    : run_texts::kFileMissing);
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

int defaultParallelConversions()
{
    return std::max(QThread::idealThreadCount(), 1);
}

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

std::future<Result<StoredTextHandle>> readyText(StoredTextHandle handle)
{
    std::promise<Result<StoredTextHandle>> promise;
    promise.set_value(std::move(handle));
    return promise.get_future();
}

// One listed file on its way to being counted.
struct PendingFile {
    QString path;
    QString failure; // known before any conversion
    std::optional<DocumentVersion> version;
    bool plainText = false;
    bool passwordTyped = false;
    bool fromStore = false;
    std::future<Result<StoredTextHandle>> text;
};

QString failureOf(const StoredText &text, bool passwordTyped, const ConversionLimits &limits)
{
    if (!text.writeError.isEmpty())
        return QLatin1String(run_texts::kNotKept).arg(text.writeError);
    switch (text.outcome) {
    case ConversionOutcome::NeedsPassword:
        return QLatin1String(passwordTyped ? run_texts::kWrongPassword : run_texts::kProtected);
    case ConversionOutcome::Damaged:
        return QLatin1String(run_texts::kDamaged);
    case ConversionOutcome::Stopped:
        return QLatin1String(run_texts::kConverterCrashed);
    case ConversionOutcome::TimedOut:
        return QLatin1String(run_texts::kTimedOut).arg(describeTimeLimit(limits.time));
    case ConversionOutcome::OutOfMemory:
        return QLatin1String(run_texts::kOutOfMemory).arg(describeMemoryLimit(limits.memoryBytes));
    case ConversionOutcome::NoSafeConverter:
        return QLatin1String(run_texts::kNoSafeConverter);
    case ConversionOutcome::Converted:
    case ConversionOutcome::Cancelled:
        break;
    }
    return {};
}

// One line for each reason pages could not be read by text recognition, naming the pages.
std::vector<QString> unreadPageFailures(const std::vector<PageFailure> &unread)
{
    std::vector<std::pair<QString, QStringList>> byReason;
    for (const PageFailure &failure : unread) {
        auto same = std::find_if(byReason.begin(), byReason.end(),
                                 [&](const auto &group) { return group.first == failure.reason; });
        if (same == byReason.end())
            same = byReason.insert(byReason.end(), {failure.reason, {}});
        same->second << QString::number(failure.page);
    }
    std::vector<QString> lines;
    for (const auto &[reason, pages] : byReason)
        lines.push_back(
            QLatin1String(run_texts::kUnreadPages)
                .arg(pages.size() == 1 ? QStringLiteral("page") : QStringLiteral("pages"),
                     pages.join(QStringLiteral(", ")), reason));
    return lines;
}

bool isReadAgain(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

// The state of one run; discarded when the run ends.
class CountingRun::Pass {
public:
    Pass(CountingRunHost &host, ErrorSink &errors, TextStore &store, const QString &tag,
         const QStringList &paths, const std::vector<int> &lengths,
         const CountingRunOptions &options, std::stop_token stop)
        : m_host(host)
        , m_store(store)
        , m_paths(paths)
        , m_options(options)
        , m_lengths(lengths)
        , m_stop(std::move(stop))
        , m_table(std::make_shared<PhraseTable>(lengths))
        , m_passages(*m_table)
        , m_operation(tag, errors)
    {
        m_table->setCountsPerFile(options.countsPerFile);
    }

    RunOutcome execute()
    {
        if (!prepare())
            return std::move(m_outcome);
        processFiles();
        if (!m_spillFailure.ok())
            refuse(m_spillFailure.error());
        else if (!m_stop.stop_requested() && m_memoryShortage.isEmpty())
            finish();
        // A count that ran out of memory may hold part of a file: none of it is shown.
        if (!m_memoryShortage.isEmpty())
            refuse(m_memoryShortage);
        m_pending.clear();
        m_conversions.reset(); // waits for converters still stopping
        m_outcome.cancelled = m_stop.stop_requested();
        if (m_outcome.cancelled)
            m_outcome.phrases = {};
        return std::move(m_outcome);
    }

private:
    bool readsAsText(const QString &path) const
    {
        return m_options.readsAsText && m_options.readsAsText(path);
    }

    bool needsConverter() const
    {
        return std::any_of(m_paths.begin(), m_paths.end(),
                           [this](const QString &path) { return !readsAsText(path); });
    }

    bool prepare()
    {
        m_outcome.ran = true;
        if (!prepareBoundedCount())
            return false;
        if (!needsConverter())
            return true;
        if (!m_options.recognitionLanguages.isEmpty()) {
            const Status languages = checkRecognitionLanguages(m_options.recognitionLanguages,
                                                               installedRecognitionLanguages());
            if (!languages.ok())
                return refuse(languages.error());
        }
        Result<Converter> converter = Converter::locate();
        const Status folder = converter.ok() ? m_store.prepare() : Status();
        if (converter.ok() && folder.ok()) {
            m_converter = std::move(converter).value();
            return true;
        }
        return refuse(converter.ok() ? folder.error() : converter.error());
    }

    bool prepareBoundedCount()
    {
        if (m_options.memoryLimit == 0 || findsPassages())
            return true;
        if (const Status kept = checkLimitCanBeKept(m_options); !kept.ok())
            return refuse(kept.error());
        Result<std::unique_ptr<BoundedCount>> bounded =
            BoundedCount::create(m_lengths, m_options.memoryLimit, m_options.spillFolder);
        if (!bounded.ok())
            return refuse(bounded.error());
        m_bounded = std::move(bounded).value();
        return true;
    }

    bool refuse(const QString &problem)
    {
        m_outcome.ran = false;
        m_outcome.converterProblem = problem;
        m_host.showNotice(problem);
        return false;
    }

    int parallelConversions() const
    {
        return conversionsTheDescriptorsAllow(m_options.parallelConversions > 0
                                                  ? m_options.parallelConversions
                                                  : defaultParallelConversions());
    }

    // How many files may be converted ahead of the one being counted, so that every conversion
    // thread stays busy while a long one runs; no more bytes of PDF than the text store holds
    // (see topUp). Passwords asked for each file are asked near the file being counted.
    int filesAhead(int parallel) const
    {
        if (m_options.promptForPassword)
            return parallel;
        return filesToConvertAhead(parallel);
    }

    // Converts on the chosen number of threads, the biggest file ahead first, and counts the
    // texts in list order, so the results do not depend on which conversion ends first.
    void processFiles()
    {
        const int count = int(m_paths.size());
        const int parallel = parallelConversions();
        const int ahead = filesAhead(parallel);
        m_conversions.emplace(parallel);
        int submitted = 0;
        const auto topUp = [&] {
            while (submitted < count && int(m_pending.size()) < ahead &&
                   (m_pending.empty() || m_bytesAhead < m_store.limit()) &&
                   !m_stop.stop_requested())
                submit(submitted++);
        };
        for (int k = 0; k < count && !m_stop.stop_requested() && m_spillFailure.ok() &&
                        m_memoryShortage.isEmpty();
             ++k) {
            topUp();
            if (m_pending.empty())
                break;
            m_host.reportProgress({RunProgress::Stage::Converting, k + 1, count, m_paths[k],
                                   m_pending.front().fromStore});
            if (m_pending.front().text.valid())
                m_pending.front().text.wait();
            PendingFile file = std::move(m_pending.front());
            m_pending.pop_front();
            m_bytesAhead -= file.version ? file.version->size : 0;
            topUp();
            m_operation.step(110, [&] { collect(file); });
        }
    }

    void submit(int index)
    {
        PendingFile file;
        file.path = m_paths[index];
        if (readsAsText(file.path)) {
            file.plainText = true;
            m_pending.push_back(std::move(file));
            return;
        }
        const QString password =
            m_options.promptForPassword ? m_host.askPassword(file.path) : QString();
        file.passwordTyped = !password.isEmpty();
        const Result<DocumentVersion> version = m_store.versionOf(file.path, password);
        if (version.ok())
            file.version = *version;
        if (!version.ok()) {
            file.failure = unopenableFileReason(file.path);
        } else if (std::optional<StoredTextHandle> stored = m_store.find(*version);
                   stored && m_options.recognitionLanguages.isEmpty()) {
            file.fromStore = true;
            file.text = readyText(std::move(*stored));
        } else {
            file.fromStore = stored.has_value();
            file.text = m_conversions->add(version->size, [this, version = *version, password] {
                return textOf(version, password);
            });
        }
        m_bytesAhead += file.version ? file.version->size : 0;
        m_pending.push_back(std::move(file));
    }

    // The converted text, with its scanned pages read when recognition is on.
    Result<StoredTextHandle> textOf(const DocumentVersion &version, const QString &password)
    {
        Result<StoredTextHandle> converted =
            m_store.obtain(version, password, *m_converter, m_stop);
        if (!converted.ok() || m_options.recognitionLanguages.isEmpty() ||
            !converted->text->isKept())
            return converted;
        return m_store.recognise(
            version, *converted, password, m_options.recognitionLanguages,
            [this, path = version.path](int done, int total) {
                m_host.reportProgress({RunProgress::Stage::Recognising, done, total, path});
            },
            m_stop);
    }

    bool findsPassages() const { return m_options.passageMinimumWords > 0; }

    void collect(PendingFile &file)
    {
        if (findsPassages())
            m_passages.beginSource();
        else if (m_bounded)
            m_bounded->beginDocument(std::uint32_t(m_outcome.sources.size()));
        else
            m_table->beginDocument();
        m_outcome.sources.push_back({file.path, std::nullopt, file.plainText, {}});
        if (!file.failure.isEmpty()) {
            m_outcome.failures.push_back({file.path, file.failure});
            return;
        }
        if (file.plainText) {
            countPlainText(file.path);
            return;
        }
        Result<StoredTextHandle> got = file.text.get();
        if (m_stop.stop_requested())
            return;
        if (!got.ok())
            throw OperationError(got.error());
        const StoredText &text = *got->text;
        const QString failure = failureOf(text, file.passwordTyped, m_store.conversionLimits());
        if (!failure.isEmpty()) {
            m_outcome.failures.push_back({file.path, failure});
            return;
        }
        // A scanned file is named, with the pages recognition failed on, and what was read is
        // still counted.
        for (const QString &unread : unreadPageFailures(text.unreadPages))
            m_outcome.failures.push_back({file.path, unread});
        if (text.noText && text.unreadPages.empty())
            m_outcome.failures.push_back({file.path, QLatin1String(run_texts::kUnreadable)});
        m_outcome.sources.back().version = file.version;
        m_outcome.sources.back().recognitionLanguages = m_options.recognitionLanguages;
        countLines(got->fd.get(), file.path);
    }

    void countPlainText(const QString &path)
    {
        // Without O_NONBLOCK, opening a FIFO would hold the run until someone writes to it.
        const Descriptor fd(path == QLatin1String("-")
                                ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                                : ::open(QFile::encodeName(path).constData(),
                                         O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd.isOpen()) {
            if (errno != ENOENT)
                throw OperationError(
                    QStringLiteral("Cannot open %1: %2").arg(path, systemError(errno)));
            m_outcome.failures.push_back({path, unopenableFileReason(path)});
            return;
        }
        struct stat info {};
        const bool readable =
            ::fstat(fd.get(), &info) == 0 &&
            (S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode));
        if (!readable) {
            m_outcome.failures.push_back({path, QLatin1String(run_texts::kNotRegularFile)});
            return;
        }
        if (isReadAgain(fd.get())) {
            countLines(fd.get(), path);
            return;
        }
        // A stream is read into a private copy first, so none of it counts when a line is too
        // long, and its lines can be read twice.
        Result<StoredTextHandle> copy = m_store.copyStream(fd.get(), path, m_stop);
        if (!copy.ok())
            throw OperationError(copy.error());
        if (!m_stop.stop_requested())
            countLines(copy->fd.get(), path);
    }

    void countLines(int fd, const QString &path)
    {
        // A text with a line too long to read is refused whole, before any of it is counted.
        if (const Status lengths = checkLineLengths(fd, path, m_stop); !lengths.ok())
            throw OperationError(lengths.error());
        const TextSource text = [&](const LineSink &sink) {
            ::lseek(fd, 0, SEEK_SET);
            return readLines(fd, path, sink, m_stop);
        };
        const bool counted = withMemory(QStringLiteral("reading ") + path, [&] {
            const Status read =
                findsPassages()
                    ? readCountedLines(
                          m_options.text, text,
                          [this](const CountedLine &line) { m_passages.countLine(line); },
                          /*withPlaces=*/true)
                    : readCountedLines(m_options.text, text,
                                       [this](const CountedLine &line) { countLine(line.text); });
            if (!read.ok())
                throw OperationError(read.error());
        });
        if (counted)
            ++m_countedFiles;
    }

    // Runs `body`; when it cannot get memory, the run ends saying what it was doing.
    template <typename Body> bool withMemory(const QString &doing, const Body &body)
    {
        try {
            body();
            return true;
        } catch (const std::bad_alloc &) {
            m_memoryShortage = outOfMemoryText(doing);
            return false;
        }
    }

    void countLine(QByteArrayView line)
    {
        if (m_options.countedLines)
            m_options.countedLines(int(m_outcome.sources.size()) - 1, line);
        else if (!m_bounded)
            m_table->countLine(line);
        else if (m_spillFailure.ok())
            m_spillFailure = m_bounded->countLine(line);
    }

    void finish()
    {
        if (m_bounded) {
            finishBounded();
            return;
        }
        m_host.reportProgress({RunProgress::Stage::Counting, 0, 0, {}});
        PhraseResults &results = m_outcome.phrases;
        m_table->finishReading();
        m_operation.step(114, [&] {
            withMemory(
                QStringLiteral("gathering the repeated phrases of %1 files").arg(m_countedFiles),
                [&] { results = m_table->extractRepeatedPhrases(m_stop); });
        });
        if (m_stop.stop_requested() || !m_memoryShortage.isEmpty())
            return;
        m_outcome.corpus = m_table->corpusSize();
        m_outcome.corpus.files = m_countedFiles;
        if (m_options.keepCountedWords)
            m_outcome.countedWords = m_table;
        if (findsPassages()) {
            if (m_options.memoryLimit > 0) {
                const Status fits = checkPassageMemory(m_table->wordCount(), m_options.memoryLimit);
                if (!fits.ok()) {
                    refuse(fits.error());
                    return;
                }
            }
            m_host.reportProgress({RunProgress::Stage::FindingPassages, 0, 0, {}});
            m_operation.step(115, [&] {
                m_outcome.passages = m_passages.find(m_options.passageMinimumWords, m_stop);
            });
            if (m_stop.stop_requested())
                return;
        }
        m_host.reportProgress({RunProgress::Stage::Ordering, 0, 0, {}});
        m_operation.step(116, [&] { results.sortForDisplay(); });
    }

    // The rows are counted from the spill files now, or when they are printed.
    void finishBounded()
    {
        m_outcome.corpus.files = m_countedFiles;
        m_outcome.corpus.words = m_bounded->wordCount();
        if (m_options.rowsWhenPrinted) {
            m_outcome.boundedRows = std::move(m_bounded);
            return;
        }
        m_host.reportProgress({RunProgress::Stage::Counting, 0, 0, {}});
        Result<PhraseResults> rows = m_bounded->repeatedPhrases(m_stop);
        if (m_stop.stop_requested())
            return;
        if (!rows.ok()) {
            refuse(rows.error());
            return;
        }
        m_outcome.phrases = std::move(rows).value();
    }

    CountingRunHost &m_host;
    TextStore &m_store;
    const QStringList m_paths;
    const CountingRunOptions m_options;
    const std::vector<int> m_lengths;
    std::stop_token m_stop;
    std::shared_ptr<PhraseTable> m_table;
    PassageCollector m_passages; // counts into m_table when passages are asked for
    std::uint64_t m_countedFiles = 0;
    QString m_memoryShortage; // what the run was doing when it could not get memory
    TrappedOperation m_operation;
    RunOutcome m_outcome;
    std::optional<Converter> m_converter;
    std::deque<PendingFile> m_pending;
    std::shared_ptr<BoundedCount> m_bounded; // counts the phrases within a memory limit
    Status m_spillFailure;
    qint64 m_bytesAhead = 0; // of the files converted or converting ahead of the one counted
    // Last, so its threads end before anything they use.
    std::optional<ConversionQueue> m_conversions;
};

CountingRun::CountingRun(CountingRunHost &host, ErrorSink &errors, TextStore &store,
                         QString locationTag)
    : m_host(host)
    , m_errors(errors)
    , m_store(store)
    , m_locationTag(std::move(locationTag))
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
    } else if (countable.empty() && options.passageMinimumWords <= 0 && !options.readsOnly) {
        m_host.showNotice(QLatin1String(run_texts::kNoLengths));
    } else {
        std::stop_token stop;
        {
            const std::lock_guard lock(m_stopMutex);
            m_stop = std::stop_source();
            stop = m_stop.get_token();
        }
        outcome = Pass(m_host, m_errors, m_store, m_locationTag, paths, countable, options, stop)
                      .execute();
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
