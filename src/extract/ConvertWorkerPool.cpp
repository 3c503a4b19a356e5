#include "extract/ConvertWorkerPool.h"

#include "base/PrivateFolder.h"
#include "extract/ProcessRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvanta {

namespace {

constexpr size_t kReadBytes = 64 * 1024;
constexpr qsizetype kLongestRecordHead = 64;

// The worker's status codes.
constexpr int kDone = 0;
constexpr int kNeedsPassword = 2;
constexpr int kOutOfMemory = 3;

ConversionOutcome outcomeOf(int status)
{
    switch (status) {
    case kDone:
        return ConversionOutcome::Converted;
    case kNeedsPassword:
        return ConversionOutcome::NeedsPassword;
    case kOutOfMemory:
        return ConversionOutcome::OutOfMemory;
    default:
        return ConversionOutcome::Damaged;
    }
}

bool isExecutable(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Reads one answer from a worker, record by record, handing text on in pieces. Waits without
// blocking a stop, and no longer than the time limit.
class AnswerReader {
public:
    using Clock = std::chrono::steady_clock;
    enum class End { Complete, Died, Stopped, TimedOut, Refused };

    // A picture may have at most `mostPixels` pixels.
    AnswerReader(int fd, std::stop_token stop, std::chrono::milliseconds limit, qint64 mostPixels)
        : m_fd(fd)
        , m_mostPixels(mostPixels)
        , m_deadline(limit.count() > 0 ? Clock::now() + limit : Clock::time_point::max())
        , m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
        , m_onStop(stop, [this] {
            const std::uint64_t one = 1;
            (void)!::write(m_wake.get(), &one, sizeof one);
        })
    {
    }

    End read(int &status, const std::function<bool(QByteArrayView)> &onText, GrayImage *image)
    {
        for (;;) {
            QByteArray head;
            if (const End end = line(head); end != End::Complete)
                return end;
            const QList<QByteArray> fields = head.split(' ');
            bool ok = fields.size() >= 2;
            if (ok && fields[0] == "s") {
                status = fields[1].toInt(&ok);
                return ok ? End::Complete : End::Died;
            }
            if (ok && fields[0] == "t") {
                const qint64 length = fields[1].toLongLong(&ok);
                if (!ok || length < 0)
                    return End::Died;
                if (const End end = bytes(length, onText); end != End::Complete)
                    return end;
                continue;
            }
            if (ok && fields[0] == "p" && image && fields.size() == 4) {
                if (const End end = picture(fields, *image); end != End::Complete)
                    return end;
                continue;
            }
            return End::Died;
        }
    }

private:
    End picture(const QList<QByteArray> &fields, GrayImage &image)
    {
        bool widthOk = false, heightOk = false, dpiOk = false;
        image.width = fields[1].toInt(&widthOk);
        image.height = fields[2].toInt(&heightOk);
        image.dpi = fields[3].toDouble(&dpiOk);
        const qint64 size = qint64(image.width) * image.height;
        // The worker rounds each side up, so a picture may be a row and a column over.
        const qint64 most = m_mostPixels + 2 * (qint64(image.width) + image.height);
        if (!widthOk || !heightOk || !dpiOk || image.width <= 0 || image.height <= 0 || size > most)
            return End::Died;
        image.pixels.clear();
        image.pixels.reserve(size);
        return bytes(size, [&image](QByteArrayView piece) {
            image.pixels.append(piece);
            return true;
        });
    }

    End line(QByteArray &into)
    {
        for (;;) {
            const char *begin = m_buffer.data() + m_begin;
            const auto *newline =
                static_cast<const char *>(std::memchr(begin, '\n', m_end - m_begin));
            if (newline) {
                into = QByteArray(begin, newline - begin);
                m_begin += size_t(newline - begin) + 1;
                return End::Complete;
            }
            if (qsizetype(m_end - m_begin) > kLongestRecordHead)
                return End::Died;
            if (const End end = fill(); end != End::Complete)
                return end;
        }
    }

    End bytes(qint64 count, const std::function<bool(QByteArrayView)> &sink)
    {
        while (count > 0) {
            if (m_begin == m_end) {
                if (const End end = fill(); end != End::Complete)
                    return end;
            }
            const size_t piece = size_t(std::min<qint64>(count, qint64(m_end - m_begin)));
            if (!sink(QByteArrayView(m_buffer.data() + m_begin, qsizetype(piece))))
                return End::Refused;
            m_begin += piece;
            count -= qint64(piece);
        }
        return End::Complete;
    }

    // Reads more of the answer after what is buffered.
    End fill()
    {
        if (m_begin == m_end)
            m_begin = m_end = 0;
        if (m_end == m_buffer.size()) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
            m_end -= m_begin;
            m_begin = 0;
        }
        for (;;) {
            std::array<pollfd, 2> fds{{{m_wake.get(), POLLIN, 0}, {m_fd, POLLIN, 0}}};
            const int ready = ::poll(fds.data(), fds.size(), waitMs());
            if (ready < 0 && errno != EINTR)
                return End::Died;
            // Looked at after every wait: a worker that never stops sending never lets one
            // time out.
            if (Clock::now() >= m_deadline)
                return End::TimedOut;
            if (ready <= 0)
                continue;
            if (fds[0].revents != 0)
                return End::Stopped;
            if (fds[1].revents == 0)
                continue;
            const ssize_t got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return End::Died;
            m_end += size_t(got);
            return End::Complete;
        }
    }

    int waitMs() const
    {
        if (m_deadline == Clock::time_point::max())
            return -1;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
        return int(std::clamp<std::int64_t>(left, 0, 1000 * 1000));
    }

    int m_fd;
    qint64 m_mostPixels;
    Clock::time_point m_deadline;
    Descriptor m_wake;
    std::stop_callback<std::function<void()>> m_onStop;
    std::array<char, kReadBytes> m_buffer{};
    size_t m_begin = 0;
    size_t m_end = 0;
};

QByteArray pathAndPassword(const QString &pdfPath, const QString &password)
{
    const QByteArray path = QFile::encodeName(QFileInfo(pdfPath).absoluteFilePath());
    const QByteArray secret = password.toUtf8();
    return QByteArray::number(path.size()) + ' ' + QByteArray::number(secret.size()) + '\n' + path +
           secret;
}

bool sendAll(int fd, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t sent =
            ::send(fd, bytes.data() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        done += sent;
    }
    return true;
}

} // namespace

