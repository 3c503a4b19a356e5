#include "cli/CountCommand.h"

#include "base/OutputFile.h"
#include "base/PrivateFolder.h"
#include "cli/CountOptions.h"
#include "cli/RecordWriter.h"
#include "cli/TerminalPrompt.h"
#include "documents/TextStore.h"
#include "filelist/FolderScan.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

#include <array>
#include <csignal>
#include <mutex>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

const QString kProgram = QStringLiteral("orvanta-count");
constexpr qsizetype kChunkBytes = 1 << 20;

void writeText(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

QString plainLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// SIGPIPE is blocked in every thread, so a write to a pipe nobody reads fails with EPIPE and
// leaves the signal pending for the writing thread; taking it tells a gone reader from a full
// disk.
bool takePendingBrokenPipe()
{
    sigset_t pending;
    if (sigpending(&pending) != 0 || sigismember(&pending, SIGPIPE) != 1)
        return false;
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    const timespec now{0, 0};
    sigtimedwait(&pipe, nullptr, &now);
    return true;
}

bool isFifoOrDevice(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode));
}

// Standard input, FIFOs and devices are text: they cannot be PDFs the converter could seek in.
bool readsAsText(const QString &path)
{
    return path == QLatin1String("-") ||
           path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) || isFifoOrDevice(path);
}

ScanResult expandInputs(const QStringList &inputs, ErrorSink &errors, std::stop_token stop)
{
    ScanResult found;
    for (const QString &input : inputs) {
        if (stop.stop_requested())
            break;
        if (input != QLatin1String("-") && QFileInfo(input).isDir())
            found.append(filesInFolderTree(input, QLatin1String(kScanPattern), errors, {stop, {}}));
        else
            found.rows << input;
    }
    return found;
}

// Where the printed records go: standard output, or a file put in place once complete.
class Destination {
public:
    Destination(QIODevice &standardOutput, const QString &path)
        : m_standardOutput(standardOutput)
        , m_file(path.isEmpty() ? nullptr : std::make_unique<OutputFile>(path))
    {
    }

    bool open() { return !m_file || m_file->open(); }
    bool write(QByteArrayView bytes)
    {
        if (m_file)
            return m_file->write(bytes);
        return m_standardOutput.write(bytes.data(), bytes.size()) == bytes.size();
    }
    bool finish()
    {
        if (m_file)
            return m_file->finish();
        auto *file = qobject_cast<QFileDevice *>(&m_standardOutput);
        return !file || file->flush();
    }
    QString errorString() const
    {
        return m_file ? m_file->errorString() : m_standardOutput.errorString();
    }

private:
    QIODevice &m_standardOutput;
    std::unique_ptr<OutputFile> m_file;
};

// Writes the records in pieces; false at the first failed write.
class RecordStream {
public:
    RecordStream(Destination &destination, RecordWriter &writer)
        : m_destination(destination)
        , m_writer(writer)
        , m_buffer(writer.begin())
    {
        m_buffer.reserve(kChunkBytes + kChunkBytes / 4);
    }

    bool add(std::span<const Field> fields)
    {
        m_writer.append(m_buffer, fields);
        if (m_buffer.size() < kChunkBytes)
            return true;
        return flush();
    }
    bool end()
    {
        m_buffer += m_writer.end();
        return flush();
    }

private:
    bool flush()
    {
        const bool written = m_destination.write(m_buffer);
        m_buffer.resize(0); // keeps the buffer: each new one would be mapped and faulted in anew
        return written;
    }

    Destination &m_destination;
    RecordWriter &m_writer;
    QByteArray m_buffer;
};

bool printResults(const PhraseResults &results, const CountOptions &options, RecordStream &&out)
{
    for (const qsizetype row : selectRows(results, options.rows)) {
        const std::string_view phrase = results.phraseUtf8(row);
        const std::array<Field, 4> fields{
            QByteArrayView(phrase.data(), qsizetype(phrase.size())), qint64(results.wordCount(row)),
            qint64(results.frequency(row)), qint64(results.files(row))};
        if (!out.add(std::span(fields).first(options.files ? 4 : 3)))
            return false;
    }
    return out.end();
}

bool printPassages(const RepeatedPassages &passages, const CountOptions &options,
                   RecordStream &&out)
{
    PhraseResults rows = passages.rows;
    rows.sortForDisplay();
    for (const qsizetype row : selectRows(rows, options.rows)) {
        const std::string_view text = rows.phraseUtf8(row);
        const std::array<Field, 4> fields{QByteArrayView(text.data(), qsizetype(text.size())),
                                          qint64(rows.wordCount(row)), qint64(rows.frequency(row)),
                                          qint64(rows.files(row))};
        if (!out.add(fields))
            return false;
    }
    return out.end();
}

