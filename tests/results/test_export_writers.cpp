#include "FileSizeCap.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "TextRows.h"
#include "XlsxReader.h"
#include "base/OutputFile.h"
#include "phrases/PhraseResults.h"
#include "results/ExportRows.h"
#include "results/ExportWriters.h"
#include "results/ResultKeyness.h"
#include "results/ResultMeasures.h"
#include "results/ResultsModel.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numeric>

using namespace orvanta;

namespace {

using Ids = std::vector<std::uint32_t>;
using Cells = QMap<QString, QString>;

// Phrases that CSV must quote, and others it must not touch.
std::shared_ptr<const PhraseResults> tricky()
{
    auto results = std::make_shared<PhraseResults>();
    results->append("he said \"yes\" twice", 4, 2, 1);             // 0
    results->append("a, b and c", 4, 3, 2);                        // 1
    results->append("na\xc3\xafve caf\xc3\xa9 au lait", 4, 12, 3); // 2: "naïve café au lait"
    results->append("=sum(a1) here", 2, 1234567, 1);               // 3
    results->append("plain words", 2, 5, 4);                       // 4
    results->append("ctrl\x01mark _x0041_ text", 3, 2, 1);         // 5: a control character
    return results;
}

std::shared_ptr<const PhraseResults> many()
{
    auto results = std::make_shared<PhraseResults>();
    for (int i = 0; i < 20000; ++i)
        results->append("phrase number " + std::to_string(i), 3, 2 + i % 7, 1);
    return results;
}

const ExportWriter kWorkbook = [](ExportRows &rows, OutputFile &file, std::stop_token stop) {
    return writeWorkbook(rows, file, std::move(stop));
};

Ids allOf(const PhraseResults &results)
{
    Ids ids(size_t(results.size()));
    std::iota(ids.begin(), ids.end(), 0u);
    return ids;
}

struct ListRow {
    std::string phrase;
    int words;
    int frequency;
    bool ticked;
};

// Fills the results list as a run would, then ticks.
void fill(ResultsModel &list, const std::vector<ListRow> &rows)
{
    PhraseResults results;
    for (const ListRow &row : rows)
        results.append(row.phrase, row.words, row.frequency);
    list.setResults(std::move(results));
    for (size_t i = 0; i < rows.size(); ++i)
        list.setTicked(int(i), rows[i].ticked);
}

// What python3's csv module reads from the file: one list of fields per record.
QList<QStringList> readCsvWithPython(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                  path});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QList<QStringList> records;
    for (const QJsonValue &record : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        records << record.toVariant().toStringList();
    return records;
}

class ExportWritersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
        ASSERT_FALSE(m_unzip.isEmpty()) << "unzip is needed to read workbooks back";
    }

    QString path(const char *name) const { return m_folder.filePath(QLatin1String(name)); }
    QStringList folderEntries() const
    {
        return QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden);
    }

    Status write(const char *name, ExportRows &rows, const ExportWriter &writer)
    {
        return exportToFile(path(name), rows, writer);
    }
    XlsxContents workbook(const char *name, ExportRows &rows, QStringList *skipped = nullptr)
    {
        const Status written = write(name, rows, [skipped](ExportRows &r, OutputFile &f, auto s) {
            return writeWorkbook(r, f, s, skipped);
        });
        EXPECT_TRUE(written.ok()) << written.error().toStdString();
        XlsxContents contents = readXlsx(path(name), m_unzip);
        EXPECT_EQ(contents.error, QString());
        return contents;
    }

    ScopedTmpdir m_private;
    QTemporaryDir m_folder;
    QString m_unzip;
};

} // namespace

// The rows

TEST(ExportRows, TheListsRowsShowAsTheListAndAreACopyItsChangesNeverReach)
{
    ResultsModel list;
    fill(list, {{"a b", 2, 7, true}, {"c d e", 3, 9, false}});
    ListRows ticked(list, ListRows::Rows::TickedOnly);
    ListRows all(list, ListRows::Rows::All);
    list.clear();

    EXPECT_EQ(ticked.headers(), (QStringList{"Results", " Word Count", "Frequency"}));
    ASSERT_EQ(ticked.rowCount(), 2);
    EXPECT_FALSE(ticked.isLeftOut(0));
    EXPECT_TRUE(ticked.isLeftOut(1));
    EXPECT_FALSE(all.isLeftOut(1));
    const std::span<const ExportCell> cells = all.cells(1);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].text, QByteArrayView(" c d e"));
    EXPECT_EQ(cells[1].number, 3);
    EXPECT_EQ(cells[2].number, 9);
}

