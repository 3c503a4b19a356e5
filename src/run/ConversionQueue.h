#pragma once

#include "base/Result.h"
#include "documents/TextStore.h"

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace orvanta {

// Runs conversions on a fixed number of threads, the biggest file waiting first, so that one
// long conversion never leaves the other threads idle while the texts are taken in list order.
// Conversions not started when the queue goes end as stopped; the running ones are waited for.
class ConversionQueue {
public:
    using Job = std::function<Result<StoredTextHandle>()>;

    explicit ConversionQueue(int threads);
    ~ConversionQueue();
    ConversionQueue(const ConversionQueue &) = delete;
    ConversionQueue &operator=(const ConversionQueue &) = delete;

    // `size` orders the waiting jobs: the largest starts first, equal sizes in the order added.
    std::future<Result<StoredTextHandle>> add(qint64 size, Job job);

private:
    struct Waiting {
        qint64 size = 0;
        quint64 order = 0;
        Job job;
        std::promise<Result<StoredTextHandle>> promise;
    };

    void work();

    std::mutex m_mutex;
    std::condition_variable m_added;
    std::vector<Waiting> m_waiting; // a heap, the next to start on top
    quint64 m_addedCount = 0;
    bool m_closing = false;
    std::vector<std::jthread> m_threads;
};

// How many files may be converted ahead of the one being used, at least `threads`: each text
// waiting holds a descriptor, and the open-file limit must leave room for the conversions.
int filesToConvertAhead(int threads);

} // namespace orvanta
