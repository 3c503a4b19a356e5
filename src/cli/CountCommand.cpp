#include "cli/CountCommand.h"

#include "base/Descriptor.h"
#include "base/ErrorReport.h"
#include "base/PrivateFolder.h"
#include "documents/TextStore.h"
#include "filelist/FolderScan.h"
#include "phrases/LengthList.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace orvanta {

namespace {

const QString kProgram = QStringLiteral("orvanta-count");

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

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Counts how often phrases of the given lengths occur across PDF and text files and lists "
        "the phrases seen at least twice, least frequent first. Folders are searched for PDF "
        "files, subfolders included."));
    parser.addOption({{QStringLiteral("l"), QStringLiteral("lengths")},
                      QStringLiteral("Phrase lengths in words, separated by comma or space, "
                                     "such as \"2, 5, 6\" (default 4)."),
                      QStringLiteral("list"),
                      QStringLiteral("4")});
    parser.addOption(
        {QStringLiteral("no-header"), QStringLiteral("Do not print the header line.")});
    parser.addOption({QStringLiteral("ask-password"),
                      QStringLiteral("Ask for a password for each PDF (leave blank for none).")});
    parser.addOption({{QStringLiteral("j"), QStringLiteral("jobs")},
                      QStringLiteral("Convert this many PDFs at once (default: one per core)."),
                      QStringLiteral("n"),
                      QStringLiteral("0")});
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("PDF files, text files (.txt) or folders."),
                                 QStringLiteral("FILE..."));
}

ScanResult expandInputs(const QStringList &inputs, ErrorSink &errors, std::stop_token stop)
{
    ScanResult found;
    for (const QString &input : inputs) {
        if (stop.stop_requested())
            break;
        if (QFileInfo(input).isDir())
            found.append(filesInFolderTree(input, QLatin1String(kScanPattern), errors, {stop, {}}));
        else
            found.rows << input;
    }
    return found;
}

bool writeAll(QIODevice &out, const std::string &bytes)
{
    return out.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

// False when the results could not all be written (a full disk, a closed pipe).
bool printResults(const PhraseResults &results, bool header, QIODevice &out)
{
    std::string buffer;
    if (header)
        buffer = "phrase\twords\tfrequency\n";
    for (qsizetype i = 0; i < results.size(); ++i) {
        buffer.append(results.phraseUtf8(i));
        buffer.push_back('\t');
        buffer.append(std::to_string(results.wordCount(i)));
        buffer.push_back('\t');
        buffer.append(std::to_string(results.frequency(i)));
        buffer.push_back('\n');
        if (buffer.size() > (1 << 20)) {
            if (!writeAll(out, buffer))
                return false;
            buffer.clear();
        }
    }
    if (!writeAll(out, buffer))
        return false;
    auto *file = qobject_cast<QFileDevice *>(&out);
    return !file || file->flush();
}

} // namespace