TEST(ExportRows, ResultRowsFollowTheirIdsWithTheFilesColumn)
{
    ResultRows rows(tricky(), {4, 1});
    EXPECT_EQ(rows.headers(), (QStringList{"Phrase", "Words", "Frequency", "Files"}));
    const std::span<const ExportCell> cells = rows.cells(1);
    EXPECT_EQ(cells[0].text, QByteArrayView("a, b and c"));
    EXPECT_EQ(cells[3].number, 2);
}

// Files of 1 and 2 words: "a b" once in the first, "c d" once in each.
std::shared_ptr<const PhraseResults> measured(bool byFile)
{
    auto results = std::make_shared<PhraseResults>();
    if (byFile) {
        const std::uint32_t files[] = {1, 2};
        std::span<FileCount> counts = results->appendFileCounts(files);
        counts[0] = {0, 1};
        counts[1] = {0, 1};
        counts[2] = {1, 1};
    }
    results->append("a b", 2, 1, 1);
    results->append("c d", 2, 2, 2);
    return results;
}

TEST(ExportRows, ResultRowsWithMeasuresAddPerMillionAndDispersionToFourDecimals)
{
    const struct {
        bool byFile;
        std::uint32_t id;
        const char *perMillion;
        const char *dispersion;
    } cases[] = {
        {true, 0, "333333.3333", "0.6667"},
        {true, 1, "666666.6667", "0.1667"},
        {false, 1, "666666.6667", ""},
    };
    for (const auto &c : cases) {
        const std::shared_ptr<const PhraseResults> results = measured(c.byFile);
        ResultRows rows(
            results, {c.id},
            std::make_shared<const ResultMeasures>(results, CorpusSize{2, 3, 4, {1, 2}}));
        EXPECT_EQ(rows.headers(),
                  (QStringList{"Phrase", "Words", "Frequency", "Files", "Per million", "DP"}));
        const std::span<const ExportCell> cells = rows.cells(0);
        ASSERT_EQ(cells.size(), 6u);
        EXPECT_EQ(cells[4].text, QByteArrayView(c.perMillion)) << c.id;
        EXPECT_EQ(cells[5].text, QByteArrayView(c.dispersion)) << c.id << c.byFile;
    }
}

// The keyness columns follow the measures under the command line's names, with its numbers.
TEST(ExportRows, ResultRowsWithKeynessAddBothFrequenciesAndTheKeyness)
{
    const std::shared_ptr<const PhraseResults> results = measured(true);
    const CorpusSize corpus{2, 3, 4, {1, 2}};
    const FileSet sets[] = {FileSet::Target, FileSet::Reference};
    Result<ResultKeyness> keyness = ResultKeyness::make(results, corpus, sets);
    ASSERT_TRUE(keyness.ok());
    ResultRows rows(results, {1}, std::make_shared<const ResultMeasures>(results, corpus),
                    std::make_shared<const ResultKeyness>(std::move(*keyness)));
    EXPECT_EQ(rows.headers().mid(6), (QStringList{"Frequency in target", "Reference frequency",
                                                  "Log-likelihood", "Log ratio"}));
    const std::span<const ExportCell> cells = rows.cells(0);
    ASSERT_EQ(cells.size(), 10u);
    EXPECT_EQ(cells[6].number, 1); // "c d": once in each file
    EXPECT_EQ(cells[7].number, 1);
    const Keyness expected = keynessOf(1, 1, 1, 2);
    EXPECT_EQ(cells[8].text, QByteArrayView(fourDecimals(expected.logLikelihood)));
    EXPECT_EQ(cells[9].text, QByteArrayView(fourDecimals(expected.logRatio)));
    EXPECT_NE(cells[9].text, QByteArrayView("0.0000")) << "the sets differ in size";
}

