#include "app/WindowRunHost.h"

#include "base/DialogService.h"

#include <QThread>

namespace orvanta {

WindowRunHost::WindowRunHost(DialogService &dialogs, QString applicationTitle, Window window,
                             QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_title(std::move(applicationTitle))
    , m_window(std::move(window))
{
}

void WindowRunHost::onWindowThread(const std::function<void()> &call)
{
    if (QThread::currentThread() == thread())
        call();
    else
        QMetaObject::invokeMethod(this, call, Qt::BlockingQueuedConnection);
}

void WindowRunHost::showNotice(const QString &text)
{
    onWindowThread([&] { m_dialogs.message(text, m_title); });
}

QString WindowRunHost::askPassword(const QString &prompt, const QString &title)
{
    QString password;
    onWindowThread([&] { password = m_dialogs.input(prompt, title, true).value_or(QString()); });
    return password;
}

void WindowRunHost::setBusy(bool busy)
{
    onWindowThread([&] { m_window.setBusy(busy); });
}

void WindowRunHost::reportProgress(const RunProgress &progress)
{
    // Progress need not be waited for.
    QMetaObject::invokeMethod(
        this, [this, progress] { m_window.showProgress(progress); }, Qt::QueuedConnection);
}

void WindowRunHost::showResults(PhraseResults results)
{
    onWindowThread([&] { m_window.showResults(std::move(results)); });
}

void WindowRunHost::report(const ErrorReport &report)
{
    onWindowThread([&] {
        m_dialogs.message(report.message(), QLatin1String(kErrorReportTitle),
                          DialogService::Icon::Warning);
    });
}

} // namespace orvanta
