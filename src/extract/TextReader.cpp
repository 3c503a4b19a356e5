#include "extract/TextReader.h"

#include "base/Utf8.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orvanta {

namespace {

constexpr qsizetype kReadBytes = 1 << 20;
constexpr int kStopCheckMs = 100;

const char *firstBreak(const char *from, const char *end)
{
    const auto *newline = static_cast<const char *>(std::memchr(from, '\n', size_t(end - from)));
    const char *lineEnd = newline ? newline : end;
    const auto *formFeed =
        static_cast<const char *>(std::memchr(from, '\f', size_t(lineEnd - from)));
    return formFeed ? formFeed : newline;
}

} // namespace

void LineSplitter::emitLine(QByteArrayView line)
{
    if (line.isValidUtf8()) {
        m_sink(line, m_place);
        return;
    }
    const QByteArray valid = validUtf8(line);
    m_sink(valid, m_place);
}

void LineSplitter::feed(QByteArrayView piece)
{
    const char *from = piece.data();
    const char *end = from + piece.size();
    while (from < end && !m_overflowed) {
        const char *stop = firstBreak(from, end);
        if (!stop) {
            m_overflowed = m_partial.size() + (end - from) > kLongestLine;
            if (m_overflowed)
                m_partial.clear();
            else
                m_partial.append(from, end - from);
            return;
        }
        QByteArrayView line(from, stop - from);
        if (!m_partial.isEmpty()) {
            m_partial.append(line);
            line = m_partial;
        }
        if (*stop == '\n' && line.endsWith('\r'))
            line.chop(1);
        emitLine(line);
        m_partial.clear();
        if (*stop == '\f') {
            ++m_place.page;
            m_place.line = 1;
        } else {
            ++m_place.line;
        }
        from = stop + 1;
    }
}

void LineSplitter::finish()
{
    if (!m_partial.isEmpty() && !m_overflowed)
        emitLine(m_partial);
    m_partial.clear();
}

Status readPieces(int fd, const QString &name, std::stop_token stop,
                  const std::function<bool(QByteArrayView piece)> &receive)
{
    std::vector<char> buffer(kReadBytes);
    while (!stop.stop_requested()) {
        // A pipe or terminal may keep us waiting: look before reading, so a stop is seen.
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, kStopCheckMs) == 0)
            continue;
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got > 0) {
            if (!receive(QByteArrayView(buffer.data(), got)))
                return {};
            continue;
        }
        if (got == 0)
            return {};
        if (errno != EINTR && errno != EAGAIN)
            return Failure{QStringLiteral("Cannot read %1: %2")
                               .arg(name, QString::fromLocal8Bit(std::strerror(errno)))};
    }
    return {};
}

Status readLines(int fd, const QString &name, const LineSink &sink, std::stop_token stop)
{
    LineSplitter splitter(sink);
    const Status read = readPieces(fd, name, stop, [&splitter](QByteArrayView piece) {
        splitter.feed(piece);
        return !splitter.overflowed();
    });
    if (splitter.overflowed())
        return Failure{tooLongLineMessage(name)};
    if (read.ok() && !stop.stop_requested())
        splitter.finish();
    return read;
}

bool LongestLine::feed(QByteArrayView piece)
{
    const char *from = piece.data();
    const char *end = from + piece.size();
    while (!m_overflowed) {
        const char *stop = firstBreak(from, end);
        m_current += (stop ? stop : end) - from;
        m_overflowed = m_current > LineSplitter::kLongestLine;
        if (!stop)
            break;
        m_current = 0;
        from = stop + 1;
    }
    return !m_overflowed;
}

QString tooLongLineMessage(const QString &name)
{
    return QStringLiteral("%1 has a line of more than %2 MB, so it was not read")
        .arg(name)
        .arg(LineSplitter::kLongestLine >> 20);
}

Status checkLineLengths(int fd, const QString &name, std::stop_token stop)
{
    std::vector<char> buffer(kReadBytes);
    LongestLine lines;
    for (off_t at = 0; !stop.stop_requested();) {
        const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failure{QStringLiteral("Cannot read %1: %2")
                               .arg(name, QString::fromLocal8Bit(std::strerror(errno)))};
        if (got == 0)
            return {};
        if (!lines.feed(QByteArrayView(buffer.data(), got)))
            return Failure{tooLongLineMessage(name)};
        at += got;
    }
    return {};
}

void NoTextTest::character(bool printable)
{
    if (printable)
        ++m_printable;
    else
        m_sawOther = true;
}

void NoTextTest::byte(unsigned char value)
{
    if (m_lead) {
        const unsigned char lead = std::exchange(m_lead, 0);
        if ((value & 0xC0) == 0x80) {
            const unsigned codePoint = ((lead & 0x1Fu) << 6) | (value & 0x3Fu);
            character(codePoint >= 0xA0);
            return;
        }
        character(false); // a lead byte without its continuation
    }
    if (std::exchange(m_pendingCr, false) && value != '\n')
        character(false);
    if (value == '\n')
        return;
    if (value == '\r') {
        m_pendingCr = true;
    } else if (value < 0x80) {
        character(value >= 32 && value <= 126);
    } else if (value == 0xC2 || value == 0xC3) {
        m_lead = value; // U+0080..U+00FF, printable from U+00A0
    } else {
        character(false);
    }
}

void NoTextTest::feed(QByteArrayView piece)
{
    for (qsizetype i = 0; i < piece.size() && m_printable <= 5; ++i)
        byte(static_cast<unsigned char>(piece[i]));
}

bool NoTextTest::noText() const
{
    if (m_printable > 5)
        return false;
    return m_sawOther || m_lead != 0 || m_pendingCr;
}

} // namespace orvanta
