#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <stop_token>

namespace orvanta {

// Where a line stands in its text: pages count from 1 and end at a form feed; lines count from
// 1 within their page.
struct LinePlace {
    int page = 1;
    int line = 1;
    bool operator==(const LinePlace &) const = default;
};

// Receives each line: valid UTF-8 without its terminator (bytes that were not valid UTF-8 are
// replaced by U+FFFD).
using LineSink = std::function<void(QByteArrayView utf8Line, LinePlace place)>;

// Splits a text that arrives in pieces into lines. A line ends at LF (a CR just before it
// belongs to the terminator) or at a form feed, which also ends the page, so no line spans two
// pages. A terminator at the very end gives no empty line after it.
class LineSplitter {
public:
    explicit LineSplitter(LineSink sink)
        : m_sink(std::move(sink))
    {
    }

    // A line longer than this stops the text: no real text has one, and a device that never
    // sends a line break would fill memory.
    static constexpr qsizetype kLongestLine = qsizetype(64) << 20;

    void feed(QByteArrayView piece);
    // Hands over the last line when the text does not end with a terminator.
    void finish();
    // True once a line ran past kLongestLine; nothing more is handed over.
    bool overflowed() const { return m_overflowed; }

private:
    void emitLine(QByteArrayView line);

    LineSink m_sink;
    QByteArray m_partial;
    LinePlace m_place;
    bool m_overflowed = false;
};

// Reads the open file from where it stands to its end in pieces and hands each line to the
// sink. Waits for a pipe or FIFO without blocking a stop. Fails with a message naming `name`.
Status readLines(int fd, const QString &name, const LineSink &sink, std::stop_token stop = {});

// Reads the open file from where it stands to its end and hands it over in pieces, until the
// receiver returns false. Waits for a pipe or FIFO without blocking a stop. Fails with a message
// naming `name` when a read fails.
Status readPieces(int fd, const QString &name, std::stop_token stop,
                  const std::function<bool(QByteArrayView piece)> &receive);

// Follows a text as it arrives in pieces: false once a line runs past LineSplitter::kLongestLine.
class LongestLine {
public:
    bool feed(QByteArrayView piece);
    bool overflowed() const { return m_overflowed; }

private:
    qsizetype m_current = 0;
    bool m_overflowed = false;
};

// What a text with a line past LineSplitter::kLongestLine is told.
QString tooLongLineMessage(const QString &name);

// Reads a whole file that can be read again (from its start, with positioned reads) and fails
// with tooLongLineMessage() when a line runs past LineSplitter::kLongestLine, so that such a
// text is refused before any of it is counted.
Status checkLineLengths(int fd, const QString &name, std::stop_token stop = {});

// The scanned-page test, fed the converted text in pieces: true at the end when the text holds
// fewer than six printable characters and at least one other one, which is what the converter
// writes for pages that are only images. Printable: U+0020-U+007E and U+00A0-U+00FF; line
// terminators (LF, and a CR before LF) are not characters; a form feed is a non-printable one.
class NoTextTest {
public:
    void feed(QByteArrayView piece);
    bool noText() const;

private:
    void byte(unsigned char value);
    void character(bool printable);

    int m_printable = 0;
    bool m_sawOther = false;
    unsigned char m_lead = 0; // a pending C2 or C3 lead byte
    bool m_pendingCr = false;
};

} // namespace orvanta
