// The counting engine against a plain map-based counter, on any lines and lengths.
#include "FuzzSupport.h"
#include "extract/TextReader.h"
#include "phrases/PhraseTable.h"
#include "phrases/ReferenceCounter.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

QString describe(const std::vector<PhraseRow> &rows)
{
    QStringList texts;
    for (const PhraseRow &row : rows)
        texts += QStringLiteral("[%1|%2|%3]").arg(row.phrase).arg(row.wordCount).arg(row.frequency);
    return texts.join(QLatin1Char(' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::vector<int> lengths(input.ConsumeIntegralInRange<size_t>(0, 4));
    for (int &length : lengths)
        length = input.ConsumeIntegralInRange<int>(-2, 40);
    std::vector<QByteArray> lineBytes;
    PhraseTable table(lengths);
    LineSplitter splitter([&](QByteArrayView line, LinePlace) {
        lineBytes.push_back(line.toByteArray());
        table.countLine(line);
    });
    splitter.feed(QByteArray::fromStdString(input.ConsumeRemainingBytesAsString()));
    splitter.finish();
    PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    std::vector<PhraseRow> counted;
    for (qsizetype i = 0; i < results.size(); ++i)
        counted.push_back(results.row(i));

    const std::vector<PhraseRow> expected = referenceCount(lineBytes, lengths);
    if (counted != expected)
        fail("engine differs from the reference", describe(counted) + " != " + describe(expected));
    return 0;
}
