// The one record writer of orvanta-count: the same records in every format.

#include "QtPrinters.h"
#include "TestSupport.h"
#include "cli/RecordOutput.h"
#include "cli/RecordWriter.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace orvanta;

namespace {

using Record = std::vector<Field>;

struct WriterCase {
    const char *name;
    OutputFormat format;
    bool header;
    std::vector<Record> records;
    QByteArray expected;
};

class RecordWriterTest : public ::testing::TestWithParam<WriterCase> {};

const QStringList kNames{QStringLiteral("phrase"), QStringLiteral("words")};

// Text as a QString and as UTF-8 bytes, and a whole number.
const Record kPlain{QStringLiteral("gro\u00dfe worte"), qint64(2)};
const Record kBytes{QByteArrayView("the end"), qint64(-1)};
// Everything CSV quotes and JSON escapes.
const Record kTricky{QByteArrayView("a, \"b\"\\\n\r\t\x01"), qint64(0)};
// A measure, to four decimals.
const Record kDecimal{QStringLiteral("x"), Decimal{-2.0 / 3}};

} // namespace

TEST_P(RecordWriterTest, LaysOutTheRecords)
{
    const WriterCase &c = GetParam();
    RecordWriter writer(c.format, kNames, c.header);
    QByteArray out = writer.begin();
    for (const Record &record : c.records)
        writer.append(out, record);
    out += writer.end();
    EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RecordWriterTest,
    ::testing::Values(
        WriterCase{"TsvWithHeader",
                   OutputFormat::Tsv,
                   true,
                   {kPlain, kBytes},
                   "phrase\twords\ngro\xc3\x9f"
                   "e worte\t2\nthe end\t-1\n"},
        WriterCase{"TsvWithoutHeader", OutputFormat::Tsv, false, {kBytes}, "the end\t-1\n"},
        WriterCase{"TsvKeepsEachRecordOnOneLine",
                   OutputFormat::Tsv,
                   false,
                   {kTricky},
                   "a, \"b\"\\\\n\\r\\t\x01\t0\n"},
        WriterCase{"TsvNoRecords", OutputFormat::Tsv, true, {}, "phrase\twords\n"},
        WriterCase{"CsvQuotesAsRfc4180Asks",
                   OutputFormat::Csv,
                   true,
                   {kPlain, kTricky},
                   "phrase,words\r\ngro\xc3\x9f"
                   "e worte,2\r\n\"a, \"\"b\"\"\\\n\r\t\x01\",0\r\n"},
        WriterCase{"CsvWithoutHeader", OutputFormat::Csv, false, {kBytes}, "the end,-1\r\n"},
        WriterCase{"JsonArray",
                   OutputFormat::Json,
                   true,
                   {kPlain, kBytes},
                   "[\n{\"phrase\": \"gro\xc3\x9f"
                   "e worte\", \"words\": 2},\n"
                   "{\"phrase\": \"the end\", \"words\": -1}\n]\n"},
        WriterCase{"JsonEmptyArray", OutputFormat::Json, true, {}, "[]\n"},
        WriterCase{"JsonEscapes",
                   OutputFormat::Json,
                   false,
                   {kTricky},
                   "[\n{\"phrase\": \"a, \\\"b\\\"\\\\\\n\\r\\t\\u0001\", \"words\": 0}\n]\n"},
        WriterCase{"DecimalsInTsv", OutputFormat::Tsv, false, {kDecimal}, "x\t-0.6667\n"},
        WriterCase{"DecimalsInJsonAreNumbers",
                   OutputFormat::Json,
                   true,
                   {kDecimal},
                   "[\n{\"phrase\": \"x\", \"words\": -0.6667}\n]\n"},
        WriterCase{"JsonLines",
                   OutputFormat::JsonLines,
                   true,
                   {kPlain, kBytes},
                   "{\"phrase\": \"gro\xc3\x9f"
                   "e worte\", \"words\": 2}\n"
                   "{\"phrase\": \"the end\", \"words\": -1}\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// A header object turns JSON's array into the "rows" of an object holding the header first; the
// other formats have no place for it.
TEST(RecordWriterHeader, JsonAloneHoldsTheHeaderObjectBeforeTheRows)
{
    const QByteArray json = "{\"corpus\": {\"files\": 2, \"name\": \"a\\\"b\"},\n\"rows\": [";
    const std::vector<std::pair<OutputFormat, QByteArray>> cases{
        {OutputFormat::Json, json + "\n{\"phrase\": \"the end\", \"words\": -1}\n]}\n"},
        {OutputFormat::Tsv, "phrase\twords\nthe end\t-1\n"},
        {OutputFormat::JsonLines, "{\"phrase\": \"the end\", \"words\": -1}\n"}};
    for (const auto &[format, expected] : cases) {
        RecordWriter writer(format, kNames);
        writer.setHeaderObject(QStringLiteral("corpus"),
                               {{QStringLiteral("files"), qint64(2)},
                                {QStringLiteral("name"), QStringLiteral("a\"b")}});
        QByteArray out = writer.begin();
        writer.append(out, kBytes);
        EXPECT_EQ(out + writer.end(), expected);
    }
}

// A stop (a signal) while the records are written leaves a file as it was.
TEST(Destination, AStopWritesNoMoreAndPutsNothingInPlace)
{
    QTemporaryDir dir;
    const QString target = writeFile(dir.filePath(QStringLiteral("out.tsv")), "before\n");
    QBuffer unused;
    std::stop_source stop;
    Destination destination(unused, target, stop.get_token());
    ASSERT_TRUE(destination.open());
    EXPECT_TRUE(destination.write("phrase\twords\n"));
    stop.request_stop();
    EXPECT_FALSE(destination.write("more\n"));
    EXPECT_FALSE(destination.finish());
    EXPECT_EQ(readFile(target), QByteArray("before\n"));
}
