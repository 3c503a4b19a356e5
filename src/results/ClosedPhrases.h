#pragma once

// Closed phrases: a listed phrase is hidden when a longer listed phrase that holds it, as
// consecutive words, has exactly the same frequency ("the number" beside "the number of", both
// seen 812 times): every time the shorter one occurs, it is part of the longer one. Found from
// the listed rows alone, never by counting again.

#include "phrases/PhraseResults.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvanta {

// Over every row of `results`: true for the rows of `listed` (ids into `results`) that a longer
// row of `listed` holds with the same frequency.
std::vector<bool> phrasesInsideLonger(std::span<const std::uint32_t> listed,
                                      const PhraseResults &results);

// The ids of `listed`, in their order, that no longer listed phrase with the same frequency
// holds.
std::vector<std::uint32_t> closedPhrases(std::span<const std::uint32_t> listed,
                                         const PhraseResults &results);

} // namespace orvanta
