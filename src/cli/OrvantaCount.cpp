#include "cli/OrvantaCount.h"

#include "base/DataFolder.h"
#include "cli/CountCommand.h"
#include "cli/CountOptions.h"
#include "cli/InputChecks.h"
#include "cli/MeasureCommands.h"
#include "cli/OverlapCommand.h"
#include "cli/PassagesCommand.h"
#include "cli/RecordOutput.h"
#include "cli/TerminalPrompt.h"
#include "cli/WhereCommand.h"
#include "documents/TextStore.h"
#include "extract/Converter.h"
#include "filelist/FolderScan.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <csignal>

namespace orvanta {

namespace {

const QString kProgram = QStringLiteral("orvanta-count");

void writeText(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
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

// Standard input, FIFOs and devices are text: they cannot be PDFs the converter could seek in.
bool readsAsText(const QString &path)
{
    return path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) || isStreamedInput(path);
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

QString corpusSizeText(const CorpusSize &corpus)
{
    return QStringLiteral("corpus: %1 files, %2 words, %3 distinct words")
        .arg(corpus.files)
        .arg(corpus.words)
        .arg(corpus.distinctWords);
}

std::vector<NamedField> corpusFields(const CorpusSize &corpus)
{
    return {{QStringLiteral("files"), qint64(corpus.files)},
            {QStringLiteral("words"), qint64(corpus.words)},
            {QStringLiteral("distinct_words"), qint64(corpus.distinctWords)}};
}

// Why the inputs cannot be read as asked, checked before any is read; empty when they can.
QString refusedInputs(const CountOptions &options, const QStringList &inputs)
{
    if (const QString replaced = inputReplacedBy(options.output, inputs); !replaced.isEmpty())
        return QStringLiteral("the output file \"%1\" is also an input (\"%2\"); choose another "
                              "output file")
            .arg(options.output, replaced);
    if (const QStringList streamed = streamedInputs(inputs);
        !options.where.isEmpty() && !streamed.isEmpty())
        return QStringLiteral("--where reads each input again after counting, which standard "
                              "input, FIFOs and devices cannot be (\"%1\"); save them to a file "
                              "first")
            .arg(streamed.join(QStringLiteral("\", \"")));
    return {};
}

} // namespace

OrvantaCount::OrvantaCount(QIODevice &out, QIODevice &err)
    : m_out(out)
    , m_err(err)
    , m_readPassword(readPasswordFromTerminal)
    , m_host(std::make_unique<TerminalHost>(err, m_readPassword))
    , m_store(std::make_unique<TextStore>())
    , m_run(std::make_unique<CountingRun>(
          *m_host, *m_host, *m_store, locationTag(QStringLiteral("Count"), QStringLiteral("Run"))))
{
}

OrvantaCount::~OrvantaCount() = default;

void OrvantaCount::say(const QString &text)
{
    sayOn(m_err, text);
}

std::unique_ptr<Command> OrvantaCount::commandFor(const CountOptions &options)
{
    if (options.passages > 0)
        return std::make_unique<PassagesCommand>(options, m_err);
    if (options.overlap > 0)
        return std::make_unique<OverlapCommand>(options, *m_store, m_err,
                                                m_host->stopSource().get_token());
    if (options.byFile)
        return std::make_unique<ByFileCommand>(options);
    if (!options.references.isEmpty())
        return std::make_unique<KeynessCommand>(options);
    if (!options.where.isEmpty())
        return std::make_unique<WhereCommand>(options, *m_store, m_err,
                                              m_host->stopSource().get_token());
    return std::make_unique<CountCommand>(options, m_host->stopSource().get_token());
}

int OrvantaCount::run(const QStringList &arguments)
{
    Result<CountOptions> options = parseCountOptions(arguments);
    if (options.ok()) {
        if (const Status loaded =
                loadStopWords(*options, dataFolder(QCoreApplication::applicationDirPath()));
            !loaded.ok())
            options = Failure{loaded.error()};
    }
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
    const std::unique_ptr<Command> command = commandFor(*options);
    return count(*options, *command);
}

int OrvantaCount::count(const CountOptions &options, Command &command)
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
    ScanResult found = expandInputs(options.inputs, *m_host, m_host->stopSource().get_token());
    const qsizetype firstReference = found.rows.size();
    if (!options.references.isEmpty() && !found.rows.isEmpty())
        found.append(expandInputs(options.references, *m_host, m_host->stopSource().get_token()));
    if (m_interrupt != 0)
        return 128 + m_interrupt;
    if (found.skippedNames > 0 && !options.quiet)
        say(skippedNamesText(found.skippedNames));
    if (found.rows.isEmpty()) {
        say(QStringLiteral("no PDF files found"));
        return kInputFailed;
    }
    if (!options.references.isEmpty() && found.rows.size() == firstReference) {
        say(QStringLiteral("no PDF files found among the reference inputs"));
        return kInputFailed;
    }
    command.setFirstReference(firstReference);
    if (const QString refused = refusedInputs(options, found.rows); !refused.isEmpty()) {
        writeText(m_err, QStringLiteral("%1: %2\n").arg(kProgram, refused));
        return kUsageError;
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
    run.memoryLimit = std::uint64_t(options.memoryLimit);
    run.spillFolder = options.spillDir;
    run.rowsWhenPrinted = true;
    const std::vector<int> lengths = command.prepare(run);
    const RunOutcome outcome = m_counter ? m_counter(*m_run, found.rows, lengths, run)
                                         : m_run->run(found.rows, lengths, run);
    m_host->clearProgress();
    return finish(options, command, outcome);
}

int OrvantaCount::finish(const CountOptions &options, Command &command, const RunOutcome &outcome)
{
    if (outcome.cancelled || m_interrupt != 0)
        return stopped();
    if (!outcome.converterProblem.isEmpty()) {
        say(outcome.converterProblem);
        return kInputFailed;
    }
    for (const FileFailure &failure : outcome.failures)
        say(failure.path + failure.reason);
    if (const Status printable = command.check(outcome); !printable.ok()) {
        say(printable.error());
        return kInputFailed;
    }
    if (command.measuresCorpus() && !options.quiet)
        say(corpusSizeText(outcome.corpus));
    if (!print(options, command, outcome))
        return m_interrupt != 0 ? stopped() : kInputFailed;
    const bool failed =
        !outcome.failures.empty() || m_host->reports() > 0 || command.missedInputs();
    return failed ? kInputFailed : kSuccess;
}

bool OrvantaCount::print(const CountOptions &options, Command &command, const RunOutcome &outcome)
{
    Destination destination(m_out, m_writesOutputFile ? options.output : QString(),
                            m_host->stopSource().get_token());
    bool written = destination.open();
    if (written && options.passages > 0) {
        if (const QString leftOut = leftOutPassagesText(outcome.passages); !leftOut.isEmpty())
            say(leftOut);
    }
    if (written) {
        RecordWriter writer(options.format, command.fieldNames(), options.header);
        if (command.measuresCorpus())
            writer.setHeaderObject(QStringLiteral("corpus"), corpusFields(outcome.corpus));
        RecordStream out(destination, writer);
        written = command.print(outcome, out);
        // Rows counted within a memory limit are counted as they are printed: an interrupt or
        // a spill file that cannot be read ends the printing.
        if (!written && m_interrupt != 0 && m_interrupt != SIGPIPE)
            return false;
        if (!written && !command.failure().isEmpty()) {
            say(command.failure());
            return false;
        }
    }
    if (written && destination.finish())
        return true;
    if (m_interrupt != 0)
        return false; // stopped: a file is left as it was
    // A reader that went away (`| head`) ends the command as SIGPIPE would, quietly.
    if (options.output.isEmpty() && takePendingBrokenPipe()) {
        m_interrupt = SIGPIPE;
        return false;
    }
    say(QStringLiteral("cannot write the results: ") + destination.errorString());
    return false;
}

int OrvantaCount::stopped()
{
    const int signal = m_interrupt != 0 ? m_interrupt.load() : SIGINT;
    if (signal != SIGPIPE)
        say(QStringLiteral("cancelled"));
    return 128 + signal;
}

void OrvantaCount::interrupt(int signal)
{
    m_interrupt = signal;
    m_host->stopSource().request_stop();
    m_run->cancel();
}

} // namespace orvanta
