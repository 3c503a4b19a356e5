#include "cli/CountOptions.h"

#include "phrases/LengthList.h"
#include "run/PassageSearch.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

namespace orvanta {

namespace {

// Each description fits one line of --help.
const QList<QCommandLineOption> &optionList()
{
    static const QList<QCommandLineOption> options{
        {{"l", "lengths"}, "Phrase lengths: numbers, ranges (default 4).", "list", "4"},
        {"min-frequency", "Show phrases seen at least n times (default 2).", "n", "2"},
        {"min-files", "Show phrases in at least n files (default 1).", "n", "1"},
        {"top", "Show only the first n rows after sorting.", "n"},
        {"sort", "Order: frequency, phrase, words or files.", "key", "frequency"},
        {"reverse", "Reverse the order."},
        {"files", "Add the column of files each phrase occurs in."},
        {"format", "Output: tsv, csv, json, jsonl (default: as -o ends).", "format", "tsv"},
        {"no-header", "Leave out the header line of tsv and csv."},
        {{"o", "output"}, "Write to this file, replaced only when complete.", "file"},
        {"where", "Print where this phrase occurs: file, page, line.", "phrase"},
        {"passages", "Print the repeated passages of n+ words (default 8).", "n"},
        {"join-wrapped-lines", "Let phrases cross line breaks in paragraphs."},
        {"rejoin-hyphens", "Rejoin words hyphenated at line ends."},
        {"drop-running-heads", "Leave out running heads, feet, page numbers."},
        {"ignore-punctuation", "Ignore punctuation around words."},
        {"normalise-characters", "Normalise ligatures, wide forms, no-break spaces."},
        {"as-read", "All five text options above."},
        {"ocr", "Read scanned pages with OCR (text recognition)."},
        {"ocr-language", "OCR languages, such as eng+deu (default eng).", "langs", "eng"},
        {"keep-text", "Keep converted texts in this folder for later runs.", "folder"},
        {"ask-password", "Ask for each PDF's password (blank for none)."},
        {{"j", "jobs"}, "Convert n PDFs at once (default: one per core).", "n", "0"},
        {"convert-timeout", "Stop converting a PDF after n seconds (default 120).", "n", "120"},
        {"convert-memory", "Memory one conversion may take (default 2G).", "size", "2G"},
        {{"q", "quiet"}, "Print nothing on stderr but errors."},
    };
    return options;
}

QString description()
{
    return QStringLiteral(
        "Counts how often phrases of the given lengths occur across PDF and text files and lists "
        "the phrases seen at least twice, least frequent first.\n"
        "Inputs: PDF files, text files (.txt), folders (searched for PDFs, subfolders "
        "included), FIFOs and devices (read as text), and - for standard input.");
}

Result<int> wholeNumber(const QCommandLineParser &parser, const QString &name, int minimum,
                        std::optional<int> maximum = std::nullopt)
{
    bool valid = false;
    const int value = parser.value(name).toInt(&valid);
    if (maximum && (!valid || value < minimum || value > *maximum))
        return Failure{QStringLiteral("--%1 takes a whole number from %2 to %3")
                           .arg(name)
                           .arg(minimum)
                           .arg(*maximum)};
    if (!valid || value < minimum)
        return Failure{
            QStringLiteral("--%1 takes a whole number of at least %2").arg(name).arg(minimum)};
    return value;
}

constexpr int kDefaultPassageWords = 8;

// --passages takes its number only when one follows: "--passages 12", "--passages=12", or
// "--passages" alone for the default.
QStringList withPassageWordsGiven(const QStringList &arguments)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (i == 0 || arguments[i] != QLatin1String("--passages")) {
            given << arguments[i];
        } else if (i + 1 < arguments.size() && number.match(arguments[i + 1]).hasMatch()) {
            given << QStringLiteral("--passages=") + arguments[++i];
        } else {
            given << QStringLiteral("--passages=%1").arg(kDefaultPassageWords);
        }
        if (arguments[i] == QLatin1String("--"))
            return given + arguments.mid(i + 1);
    }
    return given;
}