ConvertWorkerPool::ConvertWorkerPool(QString program)
    : m_program(std::move(program))
    , m_spawner([this] { spawnOnRequest(); })
{
}

ConvertWorkerPool::~ConvertWorkerPool()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_spawnWanted.notify_all();
    m_spawner.join();
    for (std::unique_ptr<Worker> &worker : m_idle) {
        ::kill(worker->pid, SIGKILL);
        ::waitpid(worker->pid, nullptr, 0);
    }
}

QString ConvertWorkerPool::locateWorker()
{
    const QString named = qEnvironmentVariable("ORVANTA_CONVERT_WORKER");
    if (!named.isEmpty())
        return isExecutable(named) ? named : QString();
    if (!QCoreApplication::instance())
        return {};
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString &candidate :
         {here + QStringLiteral("/orvanta-convert"),
          here + QStringLiteral("/../libexec/orvanta/orvanta-convert")}) {
        if (isExecutable(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

void ConvertWorkerPool::spawnOnRequest()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_spawnWanted.wait(lock, [this] { return m_closing || m_spawnRequests > 0; });
        if (m_closing)
            return;
        --m_spawnRequests;
        lock.unlock();
        Result<StartedProcess> started = startProcess(m_program, {});
        std::unique_ptr<Worker> worker;
        if (started.ok())
            worker.reset(
                new Worker{started->pid, std::move(started->input), std::move(started->output)});
        lock.lock();
        m_spawned.push_back(std::move(worker));
        m_spawnDone.notify_all();
    }
}

std::unique_ptr<ConvertWorkerPool::Worker> ConvertWorkerPool::start()
{
    std::unique_lock lock(m_mutex);
    ++m_spawnRequests;
    m_spawnWanted.notify_one();
    m_spawnDone.wait(lock, [this] { return !m_spawned.empty(); });
    std::unique_ptr<Worker> worker = std::move(m_spawned.front());
    m_spawned.pop_front();
    return worker;
}

std::unique_ptr<ConvertWorkerPool::Worker> ConvertWorkerPool::takeIdle()
{
    const std::lock_guard lock(m_mutex);
    if (m_idle.empty())
        return nullptr;
    std::unique_ptr<Worker> worker = std::move(m_idle.back());
    m_idle.pop_back();
    return worker;
}

void ConvertWorkerPool::discard(std::unique_ptr<Worker> worker)
{
    ::kill(worker->pid, SIGKILL);
    ::waitpid(worker->pid, nullptr, 0);
}

void ConvertWorkerPool::giveBack(std::unique_ptr<Worker> worker)
{
    const std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(worker));
}