QStringList resultNames(const CountOptions &options)
{
    if (options.passages > 0)
        return {QStringLiteral("passage"), QStringLiteral("words"), QStringLiteral("frequency"),
                QStringLiteral("files")};
    QStringList names{QStringLiteral("phrase"), QStringLiteral("words"),
                      QStringLiteral("frequency")};
    if (options.files)
        names << QStringLiteral("files");
    return names;
}

} // namespace

// Answers the counting run on the terminal: reports and progress on stderr, results kept for
// printing.
class CountCommand::Host : public CountingRunHost, public ErrorSink {
public:
    Host(QIODevice &err, const PasswordReader &readPassword)
        : m_err(err)
        , m_readPassword(readPassword)
    {
    }

    void setShowProgress(bool show) { m_showProgress = show; }

    void showNotice(const QString &) override {}
    QString askPassword(const QString &prompt, const QString &) override
    {
        clearProgress();
        return m_readPassword ? m_readPassword(plainLineEnds(prompt), m_stop.get_token())
                              : QString();
    }
    void setBusy(bool busy) override
    {
        if (!busy)
            clearProgress();
    }
    // Recognition reports from its own threads.
    void reportProgress(const RunProgress &progress) override
    {
        if (!m_showProgress)
            return;
        const std::lock_guard lock(m_progressMutex);
        QString line;
        switch (progress.stage) {
        case RunProgress::Stage::Converting:
            line = QStringLiteral("%1 %2 of %3: %4")
                       .arg(progress.fromStore ? QStringLiteral("Reading (converted before)")
                                               : QStringLiteral("Converting"))
                       .arg(progress.fileIndex)
                       .arg(progress.fileCount)
                       .arg(QFileInfo(progress.path).fileName());
            break;
        case RunProgress::Stage::Recognising:
            line = QStringLiteral("Recognising page %1 of %2: %3")
                       .arg(progress.fileIndex)
                       .arg(progress.fileCount)
                       .arg(QFileInfo(progress.path).fileName());
            break;
        case RunProgress::Stage::Counting:
            line = QStringLiteral("Counting phrases");
            break;
        case RunProgress::Stage::FindingPassages:
            line = QStringLiteral("Finding repeated passages");
            break;
        case RunProgress::Stage::Ordering:
            line = QStringLiteral("Sorting");
            break;
        }
        writeText(m_err, QStringLiteral("\r\033[K") + line.left(100));
        m_progressShown = true;
    }
    void showResults(PhraseResults results) override { m_results = std::move(results); }
    ErrorSink &errorSink() override { return *this; }

    // A terminal user reads the plain description, without the window's report around it.
    void report(const ErrorReport &report) override
    {
        clearProgress();
        writeText(m_err, kProgram + QStringLiteral(": ") + plainLineEnds(report.description) +
                             QLatin1Char('\n'));
        ++m_reports;
    }

    const PhraseResults &results() const { return m_results; }
    int reports() const { return m_reports; }
    std::stop_source &stopSource() { return m_stop; }

private:
    void clearProgress()
    {
        const std::lock_guard lock(m_progressMutex);
        if (m_progressShown)
            writeText(m_err, QStringLiteral("\r\033[K"));
        m_progressShown = false;
    }

    QIODevice &m_err;
    const PasswordReader &m_readPassword;
    bool m_showProgress = false;
    bool m_progressShown = false;
    std::mutex m_progressMutex;
    PhraseResults m_results;
    int m_reports = 0;
    std::stop_source m_stop; // ends scans and prompts on an interrupt
};

CountCommand::CountCommand(QIODevice &out, QIODevice &err)
    : m_out(out)
    , m_err(err)
    , m_readPassword(readPasswordFromTerminal)
    , m_host(std::make_unique<Host>(err, m_readPassword))
    , m_store(std::make_unique<TextStore>())
    , m_run(std::make_unique<CountingRun>(
          *m_host, *m_store, locationTag(QStringLiteral("Count"), QStringLiteral("Run"))))
{
}

CountCommand::~CountCommand() = default;

void CountCommand::say(const QString &text)
{
    writeText(m_err, kProgram + QStringLiteral(": ") + text + QLatin1Char('\n'));
}

int CountCommand::run(const QStringList &arguments)
{
    const Result<CountOptions> options = parseCountOptions(arguments);
    if (!options.ok()) {
        writeText(m_err,
                  QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(kProgram, options.error()));
        return kUsageError;
    }
    switch (options->request) {
    case CountOptions::Request::Help:
        writeText(m_out, options->helpText);
        return kSuccess;
    case CountOptions::Request::Version:
        writeText(m_out,
                  QStringLiteral("%1 %2\n").arg(kProgram, QCoreApplication::applicationVersion()));
        return kSuccess;
    case CountOptions::Request::Count:
        break;
    }
    return count(*options);
}

