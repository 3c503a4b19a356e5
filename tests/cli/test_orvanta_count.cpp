#include "FakeConverter.h"
#include "FileSizeCap.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "cli/OrvantaCount.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace orvanta;

namespace {

class OrvantaCountTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return writeFile(m_dir.filePath(name), bytes);
    }

    int run(const QStringList &arguments)
    {
        QBuffer out(&m_out);
        QBuffer err(&m_err);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        OrvantaCount command(out, err);
        command.setPasswordReader([this](const QString &prompt, std::stop_token) {
            m_prompts << prompt;
            return m_password;
        });
        return command.run(QStringList{QStringLiteral("orvanta-count")} + arguments);
    }

    QTemporaryDir m_dir;
    QByteArray m_out;
    QByteArray m_err;
    QStringList m_prompts;
    QString m_password;
};

} // namespace

TEST_F(OrvantaCountTest, CountsAllFilesTogetherAndPrintsTheResultsList)
{
    const QString a = write(QStringLiteral("a.txt"), "At the end of the day\r\nthe end of it\r\n");
    const QString b = write(QStringLiteral("b.txt"), "The End of the road\n");
    EXPECT_EQ(run({QStringLiteral("--lengths"), QStringLiteral("2, 3"), a, b}), 0);
    EXPECT_EQ(m_out, "phrase\twords\tfrequency\n"
                     "end of the\t3\t2\n"
                     "of the\t2\t2\n"
                     "end of\t2\t3\n"
                     "the end\t2\t3\n"
                     "the end of\t3\t3\n");
    EXPECT_TRUE(m_err.isEmpty());
}

TEST_F(OrvantaCountTest, DefaultLengthIsFourAndTheHeaderCanBeDropped)
{
    const QString a =
        write(QStringLiteral("a.txt"), "one two three four five\none two three four\n");
    EXPECT_EQ(run({QStringLiteral("--no-header"), a}), 0);
    EXPECT_EQ(m_out, "one two three four\t4\t2\n");
}

// What each usage error says is the option parser's to test; here one ends the program.
TEST_F(OrvantaCountTest, AUsageErrorExitsWithTwoAndPrintsNoResults)
{
    const QString a = write(QStringLiteral("a.txt"), "x y\nx y\n");
    EXPECT_EQ(run({QStringLiteral("--bogus"), a}), 2);
    EXPECT_EQ(m_err, "orvanta-count: Unknown option 'bogus'.\nTry 'orvanta-count --help'.\n");
    EXPECT_TRUE(m_out.isEmpty());
}

TEST(OrvantaCountExecutable, RunsEndToEndWithExitCodes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ünï code.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Große Worte, große Taten\ngroße worte, GROSSE\n");
    file.close();

    QProcess process;
    process.start(QStringLiteral(ORVANTA_BIN_DIR "/orvanta-count"),
                  {QStringLiteral("-l"), QStringLiteral("2"), path});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), "phrase\twords\tfrequency\ngroße worte,\t2\t2\n");
}

// PDFs and folders

namespace {

const QString kFixtures = fixtureFolder();

class OrvantaCountPdfTest : public OrvantaCountTest {
protected:
    ScopedTmpdir m_private;
};

} // namespace

TEST_F(OrvantaCountPdfTest, ConvertsPdfsAndCountsThemWithTextFiles)
{
    const QString text = write(QStringLiteral("notes.txt"), "At the end of the road\n");
    EXPECT_EQ(run({QStringLiteral("--no-header"), QStringLiteral("-j"), QStringLiteral("2"),
                   kFixtures + QStringLiteral("/text-a.pdf"),
                   kFixtures + QStringLiteral("/text-b.pdf"), text}),
              0);
    EXPECT_EQ(m_out, "the fox goes home.\t4\t2\n"
                     "the quick brown fox\t4\t3\n"
                     "at the end of\t4\t5\n"
                     "the end of the\t4\t5\n");
    EXPECT_TRUE(m_err.isEmpty());
    EXPECT_TRUE(m_private.entries(QStringLiteral("orvanta-%1").arg(::geteuid())).isEmpty());
}

TEST_F(OrvantaCountPdfTest, AskPasswordAsksForEachPdf)
{
    m_password = QStringLiteral("open sesame");
    const QString locked = kFixtures + QStringLiteral("/user-password.pdf");
    EXPECT_EQ(run({QStringLiteral("--ask-password"), QStringLiteral("-l"), QStringLiteral("3"),
                   locked, locked}),
              0);
    EXPECT_EQ(m_prompts.size(), 2);
    EXPECT_TRUE(m_prompts.value(0).contains(locked));
    EXPECT_TRUE(m_out.contains("the secret garden\t3\t2\n"));
}

