#pragma once

#include "base/Descriptor.h"
#include "extract/Converter.h"

#include <QByteArrayView>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace orvanta {

// An 8-bit grey picture, one byte a pixel, rows top to bottom without padding; 0 is black.
struct GrayImage {
    int width = 0;
    int height = 0;
    double dpi = 0; // the resolution it was drawn at
    QByteArray pixels;
};

// Long-lived conversion workers (orvanta-convert): each converts PDF after PDF as pdftotext
// would, without a process start per file, and a PDF that crashes one takes only that worker
// down. Workers start as conversions need them and stay until the pool goes; they die with
// this process, even when it is killed.
class ConvertWorkerPool {
public:
    explicit ConvertWorkerPool(QString program);
    ~ConvertWorkerPool();
    ConvertWorkerPool(const ConvertWorkerPool &) = delete;
    ConvertWorkerPool &operator=(const ConvertWorkerPool &) = delete;

    const QString &program() const { return m_program; }

    // The worker found for this program: $ORVANTA_CONVERT_WORKER, or orvanta-convert beside
    // the executable or in its libexec folder; empty when there is none.
    static QString locateWorker();

    // Safe from several threads at once; each conversion has a worker of its own. The text
    // goes to `onText` in pieces as the worker makes it; when that returns false the worker is
    // stopped. A worker past a limit is stopped too.
    ConversionOutcome convert(const QString &pdfPath, const QString &password,
                              const ConversionLimits &limits,
                              const std::function<bool(QByteArrayView)> &onText,
                              std::stop_token stop);

    // Draws one page (from 1) at `dpi`, or at the highest resolution at which it takes no more
    // than `mostPixels` pixels, into `image`. A page that does not exist is Damaged.
    ConversionOutcome draw(const QString &pdfPath, const QString &password, int page, double dpi,
                           qint64 mostPixels, const ConversionLimits &limits, GrayImage &image,
                           std::stop_token stop);

private:
    struct Worker {
        pid_t pid = -1;
        Descriptor requests; // its standard input
        Descriptor answers;  // its standard output
    };

    struct Answer;
    // Sends the request to a worker and reads its answer; a worker is used again only after a
    // complete answer that leaves it running.
    Answer exchange(const QByteArray &request, const ConversionLimits &limits,
                    const std::function<bool(QByteArrayView)> &onText, GrayImage *image,
                    qint64 mostPixels, std::stop_token stop);
    std::unique_ptr<Worker> takeIdle();
    void giveBack(std::unique_ptr<Worker> worker);
    static void discard(std::unique_ptr<Worker> worker);
    std::unique_ptr<Worker> start();
    void spawnOnRequest();

    const QString m_program;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Worker>> m_idle;

    // Workers are started on one thread of the pool's own: a child dies with the thread that
    // started it, and conversion threads come and go.
    std::condition_variable m_spawnWanted;
    std::condition_variable m_spawnDone;
    int m_spawnRequests = 0;
    std::deque<std::unique_ptr<Worker>> m_spawned;
    bool m_closing = false;
    std::thread m_spawner;
};

} // namespace orvanta
