#include "cli/CountCommand.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <csignal>
#include <ctime>
#include <thread>
#include <unistd.h>

namespace {

// Ctrl-C and SIGTERM cancel the run: the converters are stopped and temporary files removed.
// The signals are blocked in every thread and taken by one watcher thread.
class SignalWatcher {
public:
    explicit SignalWatcher(orvanta::CountCommand &command)
    {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
        m_thread = std::thread([this, &command] {
            const timespec interval{0, 200'000'000};
            while (!m_done) {
                if (sigtimedwait(&m_signals, nullptr, &interval) > 0)
                    command.cancel();
            }
        });
    }
    ~SignalWatcher()
    {
        m_done = true;
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
