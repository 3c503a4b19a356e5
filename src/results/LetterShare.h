#pragma once

// Passages worth reading: those whose words mostly hold letters, not dot leaders, rules and
// runs of numbers as tables of contents and tables are made of.

#include "phrases/PhraseResults.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvanta {

// The share of letter words a passage needs unless another is chosen.
inline constexpr double kDefaultLetterWordShare = 0.5;

struct PassagesByLetterShare {
    std::vector<std::uint32_t> shown; // ids in their order
    qsizetype hidden = 0;
};

// The ids (into `passages`), in their order, whose share of words holding a letter
// (documents/LetterWords.h) is at least `minimumShare` (0 to 1), and how many fall short.
PassagesByLetterShare passagesWithLetterShare(std::span<const std::uint32_t> ids,
                                              const PhraseResults &passages, double minimumShare);

} // namespace orvanta
