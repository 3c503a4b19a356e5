#include "cli/CountOptions.h"

#include "phrases/LengthList.h"
#include "results/LetterShare.h"
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
        {"format", "tsv, csv, json or jsonl (default: as -o ends).", "format", "tsv"},
        {"no-header", "Leave out the header line of tsv and csv."},
        {{"o", "output"}, "Write to this file, replaced only when complete.", "file"},
        {"where", "Print where a phrase occurs: file, page, line.", "phrase"},
        {"passages", "Print repeated passages of n+ words (default 8).", "n"},
        {"passage-letters", "Passages need p% letter words (default 50).", "p", "50"},
        {"closed", "Hide phrases in longer ones of equal frequency."},
        {"stop-words", "Hide phrases of stop words: a language or file.", "list"},
        {"stop-words-edges", "Hide phrases that start or end with stop words."},
        {"match", "Show phrases matching a pattern with * and ?.", "pattern"},
        {"match-regex", "Show phrases matching a regular expression.", "re"},
        {"dispersion", "Add the columns per_million and dp."},
        {"by-file", "Print each phrase's frequency in each file."},
        {"reference", "Compare with these inputs (keyness); repeatable.", "input"},
        {"overlap", "Print pairs of inputs sharing n words (def. 8).", "n"},
        {"overlap-ignore-common", "Share no stretch found in over p% of files.", "p", "100"},
        {"join-wrapped-lines", "Let phrases cross line breaks in paragraphs."},
        {"rejoin-hyphens", "Rejoin words hyphenated at line ends."},
        {"drop-running-heads", "Leave out running heads, feet, page numbers."},
        {"ignore-punctuation", "Ignore punctuation around words."},
        {"normalise-characters", "Normalise ligatures, wide forms, hard spaces."},
        {"words-need-letters", "Count only words with a letter or digit."},
        {"as-read", "All five text options above."},
        {"ocr", "Read scanned pages with OCR (text recognition)."},
        {"ocr-language", "OCR languages, such as eng+deu (default eng).", "langs", "eng"},
        {"keep-text", "Keep converted texts here for later runs.", "folder"},
        {"ask-password", "Ask for each PDF's password (blank for none)."},
        {{"j", "jobs"}, "Convert n PDFs at once (default: one per core).", "n", "0"},
        {"convert-timeout", "Give up on a PDF after n seconds (default 120).", "n", "120"},
        {"convert-memory", "Memory one conversion may take (default 2G).", "size", "2G"},
        {"memory-limit", "Count within this memory, spilling to disk (8G).", "size"},
        {"spill-dir", "Folder for the spill files of --memory-limit.", "folder"},
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

// The options whose number may be left out, and the number they then take.
constexpr int kDefaultPassageWords = 8;
constexpr int kDefaultOverlapWords = 8;
const QHash<QString, int> &defaultWordsOf()
{
    static const QHash<QString, int> defaults{{QStringLiteral("--passages"), kDefaultPassageWords},
                                              {QStringLiteral("--overlap"), kDefaultOverlapWords}};
    return defaults;
}

