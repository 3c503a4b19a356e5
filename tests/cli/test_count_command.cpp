#include "QtPrinters.h"
#include "TestSupport.h"
#include "cli/CountCommand.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvanta;

namespace {

class CountCommandTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    int run(const QStringList &arguments)
    {
        QBuffer out(&m_out);
        QBuffer err(&m_err);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        CountCommand command(out, err);
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

TEST_F(CountCommandTest, CountsAllFilesTogetherAndPrintsTheResultsList)
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

TEST_F(CountCommandTest, DefaultLengthIsFourAndTheHeaderCanBeDropped)
{
    const QString a =
        write(QStringLiteral("a.txt"), "one two three four five\none two three four\n");
    EXPECT_EQ(run({QStringLiteral("--no-header"), a}), 0);
    EXPECT_EQ(m_out, "one two three four\t4\t2\n");
}

TEST_F(CountCommandTest, AnUnreadableInputIsNamedAndTheRestIsStillCounted)
{
    const QString a = write(QStringLiteral("a.txt"), "x y\nx y\n");
    const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
    EXPECT_EQ(run({QStringLiteral("-l"), QStringLiteral("2"), missing, a, m_dir.path()}), 1);
    EXPECT_EQ(m_out, "phrase\twords\tfrequency\nx y\t2\t2\n");
    EXPECT_TRUE(m_err.contains(missing.toUtf8() + "  - file not found."));
}

TEST_F(CountCommandTest, UsageErrorsExitWithTwoAndPrintNoResults)
{
    const QString a = write(QStringLiteral("a.txt"), "x y\nx y\n");
    EXPECT_EQ(run({QStringLiteral("--bogus"), a}), 2);
    EXPECT_TRUE(m_err.contains("bogus"));
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({QStringLiteral("-l"), QStringLiteral("x, 0"), a}), 2);
    EXPECT_TRUE(m_err.contains("You forgot to select number of phrases."));
    EXPECT_TRUE(m_out.isEmpty());
}

TEST_F(CountCommandTest, HelpNamesTheOptions)
{
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(m_out.contains("--lengths"));
    EXPECT_TRUE(m_out.contains("--no-header"));
}

TEST(CountCommandExecutable, RunsEndToEndWithExitCodes)
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

    process.start(QStringLiteral(ORVANTA_BIN_DIR "/orvanta-count"),
                  {path, dir.filePath(QStringLiteral("gone.txt"))});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("gone.txt  - file not found."));
}

// PDFs and folders

namespace {

const QString kFixtures = QStringLiteral(ORVANTA_FIXTURE_DIR);

class CountCommandPdfTest : public CountCommandTest {
protected:
    ScopedTmpdir m_private;
};

} // namespace

TEST_F(CountCommandPdfTest, ConvertsPdfsAndCountsThemWithTextFiles)
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

TEST_F(CountCommandPdfTest, FailedPdfsAreNamedWithTheirReasonAndExitOne)
{
    const QString scanned = kFixtures + QStringLiteral("/scanned-3.pdf");
    const QString damaged = kFixtures + QStringLiteral("/damaged.pdf");
    EXPECT_EQ(run({scanned, damaged, kFixtures + QStringLiteral("/text-a.pdf")}), 1);
    EXPECT_EQ(m_err, "orvanta-count: " + scanned.toUtf8() +
                         "  - text unreadable. Please view the file yourself to see if it is "
                         "really a scanned image of text and not proper PDF text.\n" +
                         "orvanta-count: " + damaged.toUtf8() + "  - damaged or not a PDF.\n");
    EXPECT_TRUE(m_out.contains("at the end of\t4\t2\n"));
}

TEST_F(CountCommandPdfTest, AskPasswordAsksForEachPdf)
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

TEST_F(CountCommandPdfTest, FoldersAreSearchedForPdfsOnly)
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

TEST_F(CountCommandPdfTest, AFolderWithoutPdfsIsAnError)
{
    write(QStringLiteral("only.txt"), "x y\n");
    EXPECT_EQ(run({m_dir.path()}), 1);
    EXPECT_TRUE(m_err.contains("no PDF files found"));
}

TEST_F(CountCommandPdfTest, BadJobsValueIsAUsageError)
{
    EXPECT_EQ(run({QStringLiteral("-j"), QStringLiteral("many"),
                   kFixtures + QStringLiteral("/text-a.pdf")}),
              2);
}
