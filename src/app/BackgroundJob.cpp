#include "app/BackgroundJob.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace orvanta {

BackgroundJob::BackgroundJob(QObject *parent)
    : QObject(parent)
{
}

BackgroundJob::~BackgroundJob()
{
    waitForEnd();
}

bool BackgroundJob::start(std::function<void()> work, std::function<void()> done)
{
    if (m_thread)
        return false;
    m_thread = QThread::create(std::move(work));
    connect(m_thread, &QThread::finished, this, [this, done = std::move(done)] {
        m_thread->deleteLater();
        m_thread = nullptr;
        if (done)
            done();
    });
    m_thread->start();
    return true;
}

void BackgroundJob::waitForEnd()
{
    while (m_thread)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace orvanta