// --passages and --overlap take their number only when one follows: "--passages 12",
// "--passages=12", or "--passages" alone for the default.
QStringList withOptionalNumbersGiven(const QStringList &arguments)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (i == 0 || !defaultWordsOf().contains(argument)) {
            given << argument;
        } else if (i + 1 < arguments.size() && number.match(arguments[i + 1]).hasMatch()) {
            given << argument + QLatin1Char('=') + arguments[++i];
        } else {
            given << argument + QStringLiteral("=%1").arg(defaultWordsOf().value(argument));
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

// The least memory a count can be limited to: the buffers and rows of a partitioned count.
constexpr qint64 kLeastMemoryLimit = qint64(64) << 20;

Status readMemoryLimit(const QCommandLineParser &parser, CountOptions &options)
{
    options.spillDir = parser.value(QStringLiteral("spill-dir"));
    if (!parser.isSet(QStringLiteral("memory-limit"))) {
        if (!options.spillDir.isEmpty())
            return Failure{QStringLiteral("--spill-dir needs --memory-limit")};
        return {};
    }
    const QString size = parser.value(QStringLiteral("memory-limit"));
    options.memoryLimit = parseByteSize(size);
    if (options.memoryLimit < kLeastMemoryLimit)
        return Failure{QStringLiteral("--memory-limit takes a size of at least 64M, such as 8G "
                                      "or 300M, not \"%1\"")
                           .arg(size)};
    // Rows counted within a limit are printed as they come: what needs them all at once, or
    // their counts in each file, cannot be had that way.
    for (const char *other : {"closed", "stop-words", "match", "match-regex", "dispersion",
                              "by-file", "reference", "overlap"}) {
        if (parser.isSet(QLatin1String(other)))
            return Failure{QStringLiteral("--memory-limit and --%1 cannot be used together")
                               .arg(QLatin1String(other))};
    }
    return {};
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
    text.wordsNeedLetters = parser.isSet(QStringLiteral("words-need-letters"));
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
    options.sortChosen = parser.isSet(QStringLiteral("sort"));
    // Passages come longest first by default, the most frequent first among equals.
    if (options.passages > 0 && !parser.isSet(QStringLiteral("sort"))) {
        options.rows.order = RowOrder::Words;
        options.rows.reverse = !options.rows.reverse;
    }
    return {};
}

Result<double> percentage(const QCommandLineParser &parser, const QString &name)
{
    bool valid = false;
    const double value = parser.value(name).toDouble(&valid);
    if (!valid || !(value >= 0 && value <= 100))
        return Failure{QStringLiteral("--%1 takes a percentage from 0 to 100").arg(name)};
    return value;
}

// What hides rows: closed phrases, stop words, a pattern, the letter share of passages.
Status readFilters(const QCommandLineParser &parser, CountOptions &options)
{
    RowFilters &filters = options.filters;
    filters.closed = parser.isSet(QStringLiteral("closed"));
    options.stopWordList = parser.value(QStringLiteral("stop-words"));
    if (parser.isSet(QStringLiteral("stop-words")) && options.stopWordList.isEmpty())
        return Failure{QStringLiteral("--stop-words takes a language or a file")};
    const bool edges = parser.isSet(QStringLiteral("stop-words-edges"));
    if (edges && options.stopWordList.isEmpty())
        return Failure{QStringLiteral("--stop-words-edges needs --stop-words")};
    if (!options.stopWordList.isEmpty())
        filters.stopWordMode = edges ? StopWordMode::StopWordAtEdge : StopWordMode::OnlyStopWords;
    const bool wildcards = parser.isSet(QStringLiteral("match"));
    const bool regex = parser.isSet(QStringLiteral("match-regex"));
    if (wildcards && regex)
        return Failure{QStringLiteral("--match and --match-regex cannot be used together")};
    if (wildcards || regex) {
        Result<PhrasePattern> pattern = PhrasePattern::make(
            parser.value(wildcards ? QStringLiteral("match") : QStringLiteral("match-regex")),
            wildcards ? PhrasePattern::Kind::Wildcards : PhrasePattern::Kind::RegularExpression);
        if (!pattern.ok())
            return Failure{QStringLiteral("--match-regex: ") + pattern.error()};
        filters.pattern = std::move(*pattern);
    }
    const Result<double> letters = percentage(parser, QStringLiteral("passage-letters"));
    if (!letters.ok())
        return Failure{letters.error()};
    if (options.passages > 0)
        filters.minimumLetterShare = *letters / 100;
    if (filters.closed && options.passages > 0)
        return Failure{QStringLiteral("--closed applies to phrases, not to --passages")};
    const bool filtering =
        filters.closed || !options.stopWordList.isEmpty() || !filters.pattern.isEmpty();
    if (filtering && (!options.where.isEmpty() || options.overlap > 0))
        return Failure{QStringLiteral("--closed, --stop-words and --match choose phrases and "
                                      "passages: not with --where or --overlap")};
    return {};
}

// The modes besides counting, of which one at a time: --where, --passages, --by-file,
// --reference, --overlap; --dispersion goes with counting and --by-file.
Status readModes(const QCommandLineParser &parser, CountOptions &options)
{
    options.dispersion = parser.isSet(QStringLiteral("dispersion"));
    options.byFile = parser.isSet(QStringLiteral("by-file"));
    options.references = parser.values(QStringLiteral("reference"));
    if (parser.isSet(QStringLiteral("overlap"))) {
        const Result<int> words = wholeNumber(parser, QStringLiteral("overlap"), 1);
        if (!words.ok())
            return Failure{words.error()};
        options.overlap = *words;
    }
    const Result<double> common = percentage(parser, QStringLiteral("overlap-ignore-common"));
    if (!common.ok())
        return Failure{common.error()};
    if (options.overlap > 0 && options.inputs.contains(QStringLiteral("-")))
        return Failure{QStringLiteral("--overlap reads its inputs twice: save standard input to "
                                      "a file first")};
    if (parser.isSet(QStringLiteral("overlap-ignore-common")) && options.overlap == 0)
        return Failure{QStringLiteral("--overlap-ignore-common needs --overlap")};
    options.overlapIgnoreAbovePercent = *common;
    QStringList modes;
    for (const char *mode : {"where", "passages", "by-file", "reference", "overlap"}) {
        if (parser.isSet(QLatin1String(mode)))
            modes << QStringLiteral("--") + QLatin1String(mode);
    }
    if (modes.size() > 1)
        return Failure{QStringLiteral("%1 and %2 cannot be used together").arg(modes[0], modes[1])};
    if (options.dispersion && !modes.isEmpty() && modes[0] != QLatin1String("--by-file"))
        return Failure{QStringLiteral("--dispersion and %1 cannot be used together").arg(modes[0])};
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
    if (!parser.parse(withOptionalNumbersGiven(arguments)))
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
    if (const Status modes = readModes(parser, options); !modes.ok())
        return Failure{modes.error()};
    if (const Status filters = readFilters(parser, options); !filters.ok())
        return Failure{filters.error()};
    if (const Status limit = readMemoryLimit(parser, options); !limit.ok())
        return Failure{limit.error()};
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

Status loadStopWords(CountOptions &options, const QString &dataFolder)
{
    if (options.stopWordList.isEmpty())
        return {};
    Result<StopWords> words = StopWords::fromLanguageOrFile(options.stopWordList, dataFolder);
    if (!words.ok())
        return Failure{QStringLiteral("--stop-words: ") + words.error()};
    options.filters.stopWords = std::make_shared<const StopWords>(std::move(*words));
    return {};
}

} // namespace orvanta
