#include "results/RowSelection.h"

#include <algorithm>

namespace orvanta {

std::vector<qsizetype> selectRows(const PhraseResults &results, const RowSelection &selection)
{
    std::vector<qsizetype> rows;
    for (qsizetype row = 0; row < results.size(); ++row) {
        if (results.frequency(row) >= selection.minimumFrequency &&
            results.files(row) >= selection.minimumFiles)
            rows.push_back(row);
    }
    const auto byKey = [&](auto key) {
        std::stable_sort(rows.begin(), rows.end(),
                         [&](qsizetype a, qsizetype b) { return key(a) < key(b); });
    };
    switch (selection.order) {
    case RowOrder::Frequency:
        break; // the results' own order
    case RowOrder::Phrase:
        byKey([&](qsizetype row) { return results.phraseUtf8(row); });
        break;
    case RowOrder::Words:
        byKey([&](qsizetype row) { return results.wordCount(row); });
        break;
    case RowOrder::Files:
        byKey([&](qsizetype row) { return results.files(row); });
        break;
    }
    if (selection.reverse)
        std::reverse(rows.begin(), rows.end());
    if (selection.top >= 0 && qsizetype(rows.size()) > selection.top)
        rows.resize(size_t(selection.top));
    return rows;
}

} // namespace orvanta