// Text

TEST_F(ExportWritersTest, TextIsTheFirstCellOfEveryRowInUtf8WithCrLfAndNoMark)
{
    ResultsModel list;
    fill(list, {{"straße über alles", 3, 2, false}, {"the end", 2, 9, true}});
    ListRows rows(list, ListRows::Rows::All);
    ASSERT_TRUE(write("out.txt", rows, writeText).ok());
    EXPECT_EQ(readFile(path("out.txt")),
              QByteArray(" stra\xc3\x9f\x65 \xc3\xbc\x62\x65r alles\r\n the end\r\n"));

    ResultsModel empty;
    ListRows none(empty, ListRows::Rows::All);
    ASSERT_TRUE(write("empty.txt", none, writeText).ok());
    EXPECT_TRUE(QFile::exists(path("empty.txt")));
    EXPECT_EQ(readFile(path("empty.txt")), QByteArray());
}

// CSV

TEST(CsvField, QuotesOnlyWhatRfc4180AsksFor)
{
    const struct {
        const char *text;
        const char *field;
    } cases[] = {{"plain", "plain"},           {"", ""},
                 {"a,b", "\"a,b\""},           {"say \"hi\"", "\"say \"\"hi\"\"\""},
                 {"cr\rlf\n", "\"cr\rlf\n\""}, {"tab\tsemi;", "tab\tsemi;"},
                 {"=sum(a1)", "=sum(a1)"},     {"caf\xc3\xa9", "caf\xc3\xa9"}};
    for (const auto &c : cases)
        EXPECT_EQ(csvField(c.text), QByteArray(c.field)) << c.text;
}

TEST_F(ExportWritersTest, CsvReadBackGivesTheHeaderAndTheRowsInTheOrderGiven)
{
    ResultRows rows(tricky(), {3, 0, 2, 1, 5});
    ASSERT_TRUE(write("shown.csv", rows, writeCsv).ok());
    EXPECT_TRUE(readFile(path("shown.csv")).startsWith("Phrase,Words,Frequency,Files\r\n"));
    const QList<QStringList> expected{
        {"Phrase", "Words", "Frequency", "Files"},
        {"=sum(a1) here", "2", "1234567", "1"},
        {"he said \"yes\" twice", "4", "2", "1"},
        {QString::fromUtf8("na\xc3\xafve caf\xc3\xa9 au lait"), "4", "12", "3"},
        {"a, b and c", "4", "3", "2"},
        {QString::fromUtf8("ctrl\x01mark _x0041_ text"), "3", "2", "1"}};
    EXPECT_EQ(readCsvWithPython(path("shown.csv")), expected);
}

// Workbook

TEST_F(ExportWritersTest, AWorkbookHoldsTheHeaderTextsAndNumbers)
{
    ResultRows rows(tricky(), {3, 5, 2});
    const XlsxContents book = workbook("shown.xlsx", rows);
    const Cells expected{{"A1", "Phrase"},
                         {"B1", "Words"},
                         {"C1", "Frequency"},
                         {"D1", "Files"},
                         {"A2", "=sum(a1) here"},
                         {"B2", "<2>"},
                         {"C2", "<1234567>"},
                         {"D2", "<1>"},
                         {"A3", QString::fromUtf8("ctrl\x01mark _x0041_ text")},
                         {"B3", "<3>"},
                         {"C3", "<2>"},
                         {"D3", "<1>"},
                         {"A4", QString::fromUtf8("na\xc3\xafve caf\xc3\xa9 au lait")},
                         {"B4", "<4>"},
                         {"C4", "<12>"},
                         {"D4", "<3>"}};
    EXPECT_EQ(book.cells, expected);
    EXPECT_EQ(book.cellTypes.count(QStringLiteral("inlineStr")), 4 + 3) << "numbers are untyped";
    EXPECT_EQ(folderEntries(), QStringList{"shown.xlsx"});
}

