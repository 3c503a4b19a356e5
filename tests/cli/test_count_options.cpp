// orvanta-count's command line, read into its options: every option, table-driven, and every
// usage error with the message that names it.

#include "QtPrinters.h"
#include "cli/CountOptions.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvanta;

namespace {

Result<CountOptions> parse(const QStringList &arguments)
{
    return parseCountOptions(QStringList{QStringLiteral("orvanta-count")} + arguments);
}

struct OptionsCase {
    const char *name;
    QStringList arguments;
    std::function<void(const CountOptions &)> expect;
};

class CountOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

struct UsageErrorCase {
    const char *name;
    QStringList arguments;
    const char *message; // what the error says, in part
};

class CountOptionsErrorTest : public ::testing::TestWithParam<UsageErrorCase> {};

} // namespace

TEST_P(CountOptionsTest, ReadsTheCommandLine)
{
    const Result<CountOptions> options = parse(GetParam().arguments);
    ASSERT_TRUE(options.ok()) << options.error().toStdString();
    GetParam().expect(*options);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CountOptionsTest,
    ::testing::Values(
        OptionsCase{"Defaults",
                    {"a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.request, CountOptions::Request::Count);
                        EXPECT_EQ(o.inputs, QStringList{"a.txt"});
                        EXPECT_EQ(o.lengths, std::vector<int>{4});
                        EXPECT_EQ(o.rows.minimumFrequency, 2);
                        EXPECT_EQ(o.rows.minimumFiles, 1);
                        EXPECT_EQ(o.rows.order, RowOrder::Frequency);
                        EXPECT_FALSE(o.rows.reverse);
                        EXPECT_EQ(o.rows.top, -1);
                        EXPECT_EQ(o.format, OutputFormat::Tsv);
                        EXPECT_TRUE(o.header);
                        EXPECT_FALSE(o.files || o.askPassword || o.quiet || o.text.any());
                        EXPECT_TRUE(o.output.isEmpty() && o.where.isEmpty() &&
                                    o.keepTextIn.isEmpty() && o.recognitionLanguages.isEmpty());
                        EXPECT_EQ(o.passages, 0);
                        EXPECT_EQ(o.jobs, 0);
                    }},
        OptionsCase{"LengthsAndRanges",
                    {"-l", "2-4, 7", "a.txt", "-", "folder"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.lengths, (std::vector<int>{2, 3, 4, 7}));
                        EXPECT_EQ(o.inputs, (QStringList{"a.txt", "-", "folder"}));
                    }},
        OptionsCase{"BoundsOrderAndTop",
                    {"--min-frequency", "3", "--min-files", "2", "--sort", "files", "--reverse",
                     "--top", "5", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.rows.minimumFrequency, 3);
                        EXPECT_EQ(o.rows.minimumFiles, 2);
                        EXPECT_EQ(o.rows.order, RowOrder::Files);
                        EXPECT_TRUE(o.rows.reverse);
                        EXPECT_EQ(o.rows.top, 5);
                    }},
        OptionsCase{"OutputChoices",
                    {"--format", "jsonl", "--no-header", "--files", "-o", "out.jsonl", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.format, OutputFormat::JsonLines);
                        EXPECT_FALSE(o.header);
                        EXPECT_TRUE(o.files);
                        EXPECT_EQ(o.output, QStringLiteral("out.jsonl"));
                    }},
        // The output file's ending chooses among the formats; --format wins.
        OptionsCase{"OutputEndingChoosesTheFormat",
                    {"-o", "out.JSON", "a.txt"},
                    [](const CountOptions &o) { EXPECT_EQ(o.format, OutputFormat::Json); }},
        OptionsCase{"OutputEndingJsonLines",
                    {"-o", "dir.csv/out.jsonl", "a.txt"},
                    [](const CountOptions &o) { EXPECT_EQ(o.format, OutputFormat::JsonLines); }},
        OptionsCase{"FormatWinsOverTheEnding",
                    {"--format", "tsv", "-o", "out.csv", "a.txt"},
                    [](const CountOptions &o) { EXPECT_EQ(o.format, OutputFormat::Tsv); }},
        OptionsCase{"AnUnknownEndingIsTsv",
                    {"-o", "json", "a.txt"},
                    [](const CountOptions &o) { EXPECT_EQ(o.format, OutputFormat::Tsv); }},
        // The phrase is compared as counted: lower case, single spaces.
        OptionsCase{
            "WhereTakesThePhraseAsCounted",
            {"--where", " The  END\tof ", "a.txt"},
            [](const CountOptions &o) { EXPECT_EQ(o.where, QStringLiteral("the end of")); }},
        // Passages come longest first, the most frequent first among equals.
        OptionsCase{"PassagesAloneTakeEightWordsLongestFirst",
                    {"--passages", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.passages, 8);
                        EXPECT_EQ(o.inputs, QStringList{"a.txt"});
                        EXPECT_EQ(o.rows.order, RowOrder::Words);
                        EXPECT_TRUE(o.rows.reverse);
                    }},
        OptionsCase{"PassagesTakeAFollowingNumberAndAChosenOrder",
                    {"--passages", "12", "--sort", "phrase", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.passages, 12);
                        EXPECT_EQ(o.rows.order, RowOrder::Phrase);
                        EXPECT_FALSE(o.rows.reverse);
                    }},
        OptionsCase{"AfterADoubleDashEverythingIsAnInput",
                    {"--passages=3", "--", "--passages", "-l"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.passages, 3);
                        EXPECT_EQ(o.inputs, (QStringList{"--passages", "-l"}));
                    }},
        OptionsCase{"AsReadTurnsOnEveryTextOption",
                    {"--as-read", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.text, (TextOptions{true, true, true, true, true}));
                    }},
        OptionsCase{"EachTextOptionAlone",
                    {"--join-wrapped-lines", "--ignore-punctuation", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.text, (TextOptions{true, false, false, true, false}));
                    }},
        OptionsCase{
            "OcrReadsInEnglishByDefault",
            {"--ocr", "a.pdf"},
            [](const CountOptions &o) { EXPECT_EQ(o.recognitionLanguages, QStringList{"eng"}); }},
        OptionsCase{"OcrLanguagesAreSplitAtPlusCommaOrBlank",
                    {"--ocr-language", "eng+deu, fra", "a.pdf"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.recognitionLanguages, (QStringList{"eng", "deu", "fra"}));
                    }},
        OptionsCase{"RunChoices",
                    {"--keep-text", "kept", "--ask-password", "-j", "3", "-q", "a.pdf"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.keepTextIn, QStringLiteral("kept"));
                        EXPECT_TRUE(o.askPassword);
                        EXPECT_EQ(o.jobs, 3);
                        EXPECT_TRUE(o.quiet);
                    }},
        OptionsCase{"HelpNeedsNoInput",
                    {"--help"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.request, CountOptions::Request::Help);
                        EXPECT_TRUE(o.helpText.contains(QStringLiteral("--lengths")));
                    }},
        OptionsCase{
            "VersionNeedsNoInput",
            {"--version"},
            [](const CountOptions &o) { EXPECT_EQ(o.request, CountOptions::Request::Version); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(CountOptionsErrorTest, IsAUsageErrorNamingWhatIsWrong)
{
    const Result<CountOptions> options = parse(GetParam().arguments);
    ASSERT_FALSE(options.ok());
    EXPECT_TRUE(options.error().contains(QString::fromUtf8(GetParam().message)))
        << options.error().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    UsageErrors, CountOptionsErrorTest,
    ::testing::Values(
        UsageErrorCase{"NoInput", {"-l", "3"}, "no input files"},
        UsageErrorCase{"UnknownOption", {"--bogus", "a.txt"}, "bogus"},
        UsageErrorCase{
            "LengthNotANumber", {"-l", "2 to 4", "a.txt"}, "\"to\" is not a phrase length"},
        UsageErrorCase{"LengthZero", {"-l", "0", "a.txt"}, "\"0\" is not a phrase length"},
        UsageErrorCase{"RangeBackwards", {"-l", "5-2", "a.txt"}, "\"5-2\" is not a phrase length"},
        UsageErrorCase{"MinimumFrequencyBelowTwo",
                       {"--min-frequency", "1", "a.txt"},
                       "--min-frequency takes a whole number of at least 2"},
        UsageErrorCase{"MinimumFilesBelowOne",
                       {"--min-files", "0", "a.txt"},
                       "--min-files takes a whole number of at least 1"},
        UsageErrorCase{
            "JobsNotANumber", {"-j", "many", "a.txt"}, "--jobs takes a whole number of at least 0"},
        UsageErrorCase{
            "TopNegative", {"--top=-1", "a.txt"}, "--top takes a whole number of at least 0"},
        UsageErrorCase{"UnknownSortKey",
                       {"--sort", "size", "a.txt"},
                       "--sort takes frequency, phrase, words or files, not \"size\""},
        UsageErrorCase{"UnknownFormat",
                       {"--format", "xml", "a.txt"},
                       "--format takes tsv, csv, json or jsonl, not \"xml\""},
        UsageErrorCase{"PassagesOfNoWords",
                       {"--passages", "0", "a.txt"},
                       "--passages takes a whole number from 1 to 100000"},
        UsageErrorCase{"PassagesPastTheLongest",
                       {"--passages", "100001", "a.txt"},
                       "--passages takes a whole number from 1 to 100000"},
        UsageErrorCase{"WhereWithoutAPhrase", {"--where", "  ", "a.txt"}, "--where takes a phrase"},
        UsageErrorCase{"WhereAndPassages",
                       {"--where", "x y", "--passages", "a.txt"},
                       "--where and --passages cannot be used together"},
        UsageErrorCase{"OcrWithoutALanguage",
                       {"--ocr-language", "+", "a.pdf"},
                       "--ocr-language takes one or more languages"}),
    [](const auto &info) { return std::string(info.param.name); });

// Filters, measures and overlap.
INSTANTIATE_TEST_SUITE_P(
    ListOptions, CountOptionsTest,
    ::testing::Values(
        OptionsCase{
            "FiltersAndLetterWords",
            {"--closed", "--stop-words", "de", "--match", "the *", "--words-need-letters", "a.txt"},
            [](const CountOptions &o) {
                EXPECT_TRUE(o.filters.closed && o.text.wordsNeedLetters);
                EXPECT_FALSE(o.text.reassemblesLines());
                EXPECT_EQ(o.stopWordList, QStringLiteral("de"));
                EXPECT_EQ(o.filters.stopWordMode, StopWordMode::OnlyStopWords);
                EXPECT_TRUE(o.filters.pattern.matches("the end"));
                EXPECT_FALSE(o.filters.pattern.matches("at the end"));
                EXPECT_EQ(o.filters.minimumLetterShare, 0);
            }},
        OptionsCase{
            "StopWordsAtTheEdgesAndARegularExpression",
            {"--stop-words", "list.txt", "--stop-words-edges", "--match-regex", "^the\\b", "a.txt"},
            [](const CountOptions &o) {
                EXPECT_EQ(o.filters.stopWordMode, StopWordMode::StopWordAtEdge);
                EXPECT_TRUE(o.filters.pattern.matches("the end"));
                EXPECT_FALSE(o.filters.pattern.matches("theme"));
            }},
        OptionsCase{"PassagesNeedHalfTheirWordsWithLettersByDefault",
                    {"--passages", "a.txt"},
                    [](const CountOptions &o) { EXPECT_EQ(o.filters.minimumLetterShare, 0.5); }},
        OptionsCase{"DispersionByFile",
                    {"--dispersion", "--by-file", "a.txt"},
                    [](const CountOptions &o) { EXPECT_TRUE(o.dispersion && o.byFile); }},
        OptionsCase{"ReferencesRepeatAndLeaveTheOrderToThem",
                    {"--reference", "old", "--reference", "b.pdf", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_FALSE(o.dispersion || o.byFile || o.sortChosen);
                        EXPECT_EQ(o.references, (QStringList{"old", "b.pdf"}));
                        EXPECT_EQ(o.inputs, QStringList{"a.txt"});
                    }},
        OptionsCase{"OverlapAloneTakesEightWordsAndLeavesNothingOut",
                    {"--overlap", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.overlap, 8);
                        EXPECT_EQ(o.overlapIgnoreAbovePercent, 100);
                    }},
        OptionsCase{"OverlapTakesAFollowingNumberAndACommonShare",
                    {"--overlap", "5", "--overlap-ignore-common", "12.5", "a.txt"},
                    [](const CountOptions &o) {
                        EXPECT_EQ(o.overlap, 5);
                        EXPECT_EQ(o.overlapIgnoreAbovePercent, 12.5);
                    }}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ListErrors, CountOptionsErrorTest,
    ::testing::Values(UsageErrorCase{"StopWordEdgesWithoutAList",
                                     {"--stop-words-edges", "a.txt"},
                                     "--stop-words-edges needs --stop-words"},
                      UsageErrorCase{"TwoKindsOfPattern",
                                     {"--match", "a*", "--match-regex", "a", "a.txt"},
                                     "--match and --match-regex cannot be used together"},
                      UsageErrorCase{"ABrokenRegularExpression",
                                     {"--match-regex", "(a", "a.txt"},
                                     "--match-regex: "},
                      UsageErrorCase{"PassageLettersAboveAHundred",
                                     {"--passages", "--passage-letters", "101", "a.txt"},
                                     "--passage-letters takes a percentage from 0 to 100"},
                      UsageErrorCase{"ClosedPassages",
                                     {"--passages", "--closed", "a.txt"},
                                     "--closed applies to phrases, not to --passages"},
                      UsageErrorCase{"APatternForPairs",
                                     {"--overlap", "--match", "x*", "a.txt"},
                                     "not with --where or --overlap"},
                      UsageErrorCase{"TwoModes",
                                     {"--by-file", "--reference", "b.txt", "a.txt"},
                                     "--by-file and --reference cannot be used together"},
                      UsageErrorCase{"DispersionOfPassages",
                                     {"--dispersion", "--passages", "a.txt"},
                                     "--dispersion and --passages cannot be used together"},
                      UsageErrorCase{"OverlapOfStandardInput",
                                     {"--overlap", "a.txt", "-"},
                                     "--overlap reads its inputs twice"},
                      UsageErrorCase{"CommonShareWithoutOverlap",
                                     {"--overlap-ignore-common", "5", "a.txt"},
                                     "--overlap-ignore-common needs --overlap"}),
    [](const auto &info) { return std::string(info.param.name); });

// Every option fits one line of --help.
TEST(CountOptionsHelp, GivesEveryOptionOneLine)
{
    const Result<CountOptions> options = parse({QStringLiteral("--help")});
    ASSERT_TRUE(options.ok());
    const QStringList lines = options->helpText.split(QLatin1Char('\n'));
    int described = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(QStringLiteral("  -")))
            continue;
        ++described;
        EXPECT_FALSE(lines.value(i + 1).startsWith(QStringLiteral("       ")))
            << "wrapped: " << lines[i].toStdString();
    }
    EXPECT_GE(described, 22);
    for (const char *option : {"--lengths",
                               "--min-frequency",
                               "--min-files",
                               "--top",
                               "--sort",
                               "--reverse",
                               "--format",
                               "--no-header",
                               "--output",
                               "--where",
                               "--files",
                               "--as-read",
                               "--keep-text",
                               "--quiet",
                               "--words-need-letters",
                               "--closed",
                               "--stop-words-edges",
                               "--match-regex",
                               "--passage-letters",
                               "--dispersion",
                               "--by-file",
                               "--reference",
                               "--overlap-ignore-common"})
        EXPECT_TRUE(options->helpText.contains(QLatin1String(option))) << option;
}

