#include "phrases/SpillFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orvanta::detail {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

Result<std::unique_ptr<SpillFolder>> SpillFolder::create(const Directory &parent)
{
    Descriptor parentCopy(::fcntl(parent.fd(), F_DUPFD_CLOEXEC, 0));
    if (!parentCopy.isOpen())
        return Failure{
            QStringLiteral("Cannot use the folder %1: %2").arg(parent.path(), systemError(errno))};
    Result<std::unique_ptr<InstanceFolder>> instance = InstanceFolder::createIn(
        Directory(std::move(parentCopy), parent.path()), QStringLiteral("orvanta-spill-"));
    if (!instance.ok())
        return Failure{instance.error()};
    return std::unique_ptr<SpillFolder>(new SpillFolder(std::move(instance).value()));
}

SpillFolder::SpillFolder(std::unique_ptr<InstanceFolder> instance)
    : m_instance(std::move(instance))
{
}

Result<Descriptor> SpillFolder::newFile() const
{
    const Directory &folder = m_instance->directory();
    Descriptor fd;
    const Result<QString> name = folder.createUniqueFile(QStringLiteral("part-"), {}, fd);
    if (!name.ok())
        return Failure{name.error()};
    folder.removeFile(*name);
    return fd;
}

QString SpillFolder::writeFailure(int error) const
{
    return QStringLiteral("Cannot write to the spill folder %1: %2")
        .arg(path(), systemError(error));
}

QString SpillFolder::readFailure(int error) const
{
    return QStringLiteral("Cannot read back from the spill folder %1: %2")
        .arg(path(), systemError(error));
}

SpillFile::SpillFile(Descriptor fd, const SpillFolder &folder, std::size_t bufferBytes)
    : m_fd(std::move(fd))
    , m_folder(folder)
    , m_buffer(std::max<std::size_t>(bufferBytes, 64))
{
}

void SpillFile::flush()
{
    if (m_used > 0)
        writeDirectly(m_buffer.data(), m_used);
    m_used = 0;
}

void SpillFile::writeDirectly(const void *bytes, std::size_t size)
{
    if (m_error != 0)
        return;
    if (!writeAll(m_fd.get(), QByteArrayView(static_cast<const char *>(bytes), qsizetype(size))))
        m_error = errno;
    else
        m_written += size;
}

Status SpillFile::finishWriting()
{
    flush();
    std::vector<char>().swap(m_buffer);
    if (m_error != 0)
        return Failure{m_folder.writeFailure(m_error)};
    return {};
}

SpillReader::SpillReader(const SpillFile &file, std::size_t bufferBytes)
    : m_file(file)
    , m_buffer(std::max<std::size_t>(bufferBytes, 64))
{
}

const char *SpillReader::take(std::size_t size)
{
    if (m_end - m_begin < size && !refill(size))
        return nullptr;
    const char *bytes = m_buffer.data() + m_begin;
    m_begin += size;
    return bytes;
}

// Moves what is left to the front and reads on after it, growing the buffer for a long piece.
bool SpillReader::refill(std::size_t size)
{
    const std::size_t left = m_end - m_begin;
    std::memmove(m_buffer.data(), m_buffer.data() + m_begin, left);
    m_begin = 0;
    m_end = left;
    if (m_buffer.size() < size)
        m_buffer.resize(size);
    while (m_end < size && m_error == 0) {
        const ssize_t got =
            ::pread(m_file.fd(), m_buffer.data() + m_end, m_buffer.size() - m_end, off_t(m_offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            m_error = errno;
        else if (got == 0 && m_offset < m_file.size())
            m_error = EIO; // shorter than what was written to it
        if (got <= 0)
            return false;
        m_end += std::size_t(got);
        m_offset += std::uint64_t(got);
    }
    return m_end >= size;
}

Status SpillReader::status() const
{
    if (m_error != 0)
        return Failure{m_file.folder().readFailure(m_error)};
    return {};
}

} // namespace orvanta::detail
