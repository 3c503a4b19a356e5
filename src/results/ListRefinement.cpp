#include "results/ListRefinement.h"

#include "results/LetterShare.h"

#include <QStringList>

namespace orvanta {

bool ListRefinement::hidesStopWords() const
{
    return stopWordMode != StopWordMode::Off && stopWords != nullptr && !stopWords->isEmpty();
}

RefinedRows refineResults(std::span<const std::uint32_t> ids, const PhraseResults &results,
                          const ListRefinement &refinement, const std::vector<bool> &insideLonger)
{
    RefinedRows refined;
    refined.shown.assign(ids.begin(), ids.end());
    if (refinement.hideInsideLonger) {
        const auto before = refined.shown.size();
        std::erase_if(refined.shown, [&insideLonger](std::uint32_t id) {
            return id < insideLonger.size() && insideLonger[id];
        });
        refined.hidden.insideLonger = qsizetype(before - refined.shown.size());
    }
    if (refinement.hidesStopWords()) {
        const auto before = refined.shown.size();
        refined.shown = withoutStopPhrases(refined.shown, results, *refinement.stopWords,
                                           refinement.stopWordMode);
        refined.hidden.stopWords = qsizetype(before - refined.shown.size());
    }
    if (refinement.minimumLetterShare > 0) {
        PassagesByLetterShare kept =
            passagesWithLetterShare(refined.shown, results, refinement.minimumLetterShare);
        refined.shown = std::move(kept.shown);
        refined.hidden.fewLetterWords = kept.hidden;
    }
    return refined;
}

QString hiddenRowsText(const HiddenRows &hidden)
{
    QStringList parts;
    if (hidden.insideLonger > 0)
        parts << QStringLiteral("%1 inside longer ones").arg(hidden.insideLonger);
    if (hidden.stopWords > 0)
        parts << QStringLiteral("%1 of stop words").arg(hidden.stopWords);
    if (hidden.fewLetterWords > 0)
        parts << QStringLiteral("%1 mostly without letters").arg(hidden.fewLetterWords);
    if (parts.isEmpty())
        return {};
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" hidden");
}

} // namespace orvanta
