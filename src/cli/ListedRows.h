#pragma once

#include "results/PhrasePattern.h"
#include "results/RowSelection.h"
#include "results/StopWords.h"

#include <memory>
#include <vector>

namespace orvanta {

// What hides listed rows beyond the bounds of the selection. Hiding only chooses rows to print;
// it never changes what was counted.
struct RowFilters {
    bool closed = false; // hide a phrase inside a longer listed one with the same frequency
    std::shared_ptr<const StopWords> stopWords;
    StopWordMode stopWordMode = StopWordMode::Off;
    PhrasePattern pattern;
    double minimumLetterShare = 0; // passages: the share of their words that hold a letter
};

struct ListedRows {
    std::vector<qsizetype> rows;    // indices into the results, in the selection's order
    qsizetype hiddenForLetters = 0; // rows that fell short of the letter share
};

// The rows the selection chooses, less those the filters hide, then at most the selection's top:
// closed phrases are found among all rows within the bounds, before any other filter.
ListedRows listRows(const PhraseResults &results, const RowSelection &selection,
                    const RowFilters &filters);

} // namespace orvanta
