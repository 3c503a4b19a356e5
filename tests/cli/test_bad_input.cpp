// orvanta-count, run as a separate process, on whatever users point it at: broken, locked,
// scanned, huge and oddly named files, a converter that crashes, hangs or is missing, signals at
// every wait, and a second instance beside it.
#include "FakeConverter.h"
#include "Fixtures.h"
#include "ProcessSignals.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "run/CountingRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "base/Descriptor.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

const QString kProgram = QStringLiteral(ORVANTA_BIN_DIR "/orvanta-count");
struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QList<qint64> waitForPids(const QString &path, int count)
{
    for (int wait = 0; wait < 600 && pidsIn(path).size() < count; ++wait)
        QThread::msleep(50);
    return pidsIn(path);
}

// Runs orvanta-count with the test's TMPDIR, so its private folder is the test's.
class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override { m_fixturesBefore = folderFingerprint(fixtureFolder()); }
    void TearDown() override
    {
        EXPECT_EQ(folderFingerprint(fixtureFolder()), m_fixturesBefore) << "a fixture file changed";
    }

    void start(QProcess &process, const QStringList &arguments)
    {
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.start(kProgram, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Counts two PDFs two at a time and kills the run outright once both of its children
    // wrote their process ids to `pids`.
    void killRunOnceTwoChildrenStarted(const QString &pids)
    {
        QProcess process;
        start(process, {QStringLiteral("-j"), QStringLiteral("2"), fixture("text-a.pdf"),
                        fixture("text-b.pdf")});
        ASSERT_EQ(waitForPids(pids, 2).size(), 2);
        ::kill(pid_t(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(30000));
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
        return m_tmp.filePath(QStringLiteral("orvanta-") + QString::number(::geteuid()));
    }

    // What one run left in the private folder (the folder itself stays).
    QStringList leftovers() const
    {
        return QDir(privateFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // Interrupts a run once `converters` stand-ins hang, and checks how it ended.
    void expectInterruptEndsTheRun(int signal, const QStringList &arguments, int converters)
    {
        const QString pids = m_work.filePath(QStringLiteral("pids-%1").arg(signal));
        const FakeConverter hanging(QStringLiteral("echo $$ >> '%1'\nexec sleep 600").arg(pids));
        QProcess process;
        start(process, arguments);
        ASSERT_EQ(waitForPids(pids, converters).size(), converters) << "converters started";
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 128 + signal);
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        for (const qint64 pid : pidsIn(pids))
            EXPECT_TRUE(waitUntilGone(pid)) << "converter " << pid << " still runs";
        EXPECT_TRUE(leftovers().isEmpty());
    }

    ScopedTmpdir m_tmp;
    QTemporaryDir m_work;
    QStringList m_fixturesBefore;
};

QByteArray failureLine(const QString &path, const char *reason)
{
    return "orvanta-count: " + path.toUtf8() + reason + '\n';
}

} // namespace

// Bad PDFs

// Each failed file named with its reason, the others counted, and exit code 1. Which file gets
// which reason is the counting run's to say, and tested there.
TEST_F(BadInputTest, BadPdfsAreNamedAndTheGoodOnesAreStillCounted)
{
    const QStringList bad = {fixture("damaged.pdf"), fixture("user-password.pdf"),
                             fixture("scanned-3.pdf")};
    const Outcome outcome =
        run(QStringList{QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("4")} +
            bad + QStringList{fixture("text-a.pdf"), fixture("text-a.pdf")});

    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, failureLine(bad[0], run_texts::kDamaged) +
                               failureLine(bad[1], run_texts::kProtected) +
                               failureLine(bad[2], run_texts::kUnreadable));
    EXPECT_TRUE(outcome.out.contains("the quick brown fox\t4\t4\n")) << outcome.out.constData();
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
    const QString path =
        writeFile(m_work.filePath(QStringLiteral("one line.txt")), cycle.repeated(1000) + "\n");

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
    const QString path =
        writeFile(m_work.filePath(QStringLiteral("twice.txt")), line + '\n' + line + '\n');

    const Outcome outcome = run(
        {QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("1000,1501"), path});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.constData();
    EXPECT_EQ(outcome.out.count("\t1000\t2\n"), 501);
    EXPECT_EQ(outcome.out.count('\n'), 501);
    EXPECT_TRUE(outcome.out.startsWith("word0 word1 "));
}

// A FIFO is text, whatever its name: never handed to the PDF converter. Standard input too.
TEST_F(BadInputTest, PipesAndStandardInputAreReadAsText)
{
    const QString pipe = m_work.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess process;
    start(process, {QStringLiteral("--no-header"), QStringLiteral("-l"), QStringLiteral("2"), pipe,
                    QStringLiteral("-")});
    process.write("one two\n");
    process.closeWriteChannel();
    QFile writer(pipe);
    ASSERT_TRUE(writer.open(QIODevice::WriteOnly)); // waits for the reader
    writer.write("one two\nthree four\nthree four\n");
    writer.close();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    EXPECT_EQ(process.readAllStandardOutput(), "one two\t2\t2\nthree four\t2\t2\n");
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

// A converter that is missing

TEST_F(BadInputTest, WithoutAnyConverterThePackageToInstallIsNamedOnce)
{
    const NoConverter none;
    const Outcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")});
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.err.contains("poppler-utils")) << outcome.err.constData();
    EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.constData();
    EXPECT_TRUE(leftovers().isEmpty());
}

// Signals: every wait ends on Ctrl-C, SIGTERM and SIGHUP, with 128 plus the signal's number.

TEST_F(BadInputTest, AnInterruptDuringConversionStopsEveryConverterAndCleansUp)
{
    const QStringList arguments{QStringLiteral("-j"), QStringLiteral("2"), fixture("text-a.pdf"),
                                fixture("text-b.pdf"), fixture("owner-only.pdf")};
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        expectInterruptEndsTheRun(signal, arguments, 2);
}

TEST_F(BadInputTest, AnInterruptDuringAFolderScanEndsTheRun)
{
    QProcess process;
    start(process, {QStringLiteral("/")});
    for (int wait = 0; wait < 1000 && !takesSignal(process.processId(), SIGINT); ++wait)
        QThread::msleep(10);
    QThread::msleep(300);
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 128 + SIGINT);
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(leftovers().isEmpty());
}

