#include "results/RowSelection.h"

#include <algorithm>

namespace orvanta {

std::vector<qsizetype> selectRows(const PhraseResults &results, const RowSelection &selection)
{
    const auto view = [&](qsizetype row) {
        return RowView{results.phraseUtf8(row), results.wordCount(row), results.frequency(row),
                       results.files(row)};
    };
    std::vector<qsizetype> rows;
    for (qsizetype row = 0; row < results.size(); ++row) {
        if (reachesMinimums(view(row), selection))
            rows.push_back(row);
    }
    if (selection.order != RowOrder::Frequency || selection.reverse) {
        std::sort(rows.begin(), rows.end(), [&](qsizetype a, qsizetype b) {
            return comesBefore(view(a), view(b), selection);
        });
    }
    if (selection.top >= 0 && qsizetype(rows.size()) > selection.top)
        rows.resize(size_t(selection.top));
    return rows;
}

} // namespace orvanta