Result<ConversionLimits> conversionLimits(const QCommandLineParser &parser)
{
    const Result<int> seconds = wholeNumber(parser, QStringLiteral("convert-timeout"), 1);
    if (!seconds.ok())
        return Failure{seconds.error()};
    const QString size = parser.value(QStringLiteral("convert-memory"));
    const qint64 memory = parseByteSize(size);
    if (memory < ConversionLimits::kLeastMemory)
        return Failure{QStringLiteral("--convert-memory takes a size of at least %1, such as 2G "
                                      "or 512M, not \"%2\"")
                           .arg(describeMemoryLimit(ConversionLimits::kLeastMemory), size)};
    return ConversionLimits{std::chrono::seconds(*seconds), memory};
}

Result<RowOrder> rowOrder(const QString &key)
{
    static const QHash<QString, RowOrder> orders{{QStringLiteral("frequency"), RowOrder::Frequency},
                                                 {QStringLiteral("phrase"), RowOrder::Phrase},
                                                 {QStringLiteral("words"), RowOrder::Words},
                                                 {QStringLiteral("files"), RowOrder::Files}};
    if (!orders.contains(key))
        return Failure{
            QStringLiteral("--sort takes frequency, phrase, words or files, not \"%1\"").arg(key)};
    return orders.value(key);
}

Result<OutputFormat> outputFormat(const QString &name)
{
    static const QHash<QString, OutputFormat> formats{
        {QStringLiteral("tsv"), OutputFormat::Tsv},
        {QStringLiteral("csv"), OutputFormat::Csv},
        {QStringLiteral("json"), OutputFormat::Json},
        {QStringLiteral("jsonl"), OutputFormat::JsonLines}};
    if (!formats.contains(name))
        return Failure{
            QStringLiteral("--format takes tsv, csv, json or jsonl, not \"%1\"").arg(name)};
    return formats.value(name);
}

// The format --format names, else the one the output file's name ends in, else TSV.
Result<OutputFormat> chosenFormat(const QCommandLineParser &parser)
{
    const QString format = QStringLiteral("format");
    if (parser.isSet(format))
        return outputFormat(parser.value(format));
    const QString ending = QFileInfo(parser.value(QStringLiteral("output"))).suffix();
    const Result<OutputFormat> named = outputFormat(ending.toLower());
    return named.ok() ? named : Result<OutputFormat>(OutputFormat::Tsv);
}

TextOptions textOptions(const QCommandLineParser &parser)
{
    const bool all = parser.isSet(QStringLiteral("as-read"));
    TextOptions text;
    text.joinWrappedLines = all || parser.isSet(QStringLiteral("join-wrapped-lines"));
    text.rejoinHyphenatedWords = all || parser.isSet(QStringLiteral("rejoin-hyphens"));
    text.dropRunningHeads = all || parser.isSet(QStringLiteral("drop-running-heads"));
    text.ignorePunctuation = all || parser.isSet(QStringLiteral("ignore-punctuation"));
    text.normaliseCompatibility = all || parser.isSet(QStringLiteral("normalise-characters"));
    return text;
}

