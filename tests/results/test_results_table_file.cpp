#include "QtPrinters.h"
#include "TestSupport.h"
#include "XlsxReader.h"
#include "phrases/PhraseResults.h"
#include "results/ResultsTableFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace orvanta;

namespace {

using Ids = std::vector<std::uint32_t>;

// Phrases that CSV must quote, and others it must not touch.
PhraseResults tricky()
{
    PhraseResults results;
    results.append("he said \"yes\" twice", 4, 2, 1);             // 0
    results.append("a, b and c", 4, 3, 2);                        // 1
    results.append("na\xc3\xafve caf\xc3\xa9 au lait", 4, 12, 3); // 2: "naïve café au lait"
    results.append("=sum(a1) here", 2, 1234567, 1);               // 3
    results.append("plain words", 2, 5, 4);                       // 4
    results.append("ctrl\x01mark _x0041_ text", 3, 2, 1);         // 5: a control character
    return results;
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

class ResultsTableFileTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return m_folder.filePath(QLatin1String(name)); }
    QStringList folderEntries() const
    {
        return QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden);
    }

    // Writes with a file size limit, so the write fails part of the way as on a full disk.
    template <typename Write> Status writeLimited(Write write)
    {
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = 16 * 1024;
        const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
        const Status status = write();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedSignal);
        return status;
    }

    static PhraseResults many()
    {
        PhraseResults results;
        for (int i = 0; i < 20000; ++i)
            results.append("phrase number " + std::to_string(i), 3, 2 + i % 7, 1);
        return results;
    }
    static Ids allOf(const PhraseResults &results)
    {
        Ids ids(size_t(results.size()));
        std::iota(ids.begin(), ids.end(), 0u);
        return ids;
    }

    QTemporaryDir m_folder;
};

} // namespace

// CSV

TEST(CsvField, QuotesOnlyWhatRfc4180AsksFor)
{
    EXPECT_EQ(csvField("plain words"), QByteArray("plain words"));
    EXPECT_EQ(csvField("a, b"), QByteArray("\"a, b\""));
    EXPECT_EQ(csvField("say \"hi\""), QByteArray("\"say \"\"hi\"\"\""));
    EXPECT_EQ(csvField("line\rbreak"), QByteArray("\"line\rbreak\""));
    EXPECT_EQ(csvField("line\nbreak"), QByteArray("\"line\nbreak\""));
    EXPECT_EQ(csvField(""), QByteArray(""));
}

TEST_F(ResultsTableFileTest, CsvReadBackGivesTheRowsInTheOrderGiven)
{
    const PhraseResults results = tricky();
    const Ids shown{4, 2, 0, 1, 3, 5};
    ASSERT_TRUE(writeResultsCsv(path("shown.csv"), results, shown).ok());

    const QList<QStringList> expected{
        {"Phrase", "Words", "Frequency", "Files"},
        {"plain words", "2", "5", "4"},
        {QString::fromUtf8("na\xc3\xafve caf\xc3\xa9 au lait"), "4", "12", "3"},
        {"he said \"yes\" twice", "4", "2", "1"},
        {"a, b and c", "4", "3", "2"},
        {"=sum(a1) here", "2", "1234567", "1"},
        {QString::fromUtf8("ctrl\x01mark _x0041_ text"), "3", "2", "1"}};
    EXPECT_EQ(readCsvWithPython(path("shown.csv")), expected);
    const QByteArray bytes = readFile(path("shown.csv"));
    EXPECT_TRUE(bytes.startsWith("Phrase,Words,Frequency,Files\r\nplain words,2,5,4\r\n"))
        << "no byte-order mark, CR LF, numbers unquoted";
    EXPECT_TRUE(bytes.endsWith("\r\n"));
}

// Workbook

TEST_F(ResultsTableFileTest, WorkbookHoldsAHeaderTextPhrasesAndNumberCounts)
{
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    ASSERT_FALSE(unzip.isEmpty()) << "unzip is needed to read workbooks back";
    const PhraseResults results = tricky();
    ASSERT_TRUE(writeResultsWorkbook(path("shown.xlsx"), results, Ids{3, 5, 2}).ok());

    const XlsxContents book = readXlsx(path("shown.xlsx"), unzip);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    const QMap<QString, QString> expected{
        {"A1", "Phrase"},
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
}

TEST_F(ResultsTableFileTest, AWorkbookRefusesMoreRowsThanASheetHoldsBeforeWritingAnything)
{
    const PhraseResults results = tricky();
    const Ids tooMany(1'048'576, 0);
    const Status status = writeResultsWorkbook(path("big.xlsx"), results, tooMany);
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().contains(QStringLiteral("1048575 rows")))
        << status.error().toStdString();
    EXPECT_TRUE(folderEntries().isEmpty());
}

// Failures leave what was there

TEST_F(ResultsTableFileTest, AWriteFailingHalfWayKeepsTheOldFileAndLeavesNothingBeside)
{
    const PhraseResults results = many();
    writeFile(path("kept.csv"), "old,rows\r\n");
    writeFile(path("kept.xlsx"), "old workbook");

    const Status csv =
        writeLimited([&] { return writeResultsCsv(path("kept.csv"), results, allOf(results)); });
    const Status xlsx = writeLimited(
        [&] { return writeResultsWorkbook(path("kept.xlsx"), results, allOf(results)); });

    EXPECT_TRUE(csv.error().startsWith(QStringLiteral("Cannot write ") + path("kept.csv")))
        << csv.error().toStdString();
    EXPECT_TRUE(xlsx.error().startsWith(QStringLiteral("Cannot write ") + path("kept.xlsx")))
        << xlsx.error().toStdString();
    EXPECT_EQ(readFile(path("kept.csv")), QByteArray("old,rows\r\n"));
    EXPECT_EQ(readFile(path("kept.xlsx")), QByteArray("old workbook"));
    EXPECT_EQ(folderEntries(), (QStringList{"kept.csv", "kept.xlsx"}));
}

TEST_F(ResultsTableFileTest, AStoppedExportKeepsTheOldFile)
{
    const PhraseResults results = many();
    writeFile(path("kept.csv"), "old");
    writeFile(path("kept.xlsx"), "old");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(writeResultsCsv(path("kept.csv"), results, allOf(results), stop.get_token()).ok());
    EXPECT_FALSE(
        writeResultsWorkbook(path("kept.xlsx"), results, allOf(results), stop.get_token()).ok());
    EXPECT_EQ(readFile(path("kept.csv")), QByteArray("old"));
    EXPECT_EQ(readFile(path("kept.xlsx")), QByteArray("old"));
    EXPECT_EQ(folderEntries(), (QStringList{"kept.csv", "kept.xlsx"}));
}

TEST_F(ResultsTableFileTest, AFolderThatCannotBeWrittenIsNamed)
{
    const PhraseResults results = tricky();
    const QString missing = path("no-such-folder/out.csv");
    const Status csv = writeResultsCsv(missing, results, Ids{0});
    const Status xlsx = writeResultsWorkbook(path("no-such-folder/out.xlsx"), results, Ids{0});
    EXPECT_TRUE(csv.error().startsWith(QStringLiteral("Cannot write ") + missing));
    EXPECT_TRUE(xlsx.error().contains(QStringLiteral("no-such-folder/out.xlsx")));
}
