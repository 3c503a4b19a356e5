#include "QtPrinters.h"
#include "run/ConversionQueue.h"

#include <gtest/gtest.h>

#include <latch>
#include <stdexcept>
#include <thread>

using namespace orvanta;

namespace {

// A job that notes when it started and hands back a text of `bytes` bytes.
ConversionQueue::Job noting(std::vector<qint64> &started, std::mutex &mutex, qint64 bytes)
{
    return [&started, &mutex, bytes]() -> Result<StoredTextHandle> {
        const std::lock_guard lock(mutex);
        started.push_back(bytes);
        auto text = std::make_shared<StoredText>();
        text->bytes = bytes;
        return StoredTextHandle{text, {}};
    };
}

} // namespace

// While its one thread is busy, the waiting files start biggest first, equal sizes in the order
// they came; each caller gets its own file's text.
TEST(ConversionQueueTest, TheBiggestWaitingFileStartsFirst)
{
    std::vector<qint64> started;
    std::mutex mutex;
    std::latch busy(1);
    std::latch release(1);
    ConversionQueue queue(1);
    auto first = queue.add(1, [&]() -> Result<StoredTextHandle> {
        busy.count_down();
        release.wait();
        return Failure{QStringLiteral("first")};
    });
    busy.wait();
    const std::vector<qint64> sizes = {5, 70, 5, 300, 1};
    std::vector<std::future<Result<StoredTextHandle>>> texts;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        texts.push_back(queue.add(sizes[i], noting(started, mutex, sizes[i] * 10 + qint64(i))));
    release.count_down();
    EXPECT_EQ(first.get().error(), QStringLiteral("first"));
    for (std::size_t i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(texts[i].get()->text->bytes, sizes[i] * 10 + qint64(i));
    EXPECT_EQ(started, (std::vector<qint64>{3003, 701, 50, 52, 14}));
}

// Files not started when the queue goes end as stopped without running, while the running one
// is waited for; a job that throws hands its exception to the caller.
TEST(ConversionQueueTest, WaitingFilesEndStoppedAndExceptionsReachTheCaller)
{
    std::vector<qint64> started;
    std::mutex mutex;
    std::latch busy(1);
    std::latch release(1);
    std::future<Result<StoredTextHandle>> thrown;
    std::future<Result<StoredTextHandle>> waiting;
    std::jthread releaser;
    {
        ConversionQueue queue(1);
        thrown = queue.add(9, [&]() -> Result<StoredTextHandle> {
            busy.count_down();
            release.wait();
            throw std::runtime_error("converter gone");
        });
        busy.wait();
        waiting = queue.add(1, noting(started, mutex, 1));
        // The running job ends only once the queue has given up the waiting one.
        releaser = std::jthread([&] {
            waiting.wait();
            release.count_down();
        });
    }
    EXPECT_THROW((void)thrown.get(), std::runtime_error);
    EXPECT_FALSE(waiting.get().ok());
    EXPECT_TRUE(started.empty());
}
