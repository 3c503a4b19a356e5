#include "extract/TextReader.h"

#include <QFile>
#include <QStringDecoder>

namespace orvanta {

QString decodeUtf8(QByteArrayView utf8)
{
    // Stateless: a sequence cut short at the end becomes U+FFFD instead of being held back for
    // more input that never comes.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    return decoder.decode(utf8);
}

LineSequence::LineSequence(QByteArray text)
    : m_text(std::move(text))
{
    if (!QByteArrayView(m_text).isValidUtf8())
        m_text = decodeUtf8(m_text).toUtf8();

    const qsizetype size = m_text.size();
    const char *data = m_text.constData();
    qsizetype start = 0;
    while (start < size) {
        const char *newline = static_cast<const char *>(memchr(data + start, '\n', size - start));
        const qsizetype end = newline ? newline - data : size;
        qsizetype length = end - start;
        if (newline && length > 0 && data[end - 1] == '\r')
            --length;
        m_lines.push_back({start, length});
        start = end + 1;
    }
}

QByteArrayView LineSequence::line(qsizetype index) const
{
    const Span &span = m_lines.at(size_t(index));
    return QByteArrayView(m_text.constData() + span.start, span.length);
}

QString LineSequence::text(qsizetype index) const
{
    return decodeUtf8(line(index));
}

LineSequence readFileToStringFSOLine(const QString &path, ErrorSink &sink)
{
    TrappedOperation operation(
        locationTag(QStringLiteral("Main"), QStringLiteral("ReadFileToStringFSOLine")), sink);
    QFile file(path);
    LineSequence lines;
    operation.step([&] {
        if (!file.open(QIODevice::ReadOnly))
            throw OperationError(
                QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    });
    operation.step([&] {
        if (!file.isOpen())
            return;
        QByteArray text = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw OperationError(
                QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
        lines = LineSequence(std::move(text));
    });
    operation.step([&] { file.close(); });
    return lines;
}

namespace {
bool isPrintable(char32_t c)
{
    return (c >= 32 && c <= 126) || (c >= 160 && c <= 255);
}
} // namespace

bool noTextPDF(const LineSequence &lines)
{
    bool sawNonPrintable = false;
    int printable = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = lines.text(i);
        for (char32_t c : QStringView(text).toUcs4()) {
            if (!isPrintable(c)) {
                sawNonPrintable = true;
            } else if (++printable > 5) {
                return false;
            }
        }
    }
    return sawNonPrintable;
}

bool noTextPDF(const QString &path, ErrorSink &sink)
{
    TrappedOperation operation(locationTag(QStringLiteral("Main"), QStringLiteral("NoTextPDF")),
                               sink);
    bool result = false;
    LineSequence lines;
    operation.step([&] { lines = readFileToStringFSOLine(path, sink); });
    operation.step([&] { result = noTextPDF(lines); });
    return result;
}

QString pathWithoutExtension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(dot);
}

QString fileNameFromPath(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace orvanta