int CountCommand::count(const CountOptions &options)
{
    m_host->setShowProgress(m_showProgress && !options.quiet);
    m_store->setConversionLimits(options.conversionLimits);
    if (!options.keepTextIn.isEmpty()) {
        const Status kept = m_store->keepIn(options.keepTextIn, m_host->stopSource().get_token(),
                                            [&](const QString &text) {
                                                if (!options.quiet)
                                                    say(text);
                                            });
        if (m_interrupt != 0)
            return 128 + m_interrupt;
        if (!kept.ok()) {
            say(kept.error());
            return kInputFailed;
        }
    }
    const ScanResult found =
        expandInputs(options.inputs, *m_host, m_host->stopSource().get_token());
    if (m_interrupt != 0)
        return 128 + m_interrupt;
    if (found.skippedNames > 0 && !options.quiet)
        say(skippedNamesText(found.skippedNames));
    if (found.rows.isEmpty()) {
        say(QStringLiteral("no PDF files found"));
        return kInputFailed;
    }
    if (options.text.any() && !options.quiet)
        say(QStringLiteral("text options: ") +
            options.text.namesOfThoseOn().join(QStringLiteral(", ")));
    if (const int allowed = conversionsTheDescriptorsAllow(options.jobs);
        options.jobs > 0 && allowed < options.jobs && !options.quiet)
        say(QStringLiteral("converting %1 PDFs at once, not %2: the limit of open files allows "
                           "no more")
                .arg(allowed)
                .arg(options.jobs));

    CountingRunOptions run;
    run.promptForPassword = options.askPassword;
    run.readsAsText = readsAsText;
    run.parallelConversions = options.jobs;
    run.text = options.text;
    run.recognitionLanguages = options.recognitionLanguages;
    run.passageMinimumWords = options.passages;
    const std::vector<int> lengths =
        options.passages > 0 ? std::vector<int>{}
        : options.where.isEmpty()
            ? options.lengths
            : std::vector<int>{int(options.where.count(QLatin1Char(' ')) + 1)};
    return finish(options, m_run->run(found.rows, lengths, run));
}

int CountCommand::finish(const CountOptions &options, const RunOutcome &outcome)
{
    if (outcome.cancelled || m_interrupt != 0)
        return stopped();
    if (!outcome.converterProblem.isEmpty()) {
        say(outcome.converterProblem);
        return kInputFailed;
    }
    for (const FileFailure &failure : outcome.failures)
        say(failure.path + failure.reason);
    if (!print(options, outcome))
        return m_interrupt != 0 ? stopped() : kInputFailed;
    const bool failed = !outcome.failures.empty() || m_host->reports() > 0;
    return failed ? kInputFailed : kSuccess;
}

bool CountCommand::print(const CountOptions &options, const RunOutcome &outcome)
{
    Destination destination(m_out, options.output);
    bool written = destination.open();
    if (written && options.passages > 0) {
        if (const QString leftOut = leftOutPassagesText(outcome.passages); !leftOut.isEmpty())
            say(leftOut);
        RecordWriter writer(options.format, resultNames(options), options.header);
        written = printPassages(outcome.passages, options, RecordStream(destination, writer));
    } else if (written && options.where.isEmpty()) {
        RecordWriter writer(options.format, resultNames(options), options.header);
        written = printResults(m_host->results(), options, RecordStream(destination, writer));
    } else if (written) {
        const OccurrenceFinder finder(*m_store, options.text);
        const Occurrences found = finder.find(outcome.sources, options.where);
        for (const QString &path : found.unavailable)
            say(path + QStringLiteral("  - its text is no longer at hand; count it again."));
        RecordWriter writer(
            options.format,
            {QStringLiteral("file"), QStringLiteral("page"), QStringLiteral("line")},
            options.header);
        RecordStream out(destination, writer);
        for (const Occurrence &occurrence : found.found) {
            const std::array<Field, 3> fields{outcome.sources[size_t(occurrence.source)].path,
                                              qint64(occurrence.page), occurrence.text};
            written = written && out.add(fields);
        }
        written = written && out.end();
    }
    if (written && destination.finish())
        return true;
    // A reader that went away (`| head`) ends the command as SIGPIPE would, quietly.
    if (options.output.isEmpty() && takePendingBrokenPipe()) {
        m_interrupt = SIGPIPE;
        return false;
    }
    say(QStringLiteral("cannot write the results: ") + destination.errorString());
    return false;
}

int CountCommand::stopped()
{
    const int signal = m_interrupt != 0 ? m_interrupt.load() : SIGINT;
    if (signal != SIGPIPE)
        say(QStringLiteral("cancelled"));
    return 128 + signal;
}

void CountCommand::interrupt(int signal)
{
    m_interrupt = signal;
    m_host->stopSource().request_stop();
    m_run->cancel();
}

} // namespace orvanta
