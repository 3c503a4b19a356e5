#pragma once

#include <QObject>

#include <functional>

class QThread;

namespace orvanta {

// Runs one piece of work on a thread of its own and then calls `done` on the thread that
// started it, so the window keeps repainting and answering meanwhile.
class BackgroundJob : public QObject {
    Q_OBJECT
public:
    explicit BackgroundJob(QObject *parent = nullptr);
    ~BackgroundJob() override;

    // False when a job is still running.
    bool start(std::function<void()> work, std::function<void()> done = {});
    bool isRunning() const { return m_thread != nullptr; }
    // Lets window events run until the job has ended (work may need the window meanwhile).
    void waitForEnd();

private:
    QThread *m_thread = nullptr;
};

} // namespace orvanta
