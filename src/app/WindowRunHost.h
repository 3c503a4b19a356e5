#pragma once

#include "base/ErrorReport.h"
#include "run/CountingRun.h"

#include <QObject>

#include <functional>

namespace orvanta {

class DialogService;

inline constexpr auto kPasswordTitle = "Input Password";
QString passwordPrompt(const QString &pdfPath);

// Answers work that runs on another thread (a counting run, the input list's checks and walks):
// every call is carried out on the window's thread, and the work waits for the ones that answer
// something. Error reports show as the window's error box.
class WindowRunHost final : public QObject, public CountingRunHost, public ErrorSink {
    Q_OBJECT
public:
    using ProgressShower = std::function<void(const RunProgress &)>;

    WindowRunHost(DialogService &dialogs, QString applicationTitle, ProgressShower showProgress,
                  QObject *parent = nullptr);

    void showNotice(const QString &text) override;
    // Asks in a masked input box; blank or cancelled is no password.
    QString askPassword(const QString &pdfPath) override;
    void reportProgress(const RunProgress &progress) override;
    void report(const ErrorReport &report) override;

private:
    // Runs `call` on the window's thread and waits for it.
    void onWindowThread(const std::function<void()> &call);

    DialogService &m_dialogs;
    QString m_title;
    ProgressShower m_showProgress;
};

} // namespace orvanta
