// The text reader and the scanned-page test on any bytes a converter might leave behind.
#include "FuzzSupport.h"
#include "base/ErrorReport.h"
#include "extract/TextReader.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

class CollectingSink final : public ErrorSink {
public:
    void report(const ErrorReport &report) override { reports += report.message(); }
    QStringList reports;
};

QString scratchFile()
{
    static const QString path =
        QDir::tempPath() + QStringLiteral("/orvanta-fuzz-text-%1.txt").arg(getpid());
    return path;
}

bool isPrintable(char32_t c)
{
    return (c >= 32 && c <= 126) || (c >= 160 && c <= 255);
}

// What the reader should give: pieces between LFs, one CR before an LF dropped, no piece after
// a final LF.
QStringList expectedLines(const QByteArray &text)
{
    QList<QByteArray> pieces = text.split('\n');
    if (pieces.last().isEmpty())
        pieces.removeLast();
    QStringList lines;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QByteArray piece = pieces[i];
        const bool endsAtLf = i + 1 < pieces.size() || text.endsWith('\n');
        if (endsAtLf && piece.endsWith('\r'))
            piece.chop(1);
        lines += decodeUtf8(piece);
    }
    return lines;
}

bool expectedNoText(const QStringList &lines)
{
    int printable = 0;
    bool other = false;
    for (const QString &line : lines) {
        for (char32_t c : line.toUcs4())
            isPrintable(c) ? void(++printable) : void(other = true);
    }
    return printable < 6 && other;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = bytes(data, size);
    QFile file(scratchFile());
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file opens");
    file.write(text);
    file.close();

    CollectingSink sink;
    const LineSequence lines = readFileToStringFSOLine(scratchFile(), sink);
    check(sink.reports.isEmpty(), "no report for a readable file", sink.reports.join('\n'));

    const QStringList expected = expectedLines(text);
    check(lines.size() == expected.size(), "line count");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        check(lines.text(i) == expected[i], "line text", QString::number(i));
        check(lines.line(i).isValidUtf8(), "line is valid UTF-8");
        check(QString::fromUtf8(lines.line(i)) == expected[i], "line bytes", QString::number(i));
        check(!lines.line(i).contains('\n'), "no LF inside a line");
    }
    check(noTextPDF(lines) == expectedNoText(expected), "noTextPDF on lines");
    check(noTextPDF(scratchFile(), sink) == expectedNoText(expected), "noTextPDF on the file");
    check(pathWithoutExtension(expected.value(0)).size() <= expected.value(0).size(),
          "pathWithoutExtension shortens");
    return 0;
}
