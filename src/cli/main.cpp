#include "cli/OrvantaCount.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kGraceTime = std::chrono::seconds(5);

// Ctrl-C, SIGTERM, SIGHUP and SIGPIPE interrupt whatever the command waits for; it then cleans
// up and exits with 128 plus the signal's number. A write to a pipe nobody reads fails instead
// of killing the process, and the command ends the same way. The signals are blocked in every
// thread and taken by one watcher thread, which SIGUSR1 wakes when the program is done. Should the
// command not end in time, or a second signal come, the watcher ends the process itself; a later
// start removes what was left behind.

// Blocked from the first moment, so that a signal that comes while the program starts waits for
// the watcher instead of ending the process before it can clean up.
sigset_t blockWatchedSignals()
{
    sigset_t watched;
    sigemptyset(&watched);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGUSR1})
        sigaddset(&watched, signal);
    pthread_sigmask(SIG_BLOCK, &watched, nullptr);
    return watched;
}

class SignalWatcher {
public:
    SignalWatcher(orvanta::OrvantaCount &command, const sigset_t &watched)
        : m_signals(watched)
    {
        m_thread = std::thread([this, &command] { watch(command); });
    }
    ~SignalWatcher()
    {
        m_done = true;
        pthread_kill(m_thread.native_handle(), SIGUSR1);
        m_thread.join();
    }

private:
    void watch(orvanta::OrvantaCount &command)
    {
        int first = 0;
        while (!m_done) {
            int signal = 0;
            if (first != 0) {
                const timespec wait{std::chrono::seconds(kGraceTime).count(), 0};
                siginfo_t info{};
                signal = sigtimedwait(&m_signals, &info, &wait);
                if (!m_done && signal != SIGUSR1)
                    ::_exit(128 + first);
                continue;
            }
            if (sigwait(&m_signals, &signal) != 0 || signal == SIGUSR1)
                continue;
            first = signal;
            command.interrupt(signal);
        }
    }

    sigset_t m_signals;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace

int main(int argc, char *argv[])
{
    const sigset_t watched = blockWatchedSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvanta-count"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr,
             QIODevice::WriteOnly | QIODevice::Unbuffered); // progress and waits show at once
    orvanta::OrvantaCount command(out, err);
    command.setShowProgress(isatty(STDERR_FILENO));
    SignalWatcher watcher(command, watched);
    return command.run(QCoreApplication::arguments());
}
