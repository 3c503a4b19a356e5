#pragma once

#include "cli/TerminalHost.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QIODevice;

namespace orvanta {

class Command;
class CountingRun;
class TextStore;
struct CountOptions;

// orvanta-count: reads its options, finds the inputs, counts them with one counting run and has
// the chosen mode (counting, --where, --passages) print its records, then says which inputs
// failed and exits accordingly.
class OrvantaCount {
public:
    // An interrupt exits with 128 plus the signal's number: 130, 143, 129, or 141 (SIGPIPE, when
    // the reader of the results has gone).
    enum ExitCode { kSuccess = 0, kInputFailed = 1, kUsageError = 2 };
    using PasswordReader = TerminalHost::PasswordReader;

    OrvantaCount(QIODevice &out, QIODevice &err);
    ~OrvantaCount();

    // Asks for passwords with --ask-password; by default on the terminal without echo.
    void setPasswordReader(PasswordReader reader) { m_readPassword = std::move(reader); }
    // Shows progress on the error stream (for a terminal) unless --quiet is given.
    void setShowProgress(bool show) { m_showProgress = show; }

    // How the found inputs are counted: by default with one counting run over them all.
    using Counter =
        std::function<RunOutcome(CountingRun &run, const QStringList &inputs,
                                 const std::vector<int> &lengths, CountingRunOptions &options)>;
    void setCounter(Counter counter) { m_counter = std::move(counter); }
    // False for a process that counts with others but leaves the printing to one of them: its
    // records go to its standard output, never to the --output file.
    void setWritesOutputFile(bool writes) { m_writesOutputFile = writes; }

    int run(const QStringList &arguments);
    // Safe from any thread, such as a signal watcher: stops every wait (scan, prompt,
    // conversion, reading) and makes run() return 128 + signal.
    void interrupt(int signal);

private:
    int count(const CountOptions &options, Command &command);
    int finish(const CountOptions &options, Command &command, const RunOutcome &outcome);
    bool print(const CountOptions &options, Command &command, const RunOutcome &outcome);
    // The exit code of a command ended by a signal, said unless it is SIGPIPE.
    int stopped();
    std::unique_ptr<Command> commandFor(const CountOptions &options);
    void say(const QString &text);

    QIODevice &m_out;
    QIODevice &m_err;
    PasswordReader m_readPassword;
    bool m_showProgress = false;
    std::unique_ptr<TerminalHost> m_host;
    std::unique_ptr<TextStore> m_store;
    std::unique_ptr<CountingRun> m_run;
    std::atomic<int> m_interrupt{0};
    Counter m_counter;
    bool m_writesOutputFile = true;
};

} // namespace orvanta
