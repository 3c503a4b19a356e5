#include "app/InputListWork.h"

#include "app/BackgroundJob.h"
#include "filelist/FileDrop.h"

#include <QFileInfo>

#include <memory>

namespace orvanta {

InputListWork::InputListWork(AdmissionCheck &check, ErrorSink &errors, QObject *parent)
    : QObject(parent)
    , m_check(check)
    , m_errors(errors)
    , m_checkJob(new BackgroundJob(this))
{
}

InputListWork::~InputListWork()
{
    cancel();
}

bool InputListWork::isChecking() const
{
    return m_checkJob->isRunning();
}

void InputListWork::check(const QStringList &paths)
{
    if (isChecking()) {
        m_checkAgain = true; // the files added meanwhile are checked right after
        return;
    }
    m_checkStop = std::stop_source();
    auto result = std::make_shared<AdmissionResult>();
    const std::stop_token stop = m_checkStop.get_token();
    m_checkJob->start(
        [this, paths, result, stop] {
            *result = m_check.check(paths, stop, [this](int done, int total, const QString &path) {
                emit progress(QStringLiteral("Checking %1 of %2: %3")
                                  .arg(done)
                                  .arg(total)
                                  .arg(QFileInfo(path).fileName()));
            });
        },
        [this, result] {
            emit checkFinished(*result);
            if (std::exchange(m_checkAgain, false) && !result->cancelled)
                emit checkWanted();
        });
}

void InputListWork::walk(const QStringList &paths, bool scan)
{
    startWalk(
        [this, paths, scan](const ScanControl &control) {
            return scan ? filesInFolderTree(paths.first(), QLatin1String(kScanPattern), m_errors,
                                            control)
                        : rowsForDrop(paths, m_errors, control);
        },
        scan);
}

void InputListWork::walkOpened(const QStringList &paths)
{
    startWalk([this, paths](
                  const ScanControl &control) { return rowsForOpening(paths, m_errors, control); },
              /*scan=*/true);
}

void InputListWork::startWalk(std::function<ScanResult(const ScanControl &)> walker, bool scan)
{
    auto *job = new BackgroundJob(this);
    m_walks.append(job);
    auto found = std::make_shared<ScanResult>();
    const std::stop_token stop = m_walkStop.get_token();
    job->start(
        [walker = std::move(walker), found, stop] {
            *found = walker(ScanControl{stop, {}});
        },
        [this, job, found, scan] {
            m_walks.removeOne(job);
            job->deleteLater();
            emit walkFinished(*found, scan);
        });
}

void InputListWork::cancel()
{
    m_checkStop.request_stop();
    m_walkStop.request_stop();
    m_checkJob->waitForEnd();
    while (!m_walks.isEmpty())
        m_walks.first()->waitForEnd();
    m_walkStop = std::stop_source();
}

} // namespace orvanta
