#include "app/WindowRunHost.h"

#include "base/DialogService.h"

#include <QThread>

namespace orvanta {

QString passwordPrompt(const QString &pdfPath)
{
    return QStringLiteral("Enter password for file (") + pdfPath + QStringLiteral("): ") +
           QStringLiteral("\r\n") +
           QStringLiteral("Note: Leave this box blank if file is not password protected");
}

WindowRunHost::WindowRunHost(DialogService &dialogs, QString applicationTitle,
                             ProgressShower showProgress, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_title(std::move(applicationTitle))
    , m_showProgress(std::move(showProgress))
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

QString WindowRunHost::askPassword(const QString &pdfPath)
{
    QString password;
    onWindowThread([&] {
        password = m_dialogs.input(passwordPrompt(pdfPath), QLatin1String(kPasswordTitle), true)
                       .value_or(QString());
    });
    return password;
}

void WindowRunHost::reportProgress(const RunProgress &progress)
{
    // Progress need not be waited for.
    QMetaObject::invokeMethod(
        this, [this, progress] { m_showProgress(progress); }, Qt::QueuedConnection);
}

void WindowRunHost::report(const ErrorReport &report)
{
    onWindowThread([&] {
        m_dialogs.message(report.message(), QLatin1String(kErrorReportTitle),
                          DialogService::Icon::Warning);
    });
}

} // namespace orvanta