TEST_F(OrvantaCountPdfTest, FoldersAreSearchedForPdfsOnly)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("sub"));
    QFile::copy(kFixtures + QStringLiteral("/text-a.pdf"), m_dir.filePath(QStringLiteral("a.PDF")));
    QFile::copy(kFixtures + QStringLiteral("/text-a.pdf"),
                m_dir.filePath(QStringLiteral("sub/b.pdf")));
    QFile::copy(kFixtures + QStringLiteral("/text-a.pdf"),
                m_dir.filePath(QStringLiteral("~$a.pdf")));
    write(QStringLiteral("ignored.txt"), "the quick brown fox\n");
    EXPECT_EQ(run({QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("7"),
                   m_dir.path()}),
              0);
    // Two copies of text-a: each of its seven-word phrases twice.
    EXPECT_TRUE(m_out.contains("the quick brown fox jumps over the\t7\t2\n"));
    EXPECT_FALSE(m_out.contains("\t7\t3\n"));
}

TEST_F(OrvantaCountPdfTest, AFolderWithoutPdfsIsAnError)
{
    write(QStringLiteral("only.txt"), "x y\n");
    EXPECT_EQ(run({m_dir.path()}), 1);
    EXPECT_TRUE(m_err.contains("no PDF files found"));
}

// Scripts and pipelines

namespace {

QByteArrayList linesOf(const QByteArray &text)
{
    QByteArrayList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Rows as TSV lines, whatever format they came in: CSV read by Python's csv module, JSON and
// JSON Lines by Qt's JSON parser.
QByteArrayList rowsFromCsv(const QByteArray &csv)
{
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import csv, sys\n"
                        "for row in csv.reader(sys.stdin.buffer.read().decode('utf-8')."
                        "splitlines(keepends=True)):\n"
                        "    sys.stdout.buffer.write('\\t'.join(row).encode() + b'\\n')\n")});
    python.write(csv);
    python.closeWriteChannel();
    python.waitForFinished(30000);
    return linesOf(python.readAllStandardOutput());
}

QByteArray tsvOf(const QJsonObject &object)
{
    return (object.value(QStringLiteral("phrase")).toString() + QLatin1Char('\t') +
            QString::number(object.value(QStringLiteral("words")).toInt()) + QLatin1Char('\t') +
            QString::number(object.value(QStringLiteral("frequency")).toInt()) + QLatin1Char('\t') +
            QString::number(object.value(QStringLiteral("files")).toInt()))
        .toUtf8();
}

} // namespace