// Conversion limits

TEST(CountOptionsLimits, SizesAndLimitsAreReadAsTypedAndNonsenseIsAUsageError)
{
    const struct {
        const char *typed;
        qint64 bytes;
    } sizes[] = {{"2G", qint64(2) << 30},
                 {"512m", qint64(512) << 20},
                 {"64M", qint64(64) << 20},
                 {"1024", 1024},
                 {" 3 K ", 3 << 10},
                 {"1.5G", 0},
                 {"G", 0},
                 {"-1M", 0},
                 {"99999999999G", 0}};
    for (const auto &[typed, bytes] : sizes)
        EXPECT_EQ(parseByteSize(QString::fromUtf8(typed)), bytes) << typed;

    const auto parse = [](const QStringList &arguments) {
        return parseCountOptions(QStringList{QStringLiteral("orvanta-count")} + arguments +
                                 QStringList{QStringLiteral("a.txt")});
    };
    const Result<CountOptions> defaults = parse({});
    ASSERT_TRUE(defaults.ok());
    EXPECT_EQ(defaults->conversionLimits, ConversionLimits());
    const Result<CountOptions> chosen =
        parse({QStringLiteral("--convert-timeout"), QStringLiteral("30"),
               QStringLiteral("--convert-memory=512M")});
    ASSERT_TRUE(chosen.ok());
    EXPECT_EQ(chosen->conversionLimits,
              (ConversionLimits{std::chrono::seconds(30), qint64(512) << 20}));
    EXPECT_EQ(parse({QStringLiteral("--convert-timeout=0")}).error(),
              "--convert-timeout takes a whole number of at least 1");
    EXPECT_EQ(parse({QStringLiteral("--convert-memory=10M")}).error(),
              "--convert-memory takes a size of at least 64 MiB, such as 2G or 512M, not \"10M\"");
}

