// Finding the pages without text in any converter output and putting text in their place,
// checked against a plain split at the form feeds.
#include "FuzzSupport.h"
#include "extract/ScannedPages.h"

#include <QList>

#include <algorithm>

using namespace orvanta;
using namespace orvanta::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray converted = bytes(data, size);
    // QByteArray::split leaves one empty piece after a final form feed (or of an empty text),
    // which is no page.
    QList<QByteArray> pages = converted.split('\f');
    if (pages.last().isEmpty())
        pages.removeLast();

    std::vector<int> expectedBlank;
    std::map<int, QString> texts;
    QByteArray expectedReplaced;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const bool blank = std::all_of(pages[i].begin(), pages[i].end(), [](char c) {
            return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\r';
        });
        if (blank) {
            expectedBlank.push_back(int(i) + 1);
            texts[int(i) + 1] = QStringLiteral("read\n");
        }
        expectedReplaced += blank ? QByteArray("read\n") : pages[i];
        if (i + 1 < pages.size() || converted.endsWith('\f'))
            expectedReplaced += '\f';
    }
    texts[int(pages.size()) + 1] = QStringLiteral("no such page\n");

    check(pagesWithoutText(converted) == expectedBlank, "the blank pages");
    check(replacePageTexts(converted, {}) == converted, "no replacement changes nothing");
    check(replacePageTexts(converted, texts) == expectedReplaced, "the blank pages replaced",
          QString::fromUtf8(expectedReplaced));
    return 0;
}
