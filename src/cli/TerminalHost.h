#pragma once

#include "base/ErrorReport.h"
#include "run/CountingRun.h"

#include <QString>

#include <functional>
#include <mutex>
#include <stop_token>

class QIODevice;

namespace orvanta {

// Says things on the terminal's error stream, each line starting "orvanta-count: ".
void sayOn(QIODevice &err, const QString &text);

// Answers a counting run on the terminal: progress on one line of the error stream (for a
// terminal), passwords read by the given reader, error reports as plain lines.
class TerminalHost final : public CountingRunHost, public ErrorSink {
public:
    using PasswordReader = std::function<QString(const QString &prompt, std::stop_token stop)>;

    TerminalHost(QIODevice &err, const PasswordReader &readPassword);

    void setShowProgress(bool show) { m_showProgress = show; }
    // Takes the progress line away before anything else is said.
    void clearProgress();
    int reports() const { return m_reports; }
    // Ends folder scans and prompts on an interrupt.
    std::stop_source &stopSource() { return m_stop; }

    void showNotice(const QString &) override {}
    QString askPassword(const QString &pdfPath) override;
    // Recognition reports from threads of its own.
    void reportProgress(const RunProgress &progress) override;
    // A terminal user reads the plain description, without the window's report around it.
    void report(const ErrorReport &report) override;

private:
    QIODevice &m_err;
    const PasswordReader &m_readPassword;
    bool m_showProgress = false;
    bool m_progressShown = false;
    std::mutex m_progressMutex;
    int m_reports = 0;
    std::stop_source m_stop;
};

} // namespace orvanta
