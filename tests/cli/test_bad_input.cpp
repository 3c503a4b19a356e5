// orvanta-count, run as a separate process, on whatever users point it at: broken, locked,
// scanned, huge and oddly named files, and a converter that crashes, hangs or is missing.
#include "QtPrinters.h"
#include "TestSupport.h"
#include "base/PrivateTempFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

const QString kFixtures = QStringLiteral(ORVANTA_FIXTURE_DIR);
const QString kReasonCrashed =
    QStringLiteral("  - the converter stopped before finishing, so the file was not counted.");
const QString kReasonProtected = QStringLiteral("  - password protected or text is protected.");
const QString kReasonScanned =
    QStringLiteral("  - text unreadable. Please view the file yourself to see if it is really a "
                   "scanned image of text and not proper PDF text.");

QString fixture(const char *name)
{
    return kFixtures + QLatin1Char('/') + QString::fromUtf8(name);
}

// Every regular file below the folder with a hash of its bytes.
QMap<QString, QByteArray> folderHashes(const QString &folder)
{
    QMap<QString, QByteArray> hashes;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!it.fileInfo().isFile() || !file.open(QIODevice::ReadOnly))
            continue;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        hashes.insert(path, hash.result());
    }
    return hashes;
}

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs orvanta-count with its own TMPDIR, so its private folder is the test's.
class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override { m_fixturesBefore = folderHashes(kFixtures); }
    void TearDown() override
    {
        EXPECT_EQ(folderHashes(kFixtures), m_fixturesBefore) << "a fixture file changed";
    }

    void start(QProcess &process, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), m_tmp.path());
        for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ORVANTA_BIN_DIR "/orvanta-count"), arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    Outcome run(const QStringList &arguments)
    {
        QProcess process;
        start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(240000));
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QString privateFolder() const
    {
        return m_tmp.path() + QStringLiteral("/orvanta-") + QString::number(getuid());
    }

    // A converter stand-in at the place the program looks first.
    void placeFakeConverter(const QByteArray &script)
    {
        ASSERT_TRUE(QDir().mkpath(privateFolder()));
        ASSERT_EQ(::chmod(QFile::encodeName(privateFolder()).constData(), 0700), 0);
        QFile file(privateFolder() + QStringLiteral("/pdftotext"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script + "\n");
        file.close();
        ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // What is left of one run in the private folder (the folder itself stays).
    QStringList leftovers() const
    {
        return QDir(privateFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QString writeText(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_work.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir m_tmp;
    QTemporaryDir m_work;
    QMap<QString, QString> m_environment;
    QMap<QString, QByteArray> m_fixturesBefore;
};

QByteArray failureLine(const QString &path, const QString &reason)
{
    return "orvanta-count: " + path.toUtf8() + reason.toUtf8() + '\n';
}

bool processExists(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

QList<pid_t> pidsIn(const QString &path)
{
    QFile file(path);
    QList<pid_t> pids;
    if (!file.open(QIODevice::ReadOnly))
        return pids;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            pids << pid_t(line.toInt());
    }
    return pids;
}

} // namespace

// Bad PDFs

TEST_F(BadInputTest, EveryKindOfBadPdfIsNamedAndTheGoodOnesAreStillCounted)
{
    const QStringList bad = {fixture("damaged.pdf"), fixture("empty.pdf"), fixture("not-a-pdf.pdf"),
                             fixture("user-password.pdf"), fixture("scanned-3.pdf")};
    const QStringList oddNames = {fixture("with space.pdf"),     fixture("quote\"double.pdf"),
                                  fixture("quote'single.pdf"),   fixture("-leading-dash.pdf"),
                                  fixture("Ünïcödé façade.pdf"), fixture("en–dash.pdf"),
                                  fixture("dollar$HOME.pdf"),    fixture("new\nline.pdf")};
    const QStringList good = {fixture("text-a.pdf"), fixture("owner-only.pdf"),
                              fixture("control-chars.pdf"), fixture("owner-only.pdf"),
                              fixture("control-chars.pdf")};

    const Outcome outcome = run(
        QStringList{QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("2,4")} +
        bad + oddNames + good);

    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err,
              failureLine(bad[0], kReasonProtected) + failureLine(bad[1], kReasonProtected) +
                  failureLine(bad[2], kReasonProtected) + failureLine(bad[3], kReasonProtected) +
                  failureLine(bad[4], kReasonScanned));
    // Eight copies under odd names, two of the owner-only file, control characters kept in words.
    EXPECT_TRUE(outcome.out.contains("odd file names must\t4\t8\n"));
    EXPECT_TRUE(outcome.out.contains("anyone may read this\t4\t2\n"));
    EXPECT_TRUE(outcome.out.contains("ctrl\x01mark esc\x1b"
                                     "ape\t2\t"))
        << outcome.out.constData();
    EXPECT_FALSE(outcome.out.contains("secret"));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

TEST_F(BadInputTest, AGeneratedTwoThousandPagePdfIsCountedWhole)
{
    QByteArray text;
    for (int page = 1; page <= 2000; ++page) {
        if (page > 1)
            text += '\f';
        text += "Page " + QByteArray::number(page) +
                " of the long report.\nEvery page ends with the same closing words.\n";
    }
    const QString pdf = m_work.filePath(QStringLiteral("long report.pdf"));
    QProcess maker;
    maker.start(QStringLiteral("python3"),
                {QStringLiteral(ORVANTA_TEST_DATA "/pdfmake.py"), QStringLiteral("text"), pdf});
    maker.write(text);
    maker.closeWriteChannel();
    ASSERT_TRUE(maker.waitForFinished(120000));
    ASSERT_EQ(maker.exitCode(), 0) << maker.readAllStandardError().constData();

    const Outcome outcome =
        run({QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("4,5"), pdf});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.constData();
    QList<QByteArray> rows = outcome.out.split('\n');
    rows.removeLast();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows,
              (QList<QByteArray>{
                  "ends with the same\t4\t2000", "ends with the same closing\t5\t2000",
                  "every page ends with\t4\t2000", "every page ends with the\t5\t2000",
                  "of the long report.\t4\t2000", "page ends with the\t4\t2000",
                  "page ends with the same\t5\t2000", "the same closing words.\t4\t2000",
                  "with the same closing\t4\t2000", "with the same closing words.\t5\t2000"}));
}

// Extreme text, as the converter might write it

TEST_F(BadInputTest, ALineOfAMillionWordsIsCountedExactly)
{
    // Words w0 ... w999 a thousand times over, all on one line.
    QByteArray cycle;
    for (int w = 0; w < 1000; ++w)
        cycle += " w" + QByteArray::number(w);
    const QString path = writeText(QStringLiteral("one line.txt"), cycle.repeated(1000) + "\n");

    const Outcome outcome =
        run({QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("3"), path});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.constData();
    const QList<QByteArray> rows = outcome.out.split('\n');
    ASSERT_EQ(rows.size(), 1000 + 1);
    // The two windows across the seam between cycles occur 999 times, every other 1000 times.
    EXPECT_EQ(rows[0], "w998 w999 w0\t3\t999");
    EXPECT_EQ(rows[1], "w999 w0 w1\t3\t999");
    EXPECT_EQ(rows[2], "w0 w1 w2\t3\t1000");
    EXPECT_EQ(outcome.out.count("\t3\t1000\n"), 998);
}

TEST_F(BadInputTest, AVeryLongTypedLengthOverTwoCopiesOfALongLine)
{
    QByteArray line;
    for (int w = 0; w < 1500; ++w)
        line += "word" + QByteArray::number(w) + ' ';
    const QString path = writeText(QStringLiteral("twice.txt"), line + '\n' + line + '\n');

    const Outcome outcome = run(
        {QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("1000,1501"), path});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.constData();
    EXPECT_EQ(outcome.out.count("\t1000\t2\n"), 501);
    EXPECT_EQ(outcome.out.count('\n'), 501);
    EXPECT_TRUE(outcome.out.startsWith("word0 word1 "));
}

TEST_F(BadInputTest, APipeNamedLikeAPdfIsNamedAndNotWaitedOn)
{
    const QString pipe = m_work.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const Outcome outcome = run({pipe, fixture("text-a.pdf")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.startsWith("orvanta-count: " + pipe.toUtf8() + "  - "))
        << outcome.err.constData();
}

TEST_F(BadInputTest, ResultsThatCannotBeWrittenAreAFailureNotASuccess)
{
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"), QIODevice::Append);
    start(process, {fixture("text-a.pdf"), fixture("text-b.pdf")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(),
              "orvanta-count: cannot write the results: No space left on device\n");
    EXPECT_TRUE(leftovers().isEmpty());
}

// A converter that misbehaves

TEST_F(BadInputTest, ACrashingConverterNamesEveryPdfAndTheTextFilesAreStillCounted)
{
    placeFakeConverter("kill -SEGV $$");
    const QString notes = writeText(QStringLiteral("notes.txt"), "one two\none two\n");
    const Outcome outcome =
        run({QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("2"),
             fixture("text-a.pdf"), notes, fixture("text-b.pdf")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, failureLine(fixture("text-a.pdf"), kReasonCrashed) +
                               failureLine(fixture("text-b.pdf"), kReasonCrashed));
    EXPECT_EQ(outcome.out, "one two\t2\t2\n");
    EXPECT_TRUE(leftovers().isEmpty()); // the converter copy goes too, as after every run
}

TEST_F(BadInputTest, AHangingConverterIsStoppedByAnInterruptAndLeavesNothingRunning)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        const QString pids = m_work.filePath(QStringLiteral("pids-%1").arg(signal));
        placeFakeConverter("echo $$ >> '" + QFile::encodeName(pids) + "'\nexec sleep 600");
        QProcess process;
        start(process, {QStringLiteral("-j"), QStringLiteral("2"), fixture("text-a.pdf"),
                        fixture("text-b.pdf"), fixture("owner-only.pdf")});
        for (int wait = 0; wait < 600 && pidsIn(pids).size() < 2; ++wait)
            QThread::msleep(50);
        ASSERT_EQ(pidsIn(pids).size(), 2) << "both converters started";

        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 130) << signal;
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        for (const pid_t pid : pidsIn(pids))
            EXPECT_FALSE(processExists(pid)) << "converter " << pid << " still runs";
        EXPECT_TRUE(leftovers().isEmpty());
    }
}

TEST_F(BadInputTest, WithoutAnyConverterThePackageToInstallIsNamedOnce)
{
    m_environment.insert(QStringLiteral("PATH"), m_work.path());
    const Outcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")});
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.err.contains("poppler-utils")) << outcome.err.constData();
    EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.constData();
    EXPECT_FALSE(outcome.err.contains("text-a.pdf"));
    EXPECT_TRUE(leftovers().isEmpty());
}

// The private temporary folder

TEST_F(BadInputTest, APrivateFolderOthersCouldTamperWithIsRefusedAndNothingIsConverted)
{
    ASSERT_TRUE(QDir().mkpath(privateFolder()));
    if (geteuid() == 0)
        ASSERT_EQ(::chown(QFile::encodeName(privateFolder()).constData(), 65534, 65534), 0);
    else
        ASSERT_EQ(::chmod(QFile::encodeName(privateFolder()).constData(), 0777), 0);

    const Outcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")});
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.err.contains(QFile::encodeName(privateFolder())))
        << outcome.err.constData();
    EXPECT_FALSE(outcome.err.contains("text-a.pdf")) << outcome.err.constData();
    EXPECT_TRUE(outcome.out.isEmpty() || outcome.out == "phrase\twords\tfrequency\n");
    EXPECT_TRUE(leftovers().isEmpty()) << "nothing written into a foreign folder";
}