// Ctrl-C at the password prompt ends the run and gives the terminal its echo back.
TEST_F(BadInputTest, AnInterruptAtThePasswordPromptRestoresTheTerminal)
{
    QProcess helper;
    helper.start(QStringLiteral("python3"),
                 {QStringLiteral(ORVANTA_TEST_SOURCE "/cli/interrupt-prompt.py"), kProgram,
                  fixture("user-password.pdf")});
    ASSERT_TRUE(helper.waitForFinished(60000));
    EXPECT_EQ(helper.readAllStandardOutput().trimmed(), QByteArray("130 1 0"))
        << helper.readAllStandardError().constData();
    EXPECT_TRUE(leftovers().isEmpty());
}

// A converter must not outlive a terminal run that was killed outright, and the next start
// removes what the killed one left.
TEST_F(BadInputTest, AKilledRunTakesItsConvertersWithItAndTheNextStartCleansUp)
{
    const QString pids = m_work.filePath(QStringLiteral("pids"));
    {
        const FakeConverter hanging(QStringLiteral("echo $$ >> '%1'\nexec sleep 600").arg(pids));
        ASSERT_NO_FATAL_FAILURE(killRunOnceTwoChildrenStarted(pids));
    }
    for (const qint64 pid : pidsIn(pids))
        EXPECT_TRUE(waitUntilGone(pid)) << "converter " << pid << " outlived its run";
    EXPECT_EQ(leftovers().size(), 1) << "the killed run's folder";

    EXPECT_EQ(run({fixture("text-a.pdf")}).exitCode, 0);
    EXPECT_TRUE(leftovers().isEmpty());
}

