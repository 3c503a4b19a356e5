#include "extract/ProcessRunner.h"

#include "base/Descriptor.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orvanta {

namespace {

constexpr size_t kReadBytes = 64 * 1024;

struct Pipe {
    Descriptor read;
    Descriptor write;

    bool open()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return false;
        read.reset(ends[0]);
        write.reset(ends[1]);
        return true;
    }
};

QString resolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/')))
        return program;
    return QStandardPaths::findExecutable(program);
}

int startFailureCode(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return kProcessNotFound;
    case EACCES:
    case EISDIR:
    case EPERM:
        return kProcessNotExecutable;
    default:
        return kProcessStartFailed;
    }
}

// Everything the child needs is made before the fork: after it, only calls that are safe in a
// child of a threaded process may run.
struct ChildPlan {
    QByteArray program;
    std::vector<QByteArray> argumentBytes;
    std::vector<char *> argv;
    pid_t parent = ::getpid();
    qint64 memoryBytes = 0;

    ChildPlan(const QString &path, const QStringList &arguments, qint64 memory = 0)
        : program(QFile::encodeName(path))
        , memoryBytes(memory)
    {
        argumentBytes.push_back(program);
        for (const QString &argument : arguments)
            argumentBytes.push_back(QFile::encodeName(argument));
        for (QByteArray &bytes : argumentBytes)
            argv.push_back(bytes.data());
        argv.push_back(nullptr);
    }
};

[[noreturn]] void execChild(const ChildPlan &plan, int inFd, int outFd, int errFd, int statusFd)
{
    // Dies with the thread that started it, so a killed parent leaves no converter behind.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != plan.parent)
        ::_exit(127);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal = 1; signal < NSIG; ++signal)
        ::signal(signal, SIG_DFL);
    if (plan.memoryBytes > 0) {
        const rlimit memory{rlim_t(plan.memoryBytes), rlim_t(plan.memoryBytes)};
        ::setrlimit(RLIMIT_AS, &memory);
    }
    const int nullFd = ::open("/dev/null", O_RDWR);
    if (nullFd < 0 || ::dup2(inFd < 0 ? nullFd : inFd, STDIN_FILENO) < 0 ||
        ::dup2(outFd, STDOUT_FILENO) < 0 || ::dup2(errFd < 0 ? nullFd : errFd, STDERR_FILENO) < 0) {
        const int error = errno;
        (void)!::write(statusFd, &error, sizeof error);
        ::_exit(127);
    }
    ::execv(plan.program.constData(), plan.argv.data());
    const int error = errno;
    (void)!::write(statusFd, &error, sizeof error);
    ::_exit(127);
}