// A left-out row keeps its sheet row, empty, so the sheet's rows are the list's.
TEST_F(ExportWritersTest, ALeftOutRowLeavesItsSheetRowEmpty)
{
    ResultsModel list;
    fill(list, {{"the quick fox", 3, 2, true},
                {"not this one", 3, 4, false},
                {"jumps over", 2, 17, true}});
    ListRows rows(list, ListRows::Rows::TickedOnly);
    EXPECT_EQ(workbook("list.xlsx", rows).cells, (Cells{{"A1", "Results"},
                                                        {"B1", " Word Count"},
                                                        {"C1", "Frequency"},
                                                        {"A2", " the quick fox"},
                                                        {"B2", "<3>"},
                                                        {"C2", "<2>"},
                                                        {"A4", " jumps over"},
                                                        {"B4", "<2>"},
                                                        {"C4", "<17>"}}));
}

TEST_F(ExportWritersTest, ControlCharactersAndEscapeLookalikesComeBackUnchanged)
{
    const QString phrase = QStringLiteral(" end\fof page\r\x01\x1f tab\there\nline _x0041_ "
                                          "_x00e9__x0042_ a & <b> \"q\" \u00fcber \uffff ") +
                           QChar(u'\0') + QStringLiteral("nul");
    TextRows rows({"Results", " Word Count", "Frequency"}, {{{phrase, "9", "2"}}});
    EXPECT_EQ(workbook("escapes.xlsx", rows).cells.value("A2"), phrase);
    EXPECT_EQ(escapeForWorkbook(QStringLiteral("a\fb")), QStringLiteral("a_x000C_b"));
}

TEST_F(ExportWritersTest, ColumnsAreFittedToTheLongestTextWritten)
{
    ResultsModel list;
    fill(list, {{"a rather long phrase of words", 6, 2, true},
                {"an even longer phrase that nobody ticked at all", 9, 3, false}});
    ListRows rows(list, ListRows::Rows::TickedOnly);
    const XlsxContents sheet = workbook("widths.xlsx", rows);
    const auto fits = [&](int column, qsizetype longest) {
        const double width = sheet.widths.value(column);
        EXPECT_GE(width, double(longest)) << "column " << column;
        EXPECT_LE(width, double(longest) + 3) << "column " << column;
    };
    fits(1, QStringLiteral(" a rather long phrase of words").size());
    fits(2, QStringLiteral(" Word Count").size());
    fits(3, QStringLiteral("Frequency").size());
}

TEST_F(ExportWritersTest, ATextTooLongForACellLeavesItEmptyNamedAndTheRestIsWritten)
{
    const QString tooLong = QStringLiteral(" ") + QString(40000, QLatin1Char('w'));
    TextRows rows({"Results", " Word Count", "Frequency"},
                  {{{tooLong, "1", "2"}}, {{" fine", "1", "3"}}});
    QStringList skipped;
    const XlsxContents book = workbook("long.xlsx", rows, &skipped);
    ASSERT_EQ(skipped.size(), 1);
    EXPECT_TRUE(skipped[0].startsWith(QStringLiteral("Cell A2 was left empty: ")))
        << skipped[0].toStdString();
    EXPECT_FALSE(book.cells.contains("A2"));
    EXPECT_EQ(book.cells.value("A3"), QStringLiteral(" fine"));
    EXPECT_EQ(book.cells.value("B2"), QStringLiteral("1"));
}

TEST_F(ExportWritersTest, AWorkbookRefusesMoreRowsThanASheetHoldsBeforeWritingAnything)
{
    ResultRows rows(tricky(), Ids(1'048'576, 0));
    const Status status = write("big.xlsx", rows, kWorkbook);
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().contains(QStringLiteral("1048575 rows")))
        << status.error().toStdString();
    EXPECT_TRUE(folderEntries().isEmpty());
}

// Every writer: failures leave what was there

namespace {

struct WriterCase {
    const char *name;
    ExportWriter write;
};

class EveryWriterTest : public ExportWritersTest,
                        public ::testing::WithParamInterface<WriterCase> {};

} // namespace

