#pragma once

// A counting run's host that keeps what it is told and answers password prompts from a list.

#include "base/ErrorReport.h"
#include "run/CountingRun.h"

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace orvanta {

class RecordingRunHost : public CountingRunHost, public ErrorSink {
public:
    void showNotice(const QString &text) override { notices << text; }
    // The next scripted password, or what `answer` gives for the PDF; empty when neither.
    QString askPassword(const QString &pdfPath) override
    {
        asked << pdfPath;
        if (answer)
            return answer(pdfPath);
        if (passwords.empty())
            return {};
        const QString password = passwords.front();
        passwords.pop_front();
        return password;
    }
    // Recognition reports from threads of its own.
    void reportProgress(const RunProgress &reported) override
    {
        const std::lock_guard lock(m_mutex);
        progress.push_back(reported);
    }
    void report(const ErrorReport &report) override { reports.push_back(report); }

    // For each file converted or read, whether its text came from the store.
    std::vector<bool> fromStore() const
    {
        std::vector<bool> stored;
        for (const RunProgress &reported : progress) {
            if (reported.stage == RunProgress::Stage::Converting)
                stored.push_back(reported.fromStore);
        }
        return stored;
    }

    QStringList notices;
    QStringList asked; // the PDFs a password was asked for
    std::deque<QString> passwords;
    std::function<QString(const QString &pdfPath)> answer;
    std::vector<RunProgress> progress;
    std::vector<ErrorReport> reports;

private:
    std::mutex m_mutex;
};

} // namespace orvanta
