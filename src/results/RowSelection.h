#pragma once

#include "phrases/PhraseResults.h"
#include "phrases/RowOrder.h"

#include <vector>

namespace orvanta {

// The indices of the chosen rows of results sorted for display, in the chosen order.
std::vector<qsizetype> selectRows(const PhraseResults &results, const RowSelection &selection);

} // namespace orvanta