// The conversion workers are children of the run too: a run killed outright takes them along.
TEST_F(BadInputTest, AKilledRunTakesItsConversionWorkersWithIt)
{
    const QString pids = m_work.filePath(QStringLiteral("worker-pids"));
    const QString worker =
        writeFile(m_work.filePath(QStringLiteral("hanging-worker")),
                  "#!/bin/sh\necho $$ >> '" + QFile::encodeName(pids) + "'\nexec sleep 600\n");
    QFile::setPermissions(worker, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const ScopedEnv workers("ORVANTA_CONVERT_WORKER", worker.toUtf8());
    ASSERT_NO_FATAL_FAILURE(killRunOnceTwoChildrenStarted(pids));
    for (const qint64 pid : pidsIn(pids))
        EXPECT_TRUE(waitUntilGone(pid)) << "worker " << pid << " outlived its run";
}

// Several instances

// A window and a terminal run side by side is ordinary use; neither may disturb the other.
TEST_F(BadInputTest, TwoInstancesAtOnceGiveWhatEachGivesAlone)
{
    const QStringList inputs =
        QStringList{fixture("text-a.pdf"), fixture("text-b.pdf"), fixture("owner-only.pdf"),
                    fixture("control-chars.pdf"), QStringLiteral(ORVANTA_BIN_DIR "/Samples")} +
        oddNamedFixtures();
    const QStringList arguments =
        QStringList{QStringLiteral("-l"), QStringLiteral("2,3,4")} + inputs;
    const Outcome alone = run(arguments);
    ASSERT_EQ(alone.exitCode, 0) << alone.err.constData();

    QProcess first;
    start(first, arguments);
    // Short runs start and end beside it the whole time.
    const QStringList shortRun{QStringLiteral("-l"), QStringLiteral("3"), fixture("text-b.pdf")};
    const Outcome shortAlone = run(shortRun);
    while (first.state() != QProcess::NotRunning) {
        const Outcome beside = run(shortRun);
        EXPECT_EQ(beside.out, shortAlone.out);
        EXPECT_EQ(beside.exitCode, 0);
        first.waitForFinished(10);
    }
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(first.readAllStandardOutput(), alone.out);
    EXPECT_EQ(first.readAllStandardError(), alone.err);
    EXPECT_TRUE(leftovers().isEmpty());
}

// The private temporary folder

TEST_F(BadInputTest, ATakenPrivateFolderNameIsLeftAloneAndTheRunGoesOn)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), privateFolder()));
    const Outcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.constData();
    EXPECT_TRUE(outcome.out.contains("at the end of\t4\t4\n"));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

TEST_F(BadInputTest, ATemporaryFolderOthersCanChangeIsRefusedNamingTheVariable)
{
    ASSERT_EQ(::chmod(QFile::encodeName(m_tmp.path()).constData(), 0777), 0);
    const Outcome outcome = run({fixture("text-a.pdf")});
    ::chmod(QFile::encodeName(m_tmp.path()).constData(), 0700);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains("TMPDIR")) << outcome.err.constData();
    EXPECT_TRUE(m_tmp.entries().filter(QStringLiteral("orvanta-")).isEmpty())
        << "nothing written into a folder others can change";
}

// Scanned PDFs

TEST_F(BadInputTest, ScannedPagesAreReadWithOcrAndAMissingLanguageNamesItsPackage)
{
    const QString scan = QStringLiteral(ORVANTA_SCAN_DIR "/scan-300.pdf");
    const Outcome read =
        run({QStringLiteral("--ocr"), QStringLiteral("--files"), QStringLiteral("--no-header"),
             QStringLiteral("-l"), QStringLiteral("3"), scan, fixture("text-a.pdf")});
    EXPECT_EQ(read.exitCode, 0) << read.err.constData();
    EXPECT_TRUE(read.out.contains("brown fox jumps\t3\t2\t2\n")) << read.out.constData();

    const Outcome missing =
        run({QStringLiteral("--ocr-language"), QStringLiteral("eng+xyz"), scan});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "orvanta-count: The recognition language \"xyz\" is not installed. "
                           "Install the package tesseract-ocr-xyz.\n");
}