// The errno of a failed exec, or 0 once the program runs (the status pipe closes on exec).
int readExecError(int statusFd)
{
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(statusFd, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == ssize_t(sizeof error) ? error : 0;
}

int waitForExit(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Follows one running child: drains both streams, watches for a stop, and reaps it.
class RunningChild {
public:
    using Clock = std::chrono::steady_clock;

    RunningChild(pid_t pid, Pipe &out, Pipe &err, const ProcessStreams &streams,
                 std::stop_token stop, const ProcessLimits &limits)
        : m_pid(pid)
        , m_out(out.read)
        , m_err(err.read)
        , m_streams(streams)
        , m_limits(limits)
        , m_deadline(limits.time.count() > 0 ? Clock::now() + limits.time
                                             : Clock::time_point::max())
        , m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
        , m_onStop(stop, [this] { wake(); })
    {
    }

    int finish()
    {
        while ((m_out.isOpen() || m_err.isOpen()) && !m_killed)
            pollOnce(-1);
        m_out.reset();
        m_err.reset();
        while (!m_killed) {
            int status = 0;
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid)
                return exitCode(status);
            if (done < 0 && errno != EINTR)
                return kProcessStartFailed;
            pollOnce(20); // a child that closed its streams but lives on can still be stopped
        }
        waitForExit(m_pid);
        return m_timedOut ? kProcessTimedOut : kProcessCancelled;
    }

private:
    void wake()
    {
        const std::uint64_t one = 1;
        (void)!::write(m_wake.get(), &one, sizeof one);
    }

    void kill()
    {
        if (!m_killed)
            ::kill(m_pid, SIGKILL);
        m_killed = true;
    }

    // The wait until the time limit, capped at `wanted` (-1: no cap).
    int untilDeadline(int wanted) const
    {
        if (m_deadline == Clock::time_point::max())
            return wanted;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
        const int bounded = int(std::clamp<std::int64_t>(left, 0, 1000 * 1000));
        return wanted < 0 ? bounded : std::min(wanted, bounded);
    }

    void pollOnce(int timeoutMs)
    {
        std::array<pollfd, 3> fds{
            {{m_wake.get(), POLLIN, 0}, {m_out.get(), POLLIN, 0}, {m_err.get(), POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), untilDeadline(timeoutMs));
        // Looked at after every wait: a child that never stops writing never lets one time out.
        if (Clock::now() >= m_deadline) {
            m_timedOut = true;
            kill();
            return;
        }
        if (ready < 0)
            return;
        if (fds[0].revents != 0) {
            kill();
            return;
        }
        if (fds[1].revents != 0)
            drain(m_out, true);
        if (fds[2].revents != 0)
            drain(m_err, false);
    }

    void drain(Descriptor &fd, bool isOutput)
    {
        const ssize_t got = ::read(fd.get(), m_buffer.data(), m_buffer.size());
        if (got < 0 && errno == EINTR)
            return;
        if (got <= 0) {
            fd.reset();
            return;
        }
        const QByteArrayView chunk(m_buffer.data(), got);
        if (isOutput) {
            if (m_streams.onOutput && !m_streams.onOutput(chunk))
                kill();
        } else {
            const qsizetype room = kErrorHeadBytes - m_errorHead.size();
            if (room <= 0)
                return;
            const QByteArrayView kept = chunk.first(std::min(room, chunk.size()));
            m_errorHead.append(kept);
            if (m_streams.errorHead)
                m_streams.errorHead->append(kept);
        }
    }

    int exitCode(int status) const
    {
        if (WIFSIGNALED(status))
            return m_limits.memoryBytes > 0 && soundsOutOfMemory(m_errorHead) ? kProcessOutOfMemory
                                                                              : kProcessCrashed;
        return WIFEXITED(status) ? WEXITSTATUS(status) : kProcessCrashed;
    }

    pid_t m_pid;
    Descriptor &m_out;
    Descriptor &m_err;
    const ProcessStreams &m_streams;
    const ProcessLimits m_limits;
    const Clock::time_point m_deadline;
    QByteArray m_errorHead;
    Descriptor m_wake;
    bool m_killed = false;
    bool m_timedOut = false;
    std::array<char, kReadBytes> m_buffer{};
    std::stop_callback<std::function<void()>> m_onStop;
};

} // namespace

bool soundsOutOfMemory(QByteArrayView errorHead)
{
    return errorHead.contains("Out of memory") || errorHead.contains("bad_alloc") ||
           errorHead.contains("Cannot allocate memory");
}

int runProcess(const QString &program, const QStringList &arguments, std::stop_token stop,
               const ProcessStreams &streams, const ProcessLimits &limits)
{
    if (stop.stop_requested())
        return kProcessCancelled;
    const QString path = resolveProgram(program);
    if (path.isEmpty())
        return kProcessNotFound;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return kProcessNotExecutable;

    Pipe out, err, status;
    if (!out.open() || !err.open() || !status.open())
        return kProcessStartFailed;
    if (streams.errorHead)
        streams.errorHead->clear();
    const ChildPlan plan(path, arguments, limits.memoryBytes);
    const pid_t pid = ::fork();
    if (pid < 0)
        return kProcessStartFailed;
    if (pid == 0)
        execChild(plan, -1, out.write.get(), err.write.get(), status.write.get());

    out.write.reset();
    err.write.reset();
    status.write.reset();
    if (const int error = readExecError(status.read.get())) {
        waitForExit(pid);
        return startFailureCode(error);
    }
    return RunningChild(pid, out, err, streams, std::move(stop), limits).finish();
}

Result<StartedProcess> startProcess(const QString &program, const QStringList &arguments)
{
    const auto failed = [&program](int error) {
        return Failure{QStringLiteral("%1 cannot be started: %2")
                           .arg(program, QString::fromLocal8Bit(std::strerror(error)))};
    };
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return failed(errno);
    Descriptor ours(ends[0]);
    Descriptor theirs(ends[1]);
    Pipe out, status;
    if (!out.open() || !status.open())
        return failed(errno);
    const ChildPlan plan(program, arguments);
    const pid_t pid = ::fork();
    if (pid < 0)
        return failed(errno);
    if (pid == 0)
        execChild(plan, theirs.get(), out.write.get(), -1, status.write.get());
    theirs.reset();
    out.write.reset();
    status.write.reset();
    if (const int error = readExecError(status.read.get())) {
        waitForExit(pid);
        return failed(error);
    }
    return StartedProcess{pid, std::move(ours), std::move(out.read)};
}

} // namespace orvanta