TEST(CountOptionsLimits, AMemoryLimitAndItsSpillFolderAreReadOrNamedAsWrong)
{
    const auto parse = [](const QStringList &arguments) {
        return parseCountOptions(QStringList{QStringLiteral("orvanta-count")} + arguments +
                                 QStringList{QStringLiteral("a.txt")});
    };
    const struct {
        QStringList arguments;
        qint64 limit;
        const char *spillDir;
        const char *error;
    } cases[] = {
        {{}, 0, "", ""},
        {{QStringLiteral("--memory-limit=300M")}, qint64(300) << 20, "", ""},
        {{QStringLiteral("--memory-limit"), QStringLiteral("8G"), QStringLiteral("--spill-dir"),
          QStringLiteral("/scratch")},
         qint64(8) << 30,
         "/scratch",
         ""},
        {{QStringLiteral("--memory-limit=10M")},
         0,
         "",
         "--memory-limit takes a size of at least 64M, such as 8G or 300M, not \"10M\""},
        {{QStringLiteral("--memory-limit=lots")},
         0,
         "",
         "--memory-limit takes a size of at least 64M, such as 8G or 300M, not \"lots\""},
        {{QStringLiteral("--spill-dir=/scratch")}, 0, "", "--spill-dir needs --memory-limit"},
    };
    for (const auto &[arguments, limit, spillDir, error] : cases) {
        const Result<CountOptions> options = parse(arguments);
        EXPECT_EQ(options.error(), QString::fromUtf8(error)) << arguments.join(' ').toStdString();
        if (options.ok()) {
            EXPECT_EQ(options->memoryLimit, limit);
            EXPECT_EQ(options->spillDir, QString::fromUtf8(spillDir));
        }
    }
}
