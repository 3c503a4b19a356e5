#include "QtPrinters.h"
#include "TestSupport.h"
#include "extract/ProcessRunner.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace orvanta;

namespace {

const QString kShell = QStringLiteral("/bin/sh");

struct ProcessOutput {
    QByteArray standardOutput;
    QByteArray standardError;
};

int runShell(const QString &script, const QStringList &arguments = {},
             ProcessOutput *output = nullptr, std::stop_token stop = {},
             const ProcessLimits &limits = {})
{
    ProcessOutput ignored;
    ProcessOutput &into = output ? *output : ignored;
    const ProcessStreams streams{[&into](QByteArrayView chunk) {
                                     into.standardOutput += chunk;
                                     return true;
                                 },
                                 &into.standardError};
    return runProcess(kShell, QStringList{QStringLiteral("-c"), script, kShell} + arguments, stop,
                      streams, limits);
}

// Holds the FIFO open with a "0" in it until the reader is done, so a reader still waiting
// (the child never wrote) gets pid 0 instead of blocking forever.
class FifoRelease {
public:
    explicit FifoRelease(const QString &fifo)
        : m_fd(::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK))
    {
        EXPECT_GE(m_fd, 0);
        EXPECT_EQ(::write(m_fd, "0\n", 2), 2);
    }
    ~FifoRelease()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    int m_fd;
};

class ProcessRunnerTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ProcessRunnerTest, ExitCodesArePassedThroughUnchanged)
{
    EXPECT_EQ(runShell(QStringLiteral("exit 0")), 0);
    EXPECT_EQ(runShell(QStringLiteral("exit 1")), 1);
    EXPECT_EQ(runShell(QStringLiteral("exit 3")), 3);
    EXPECT_EQ(runShell(QStringLiteral("exit 255")), 255);
}

TEST_F(ProcessRunnerTest, StartFailuresGiveTheNegativeCodes)
{
    EXPECT_EQ(runProcess(m_dir.filePath(QStringLiteral("missing")), {}), -2147221451);
    EXPECT_EQ(runProcess(QStringLiteral("orvanta-no-such-program"), {}), -2147221451);

    const QString plain = m_dir.filePath(QStringLiteral("not-executable"));
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(runProcess(plain, {}), -2147221434);
    EXPECT_EQ(runProcess(m_dir.path(), {}), -2147221434);
}

TEST_F(ProcessRunnerTest, ACrashedChildGivesTheCrashCode)
{
    EXPECT_EQ(runShell(QStringLiteral("kill -SEGV $$")), kProcessCrashed);
    EXPECT_LT(kProcessCrashed, 0);
}

TEST_F(ProcessRunnerTest, ArgumentsArriveByteForByte)
{
    const QStringList arguments{QStringLiteral("two words"),
                                QStringLiteral("quotes \" and ' here"),
                                QStringLiteral("$HOME and `id` and $(id)"),
                                QStringLiteral("line one\nline two"),
                                QStringLiteral("-n"),
                                QStringLiteral("--help"),
                                QString(),
                                QStringLiteral("Grüße, 東京, ½ – “quoted”"),
                                QStringLiteral("back\\slash; | & > *")};
    ProcessOutput output;
    // Each argument ends in a NUL, so newlines inside them cannot blur the boundaries.
    ASSERT_EQ(runShell(QStringLiteral("printf '%s\\0' \"$@\""), arguments, &output), 0);

    QByteArray expected;
    for (const QString &argument : arguments)
        expected += argument.toUtf8() + '\0';
    EXPECT_EQ(output.standardOutput, expected);
    EXPECT_TRUE(output.standardError.isEmpty());
}

TEST_F(ProcessRunnerTest, BothStreamsAreCapturedSeparatelyAndStdinIsEmpty)
{
    ProcessOutput output;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const int code =
        runShell(QStringLiteral("echo to-out; echo to-err >&2; cat; exit 2"), {}, &output);
    const std::string terminalOut = testing::internal::GetCapturedStdout();
    const std::string terminalErr = testing::internal::GetCapturedStderr();

    EXPECT_EQ(code, 2);
    EXPECT_EQ(output.standardOutput, QByteArray("to-out\n"));
    EXPECT_EQ(output.standardError, QByteArray("to-err\n"));
    EXPECT_EQ(terminalOut, "");
    EXPECT_EQ(terminalErr, "");
}

TEST_F(ProcessRunnerTest, WorksOnAThreadWithoutAnEventLoop)
{
    int code = -1;
    ProcessOutput output;
    std::thread worker(
        [&] { code = runShell(QStringLiteral("echo from-worker; exit 3"), {}, &output); });
    worker.join();
    EXPECT_EQ(code, 3);
    EXPECT_EQ(output.standardOutput, QByteArray("from-worker\n"));
}

