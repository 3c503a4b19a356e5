#pragma once

#include "phrases/PhraseResults.h"

#include <vector>

namespace orvanta {

enum class RowOrder { Frequency, Phrase, Words, Files };

// Which results are shown and in what order. Rows are kept when they reach both minimums, put
// in ascending order of the key (ties keep the results' own order: frequency, then phrase),
// reversed when asked, and cut to the first `top` when that is not negative.
struct RowSelection {
    int minimumFrequency = 2;
    int minimumFiles = 1;
    RowOrder order = RowOrder::Frequency;
    bool reverse = false;
    qsizetype top = -1;
};

// The indices of the chosen rows of results sorted for display, in the chosen order.
std::vector<qsizetype> selectRows(const PhraseResults &results, const RowSelection &selection);

} // namespace orvanta