struct ConvertWorkerPool::Answer {
    AnswerReader::End end = AnswerReader::End::Died;
    int status = -1;

    ConversionOutcome outcome() const
    {
        switch (end) {
        case AnswerReader::End::Complete:
            return outcomeOf(status);
        case AnswerReader::End::Died:
            return ConversionOutcome::Stopped;
        case AnswerReader::End::TimedOut:
            return ConversionOutcome::TimedOut;
        case AnswerReader::End::Stopped:
        case AnswerReader::End::Refused:
            break;
        }
        return ConversionOutcome::Cancelled;
    }
};

ConvertWorkerPool::Answer
ConvertWorkerPool::exchange(const QByteArray &request, const ConversionLimits &limits,
                            const std::function<bool(QByteArrayView)> &onText, GrayImage *image,
                            qint64 mostPixels, std::stop_token stop)
{
    if (stop.stop_requested())
        return {AnswerReader::End::Stopped};
    // An idle worker that has gone since its last answer is replaced, not blamed on this PDF.
    std::unique_ptr<Worker> worker = takeIdle();
    if (worker && !sendAll(worker->requests.get(), request)) {
        discard(std::move(worker));
        worker.reset();
    }
    if (!worker) {
        worker = start();
        if (!worker || !sendAll(worker->requests.get(), request)) {
            if (worker)
                discard(std::move(worker));
            return {AnswerReader::End::Died};
        }
    }
    AnswerReader reader(worker->answers.get(), stop, limits.time, mostPixels);
    Answer answer;
    answer.end = reader.read(answer.status, onText, image);
    // A worker that died, was stopped in the middle of a PDF or ran out of memory is not used
    // again.
    if (answer.end == AnswerReader::End::Complete && answer.status != kOutOfMemory)
        giveBack(std::move(worker));
    else
        discard(std::move(worker));
    return answer;
}

ConversionOutcome ConvertWorkerPool::convert(const QString &pdfPath, const QString &password,
                                             const ConversionLimits &limits,
                                             const std::function<bool(QByteArrayView)> &onText,
                                             std::stop_token stop)
{
    const QByteArray request =
        "text " + QByteArray::number(limits.memoryBytes) + ' ' + pathAndPassword(pdfPath, password);
    return exchange(request, limits, onText, nullptr, 0, stop).outcome();
}

ConversionOutcome ConvertWorkerPool::draw(const QString &pdfPath, const QString &password, int page,
                                          double dpi, qint64 mostPixels,
                                          const ConversionLimits &limits, GrayImage &image,
                                          std::stop_token stop)
{
    const QByteArray request = "draw " + QByteArray::number(limits.memoryBytes) + ' ' +
                               QByteArray::number(page) + ' ' + QByteArray::number(dpi) + ' ' +
                               QByteArray::number(mostPixels) + ' ' +
                               pathAndPassword(pdfPath, password);
    image = GrayImage();
    const Answer answer = exchange(
        request, limits, [](QByteArrayView) { return false; }, &image, mostPixels, stop);
    if (answer.outcome() == ConversionOutcome::Converted && image.pixels.isEmpty())
        return ConversionOutcome::Stopped;
    return answer.outcome();
}

} // namespace orvanta
