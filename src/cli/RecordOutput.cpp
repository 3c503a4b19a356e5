#include "cli/RecordOutput.h"

#include "base/OutputFile.h"

#include <QFileDevice>

namespace orvanta {

namespace {

constexpr qsizetype kChunkBytes = 1 << 20;

} // namespace

Destination::Destination(QIODevice &standardOutput, const QString &path, std::stop_token stop)
    : m_standardOutput(standardOutput)
    , m_file(path.isEmpty() ? nullptr : std::make_unique<OutputFile>(path))
    , m_stop(std::move(stop))
{
}

Destination::~Destination() = default;

bool Destination::open()
{
    return !m_file || m_file->open();
}

bool Destination::write(QByteArrayView bytes)
{
    if (m_stop.stop_requested())
        return false;
    if (m_file)
        return m_file->write(bytes);
    return m_standardOutput.write(bytes.data(), bytes.size()) == bytes.size();
}

bool Destination::finish()
{
    if (m_stop.stop_requested())
        return false;
    if (m_file)
        return m_file->finish();
    auto *file = qobject_cast<QFileDevice *>(&m_standardOutput);
    return !file || file->flush();
}

QString Destination::errorString() const
{
    return m_file ? m_file->errorString() : m_standardOutput.errorString();
}

RecordStream::RecordStream(Destination &destination, RecordWriter &writer)
    : m_destination(destination)
    , m_writer(writer)
    , m_buffer(writer.begin())
{
    m_buffer.reserve(kChunkBytes + kChunkBytes / 4);
}

bool RecordStream::add(std::span<const Field> fields)
{
    m_writer.append(m_buffer, fields);
    if (m_buffer.size() < kChunkBytes)
        return true;
    return flush();
}

bool RecordStream::end()
{
    m_buffer += m_writer.end();
    return flush();
}

bool RecordStream::flush()
{
    const bool written = m_destination.write(m_buffer);
    m_buffer.resize(0); // keeps the buffer: each new one would be mapped and faulted in anew
    return written;
}

} // namespace orvanta