// Answers the counting run on the terminal: reports and progress on stderr, results kept for
// printing.
class CountCommand::Host : public CountingRunHost, public ErrorSink {
public:
    Host(QIODevice &err, const PasswordReader &readPassword, const bool &showProgress)
        : m_err(err)
        , m_readPassword(readPassword)
        , m_showProgress(showProgress)
    {
    }

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
    void reportProgress(const RunProgress &progress) override
    {
        if (!m_showProgress)
            return;
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
        case RunProgress::Stage::Counting:
            line = QStringLiteral("Counting phrases");
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

    PhraseResults takeResults() { return std::move(m_results); }
    int reports() const { return m_reports; }
    std::stop_source &stopSource() { return m_stop; }

private:
    void clearProgress()
    {
        if (m_progressShown)
            writeText(m_err, QStringLiteral("\r\033[K"));
        m_progressShown = false;
    }

    QIODevice &m_err;
    const PasswordReader &m_readPassword;
    const bool &m_showProgress;
    bool m_progressShown = false;
    PhraseResults m_results;
    int m_reports = 0;
    std::stop_source m_stop; // ends scans and prompts on an interrupt
};

CountCommand::CountCommand(QIODevice &out, QIODevice &err)
    : m_out(out)
    , m_err(err)
    , m_readPassword(readPasswordFromTerminal)
    , m_host(std::make_unique<Host>(err, m_readPassword, m_showProgress))
    , m_store(std::make_unique<TextStore>())
    , m_run(*m_host, *m_store, locationTag(QStringLiteral("Count"), QStringLiteral("Run")))
{
}

CountCommand::~CountCommand() = default;

int CountCommand::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) {
        writeText(m_err,
                  QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(kProgram, parser.errorText()));
        return kUsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        writeText(m_out, parser.helpText());
        return kSuccess;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        writeText(m_out,
                  QStringLiteral("%1 %2\n").arg(kProgram, QCoreApplication::applicationVersion()));
        return kSuccess;
    }
    bool jobsValid = false;
    const int jobs = parser.value(QStringLiteral("jobs")).toInt(&jobsValid);
    if (!jobsValid || jobs < 0) {
        writeText(m_err, QStringLiteral("%1: --jobs takes a whole number\n").arg(kProgram));
        return kUsageError;
    }
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty()) {
        writeText(m_err, QStringLiteral("%1: no input files\nTry '%1 --help'.\n").arg(kProgram));
        return kUsageError;
    }
    const std::vector<int> lengths = distinctCountableLengths(
        buildLengthList(LengthBoxes{}, parser.value(QStringLiteral("lengths"))));
    if (lengths.empty()) {
        writeText(m_err,
                  QStringLiteral("%1: %2\n").arg(kProgram, QLatin1String(run_texts::kNoLengths)));
        return kUsageError;
    }

    const ScanResult found = expandInputs(inputs, *m_host, m_host->stopSource().get_token());
    if (m_interrupt != 0)
        return 128 + m_interrupt;
    if (found.skippedNames > 0)
        writeText(m_err, QStringLiteral("%1: %2\n").arg(kProgram, skippedNamesText(found.skippedNames)));
    const QStringList &paths = found.rows;
    if (paths.isEmpty()) {
        writeText(m_err, QStringLiteral("%1: no PDF files found\n").arg(kProgram));
        return kInputFailed;
    }
    CountingRunOptions options;
    options.promptForPassword = parser.isSet(QStringLiteral("ask-password"));
    options.readTextFilesDirectly = true;
    options.parallelConversions = jobs;
    const RunOutcome outcome = m_run.run(paths, lengths, options);
    if (outcome.cancelled || m_interrupt != 0) {
        writeText(m_err, QStringLiteral("%1: cancelled\n").arg(kProgram));
        return 128 + (m_interrupt != 0 ? m_interrupt.load() : SIGINT);
    }
    if (!outcome.converterProblem.isEmpty()) {
        writeText(m_err, QStringLiteral("%1: %2\n").arg(kProgram, outcome.converterProblem));
        return kInputFailed;
    }
    for (const FileFailure &failure : outcome.failures)
        writeText(m_err, QStringLiteral("%1: %2%3\n").arg(kProgram, failure.path, failure.reason));
    if (!printResults(m_host->takeResults(), !parser.isSet(QStringLiteral("no-header")), m_out)) {
        writeText(m_err, QStringLiteral("%1: cannot write the results: %2\n")
                             .arg(kProgram, m_out.errorString()));
        return kInputFailed;
    }
    const bool failed = !outcome.failures.empty() || m_host->reports() > 0;
    return failed ? kInputFailed : kSuccess;
}

void CountCommand::interrupt(int signal)
{
    m_interrupt = signal;
    m_host->stopSource().request_stop();
    m_run.cancel();
}

namespace {

// Puts the terminal back as it was, whatever ends the prompt.
class EchoOff {
public:
    explicit EchoOff(int fd)
        : m_fd(fd)
        , m_isTerminal(tcgetattr(fd, &m_saved) == 0)
    {
        if (!m_isTerminal)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    ~EchoOff()
    {
        if (m_isTerminal)
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }

private:
    int m_fd;
    termios m_saved{};
    bool m_isTerminal;
};

// One line from the terminal; stops waiting when a stop is requested.
std::optional<QByteArray> readTerminalLine(int fd, std::stop_token stop)
{
    const Descriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    const std::stop_callback onStop(stop, [&wake] {
        const std::uint64_t one = 1;
        (void)!::write(wake.get(), &one, sizeof one);
    });
    QByteArray line;
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return std::nullopt;
        if (fds[1].revents != 0 || stop.stop_requested())
            return std::nullopt;
        if (fds[0].revents == 0)
            continue;
        char byte = 0;
        const ssize_t got = ::read(fd, &byte, 1);
        if (got <= 0 || byte == '\n')
            return line;
        line += byte;
    }
}

} // namespace

QString readPasswordFromTerminal(const QString &prompt, std::stop_token stop)
{
    const Descriptor terminal(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!terminal.isOpen())
        return {};
    const QByteArray question = prompt.toLocal8Bit() + '\n';
    writeAll(terminal.get(), question);
    std::optional<QByteArray> line;
    {
        const EchoOff echoOff(terminal.get());
        line = readTerminalLine(terminal.get(), stop);
    }
    writeAll(terminal.get(), "\n");
    if (!line)
        return {};
    while (line->endsWith('\r'))
        line->chop(1);
    return QString::fromLocal8Bit(*line);
}

} // namespace orvanta
