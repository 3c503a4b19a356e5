#include "cli/CountCommand.h"

#include "base/ErrorReport.h"
#include "extract/ConverterDeployment.h"
#include "filelist/FolderScan.h"
#include "phrases/LengthList.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

#include <cstdio>
#include <string>
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

QStringList expandInputs(const QStringList &inputs, ErrorSink &errors)
{
    QStringList paths;
    for (const QString &input : inputs) {
        if (QFileInfo(input).isDir())
            paths += filesInFolderTree(input, QLatin1String(kScanPattern), errors);
        else
            paths << input;
    }
    return paths;
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
        return m_readPassword ? m_readPassword(plainLineEnds(prompt)) : QString();
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
            line = QStringLiteral("Converting %1 of %2: %3")
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

    void report(const ErrorReport &report) override
    {
        clearProgress();
        writeText(m_err, kProgram + QStringLiteral(": ") + plainLineEnds(report.message()) +
                             QLatin1Char('\n'));
        ++m_reports;
    }

    PhraseResults takeResults() { return std::move(m_results); }
    int reports() const { return m_reports; }

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
};

CountCommand::CountCommand(QIODevice &out, QIODevice &err)
    : m_out(out)
    , m_err(err)
    , m_readPassword(readPasswordFromTerminal)
    , m_host(std::make_unique<Host>(err, m_readPassword, m_showProgress))
    , m_run(*m_host)
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

    const QStringList paths = expandInputs(inputs, *m_host);
    if (paths.isEmpty()) {
        writeText(m_err, QStringLiteral("%1: no PDF files found\n").arg(kProgram));
        return kInputFailed;
    }
    CountingRunOptions options;
    options.promptForPassword = parser.isSet(QStringLiteral("ask-password"));
    options.readTextFilesDirectly = true;
    options.parallelConversions = jobs;
    const RunOutcome outcome = m_run.run(paths, lengths, options);
    if (outcome.usedConverter)
        removeConverter();
    if (outcome.cancelled) {
        writeText(m_err, QStringLiteral("%1: cancelled\n").arg(kProgram));
        return kCancelled;
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

QString readPasswordFromTerminal(const QString &prompt)
{
    FILE *terminal = std::fopen("/dev/tty", "r+");
    if (!terminal)
        return {};
    std::fputs(prompt.toLocal8Bit().constData(), terminal);
    std::fputc('\n', terminal);
    std::fflush(terminal);
    const int fd = fileno(terminal);
    termios saved{};
    const bool isTerminal = tcgetattr(fd, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    char buffer[4096] = {};
    const bool read = std::fgets(buffer, sizeof buffer, terminal) != nullptr;
    if (isTerminal)
        tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputc('\n', terminal);
    std::fclose(terminal);
    QString password = read ? QString::fromLocal8Bit(buffer) : QString();
    while (password.endsWith(QLatin1Char('\n')) || password.endsWith(QLatin1Char('\r')))
        password.chop(1);
    return password;
}

} // namespace orvanta