// Limits, locks and a reader that goes away

// A count that cannot get memory names the file it was reading and the limit, and exits 1:
// 1.5 million distinct words at eight lengths need about 230 MB, and 200 MiB of address space
// are allowed.
TEST_F(BadInputTest, ACountOutOfMemoryNamesTheFileAndTheLimit)
{
    if (!kMemoryCapsHold)
        GTEST_SKIP() << "the address sanitizer reserves more address space than any cap";
    const QString path = m_work.filePath(QStringLiteral("distinct.txt"));
    QByteArray text;
    for (int word = 0; word < 1500000; ++word)
        text += 'w' + QByteArray::number(word) + (word % 10 == 9 ? '\n' : ' ');
    writeFile(path, text);
    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit space{200 << 20, 200 << 20};
        ::setrlimit(RLIMIT_AS, &space);
    });
    start(process, {QStringLiteral("-q"), QStringLiteral("-l"), QStringLiteral("1-8"), path});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(),
              "orvanta-count: Out of memory while reading " + path.toUtf8() +
                  ": this process may use 200 MiB of address space (ulimit -v); count fewer "
                  "files or lengths at once\n");
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
}

TEST_F(BadInputTest, APdfPastTheTimeLimitIsNamedAndTheRestIsCounted)
{
    const Outcome outcome = run({QStringLiteral("--convert-timeout"), QStringLiteral("1"),
                                 fixture("nested-forms.pdf"), fixture("text-a.pdf")});
    const QByteArray reason =
        QLatin1String(run_texts::kTimedOut).arg(QStringLiteral("1 second")).toUtf8();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, failureLine(fixture("nested-forms.pdf"), reason.constData()));
    EXPECT_TRUE(outcome.out.contains("the quick brown fox\t4\t2"));
}

TEST_F(BadInputTest, AFolderOfKeptTextsInUseIsWaitedForAloudAndCtrlCEndsTheWait)
{
    const QString kept = m_work.filePath(QStringLiteral("kept"));
    ASSERT_TRUE(QDir().mkdir(kept));
    const Descriptor lock(
        ::open(QFile::encodeName(kept + QStringLiteral("/.orvanta-lock")).constData(),
               O_RDWR | O_CREAT, 0600));
    ASSERT_EQ(::flock(lock.get(), LOCK_EX), 0);
    QProcess process;
    start(process, {QStringLiteral("--keep-text"), kept, fixture("text-a.pdf")});
    QByteArray said;
    for (int wait = 0; wait < 600 && !said.contains("Waiting"); ++wait) {
        process.waitForReadyRead(50);
        said += process.readAllStandardError();
    }
    EXPECT_EQ(said, "orvanta-count: Waiting for another run that keeps texts in the folder " +
                        kept.toUtf8() + " to finish.\n");
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 128 + SIGINT);
}

// `orvanta-count ... | head`: the reader left, so the run stops, cleans up and says nothing.
TEST_F(BadInputTest, AReaderThatGoesAwayEndsTheRunQuietlyAsSigpipeWould)
{
    QProcess pipeline;
    pipeline.start(QStringLiteral("bash"),
                   {QStringLiteral("-c"),
                    QStringLiteral("\"$0\" \"$@\" | true; exit ${PIPESTATUS[0]}"), kProgram,
                    fixture("text-a.pdf"), fixture("text-b.pdf")});
    ASSERT_TRUE(pipeline.waitForFinished(60000));
    EXPECT_EQ(pipeline.exitCode(), 128 + SIGPIPE);
    EXPECT_EQ(pipeline.readAllStandardError(), QByteArray());
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
}
