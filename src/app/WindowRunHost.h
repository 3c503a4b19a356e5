#pragma once

#include "base/ErrorReport.h"
#include "run/CountingRun.h"

#include <QObject>

#include <functional>

namespace orvanta {

class DialogService;

// Answers a counting run that works on another thread: every call is carried out on the
// window's thread, and the run waits for the ones that answer something.
class WindowRunHost final : public QObject, public CountingRunHost, public ErrorSink {
    Q_OBJECT
public:
    struct Window {
        std::function<void(bool busy)> setBusy;
        std::function<void(const RunProgress &)> showProgress;
        std::function<void(PhraseResults)> showResults;
    };

    WindowRunHost(DialogService &dialogs, QString applicationTitle, Window window,
                  QObject *parent = nullptr);

    void showNotice(const QString &text) override;
    QString askPassword(const QString &prompt, const QString &title) override;
    void setBusy(bool busy) override;
    void reportProgress(const RunProgress &progress) override;
    void showResults(PhraseResults results) override;
    ErrorSink &errorSink() override { return *this; }
    void report(const ErrorReport &report) override;

private:
    // Runs `call` on the window's thread and waits for it.
    void onWindowThread(const std::function<void()> &call);

    DialogService &m_dialogs;
    QString m_title;
    Window m_window;
};

} // namespace orvanta
