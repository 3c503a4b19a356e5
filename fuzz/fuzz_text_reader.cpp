// The line splitter and the scanned-page test on any bytes a converter might write, fed in
// pieces cut anywhere, against plain rewrites of their rules.
#include "FuzzSupport.h"
#include "base/Utf8.h"
#include "extract/TextReader.h"

#include <QList>
#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

bool isPrintable(char32_t c)
{
    return (c >= 32 && c <= 126) || (c >= 160 && c <= 255);
}

struct Line {
    QString text;
    int page;
    int line;
    bool operator==(const Line &) const = default;
};

// Pieces between LFs, each cut again at form feeds; one CR before an LF dropped; no piece after
// a final terminator.
QList<Line> expectedLines(const QByteArray &text)
{
    QList<Line> lines;
    int page = 1;
    int line = 1;
    QByteArray current;
    const auto close = [&](char terminator) {
        if (terminator == '\n' && current.endsWith('\r'))
            current.chop(1);
        lines.append({decodeUtf8(current), page, line});
        current.clear();
        if (terminator == '\f') {
            ++page;
            line = 1;
        } else {
            ++line;
        }
    };
    for (const char c : text) {
        if (c == '\n' || c == '\f')
            close(c);
        else
            current += c;
    }
    if (!current.isEmpty())
        lines.append({decodeUtf8(current), page, line});
    return lines;
}

// The characters of every line, each line decoded on its own; lines end at LF (a CR before it
// belongs to the terminator) and a form feed is a character like any other here.
bool expectedNoText(const QByteArray &text)
{
    int printable = 0;
    bool other = false;
    QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i + 1 < lines.size() && line.endsWith('\r'))
            line.chop(1);
        for (char32_t c : decodeUtf8(line).toUcs4())
            isPrintable(c) ? void(++printable) : void(other = true);
    }
    return printable < 6 && other;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const size_t cut = input.ConsumeIntegral<uint16_t>();
    const QByteArray text = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    const qsizetype at = text.isEmpty() ? 0 : qsizetype(cut % size_t(text.size() + 1));

    QList<Line> lines;
    LineSplitter splitter([&](QByteArrayView line, LinePlace place) {
        check(line.isValidUtf8(), "a line is valid UTF-8");
        check(!line.contains('\n') && !line.contains('\f'), "no terminator inside a line");
        lines.append({QString::fromUtf8(line), place.page, place.line});
    });
    splitter.feed(QByteArrayView(text).first(at));
    splitter.feed(QByteArrayView(text).sliced(at));
    splitter.finish();
    check(lines == expectedLines(text), "lines");

    NoTextTest noText;
    noText.feed(QByteArrayView(text).first(at));
    noText.feed(QByteArrayView(text).sliced(at));
    check(noText.noText() == expectedNoText(text), "scanned-page test");
    return 0;
}
