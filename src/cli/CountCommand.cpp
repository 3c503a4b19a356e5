#include "cli/CountCommand.h"

#include "base/ErrorReport.h"
#include "extract/TextReader.h"
#include "phrases/LengthList.h"
#include "phrases/PhraseTable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>

#include <string>

namespace orvanta {

namespace {

enum ExitCode { kSuccess = 0, kInputFailed = 1, kUsageError = 2 };

const QString kProgram = QStringLiteral("orvanta-count");

void writeText(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

// Prints reports on stderr with plain line ends and remembers that one was made.
class StderrSink : public ErrorSink {
public:
    explicit StderrSink(QIODevice &err)
        : m_err(err)
    {
    }

    void report(const ErrorReport &report) override
    {
        QString text = report.message();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        writeText(m_err, kProgram + QStringLiteral(": ") + text + QLatin1Char('\n'));
        ++m_reports;
    }

    int reports() const { return m_reports; }

private:
    QIODevice &m_err;
    int m_reports = 0;
};

struct Options {
    QString lengths;
    bool header = true;
    QStringList inputs;
};

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Counts how often phrases of the given lengths occur across text files and lists the "
        "phrases seen at least twice, least frequent first."));
    parser.addOption({{QStringLiteral("l"), QStringLiteral("lengths")},
                      QStringLiteral("Phrase lengths in words, separated by comma or space, "
                                     "such as \"2, 5, 6\" (default 4)."),
                      QStringLiteral("list"),
                      QStringLiteral("4")});
    parser.addOption(
        {QStringLiteral("no-header"), QStringLiteral("Do not print the header line.")});
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Text files to count."),
                                 QStringLiteral("FILE..."));
}

// Reads one input into the table; false when it could not be read.
bool countFile(const QString &path, PhraseTable &table, QIODevice &err)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        writeText(err, QStringLiteral("%1: %2: no such file\n").arg(kProgram, path));
        return false;
    }
    if (info.isDir()) {
        writeText(err, QStringLiteral("%1: %2: is a folder\n").arg(kProgram, path));
        return false;
    }
    StderrSink sink(err);
    const LineSequence lines = readFileToStringFSOLine(path, sink);
    if (sink.reports() > 0)
        return false;
    table.countLines(lines);
    return true;
}

void printResults(const PhraseResults &results, bool header, QIODevice &out)
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
            out.write(buffer.data(), qint64(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), qint64(buffer.size()));
}

} // namespace

int runCountCommand(const QStringList &arguments, QIODevice &out, QIODevice &err)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) {
        writeText(err,
                  QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(kProgram, parser.errorText()));
        return kUsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        writeText(out, parser.helpText());
        return kSuccess;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        writeText(out,
                  QStringLiteral("%1 %2\n").arg(kProgram, QCoreApplication::applicationVersion()));
        return kSuccess;
    }

    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty()) {
        writeText(err, QStringLiteral("%1: no input files\nTry '%1 --help'.\n").arg(kProgram));
        return kUsageError;
    }
    const std::vector<int> lengths = distinctCountableLengths(
        buildLengthList(LengthBoxes{}, parser.value(QStringLiteral("lengths"))));
    if (lengths.empty()) {
        writeText(err,
                  QStringLiteral("%1: You forgot to select number of phrases.\n").arg(kProgram));
        return kUsageError;
    }

    PhraseTable table(lengths);
    bool allRead = true;
    for (const QString &path : inputs)
        allRead = countFile(path, table, err) && allRead;

    PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    printResults(results, !parser.isSet(QStringLiteral("no-header")), out);
    return allRead ? kSuccess : kInputFailed;
}

} // namespace orvanta
