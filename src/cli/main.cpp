#include "cli/CountCommand.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

// Ctrl-C and SIGTERM cancel the run: the converters are stopped and temporary files removed.
// The signals are blocked in every thread and taken by one watcher thread, which SIGUSR1 wakes
// when the program is done.
class SignalWatcher {
public:
    explicit SignalWatcher(orvanta::CountCommand &command)
    {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        sigaddset(&m_signals, SIGUSR1);
        pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
        m_thread = std::thread([this, &command] {
            while (!m_done) {
                int signal = 0;
                if (sigwait(&m_signals, &signal) == 0 && signal != SIGUSR1)
                    command.cancel();
            }
        });
    }
    ~SignalWatcher()
    {
        m_done = true;
        pthread_kill(m_thread.native_handle(), SIGUSR1);
        m_thread.join();
    }

private:
    sigset_t m_signals;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvanta-count"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    orvanta::CountCommand command(out, err);
    command.setShowProgress(isatty(STDERR_FILENO));
    SignalWatcher watcher(command);
    return command.run(QCoreApplication::arguments());
}
