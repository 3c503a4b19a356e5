#include "cli/ListedRows.h"

#include "results/ClosedPhrases.h"
#include "results/LetterShare.h"

namespace orvanta {

ListedRows listRows(const PhraseResults &results, const RowSelection &selection,
                    const RowFilters &filters)
{
    RowSelection bounds = selection;
    bounds.top = -1;
    const std::vector<qsizetype> selected = selectRows(results, bounds);
    std::vector<std::uint32_t> ids(selected.begin(), selected.end());
    ListedRows listed;
    if (filters.closed)
        ids = closedPhrases(ids, results);
    if (filters.minimumLetterShare > 0) {
        PassagesByLetterShare byShare =
            passagesWithLetterShare(ids, results, filters.minimumLetterShare);
        ids = std::move(byShare.shown);
        listed.hiddenForLetters = byShare.hidden;
    }
    if (filters.stopWords && filters.stopWordMode != StopWordMode::Off)
        ids = withoutStopPhrases(ids, results, *filters.stopWords, filters.stopWordMode);
    if (!filters.pattern.isEmpty())
        ids = matchingPhrases(ids, results, filters.pattern);
    if (selection.top >= 0 && qsizetype(ids.size()) > selection.top)
        ids.resize(std::size_t(selection.top));
    listed.rows.assign(ids.begin(), ids.end());
    return listed;
}

} // namespace orvanta