TEST_F(ProcessRunnerTest, StopFromAnotherThreadKillsAndReapsTheChild)
{
    // The child reports its pid through a FIFO, so the stop is sent once it surely runs.
    const QString fifo = m_dir.filePath(QStringLiteral("pid"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::stop_source stop;
    pid_t child = 0;
    std::thread canceller([&] {
        std::ifstream in(QFile::encodeName(fifo).toStdString());
        in >> child;
        stop.request_stop();
    });

    // The sleep outlasts the test's time limit, so a child that is not killed fails the test.
    const int code = runShell(QStringLiteral("echo $$ > \"$1\"; exec sleep 600"), {fifo}, nullptr,
                              stop.get_token());
    {
        const FifoRelease release(fifo);
        canceller.join();
    }

    EXPECT_EQ(code, kProcessCancelled);
    EXPECT_LT(kProcessCancelled, 0);
    EXPECT_NE(kProcessCancelled, kProcessCrashed);
    ASSERT_GT(child, 0);
    EXPECT_EQ(::kill(child, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST_F(ProcessRunnerTest, AStopRequestedBeforehandStartsNothing)
{
    std::stop_source stop;
    stop.request_stop();
    const QString marker = m_dir.filePath(QStringLiteral("ran"));
    EXPECT_EQ(runShell(QStringLiteral("touch \"$1\""), {marker}, nullptr, stop.get_token()),
              kProcessCancelled);
    EXPECT_FALSE(QFile::exists(marker));
}

// Bounds and ends

TEST_F(ProcessRunnerTest, OnlyTheStartOfTheErrorOutputIsKeptAndTheRestDoesNotBlockTheChild)
{
    ProcessOutput output;
    // Ten megabytes of complaints, far more than a pipe holds.
    EXPECT_EQ(runShell(QStringLiteral("head -c 10000000 /dev/zero | tr '\\0' e >&2; echo done"), {},
                       &output),
              0);
    EXPECT_EQ(output.standardError.size(), kErrorHeadBytes);
    EXPECT_EQ(output.standardOutput, QByteArray("done\n"));
}

TEST_F(ProcessRunnerTest, RefusingTheOutputStopsTheChild)
{
    qsizetype received = 0;
    const ProcessStreams streams{[&received](QByteArrayView chunk) {
        received += chunk.size();
        return false;
    }};
    EXPECT_EQ(runProcess(QStringLiteral("yes"), {}, {}, streams), kProcessCancelled);
    EXPECT_GT(received, 0);
}

// Limits: a child past its time is killed and reaped; its memory is capped, and a child that
// died saying it ran out of memory under a cap is told apart from a crash.
TEST_F(ProcessRunnerTest, AChildPastItsTimeIsKilledAndItsMemoryIsCapped)
{
    const QString pidFile = m_dir.filePath(QStringLiteral("child.pid"));
    const ProcessLimits briefly{std::chrono::milliseconds(200), 0};
    EXPECT_EQ(runShell(QStringLiteral("echo $$ > \"$1\"; exec sleep 600"), {pidFile}, nullptr, {},
                       briefly),
              kProcessTimedOut);
    EXPECT_TRUE(processIsGone(readFile(pidFile).trimmed().toLongLong()));
    EXPECT_EQ(runShell(QStringLiteral("exec yes"), {}, nullptr, {}, briefly), kProcessTimedOut);

    const qint64 cap = qint64(300) << 20;
    ProcessOutput output;
    ASSERT_EQ(runShell(QStringLiteral("ulimit -v"), {}, &output, {}, {{}, cap}), 0);
    EXPECT_EQ(output.standardOutput.trimmed().toLongLong(), cap / 1024);

    const QString dying = QStringLiteral("echo 'Out of memory' >&2; kill -ABRT $$");
    EXPECT_EQ(runShell(dying, {}, nullptr, {}, {{}, cap}), kProcessOutOfMemory);
    EXPECT_EQ(runShell(dying), kProcessCrashed);
    EXPECT_EQ(runShell(QStringLiteral("kill -ABRT $$"), {}, nullptr, {}, {{}, cap}),
              kProcessCrashed);
}

// A converter must not outlive a window or terminal run that was killed outright.
TEST_F(ProcessRunnerTest, TheChildDiesWhenItsParentIsKilled)
{
    const QString pidFile = m_dir.filePath(QStringLiteral("child.pid"));
    const pid_t parent = ::fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        runProcess(kShell, {QStringLiteral("-c"),
                            QStringLiteral("echo $$ > \"$1\"; exec sleep 600"), kShell, pidFile});
        ::_exit(0);
    }
    pid_t child = 0;
    for (int i = 0; i < 500 && child == 0; ++i) {
        QFile file(pidFile);
        if (file.open(QIODevice::ReadOnly))
            child = pid_t(file.readAll().trimmed().toInt());
        if (child == 0)
            ::usleep(20000);
    }
    ASSERT_GT(child, 0);
    ::kill(parent, SIGKILL);
    ::waitpid(parent, nullptr, 0);
    EXPECT_TRUE(waitUntilGone(child));
}