TEST_F(OrvantaCountTest, EveryFormatCarriesTheSameRowsAndColumns)
{
    const QByteArray tricky = "a, \"quoted\" back\\slash {brace} \x01 x\n";
    const QString a = write(QStringLiteral("a.txt"), tricky + tricky + "Grüße, Welt\n");
    const QString b = write(QStringLiteral("b.txt"), tricky + "grüße, welt\n");
    const QStringList inputs{QStringLiteral("-l"), QStringLiteral("2-3"), QStringLiteral("--files"),
                             a, b};
    ASSERT_EQ(run(inputs), 0);
    QByteArrayList tsv = linesOf(m_out);
    ASSERT_GT(tsv.size(), 5);

    m_out.clear();
    ASSERT_EQ(run(QStringList{QStringLiteral("--format"), QStringLiteral("csv")} + inputs), 0);
    EXPECT_EQ(rowsFromCsv(m_out), tsv);

    tsv.removeFirst(); // JSON names its fields in every object
    m_out.clear();
    ASSERT_EQ(run(QStringList{QStringLiteral("--format"), QStringLiteral("json")} + inputs), 0);
    QJsonParseError error;
    const QJsonArray array = QJsonDocument::fromJson(m_out, &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << m_out.constData();
    QByteArrayList fromJson;
    for (const QJsonValue &value : array)
        fromJson << tsvOf(value.toObject());
    EXPECT_EQ(fromJson, tsv);

    m_out.clear();
    ASSERT_EQ(run(QStringList{QStringLiteral("--format"), QStringLiteral("jsonl")} + inputs), 0);
    QByteArrayList fromLines;
    for (const QByteArray &line : linesOf(m_out))
        fromLines << tsvOf(QJsonDocument::fromJson(line).object());
    EXPECT_EQ(fromLines, tsv);
}

TEST_F(OrvantaCountTest, BoundsOrderAndTopChooseTheRows)
{
    const QString a = write(QStringLiteral("a.txt"), "x y\nx y\nx y\np q\n");
    const QString b = write(QStringLiteral("b.txt"), "x y\np q\nr s\nr s\nr s\n");
    ASSERT_EQ(run({QStringLiteral("--no-header"), QStringLiteral("--files"), QStringLiteral("-l"),
                   QStringLiteral("2"), QStringLiteral("--sort"), QStringLiteral("files"),
                   QStringLiteral("--reverse"), a, b}),
              0);
    EXPECT_EQ(m_out, "x y\t2\t4\t2\np q\t2\t2\t2\nr s\t2\t3\t1\n");
    m_out.clear();
    ASSERT_EQ(run({QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("2"),
                   QStringLiteral("--min-frequency"), QStringLiteral("3"),
                   QStringLiteral("--min-files"), QStringLiteral("2"), a, b}),
              0);
    EXPECT_EQ(m_out, "x y\t2\t4\n");
    m_out.clear();
    ASSERT_EQ(
        run({QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("2"),
             QStringLiteral("--sort"), QStringLiteral("frequency"), QStringLiteral("--reverse"),
             QStringLiteral("--top"), QStringLiteral("1"), a, b}),
        0);
    EXPECT_EQ(m_out, "x y\t2\t4\n");
}

TEST_F(OrvantaCountTest, WhereListsEveryOccurrenceWithItsPageAndLine)
{
    const QString a =
        write(QStringLiteral("a.txt"), "At the End of it\ncut\fthe end of the page\n");
    const QString b = write(QStringLiteral("b.txt"), "nothing here\n");
    ASSERT_EQ(run({QStringLiteral("--where"), QStringLiteral("THE  end of"), a, b}), 0);
    EXPECT_EQ(m_out, "file\tpage\tline_number\ttext\n" + a.toUtf8() + "\t1\t1\tAt the End of it\n" +
                         a.toUtf8() + "\t2\t1\tthe end of the page\n");
}

TEST_F(OrvantaCountTest, PassagesPrintsTheLongestRepeatsLongestFirst)
{
    const QByteArray eight = "One two three four five six seven eight\n";
    const QString a = write(QStringLiteral("a.txt"), eight + "red fish blue fish\nred fish blue\n");
    const QString b = write(QStringLiteral("b.txt"), "one two three four five six seven eight\n");
    ASSERT_EQ(run({QStringLiteral("--passages"), a, b}), 0);
    EXPECT_EQ(m_out, "passage\twords\tfrequency\tfiles\n"
                     "one two three four five six seven eight\t8\t2\t2\n");
    m_out.clear();
    ASSERT_EQ(run({QStringLiteral("--passages"), QStringLiteral("3"), QStringLiteral("--format"),
                   QStringLiteral("jsonl"), a, b}),
              0);
    EXPECT_EQ(m_out, "{\"passage\": \"one two three four five six seven eight\", \"words\": 8, "
                     "\"frequency\": 2, \"files\": 2}\n"
                     "{\"passage\": \"red fish blue\", \"words\": 3, \"frequency\": 2, "
                     "\"files\": 1}\n");
}

// A run that fails to write leaves the file it would have replaced as it was.
TEST_F(OrvantaCountTest, AnOutputFileIsReplacedOnlyWhenComplete)
{
    const QString a = write(QStringLiteral("a.txt"), QByteArray("one two three\n").repeated(4000));
    const QString target = write(QStringLiteral("out.tsv"), "last week's results\n");
    ASSERT_EQ(run({QStringLiteral("-l"), QStringLiteral("1-3"), QStringLiteral("-o"), target, a}),
              0);
    EXPECT_TRUE(readFile(target).startsWith("phrase\twords\tfrequency\n"));

    write(QStringLiteral("out.tsv"), "last week's results\n");
    int code = 0;
    {
        const FileSizeCap cap(30);
        code = run({QStringLiteral("-l"), QStringLiteral("1-3"), QStringLiteral("-o"), target, a});
    }
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(m_err.contains("cannot write the results")) << m_err.constData();
    EXPECT_EQ(readFile(target), QByteArray("last week's results\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file left";
}

// Within a memory limit the rows are counted from spill files as they are printed: the same
// output in every order; a full disk names the spill folder and leaves the output file as it was.
TEST_F(OrvantaCountTest, AMemoryLimitPrintsTheSameRowsAndAFullDiskIsNamed)
{
    const QString a = write(QStringLiteral("a.txt"), "x y z\nx y\nx y z w\np q\n");
    const QString b = write(QStringLiteral("b.txt"), "x y\np q z\nr s\nr s\nr s w\n");
    const QStringList shown[] = {
        {QStringLiteral("--files"), QStringLiteral("-l"), QStringLiteral("1-3")},
        {QStringLiteral("--sort"), QStringLiteral("files"), QStringLiteral("--reverse"),
         QStringLiteral("--files"), QStringLiteral("--format"), QStringLiteral("json")},
        {QStringLiteral("--min-files"), QStringLiteral("2"), QStringLiteral("-l"),
         QStringLiteral("1-2"), QStringLiteral("--top"), QStringLiteral("2")},
    };
    for (const QStringList &options : shown) {
        ASSERT_EQ(run(options + QStringList{a, b}), 0);
        const QByteArray plain = m_out;
        m_out.clear();
        ASSERT_EQ(run(options +
                      QStringList{QStringLiteral("--memory-limit"), QStringLiteral("64M"), a, b}),
                  0)
            << m_err.constData();
        EXPECT_EQ(m_out, plain);
        m_out.clear();
    }

    const QString big = write(QStringLiteral("big.txt"),
                              QByteArray("one two three four five six\n").repeated(40000));
    const QString target = write(QStringLiteral("out.tsv"), "last week's results\n");
    const QString spill = m_dir.filePath(QStringLiteral("spill"));
    ASSERT_TRUE(QDir().mkdir(spill));
    int code = 0;
    {
        const FileSizeCap cap(4096);
        code = run({QStringLiteral("-l"), QStringLiteral("2-6"), QStringLiteral("--memory-limit"),
                    QStringLiteral("64M"), QStringLiteral("--spill-dir"), spill,
                    QStringLiteral("-o"), target, big});
    }
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(m_err.contains("Cannot write to the spill folder " + spill.toUtf8()))
        << m_err.constData();
    EXPECT_EQ(readFile(target), QByteArray("last week's results\n"));
    EXPECT_TRUE(QDir(spill).isEmpty());
}

// Inputs that cannot be read as asked are refused before any is read.
TEST_F(OrvantaCountTest, AnOutputThatIsAnInputAndWhereOnStandardInputAreRefusedUpFront)
{
    const QString a = write(QStringLiteral("a.txt"), "one two\none two\n");
    const QString link = m_dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(a, link));
    const struct {
        QStringList arguments;
        const char *message;
    } refused[] = {
        {{QStringLiteral("-o"), link, a}, "is also an input"},
        {{QStringLiteral("--where"), QStringLiteral("one two"), a, QStringLiteral("-")},
         "save them to a file first"},
    };
    for (const auto &c : refused) {
        m_err.clear();
        EXPECT_EQ(run(c.arguments), 2) << c.message;
        EXPECT_TRUE(m_err.contains(c.message)) << m_err.constData();
        EXPECT_TRUE(m_out.isEmpty());
        EXPECT_EQ(readFile(a), QByteArray("one two\none two\n"));
    }
}

// --keep-text: a second run with other lengths converts nothing; passwords leave nothing behind.
TEST_F(OrvantaCountPdfTest, KeptTextsServeTheNextRun)
{
    const QString log = m_dir.filePath(QStringLiteral("conversions.log"));
    const QString real = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const FakeConverter logging(QStringLiteral("echo x >> '%1'\nexec '%2' \"$@\"").arg(log, real));
    const QString kept = m_dir.filePath(QStringLiteral("kept"));
    const QStringList inputs{QStringLiteral("--keep-text"), kept, fixture("text-a.pdf"),
                             fixture("text-b.pdf")};
    ASSERT_EQ(run(QStringList{QStringLiteral("-l"), QStringLiteral("4")} + inputs), 0);
    const QByteArray first = m_out;
    EXPECT_EQ(readFile(log).count('\n'), 2);

    m_out.clear();
    ASSERT_EQ(run(QStringList{QStringLiteral("-l"), QStringLiteral("2-3")} + inputs), 0);
    m_out.clear();
    ASSERT_EQ(run(QStringList{QStringLiteral("-l"), QStringLiteral("4")} + inputs), 0);
    EXPECT_EQ(m_out, first);
    EXPECT_EQ(readFile(log).count('\n'), 2) << "nothing converted again";

    m_password = QStringLiteral("open sesame");
    ASSERT_EQ(run({QStringLiteral("--ask-password"), QStringLiteral("--keep-text"), kept,
                   fixture("user-password.pdf"), fixture("user-password.pdf")}),
              0);
    for (const QString &name : QDir(kept).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(readFile(kept + QLatin1Char('/') + name).contains("secret garden"))
            << name.toStdString();
}
