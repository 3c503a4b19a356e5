#pragma once

#include "phrases/CountingRun.h"

#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;

namespace orvanta {

// orvanta-count: counts the phrases of the given files together and prints the results list.
class CountCommand {
public:
    enum ExitCode { kSuccess = 0, kInputFailed = 1, kUsageError = 2, kCancelled = 130 };
    using PasswordReader = std::function<QString(const QString &prompt)>;

    CountCommand(QIODevice &out, QIODevice &err);
    ~CountCommand();

    // Asks for passwords with --ask-password; by default on the terminal without echo.
    void setPasswordReader(PasswordReader reader) { m_readPassword = std::move(reader); }
    // Shows progress on the error stream (for a terminal).
    void setShowProgress(bool show) { m_showProgress = show; }

    int run(const QStringList &arguments);
    // Safe from any thread, such as a signal watcher.
    void cancel() { m_run.cancel(); }

private:
    class Host;

    QIODevice &m_out;
    QIODevice &m_err;
    PasswordReader m_readPassword;
    bool m_showProgress = false;
    std::unique_ptr<Host> m_host;
    CountingRun m_run;
};

// Reads a line from the terminal with echo off; empty when there is no terminal.
QString readPasswordFromTerminal(const QString &prompt);

} // namespace orvanta
