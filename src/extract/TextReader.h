#pragma once

#include "base/ErrorReport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace orvanta {

// Decodes UTF-8; invalid bytes become U+FFFD, and a U+FEFF stays a character like any other.
QString decodeUtf8(QByteArrayView utf8);

// The lines of a text file in file order, without terminators. The text is valid UTF-8: bytes
// that were not are replaced by U+FFFD when the file is read.
class LineSequence {
public:
    LineSequence() = default;
    explicit LineSequence(QByteArray text);

    qsizetype size() const { return qsizetype(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }
    QByteArrayView line(qsizetype index) const; // UTF-8
    QString text(qsizetype index) const;

private:
    struct Span {
        qsizetype start;
        qsizetype length;
    };
    QByteArray m_text;
    std::vector<Span> m_lines;
};

// Reads a converted text file. A file that cannot be opened is reported once and reads as no
// lines. Lines end at LF; a CR just before the LF belongs to the terminator.
LineSequence readFileToStringFSOLine(const QString &path, ErrorSink &sink);

// True when the text holds fewer than six printable characters and at least one other one
// (what the converter writes for scanned pages). Printable: U+0020-U+007E and U+00A0-U+00FF.
bool noTextPDF(const LineSequence &lines);
bool noTextPDF(const QString &path, ErrorSink &sink);

// The path cut before its last "."; a path without a dot is returned whole.
QString pathWithoutExtension(const QString &path);

// The file name: what follows the last "/" of the path.
QString fileNameFromPath(const QString &path);

} // namespace orvanta