// The numbers and choices of the parsed line; the first that is wrong makes the failure.
Status readChoices(const QCommandLineParser &parser, CountOptions &options)
{
    const Result<std::vector<int>> lengths =
        parseLengthRanges(parser.value(QStringLiteral("lengths")));
    const Result<int> minFrequency = wholeNumber(parser, QStringLiteral("min-frequency"), 2);
    const Result<int> minFiles = wholeNumber(parser, QStringLiteral("min-files"), 1);
    const Result<int> jobs = wholeNumber(parser, QStringLiteral("jobs"), 0);
    const Result<RowOrder> order = rowOrder(parser.value(QStringLiteral("sort")));
    const Result<OutputFormat> format = chosenFormat(parser);
    const Result<int> top = parser.isSet(QStringLiteral("top"))
                                ? wholeNumber(parser, QStringLiteral("top"), 0)
                                : Result<int>(-1);
    const Result<int> passages =
        parser.isSet(QStringLiteral("passages"))
            ? wholeNumber(parser, QStringLiteral("passages"), 1, kMostPassageWords)
            : Result<int>(0);
    const Result<ConversionLimits> limits = conversionLimits(parser);
    for (const QString &error :
         {lengths.error(), minFrequency.error(), minFiles.error(), jobs.error(), order.error(),
          format.error(), top.error(), passages.error(), limits.error()}) {
        if (!error.isEmpty())
            return Failure{error};
    }
    options.conversionLimits = *limits;
    options.lengths = *lengths;
    options.rows = {*minFrequency, *minFiles, *order, parser.isSet(QStringLiteral("reverse")),
                    *top};
    options.format = *format;
    options.jobs = *jobs;
    options.passages = *passages;
    // Passages come longest first by default, the most frequent first among equals.
    if (options.passages > 0 && !parser.isSet(QStringLiteral("sort"))) {
        options.rows.order = RowOrder::Words;
        options.rows.reverse = !options.rows.reverse;
    }
    return {};
}

} // namespace

qint64 parseByteSize(const QString &text)
{
    static const QRegularExpression size(QStringLiteral("^\\s*([0-9]+)\\s*([KMG]?)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = size.match(text);
    bool ok = false;
    const qint64 number = match.hasMatch() ? match.captured(1).toLongLong(&ok) : 0;
    const int shift = QStringLiteral(" KMG").indexOf(match.captured(2).toUpper()) * 10;
    if (!ok || number > (qint64(1) << (62 - std::max(shift, 0))))
        return 0;
    return number << std::max(shift, 0);
}

Result<CountOptions> parseCountOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    parser.addOptions(optionList());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("inputs"),
                                 QStringLiteral("PDFs, text files, folders, or - (stdin)."),
                                 QStringLiteral("INPUT..."));
    if (!parser.parse(withPassageWordsGiven(arguments)))
        return Failure{parser.errorText()};

    CountOptions options;
    if (parser.isSet(help)) {
        options.request = CountOptions::Request::Help;
        options.helpText = parser.helpText();
        return options;
    }
    if (parser.isSet(version)) {
        options.request = CountOptions::Request::Version;
        return options;
    }
    if (const Status choices = readChoices(parser, options); !choices.ok())
        return Failure{choices.error()};
    options.inputs = parser.positionalArguments();
    if (options.inputs.isEmpty())
        return Failure{QStringLiteral("no input files")};
    options.header = !parser.isSet(QStringLiteral("no-header"));
    options.files = parser.isSet(QStringLiteral("files"));
    options.output = parser.value(QStringLiteral("output"));
    options.where = parser.value(QStringLiteral("where")).simplified().toLower();
    if (parser.isSet(QStringLiteral("where")) && options.where.isEmpty())
        return Failure{QStringLiteral("--where takes a phrase")};
    if (!options.where.isEmpty() && options.passages > 0)
        return Failure{QStringLiteral("--where and --passages cannot be used together")};
    options.keepTextIn = parser.value(QStringLiteral("keep-text"));
    options.askPassword = parser.isSet(QStringLiteral("ask-password"));
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    options.text = textOptions(parser);
    if (parser.isSet(QStringLiteral("ocr")) || parser.isSet(QStringLiteral("ocr-language"))) {
        static const QRegularExpression separators(QStringLiteral("[+,\\s]+"));
        options.recognitionLanguages =
            parser.value(QStringLiteral("ocr-language")).split(separators, Qt::SkipEmptyParts);
        if (options.recognitionLanguages.isEmpty())
            return Failure{QStringLiteral("--ocr-language takes one or more languages")};
    }
    return options;
}

} // namespace orvanta
