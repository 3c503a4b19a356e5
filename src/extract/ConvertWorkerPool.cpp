#include "extract/ConvertWorkerPool.h"

#include "base/PrivateFolder.h"
#include "extract/ProcessRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvanta {

namespace {

constexpr size_t kReadBytes = 64 * 1024;
constexpr int kLongestHeader = 64;

// The worker's answer codes.
ConversionOutcome outcomeOf(int status)
{
    switch (status) {
    case 0:
        return ConversionOutcome::Converted;
    case 2:
        return ConversionOutcome::NeedsPassword;
    default:
        return ConversionOutcome::Damaged;
    }
}

bool isExecutable(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Reads one answer from a worker: the header line, then the text, handed on in pieces. Waits
// without blocking a stop.
class AnswerReader {
public:
    AnswerReader(int fd, std::stop_token stop)
        : m_fd(fd)
        , m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
        , m_onStop(stop, [this] {
            const std::uint64_t one = 1;
            (void)!::write(m_wake.get(), &one, sizeof one);
        })
    {
    }

    enum class End { Complete, Died, Stopped, Refused };

    End read(int &status, const std::function<bool(QByteArrayView)> &onText)
    {
        QByteArray header;
        while (!header.endsWith('\n')) {
            if (header.size() > kLongestHeader)
                return End::Died;
            char byte = 0;
            if (const End end = next(&byte, 1); end != End::Complete)
                return end;
            header += byte;
        }
        const QList<QByteArray> fields = header.trimmed().split(' ');
        bool statusOk = false, lengthOk = false;
        status = fields.value(0).toInt(&statusOk);
        qint64 remaining = fields.value(1).toLongLong(&lengthOk);
        if (!statusOk || !lengthOk || remaining < 0)
            return End::Died;
        while (remaining > 0) {
            const size_t wanted = size_t(std::min<qint64>(remaining, kReadBytes));
            if (const End end = next(m_buffer.data(), wanted, &m_got); end != End::Complete)
                return end;
            remaining -= m_got;
            if (!onText(QByteArrayView(m_buffer.data(), m_got)))
                return End::Refused;
        }
        return End::Complete;
    }

private:
    // Reads at least one byte, at most `size`.
    End next(char *into, size_t size, qsizetype *got = nullptr)
    {
        for (;;) {
            std::array<pollfd, 2> fds{{{m_wake.get(), POLLIN, 0}, {m_fd, POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                return End::Died;
            if (fds[0].revents != 0)
                return End::Stopped;
            if (fds[1].revents == 0)
                continue;
            const ssize_t read = ::read(m_fd, into, size);
            if (read < 0 && errno == EINTR)
                continue;
            if (read <= 0)
                return End::Died;
            if (got)
                *got = read;
            return End::Complete;
        }
    }

    int m_fd;
    Descriptor m_wake;
    std::stop_callback<std::function<void()>> m_onStop;
    std::array<char, kReadBytes> m_buffer{};
    qsizetype m_got = 0;
};

QByteArray requestFor(const QString &pdfPath, const QString &password)
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

ConversionOutcome ConvertWorkerPool::convert(const QString &pdfPath, const QString &password,
                                             const std::function<bool(QByteArrayView)> &onText,
                                             std::stop_token stop)
{
    if (stop.stop_requested())
        return ConversionOutcome::Cancelled;
    const QByteArray request = requestFor(pdfPath, password);
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
            return ConversionOutcome::Stopped;
        }
    }
    AnswerReader reader(worker->answers.get(), stop);
    int status = 0;
    const AnswerReader::End end = reader.read(status, onText);
    if (end == AnswerReader::End::Complete) {
        giveBack(std::move(worker));
        return outcomeOf(status);
    }
    // A worker that died on this PDF, or one stopped in the middle of it, is not used again.
    discard(std::move(worker));
    return end == AnswerReader::End::Died ? ConversionOutcome::Stopped
                                          : ConversionOutcome::Cancelled;
}

} // namespace orvanta
