#include "run/ConversionQueue.h"

#include "extract/Converter.h"

#include <QStringLiteral>

#include <algorithm>

namespace orvanta {

namespace {

constexpr int kMostFilesAhead = 64;

// The heap's top is the largest file, the earliest added among equals.
template <typename Waiting> bool startsLater(const Waiting &a, const Waiting &b)
{
    return a.size != b.size ? a.size < b.size : a.order > b.order;
}

} // namespace

int filesToConvertAhead(int threads)
{
    return std::max(threads, conversionsTheDescriptorsAllow(kMostFilesAhead));
}

ConversionQueue::ConversionQueue(int threads)
{
    const int count = std::max(threads, 1);
    m_threads.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        m_threads.emplace_back([this] { work(); });
}

ConversionQueue::~ConversionQueue()
{
    std::vector<Waiting> abandoned;
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
        abandoned.swap(m_waiting);
    }
    m_added.notify_all();
    for (Waiting &waiting : abandoned)
        waiting.promise.set_value(Failure{QStringLiteral("The conversion was stopped.")});
    m_threads.clear(); // joins
}

std::future<Result<StoredTextHandle>> ConversionQueue::add(qint64 size, Job job)
{
    std::future<Result<StoredTextHandle>> text;
    {
        const std::lock_guard lock(m_mutex);
        m_waiting.push_back({size, m_addedCount++, std::move(job), {}});
        text = m_waiting.back().promise.get_future();
        std::push_heap(m_waiting.begin(), m_waiting.end(), startsLater<Waiting>);
    }
    m_added.notify_one();
    return text;
}

void ConversionQueue::work()
{
    for (;;) {
        Waiting next;
        {
            std::unique_lock lock(m_mutex);
            m_added.wait(lock, [this] { return m_closing || !m_waiting.empty(); });
            if (m_closing)
                return;
            std::pop_heap(m_waiting.begin(), m_waiting.end(), startsLater<Waiting>);
            next = std::move(m_waiting.back());
            m_waiting.pop_back();
        }
        try {
            next.promise.set_value(next.job());
        } catch (...) {
            next.promise.set_exception(std::current_exception());
        }
    }
}

} // namespace orvanta