TEST_P(EveryWriterTest, AWriteFailingHalfWayKeepsTheOldFileAndLeavesNothingBeside)
{
    ResultRows rows(many(), allOf(*many()));
    writeFile(path("kept"), "the old results\r\n");
    Status status;
    {
        const FileSizeCap cap(16 * 1024);
        ASSERT_TRUE(cap.active());
        status = write("kept", rows, GetParam().write);
    }
    EXPECT_TRUE(status.error().startsWith(QStringLiteral("Cannot write ") + path("kept") + ": "))
        << status.error().toStdString();
    EXPECT_EQ(readFile(path("kept")), QByteArray("the old results\r\n"));
    EXPECT_EQ(folderEntries(), QStringList{"kept"});
    EXPECT_TRUE(m_private.entries(QStringLiteral("orvanta-%1").arg(::geteuid())).isEmpty())
        << "no scratch file left";
}

TEST_P(EveryWriterTest, AStoppedWriteKeepsTheOldFile)
{
    ResultRows rows(many(), allOf(*many()));
    writeFile(path("kept"), "old");
    std::stop_source stop;
    stop.request_stop();
    const Status status = exportToFile(path("kept"), rows, GetParam().write, stop.get_token());
    EXPECT_EQ(status.error(),
              QStringLiteral("Cannot write %1: the export was stopped").arg(path("kept")));
    EXPECT_EQ(readFile(path("kept")), QByteArray("old"));
    EXPECT_EQ(folderEntries(), QStringList{"kept"});
}

TEST_P(EveryWriterTest, AFileThatCannotBeCreatedIsNamed)
{
    ResultRows rows(tricky(), {0});
    const QString missing = path("no-such-folder/out");
    const Status status = exportToFile(missing, rows, GetParam().write);
    EXPECT_TRUE(status.error().startsWith(QStringLiteral("Cannot create ") + missing + ": "))
        << status.error().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Writers, EveryWriterTest,
                         ::testing::Values(WriterCase{"Text", writeText},
                                           WriterCase{"Csv", writeCsv},
                                           WriterCase{"Workbook", kWorkbook}),
                         [](const auto &info) { return std::string(info.param.name); });

// Clipboard text

namespace {

struct ClipboardCase {
    const char *name;
    std::vector<TextRows::Row> rows;
    const char *text; // nullptr: nothing
};

class ClipboardTextTest : public ::testing::TestWithParam<ClipboardCase> {};

} // namespace

TEST_P(ClipboardTextTest, LaysOutTheRowsThatAreNotLeftOut)
{
    TextRows rows({"A", "B", "C"}, GetParam().rows);
    const std::optional<QString> text = clipboardText(rows);
    if (!GetParam().text)
        EXPECT_FALSE(text.has_value()) << text.value_or(QString()).toStdString();
    else
        EXPECT_EQ(text.value_or(QStringLiteral("<nothing>")), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipboardTextTest,
    ::testing::Values(
        // Widths 10, 1 and 2; the space that would pad the 5 is trimmed.
        ClipboardCase{"WorkedExample",
                      {{{" ab cde fg", "3", "12"}}, {{" ab cdef", "2", "5"}}},
                      " ab cde fg\t3\t12\r\n ab cdef  \t2\t5\r\n"},
        ClipboardCase{"ALongLeftOutRowStillWidensItsColumns",
                      {{{" a b", "2", "7"}},
                       {{" a much longer phrase", "12", "1234"}, false},
                       {{" c d", "2", "31"}}},
                      " a b                 \t2 \t7\r\n c d                 \t2 \t31\r\n"},
        ClipboardCase{
            "LeftOutRowsLeaveNoLineAndNoGap",
            {{{" x y", "2", "2"}, false}, {{" p q", "2", "3"}}, {{" r s", "2", "4"}, false}},
            " p q\t2\t3\r\n"},
        ClipboardCase{"NoRowGivesNothing", {}, nullptr},
        ClipboardCase{"EveryRowLeftOutGivesNothing",
                      {{{" x y", "2", "2"}, false}, {{" p q", "2", "3"}, false}},
                      nullptr},
        // Widths 4, 3, 3. Row 1's empty last cell leaves its tab; quotes are copied as they are.
        ClipboardCase{"LinesEndWithoutTrailingSpacesAndTabsInsideStay",
                      {{{"x", "yy", ""}}, {{"wide", "\"q\"", "zz "}}, {{"s", "t", "u"}}},
                      "x   \tyy \t\r\nwide\t\"q\"\tzz\r\ns   \tt  \tu\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });
