#pragma once

#include "run/CountingRun.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>

class QIODevice;

namespace orvanta {

struct CountOptions;
class TextStore;

// orvanta-count: counts the phrases of the given inputs together and prints the results list,
// or where one phrase occurs.
class CountCommand {
public:
    // An interrupt exits with 128 plus the signal's number: 130, 143, 129, or 141 (SIGPIPE, when
    // the reader of the results has gone).
    enum ExitCode { kSuccess = 0, kInputFailed = 1, kUsageError = 2 };
    using PasswordReader = std::function<QString(const QString &prompt, std::stop_token stop)>;

    CountCommand(QIODevice &out, QIODevice &err);
    ~CountCommand();

    // Asks for passwords with --ask-password; by default on the terminal without echo.
    void setPasswordReader(PasswordReader reader) { m_readPassword = std::move(reader); }
    // Shows progress on the error stream (for a terminal) unless --quiet is given.
    void setShowProgress(bool show) { m_showProgress = show; }

    int run(const QStringList &arguments);
    // Safe from any thread, such as a signal watcher: stops every wait (scan, prompt,
    // conversion, reading) and makes run() return 128 + signal.
    void interrupt(int signal);

private:
    class Host;

    int count(const CountOptions &options);
    int finish(const CountOptions &options, const RunOutcome &outcome);
    // The exit code of a command ended by a signal, said unless it is SIGPIPE.
    int stopped();
    bool print(const CountOptions &options, const RunOutcome &outcome);
    void say(const QString &text);

    QIODevice &m_out;
    QIODevice &m_err;
    PasswordReader m_readPassword;
    bool m_showProgress = false;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<TextStore> m_store;
    std::unique_ptr<CountingRun> m_run;
    std::atomic<int> m_interrupt{0};
};

} // namespace orvanta
